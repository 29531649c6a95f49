// The program's fatal messages: a message box with OK and the exclamation icon, captioned with
// the program file's name without its extension.
#pragma once

// The caption: the program file's name without folder and extension ("C:\x\Setup.exe" gives
// "Setup").
void ProgramTitle(char* title, unsigned size);

// Shows the text and returns once the user has closed the box.
void ShowProgramMessage(const char* text);
