#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "regulatory/country_table.h"

namespace {

struct Resolution {
    const char* name;
    int index;
    const char* countryString;
    int firstChannel;
    int lastChannel;
};

class ResolveCountryTest : public ::testing::TestWithParam<Resolution> {};

TEST_P(ResolveCountryTest, GivesTheRowIndexStringDomainCodeAndPlan) {
    const Resolution& expected = GetParam();
    const CountryChoice choice = ResolveCountry(expected.name);
    EXPECT_EQ(choice.index, expected.index);
    EXPECT_STREQ(choice.countryString, expected.countryString);
    const unsigned char domain[4] = {0x00, static_cast<unsigned char>(expected.countryString[0]),
                                     static_cast<unsigned char>(expected.countryString[1]), 0x20};
    EXPECT_EQ(0, std::memcmp(choice.domainCode, domain, 4));
    EXPECT_EQ(choice.firstChannel, expected.firstChannel);
    EXPECT_EQ(choice.lastChannel, expected.lastChannel);
}

INSTANTIATE_TEST_SUITE_P(
    Countries, ResolveCountryTest,
    ::testing::Values(
        Resolution{"Taiwan", 67, "TW ", 1, 11}, Resolution{"France", 22, "FR ", 10, 13},
        Resolution{"Jordan", 34, "JO ", 10, 13}, Resolution{"Japan", 33, "JP ", 1, 14},
        Resolution{"Israel", 31, "IL ", 5, 7}, Resolution{"Argentina", 0, "DE ", 1, 11},
        Resolution{"Panama", 49, "US ", 1, 13}, Resolution{"Brazil", 7, "US ", 1, 11},
        Resolution{"Yugoslavia", 75, "DE ", 1, 13}, Resolution{"Liechtenstein", 38, "LI ", 1, 13},
        Resolution{"United States of America", 72, "US ", 1, 11},
        Resolution{"Macedonia, The Former Yugoslav Republic of", 41, "DE ", 1, 13},
        // No row matches: all of row 0, so the values describe one row.
        Resolution{"taiwan", 0, "DE ", 1, 11}, Resolution{"Taiwan ", 0, "DE ", 1, 11},
        Resolution{"Taiw", 0, "DE ", 1, 11}, Resolution{"", 0, "DE ", 1, 11}));

TEST(ResolveCountry, ANullNameGivesRowZero) {
    const CountryChoice choice = ResolveCountry(nullptr);
    EXPECT_EQ(choice.index, 0);
    EXPECT_STREQ(choice.countryString, "DE ");
}

TEST(CountryTable, RowsHoldTwoCapitalsAndABlankAndEveryNameResolvesToItsOwnRow) {
    int germanCode = 0;
    int usCode = 0;
    for (std::size_t row = 0; row < kCountryCount; ++row) {
        const CountryEntry& entry = kCountryTable[row];
        ASSERT_EQ(std::strlen(entry.countryString), 3u) << entry.name;
        EXPECT_TRUE(entry.countryString[0] >= 'A' && entry.countryString[0] <= 'Z') << entry.name;
        EXPECT_TRUE(entry.countryString[1] >= 'A' && entry.countryString[1] <= 'Z') << entry.name;
        EXPECT_EQ(entry.countryString[2], ' ') << entry.name;
        EXPECT_EQ(ResolveCountry(entry.name).index, static_cast<int>(row)) << entry.name;
        const ChannelPlan plan = ChannelPlanOf(static_cast<int>(row));
        EXPECT_TRUE(1 <= plan.firstChannel && plan.firstChannel <= plan.lastChannel &&
                    plan.lastChannel <= 14)
            << entry.name;
        germanCode += std::strcmp(entry.countryString, "DE ") == 0;
        usCode += std::strcmp(entry.countryString, "US ") == 0;
    }
    EXPECT_EQ(germanCode, 38);
    EXPECT_EQ(usCode, 5);
}

}  // namespace
