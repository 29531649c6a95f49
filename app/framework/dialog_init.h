// A dialog's initialization resource (type 240, named like the dialog's template): messages that
// fill its controls before the dialog is first shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The resource type of the initialization data.
constexpr unsigned kDialogInitType = 240;
// The resource stores the 16-bit era's message codes: 0x0403 adds a string to a combo box.
constexpr std::uint16_t kDialogInitComboAddString = 0x0403;
// Its Win32 counterpart, CB_ADDSTRING.
constexpr unsigned kComboAddString = 0x0143;

// One message to send: to the control, the Win32 message with the text as its parameter.
struct DialogInitItem {
    std::uint16_t controlId;
    unsigned message;
    std::string text;
};

// Reads the records, each a 16-bit control id, a 16-bit message code, a 32-bit length and that
// many bytes, up to a 16-bit zero in the place of a control id; bytes after it are ignored.
// False, with items left empty, when the data is malformed: a record or the terminator runs past
// size, a message code is unknown, or a text is not terminated within its record. Never reads at
// or past data + size.
bool ParseDialogInit(const unsigned char* data, std::size_t size,
                     std::vector<DialogInitItem>& items);
