// The marker values that tell the adapter driver and later runs what has been done.
#pragma once

// "EnableRadio" = "1" and "KVREnable" = "1" on the first unhandled supported instance. True when
// there was one, even if its key could not be opened.
bool MarkFirstAdapter();

// "InstallFinish" = "1" on every supported instance that is still unhandled.
void FlagInstallFinished();
