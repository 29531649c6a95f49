#include <gtest/gtest.h>

#include "app/location_rules.h"

namespace {

constexpr unsigned kAbout = 0x10;

TEST(IsAboutCommand, IgnoresTheLowFourBits) {
    for (unsigned id = 0x10; id <= 0x1F; ++id) EXPECT_TRUE(IsAboutCommand(id, kAbout)) << id;
    // Below and above the About command, and the window menu's own commands (SC_SIZE, SC_MOVE,
    // SC_MINIMIZE, SC_CLOSE, SC_KEYMENU).
    for (unsigned id : {0x00u, 0x0Fu, 0x20u, 0x110u, 0xF000u, 0xF010u, 0xF020u, 0xF060u, 0xF100u})
        EXPECT_FALSE(IsAboutCommand(id, kAbout)) << id;
}

TEST(CentredIconOrigin, HalvesTheSpareRoomTowardZero) {
    struct Case {
        int clientWidth, clientHeight, iconWidth, iconHeight, x, y;
    };
    for (const Case& c : {Case{36, 36, 32, 32, 2, 2}, Case{37, 38, 32, 32, 3, 3},
                          Case{32, 32, 32, 32, 0, 0}, Case{160, 0, 32, 32, 64, -15},
                          // -21 / 2 is -10, not -11
                          Case{10, 0, 32, 32, -10, -15}, Case{0, 0, 16, 16, -7, -7}}) {
        const IconOrigin at =
            CentredIconOrigin(c.clientWidth, c.clientHeight, c.iconWidth, c.iconHeight);
        EXPECT_EQ(at.x, c.x) << c.clientWidth << "x" << c.clientHeight;
        EXPECT_EQ(at.y, c.y) << c.clientWidth << "x" << c.clientHeight;
    }
}

}  // namespace
