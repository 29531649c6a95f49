// What the running Windows is, where its network adapter class key lies, and the search for the
// adapter instances that the system serves and has not handled yet.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win32api.h"

enum class OsKind { Nt5, NinetyEightFamily, Unsupported, Other };

// The adapter descriptions served, compared as whole texts, case-sensitively.
constexpr std::size_t kSupportedAdapterCount = 9;
extern const char* const kSupportedAdapters[kSupportedAdapterCount];

// Instance numbers run from 0 to 9999; the search gives this when none matches.
constexpr int NoInstance = 10000;

OsKind ClassifyVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion,
                       const char* servicePack);

// The class key path, a backslash and the instance number in four digits ("%s\%04d").
std::string InstanceKeyPath(const char* basePath, int instance);

// True when the description equals one of kSupportedAdapters (lstrcmpA).
bool IsSupportedAdapter(const char* description);

class COsPlatform {
  public:
    // Classifies the running Windows. When the version cannot be read it shows
    // "Unable to determine Operating System." and ends the process with exit code 0.
    COsPlatform();
    virtual ~COsPlatform();

    OsKind Kind() const { return kind; }
    bool IsUnsupported() const { return kind == OsKind::Unsupported; }
    // The class key path under HKEY_LOCAL_MACHINE for this kind; "UnKnown" names no key.
    const char* BaseKeyPath() const;
    // The smallest instance n, start <= n <= 9999, of a supported adapter that is not handled
    // yet, or NoInstance.
    int FindAdapterInstance(int start) const;

  private:
    // Whether the instance key at this path is an unhandled supported adapter's.
    bool InstanceMatches(const char* path) const;

    OsKind kind;
};

// Calls handle(n) for every unhandled supported instance, in ascending order: each search starts
// one past the instance handled last, so an instance that handling marks is passed over, and
// the walk ends only at NoInstance (instance 9999 is handled like any other).
template <typename Handle>
void ForEachAdapterInstance(const COsPlatform& platform, Handle handle) {
    for (int n = platform.FindAdapterInstance(0); n < NoInstance;
         n = platform.FindAdapterInstance(n + 1))
        handle(n);
}
