#include "app/framework/dialog_init.h"

#include <cstring>

namespace {

// Little-endian reads that leave the cursor alone when fewer bytes remain.
bool ReadWord(const unsigned char*& at, const unsigned char* end, std::uint16_t& value) {
    if (end - at < 2) return false;
    value = static_cast<std::uint16_t>(at[0] | at[1] << 8);
    at += 2;
    return true;
}

bool ReadDword(const unsigned char*& at, const unsigned char* end, std::uint32_t& value) {
    if (end - at < 4) return false;
    value = static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
            static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
    at += 4;
    return true;
}

bool ParseRecords(const unsigned char* at, const unsigned char* end,
                  std::vector<DialogInitItem>& items) {
    for (;;) {
        std::uint16_t controlId = 0;
        if (!ReadWord(at, end, controlId)) return false;
        if (controlId == 0) return true;
        std::uint16_t message = 0;
        std::uint32_t length = 0;
        if (!ReadWord(at, end, message) || !ReadDword(at, end, length)) return false;
        if (length > static_cast<std::size_t>(end - at)) return false;
        if (message != kDialogInitComboAddString) return false;
        // The control reads the text up to its zero, which must lie inside the record.
        const void* zero = length ? std::memchr(at, 0, length) : nullptr;
        if (!zero) return false;
        items.push_back({controlId, kComboAddString,
                         std::string(reinterpret_cast<const char*>(at),
                                     static_cast<const unsigned char*>(zero) - at)});
        at += length;
    }
}

}  // namespace

bool ParseDialogInit(const unsigned char* data, std::size_t size,
                     std::vector<DialogInitItem>& items) {
    items.clear();
    if (!data) return false;
    if (ParseRecords(data, data + size, items)) return true;
    items.clear();
    return false;
}
