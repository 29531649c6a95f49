#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apply/device_restart.h"
#include "tests/support/machine.h"

namespace {

#ifndef _WIN32

struct SkipCase {
    DWORD platformId;
    DWORD major;
    DWORD minor;
    bool skipped;
};

class RestartSkip : public ::testing::TestWithParam<SkipCase> {};

TEST_P(RestartSkip, FollowsTheVersionAlone) {
    simwin::Reset();
    simwin::SetVersion({GetParam().platformId, GetParam().major, GetParam().minor, 0, ""});
    EXPECT_EQ(IsRestartSkipped(), GetParam().skipped);
    // The plain 148-byte record is asked for.
    EXPECT_EQ(simwin::Journal().at(0).name, "148");
}

INSTANTIATE_TEST_SUITE_P(Versions, RestartSkip,
                         ::testing::Values(SkipCase{1, 4, 10, true},  // 98, 98 SE
                                           SkipCase{1, 4, 90, true},  // Me
                                           SkipCase{2, 5, 0, false},  // 2000
                                           SkipCase{2, 5, 1, false},  // XP
                                           SkipCase{1, 4, 0, false},  // 95: not skipped here
                                           SkipCase{2, 4, 10, true},  // the platform is not read
                                           SkipCase{2, 6, 1, false}, SkipCase{2, 0, 0, true}));

TEST(RestartSkipFailure, AnUnreadableVersionSkips) {
    simwin::Reset();
    simwin::FailVersionQuery(false, true);
    EXPECT_TRUE(IsRestartSkipped());
}

class DeviceRestart : public ::testing::Test {
  protected:
    void SetUp() override {
        simwin::Reset();
        owner = simwin::AddWindow("Velmora");
    }
    void TearDown() override { EXPECT_EQ(simwin::OpenDeviceLists(), 0u); }
    HWND owner = nullptr;
};

TEST_F(DeviceRestart, DisablesAndTwoSecondsLaterEnablesTheFirstSupportedDevice) {
    simwin::AddDevice({"Standard PS/2 Keyboard"});
    const int adapter = simwin::AddDevice({"Kelvane USB Adapter"});
    simwin::AddDevice({"Kelvane PC Card"});
    EXPECT_TRUE(RestartAdapterDevice(owner));

    const auto& changes = simwin::PropertyChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].device, adapter);
    EXPECT_EQ(changes[0].stateChange, DICS_DISABLE);
    EXPECT_EQ(changes[1].device, adapter);
    EXPECT_EQ(changes[1].stateChange, DICS_ENABLE);
    EXPECT_EQ(changes[1].timeMs - changes[0].timeMs, 2000u);
    for (const auto& change : changes) {
        EXPECT_EQ(change.scope, DICS_FLAG_CONFIGSPECIFIC);
        EXPECT_EQ(change.hwProfile, 0u);
        EXPECT_EQ(change.headerSize, 8u);
        EXPECT_EQ(change.paramsSize, 20u);
    }
    EXPECT_TRUE(simwin::DeviceEnabled(adapter));
    // All present devices of all classes, owned by the dialog.
    const long list = simwin::FindCall("SetupDiGetClassDevsA");
    ASSERT_GE(list, 0);
    EXPECT_EQ(simwin::Journal()[static_cast<std::size_t>(list)].name, "0x6");
    EXPECT_EQ(simwin::Journal()[static_cast<std::size_t>(list)].detail, "owner=0x1");
    // The enumeration stops at the match: the third device is never looked at.
    EXPECT_EQ(simwin::CountCalls("SetupDiEnumDeviceInfo"), 2u);
}

TEST_F(DeviceRestart, NoSupportedDescriptionChangesNothing) {
    simwin::AddDevice({"kelvane PC Card"});
    simwin::AddDevice({"Kelvane PC Card "});
    simwin::AddDevice({"Kelvane PC Card", /*present=*/false});
    simwin::AddDevice({std::string(600, 'K')});  // does not fit the buffer
    EXPECT_FALSE(RestartAdapterDevice(owner));
    EXPECT_TRUE(simwin::PropertyChanges().empty());
    EXPECT_EQ(simwin::NowMs(), 0u);
}

TEST_F(DeviceRestart, AnUnreadableDescriptionIsPassedOver) {
    simwin::Device unreadable{"Kelvane PC Card"};
    unreadable.descriptionUnreadable = true;
    simwin::AddDevice(unreadable);
    const int second = simwin::AddDevice({"Kelvane PC Card Lite"});
    EXPECT_TRUE(RestartAdapterDevice(owner));
    ASSERT_EQ(simwin::PropertyChanges().size(), 2u);
    EXPECT_EQ(simwin::PropertyChanges()[0].device, second);
}

TEST_F(DeviceRestart, AFailedReadIsNotTrustedWhateverItLeftInTheBuffer) {
    simwin::AddDevice({"Kelvane PC Card"});
    // The description read fails and leaves 'K's behind; nothing matches, nothing restarts.
    simwin::FailNthCall(3);
    EXPECT_FALSE(RestartAdapterDevice(owner));
    EXPECT_TRUE(simwin::FaultFired());
    EXPECT_TRUE(simwin::PropertyChanges().empty());
}

TEST_F(DeviceRestart, AFailedDisableIsStillFollowedByTheWaitAndTheEnable) {
    simwin::Device stubborn{"Kelvane MiniPCI Card"};
    stubborn.disableFails = true;
    simwin::AddDevice(stubborn);
    EXPECT_TRUE(RestartAdapterDevice(owner));
    const auto& changes = simwin::PropertyChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FALSE(changes[0].succeeded);
    EXPECT_EQ(changes[1].stateChange, DICS_ENABLE);
    EXPECT_TRUE(changes[1].succeeded);
    EXPECT_EQ(changes[1].timeMs, 2000u);
}

TEST_F(DeviceRestart, NoDeviceListMeansNoRestart) {
    simwin::AddDevice({"Kelvane PC Card"});
    simwin::FailNthCall(1);
    EXPECT_FALSE(RestartAdapterDevice(owner));
    EXPECT_TRUE(simwin::PropertyChanges().empty());
}

#else

// Wine's device installer: the test prefix holds no supported device, so nothing is changed.
TEST(DeviceRestartOnWine, FindsNoSupportedDeviceInTheTestPrefix) {
    EXPECT_FALSE(IsRestartSkipped());  // the test prefix is Windows XP
    EXPECT_FALSE(RestartAdapterDevice(nullptr));
}

// A present root device with a supported description, registered for the test and removed
// afterwards. Wine does not carry out property changes, so what shows is that the device was
// found and both changes were issued.
TEST(DeviceRestartOnWine, RestartsARegisteredSupportedDevice) {
    GUID net = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    HDEVINFO set = SetupDiCreateDeviceInfoList(&net, nullptr);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    const char description[] = "Kelvane PC Card";
    ASSERT_TRUE(
        SetupDiCreateDeviceInfoA(set, "ROOT\\NET\\4242", &net, nullptr, nullptr, 0, &device));
    ASSERT_TRUE(SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_DEVICEDESC,
                                                  reinterpret_cast<const BYTE*>(description),
                                                  sizeof description));
    ASSERT_TRUE(SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr));

    const DWORD start = GetTickCount();
    EXPECT_TRUE(RestartAdapterDevice(nullptr));
    EXPECT_GE(GetTickCount() - start, 1900u);  // the pause between disable and enable

    EXPECT_TRUE(SetupDiRemoveDevice(set, &device));
    SetupDiDestroyDeviceInfoList(set);
    EXPECT_FALSE(RestartAdapterDevice(nullptr));
}

#endif

}  // namespace
