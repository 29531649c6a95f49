// The apply sequence over the largest machines the instance numbers allow, on the simulated
// Windows: every instance is handled as it should be. Prints the time and the platform calls.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "apply/apply_sequence.h"
#include "tests/support/machine.h"
#include "tests/support/fake_dialog.h"
#include "tools/regfixture/reg_fixture.h"

namespace {

using testsupport::FakeDialog;

using testsupport::Instance;
using testsupport::kNtClassKey;
using testsupport::ReadValue;
using testsupport::Sz;

std::string Fixture(int count, const char* description, const char* last) {
    std::string text = "REGEDIT4\n";
    char head[128];
    for (int n = 0; n < count; ++n) {
        std::snprintf(head, sizeof head, "[{NT}\\%04d]\n\"DriverDesc\"=\"%s\"\n", n,
                      n == count - 1 && last ? last : description);
        text += head;
        std::snprintf(head, sizeof head, "[{NT}\\%04d\\Ndi\\Params\\SelectedChannel\\enum]\n", n);
        text += head;
        text += "\"1\"=\"01\"\n\"14\"=\"14\"\n";
    }
    return text;
}

class Load : public testsupport::MachineTest {
  protected:
    void Run(const char* what) {
        simwin::SetJournalMode(simwin::JournalMode::Off);
        const std::size_t before = simwin::CallCount();
        const auto start = std::chrono::steady_clock::now();
        ApplySelection(dialog);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("load, %s: %.0f ms, %zu platform calls, %llu ms of virtual time\n", what, ms,
                    simwin::CallCount() - before, static_cast<unsigned long long>(simwin::NowMs()));
        EXPECT_EQ(dialog.ends, 1);
        EXPECT_EQ(simwin::OpenKeyCount(), 0u);
    }
    FakeDialog dialog{"Japan"};
};

TEST_F(Load, TenThousandUnhandledInstancesAreAllWrittenAndAllButTheFirstFinished) {
    MachineTest::Load(Fixture(10000, "Kelvane PC Card", nullptr));
    simwin::AddDevice({"Kelvane PC Card"});
    Run("10,000 supported instances");
    for (int n = 0; n < 10000; ++n) {
        const std::string key = Instance(kNtClassKey, n);
        ASSERT_EQ(ReadValue(key, "CountryName").data, Sz("JP ")) << n;
        ASSERT_EQ(ReadValue(key + "\\Ndi\\Params\\SelectedChannel\\enum", "14").data, Sz("14"))
            << n;
        ASSERT_EQ(ReadValue(key, "KVREnable").exists, n == 0) << n;
        ASSERT_EQ(ReadValue(key, "InstallFinish").exists, n != 0) << n;
    }
    EXPECT_EQ(simwin::PropertyChanges().size(), 2u);
}

TEST_F(Load, TheOnlySupportedInstanceAfterNineThousandNineHundredNinetyNineOthersIsHandled) {
    MachineTest::Load(Fixture(10000, "Other Vendor Adapter", "Kelvane USB Adapter"));
    Run("9,999 other adapters and one supported");
    const std::string last = Instance(kNtClassKey, 9999);
    EXPECT_EQ(ReadValue(last, "CountryCode").data, Sz("33"));
    EXPECT_EQ(ReadValue(last, "KVREnable").data, Sz("1"));
    EXPECT_FALSE(ReadValue(last, "InstallFinish").exists);
    EXPECT_FALSE(ReadValue(Instance(kNtClassKey, 9998), "CountryCode").exists);
}

}  // namespace
