// The machines the benchmarks run on: a class key holding a given number of installed,
// unhandled supported adapter instances, loaded the same way into the simulated registry and
// into Wine's.
#pragma once

#include <string>

namespace bench {

// The Windows 2000/XP network adapter class key, below HKEY_LOCAL_MACHINE.
constexpr char kClassKey[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

// Instances 0000 to count - 1, each as its driver's installation leaves it: a supported
// description, no handled flag, and a channel list offering all 14 channels. The text removes
// the class key first, so loading it also puts a used machine back as it was.
std::string AdapterMachine(int count);

// Loads such a text; false with the reason in `error`.
bool LoadMachine(const std::string& text, std::string* error);

}  // namespace bench
