#include "tests/bench/bench_fixture.h"

#include <cstdio>

#include "tools/regfixture/reg_fixture.h"

namespace bench {

std::string AdapterMachine(int count) {
    const std::string classKey = std::string("HKEY_LOCAL_MACHINE\\") + kClassKey;
    std::string text = "REGEDIT4\n\n[-" + classKey + "]\n\n[" + classKey + "]\n\"Class\"=\"Net\"\n";
    char line[64];
    for (int n = 0; n < count; ++n) {
        std::snprintf(line, sizeof line, "\\%04d", n);
        const std::string instance = classKey + line;
        text += "\n[" + instance + "]\n\"DriverDesc\"=\"Kelvane PC Card\"\n";
        text += "\"ProviderName\"=\"Kelvane\"\n\"Characteristics\"=dword:00000084\n";
        text += "\n[" + instance + "\\Ndi\\Params\\SelectedChannel\\enum]\n";
        for (int channel = 1; channel <= 14; ++channel) {
            std::snprintf(line, sizeof line, "\"%d\"=\"%d\"\n", channel, channel);
            text += line;
        }
    }
    return text;
}

bool LoadMachine(const std::string& text, std::string* error) {
    return regfixture::Load(text, error);
}

}  // namespace bench
