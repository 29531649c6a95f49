// Guarded access to registry keys for the writers: once an Open has failed, reads and writes do
// nothing and report failure until an Open succeeds again, so a writer can issue its writes one
// after the other without testing each Open.
#pragma once

#include "platform/win32api.h"

class CRegistryAccess {
  public:
    CRegistryAccess() = default;
    virtual ~CRegistryAccess();  // closes nothing: keys belong to the caller's variables

    // Opens root\path with full access into `key`; on failure `key` holds no key (null).
    bool Open(HKEY root, const char* path, HKEY& key);
    // Closes the key held in `key`, which is null afterwards whatever the platform said.
    bool Close(HKEY& key);
    // Reads the value into the caller's buffer of `size` bytes.
    bool Query(HKEY key, const char* name, void* buffer, DWORD size);
    // Stores a REG_SZ with its terminating zero counted.
    bool SetString(HKEY key, const char* name, const char* text);
    bool SetBinary(HKEY key, const char* name, const void* data, DWORD length);
    // Not guarded; a value that is not there counts as deleted.
    bool DeleteValue(HKEY key, const char* name);

  private:
    bool PassGuard(HKEY key);

    HKEY currentKey = nullptr;
};
