// The countries the adapters can be set to, their country strings and channel plans, and the
// resolution of a chosen name into the values the adapters receive.
#pragma once

#include <cstddef>

struct CountryEntry {
    const char* name;           // English display name, compared byte for byte
    const char* countryString;  // two capital letters and a blank, e.g. "DE "
};

// The row numbers are stored in the adapters as "CountryCode": the order must never change.
constexpr std::size_t kCountryCount = 76;
extern const CountryEntry kCountryTable[kCountryCount];

struct ChannelPlan {
    int firstChannel;
    int lastChannel;
};

// The plan of a table row; rows outside the table get the general plan 1 to 13.
ChannelPlan ChannelPlanOf(int index);

struct CountryChoice {
    int index;
    char countryString[4];        // three characters and the terminating zero
    unsigned char domainCode[4];  // 0x00, first letter, second letter, 0x20
    int firstChannel;
    int lastChannel;
};

// Resolves a country name exactly as the dialog's list holds it. A name that matches no row
// gives row 0 in full, so the values always describe one row of the table.
CountryChoice ResolveCountry(const char* name);
