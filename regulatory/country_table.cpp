#include "regulatory/country_table.h"

#include <cstring>

const CountryEntry kCountryTable[kCountryCount] = {
    {"Argentina", "DE "},                                   // 0
    {"Australia", "AU "},                                   // 1
    {"Austria", "AT "},                                     // 2
    {"Bahrain", "DE "},                                     // 3
    {"Belarus", "DE "},                                     // 4
    {"Belgium", "BE "},                                     // 5
    {"Bolivia", "DE "},                                     // 6
    {"Brazil", "US "},                                      // 7
    {"Bulgaria", "DE "},                                    // 8
    {"Canada", "CA "},                                      // 9
    {"Chile", "DE "},                                       // 10
    {"China", "CN "},                                       // 11
    {"Colombia", "US "},                                    // 12
    {"Costa Rica", "DE "},                                  // 13
    {"Croatia", "DE "},                                     // 14
    {"Cyprus", "DE "},                                      // 15
    {"Czech Republic", "DE "},                              // 16
    {"Denmark", "DK "},                                     // 17
    {"Ecuador", "DE "},                                     // 18
    {"Egypt", "DE "},                                       // 19
    {"Estonia", "DE "},                                     // 20
    {"Finland", "FI "},                                     // 21
    {"France", "FR "},                                      // 22
    {"Germany", "DE "},                                     // 23
    {"Greece", "GR "},                                      // 24
    {"Hong Kong", "HK "},                                   // 25
    {"Hungary", "HU "},                                     // 26
    {"Iceland", "IS "},                                     // 27
    {"India", "DE "},                                       // 28
    {"Indonesia", "DE "},                                   // 29
    {"Ireland", "IE "},                                     // 30
    {"Israel", "IL "},                                      // 31
    {"Italy", "IT "},                                       // 32
    {"Japan", "JP "},                                       // 33
    {"Jordan", "JO "},                                      // 34
    {"Kuwait", "DE "},                                      // 35
    {"Latvia", "DE "},                                      // 36
    {"Lebanon", "DE "},                                     // 37
    {"Liechtenstein", "LI "},                               // 38
    {"Lithuania", "DE "},                                   // 39
    {"Luxembourg", "LU "},                                  // 40
    {"Macedonia, The Former Yugoslav Republic of", "DE "},  // 41
    {"Malaysia", "DE "},                                    // 42
    {"Mexico", "US "},                                      // 43
    {"Morocco", "DE "},                                     // 44
    {"Netherlands", "NL "},                                 // 45
    {"New Zealand", "NZ "},                                 // 46
    {"Nigeria", "DE "},                                     // 47
    {"Norway", "NO "},                                      // 48
    {"Panama", "US "},                                      // 49
    {"Paraguay", "DE "},                                    // 50
    {"Peru", "DE "},                                        // 51
    {"Philippines", "PH "},                                 // 52
    {"Poland", "PL "},                                      // 53
    {"Portugal", "PT "},                                    // 54
    {"Puerto Rico", "DE "},                                 // 55
    {"Romania", "DE "},                                     // 56
    {"Russia", "DE "},                                      // 57
    {"Saudi Arabia", "DE "},                                // 58
    {"Singapore", "SG "},                                   // 59
    {"Slovakia", "DE "},                                    // 60
    {"Slovenia", "DE "},                                    // 61
    {"South Africa", "ZA "},                                // 62
    {"South Korea", "KR "},                                 // 63
    {"Spain", "ES "},                                       // 64
    {"Sweden", "SE "},                                      // 65
    {"Switzerland", "CH "},                                 // 66
    {"Taiwan", "TW "},                                      // 67
    {"Thailand", "DE "},                                    // 68
    {"Turkey", "DE "},                                      // 69
    {"United Arab Emirates", "DE "},                        // 70
    {"United Kingdom", "GB "},                              // 71
    {"United States of America", "US "},                    // 72
    {"Uruguay", "DE "},                                     // 73
    {"Venezuela", "DE "},                                   // 74
    {"Yugoslavia", "DE "},                                  // 75
};

ChannelPlan ChannelPlanOf(int index) {
    switch (index) {
        case 0:   // Argentina
        case 7:   // Brazil
        case 9:   // Canada
        case 12:  // Colombia
        case 43:  // Mexico
        case 67:  // Taiwan
        case 72:  // United States of America
            return {1, 11};
        case 22:  // France
        case 34:  // Jordan
            return {10, 13};
        case 31:  // Israel
            return {5, 7};
        case 33:  // Japan
            return {1, 14};
        default:
            return {1, 13};
    }
}

CountryChoice ResolveCountry(const char* name) {
    int index = 0;
    for (std::size_t row = 0; name && row < kCountryCount; ++row) {
        if (std::strcmp(name, kCountryTable[row].name) == 0) {
            index = static_cast<int>(row);
            break;
        }
    }
    const char* code = kCountryTable[index].countryString;
    const ChannelPlan plan = ChannelPlanOf(index);
    CountryChoice choice{};
    choice.index = index;
    std::memcpy(choice.countryString, code, sizeof choice.countryString);
    choice.domainCode[0] = 0x00;
    choice.domainCode[1] = static_cast<unsigned char>(code[0]);
    choice.domainCode[2] = static_cast<unsigned char>(code[1]);
    choice.domainCode[3] = 0x20;
    choice.firstChannel = plan.firstChannel;
    choice.lastChannel = plan.lastChannel;
    return choice;
}
