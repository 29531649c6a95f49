#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/framework/dialog_init.h"

namespace {

using Bytes = std::vector<unsigned char>;

void PutWord(Bytes& out, std::uint16_t value) {
    out.push_back(value & 0xFF);
    out.push_back(value >> 8);
}

// One record: control id, message code, the 32-bit length and the bytes, which are counted as
// given (a terminating zero must be part of them).
Bytes Record(std::uint16_t control, std::uint16_t message, const std::string& bytes) {
    Bytes out;
    PutWord(out, control);
    PutWord(out, message);
    const auto length = static_cast<std::uint32_t>(bytes.size());
    PutWord(out, length & 0xFFFF);
    PutWord(out, length >> 16);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kEnd = {0, 0};
const std::string kChile("Chile\0", 6);
const std::string kPeru("Peru\0", 5);

struct ParseCase {
    const char* name;
    Bytes data;
    bool ok;
    std::vector<std::string> texts;
};

class ParseDialogInitTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDialogInitTest, ReadsOnlyWellFormedData) {
    const ParseCase& c = GetParam();
    // An exact-sized copy on the heap, so that a read past the end shows under the sanitizers.
    auto* data = new unsigned char[c.data.size() ? c.data.size() : 1];
    std::copy(c.data.begin(), c.data.end(), data);
    std::vector<DialogInitItem> items{{1, 2, "left over"}};

    EXPECT_EQ(ParseDialogInit(data, c.data.size(), items), c.ok);

    std::vector<std::string> texts;
    for (const DialogInitItem& item : items) {
        EXPECT_EQ(item.controlId, 3003);
        EXPECT_EQ(item.message, kComboAddString);
        texts.push_back(item.text);
    }
    EXPECT_EQ(texts, c.texts);
    delete[] data;
}

INSTANTIATE_TEST_SUITE_P(
    Records, ParseDialogInitTest,
    ::testing::Values(
        ParseCase{"OnlyTheTerminator", kEnd, true, {}},
        ParseCase{"TextsInRecordOrder",
                  Record(3003, 0x0403, kChile) + Record(3003, 0x0403, kPeru) + kEnd,
                  true,
                  {"Chile", "Peru"}},
        ParseCase{"BytesAfterTheTerminatorIgnored",
                  Record(3003, 0x0403, kPeru) + kEnd + Bytes{0xBB, 0x0B, 0x03},
                  true,
                  {"Peru"}},
        ParseCase{"TextEndsAtItsFirstZero",
                  Record(3003, 0x0403, std::string("Pe\0ru\0", 6)) + kEnd,
                  true,
                  {"Pe"}},
        ParseCase{"EmptyText", Record(3003, 0x0403, std::string(1, '\0')) + kEnd, true, {""}},
        ParseCase{"Nothing", {}, false, {}}, ParseCase{"HalfATerminator", {0}, false, {}},
        ParseCase{"MissingTerminator", Record(3003, 0x0403, kChile), false, {}},
        ParseCase{"TerminatorCutInHalf", Record(3003, 0x0403, kChile) + Bytes{0}, false, {}},
        ParseCase{"HeaderWithoutMessage", {0xBB, 0x0B}, false, {}},
        ParseCase{"HeaderWithoutLength", {0xBB, 0x0B, 0x03, 0x04}, false, {}},
        ParseCase{"LengthCutShort", {0xBB, 0x0B, 0x03, 0x04, 6, 0, 0}, false, {}},
        ParseCase{"LengthPastTheEnd",
                  Bytes{0xBB, 0x0B, 0x03, 0x04, 7, 0, 0, 0, 'C', 'h', 'i', 'l', 'e', 0},
                  false,
                  {}},
        ParseCase{
            "HugeLength", Bytes{0xBB, 0x0B, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, false, {}},
        // The zero right after the record belongs to the terminator, not to the text.
        ParseCase{"TextNotTerminatedInItsRecord", Record(3003, 0x0403, "Chile") + kEnd, false, {}},
        ParseCase{"ZeroLength", Record(3003, 0x0403, "") + kEnd, false, {}},
        ParseCase{"UnknownMessage", Record(3003, 0x0401, kChile) + kEnd, false, {}},
        ParseCase{"BadRecordAfterGoodOnes",
                  Record(3003, 0x0403, kChile) + Record(3003, 0x0403, "Peru") + kEnd,
                  false,
                  {}}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(ParseDialogInit, NoDataIsMalformed) {
    std::vector<DialogInitItem> items;
    EXPECT_FALSE(ParseDialogInit(nullptr, 0, items));
    EXPECT_TRUE(items.empty());
}

}  // namespace
