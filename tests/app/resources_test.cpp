// The resources as they are in Velmora.exe: read from the built program, not from the script.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/framework/dialog_init.h"
#include "app/location_rules.h"
#include "app/resource.h"
#include "regulatory/country_table.h"

namespace {

constexpr WORD kTaiwanLanguage = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);

class ProgramResources : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const char* path = std::getenv("VELMORA_EXE");
        ASSERT_NE(path, nullptr) << "VELMORA_EXE names the program";
        programPath = path;
        module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << path;
    }
    static void TearDownTestSuite() {
        if (module) FreeLibrary(module);
        module = nullptr;
    }

    // The bytes of a resource in the program's one language; empty when there is none.
    static std::vector<unsigned char> Resource(LPCSTR type, UINT name) {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(name), kTaiwanLanguage);
        if (!found) return {};
        const auto* data =
            static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        return std::vector<unsigned char>(data, data + SizeofResource(module, found));
    }

    static HMODULE module;
    static std::string programPath;
};

HMODULE ProgramResources::module = nullptr;
std::string ProgramResources::programPath;

TEST_F(ProgramResources, ListOffersTheTableRowsButThree) {
    const std::vector<unsigned char> data =
        Resource(MAKEINTRESOURCEA(kDialogInitType), IDD_LOCATION);
    std::vector<DialogInitItem> items;
    ASSERT_TRUE(ParseDialogInit(data.data(), data.size(), items));

    std::vector<std::string> expected;
    for (const CountryEntry& row : kCountryTable) {
        const std::string name = row.name;
        if (name != "Israel" && name != "Jordan" && name != "United States of America")
            expected.push_back(name);
    }
    std::vector<std::string> texts;
    for (const DialogInitItem& item : items) {
        EXPECT_EQ(item.controlId, IDC_LOCATION_LIST);
        EXPECT_EQ(item.message, static_cast<unsigned>(CB_ADDSTRING));
        texts.push_back(item.text);
    }
    EXPECT_EQ(texts, expected);
    ASSERT_EQ(texts.size(), 73u);
    EXPECT_EQ(texts[kPreselectedPosition], "Taiwan");
    EXPECT_EQ(texts[36], "Liechtenstein");
    EXPECT_EQ(texts[72], "Yugoslavia");
}

// A dialog template read back: the header's fields and each control's.
struct Control {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    WORD classAtom;
    std::wstring text;  // "#130" for an ordinal (an icon's resource id)
};

struct Template {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring title, face;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::vector<Control> controls;
};

bool operator==(const Control& a, const Control& b) {
    return a.style == b.style && a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy &&
           a.id == b.id && a.classAtom == b.classAtom && a.text == b.text;
}

void PrintTo(const Control& c, std::ostream* out) {
    *out << "{0x" << std::hex << c.style << std::dec << ", " << c.x << "," << c.y << " " << c.cx
         << "x" << c.cy << ", id " << static_cast<long>(static_cast<LONG>(c.id)) << ", class 0x"
         << std::hex << c.classAtom << std::dec << ", text of " << c.text.size() << "}";
}

class Reader {
  public:
    explicit Reader(const std::vector<unsigned char>& data) : data(data) {}
    template <typename T>
    T Get() {
        T value{};
        if (at + sizeof(T) <= data.size()) std::memcpy(&value, &data[at], sizeof(T));
        at += sizeof(T);
        return value;
    }
    // A string or an ordinal, as templates hold them.
    std::wstring Text() {
        std::wstring text;
        if (Peek() == 0xFFFF) {
            Get<WORD>();
            return L"#" + std::to_wstring(Get<WORD>());
        }
        while (WORD c = Get<WORD>()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    WORD Peek() const {
        WORD value = 0;
        if (at + 2 <= data.size()) std::memcpy(&value, &data[at], 2);
        return value;
    }
    void AlignDword() { at = (at + 3) & ~static_cast<std::size_t>(3); }
    bool Overrun() const { return at > data.size(); }

  private:
    const std::vector<unsigned char>& data;
    std::size_t at = 0;
};

Template ReadTemplate(const std::vector<unsigned char>& data) {
    Template t;
    Reader r(data);
    WORD count = 0;
    t.extended = r.Peek() == 1 && data.size() > 4 && data[2] == 0xFF && data[3] == 0xFF;
    if (t.extended) {
        r.Get<DWORD>();  // version and signature
        EXPECT_EQ(r.Get<DWORD>(), 0u) << "help id";
        t.exStyle = r.Get<DWORD>();
        t.style = r.Get<DWORD>();
    } else {
        t.style = r.Get<DWORD>();
        t.exStyle = r.Get<DWORD>();
    }
    count = r.Get<WORD>();
    t.x = r.Get<short>();
    t.y = r.Get<short>();
    t.cx = r.Get<short>();
    t.cy = r.Get<short>();
    EXPECT_EQ(r.Text(), L"") << "menu";
    EXPECT_EQ(r.Text(), L"") << "window class";
    t.title = r.Text();
    t.pointSize = r.Get<WORD>();
    if (t.extended) {
        t.weight = r.Get<WORD>();
        t.italic = r.Get<BYTE>();
        t.charset = r.Get<BYTE>();
    }
    t.face = r.Text();
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        Control c{};
        if (t.extended) {
            EXPECT_EQ(r.Get<DWORD>(), 0u) << "help id of control " << i;
            EXPECT_EQ(r.Get<DWORD>(), 0u) << "extended style of control " << i;
            c.style = r.Get<DWORD>();
        } else {
            c.style = r.Get<DWORD>();
            EXPECT_EQ(r.Get<DWORD>(), 0u) << "extended style of control " << i;
        }
        c.x = r.Get<short>();
        c.y = r.Get<short>();
        c.cx = r.Get<short>();
        c.cy = r.Get<short>();
        c.id = t.extended ? r.Get<DWORD>() : static_cast<DWORD>(static_cast<short>(r.Get<WORD>()));
        EXPECT_EQ(r.Get<WORD>(), 0xFFFF) << "class of control " << i << " by ordinal";
        c.classAtom = r.Get<WORD>();
        c.text = r.Text();
        EXPECT_EQ(r.Get<WORD>(), 0) << "creation data of control " << i;
        t.controls.push_back(c);
    }
    EXPECT_FALSE(r.Overrun());
    return t;
}

constexpr WORD kButton = 0x80, kStatic = 0x82, kComboBox = 0x85;
constexpr DWORD kNoId = static_cast<DWORD>(-1);

TEST_F(ProgramResources, LocationDialogTemplate) {
    const Template t = ReadTemplate(Resource(RT_DIALOG, IDD_LOCATION));
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(t.style, 0x90C000C0u);
    EXPECT_EQ(t.exStyle, 0x00040000u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 198);
    EXPECT_EQ(t.cy, 131);
    EXPECT_EQ(t.title, L"Velmora");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.weight, 0);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, 1);
    EXPECT_EQ(t.face, L"新細明體");
    const std::vector<Control> expected = {
        {0x50010001, 73, 110, 50, 14, IDCANCEL, kButton, L"OK"},
        {0x50000007, 7, 7, 184, 47, kNoId, kButton, L"Select Location"},
        {0x50020000, 16, 22, 31, 29, kNoId, kStatic, L"Select your location:"},
        {0x50000007, 7, 55, 184, 49, kNoId, kButton, L"Warning"},
        {0x50020000, 47, 67, 137, 31, kNoId, kStatic,
         L"Selecting your location incorrectly may invalidate the product certification and "
         L"result in illegal operation."},
        {0x50000803, 17, 69, 20, 20, kNoId, kStatic, L"#130"},
        {0x50210003, 47, 25, 137, 95, IDC_LOCATION_LIST, kComboBox, L""},
    };
    EXPECT_EQ(t.controls, expected);
}

TEST_F(ProgramResources, AboutBoxTemplate) {
    const Template t = ReadTemplate(Resource(RT_DIALOG, IDD_ABOUTBOX));
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 235);
    EXPECT_EQ(t.cy, 55);
    EXPECT_EQ(t.title, L"About Quorvel");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.face, L"新細明體");
    const std::vector<Control> expected = {
        {0x50000003, 11, 17, 20, 20, kNoId, kStatic, L"#128"},
        {0x50020080, 40, 10, 119, 8, kNoId, kStatic, L"Quor Version 1.0"},
        {0x50020000, 40, 25, 119, 8, kNoId, kStatic, L"Copyright (C) 2003 Kelvane"},
        {0x50030001, 178, 7, 50, 14, IDOK, kButton, L"確定"},
    };
    EXPECT_EQ(t.controls, expected);
}

TEST_F(ProgramResources, AboutMenuText) {
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(module, IDS_ABOUTBOX, text, 64), 0);
    EXPECT_EQ(std::wstring(text), L"關於 Halvorin(&A)...");
}

TEST_F(ProgramResources, IconsHoldTwoSixteenColourImages) {
    for (UINT icon : {IDR_MAINFRAME, IDI_CAUTION}) {
        const std::vector<unsigned char> group = Resource(RT_GROUP_ICON, icon);
        ASSERT_EQ(group.size(), 6u + 2 * 14) << icon;
        EXPECT_EQ(group[4] | group[5] << 8, 2) << icon;
        const unsigned char* entry = &group[6];
        for (int size : {32, 16}) {
            EXPECT_EQ(entry[0], size) << icon;               // width
            EXPECT_EQ(entry[1], size) << icon;               // height
            EXPECT_EQ(entry[2], 16) << icon;                 // colours
            EXPECT_EQ(entry[6] | entry[7] << 8, 4) << icon;  // bits per pixel
            entry += 14;
        }
    }
}

// Each resource as "type/name/language", with types and names by number.
BOOL CALLBACK AddLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR list) {
    char entry[64];
    wsprintfA(entry, "%u/%u/%04x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(type)),
              static_cast<unsigned>(reinterpret_cast<UINT_PTR>(name)), language);
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(entry);
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list) {
    return EnumResourceLanguagesA(module, type, name, AddLanguage, list);
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR list) {
    return EnumResourceNamesA(module, type, AddName, list);
}

TEST_F(ProgramResources, AllInChineseTaiwanAndNothingElse) {
    std::vector<std::string> all;
    EnumResourceTypesA(module, AddType, reinterpret_cast<LONG_PTR>(&all));
    // The four icon images, the two dialogs, the string block of string 101 (101 / 16 + 1), the
    // two icon groups, the version, and the list's initialization data.
    const std::vector<std::string> expected = {
        "3/1/0404", "3/2/0404",    "3/3/0404",    "3/4/0404",  "5/100/0404",  "5/102/0404",
        "6/7/0404", "14/128/0404", "14/130/0404", "16/1/0404", "240/102/0404"};
    EXPECT_EQ(all, expected);
}

TEST_F(ProgramResources, VersionTwoTwoWithOnlyTheProductName) {
    DWORD handle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(programPath.c_str(), &handle));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(programPath.c_str(), 0, info.size(), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(2, 2));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(2, 2));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(translation[0], 0x0404);
    EXPECT_EQ(translation[1], 0x04b0);

    const struct {
        const char* name;
        const char* value;
    } fields[] = {{"Comments", ""},
                  {"CompanyName", ""},
                  {"FileDescription", ""},
                  {"FileVersion", "2, 2, 0, 0"},
                  {"InternalName", ""},
                  {"LegalCopyright", ""},
                  {"LegalTrademarks", ""},
                  {"OriginalFilename", ""},
                  {"PrivateBuild", ""},
                  {"ProductName", "Velmora"},
                  {"ProductVersion", "2, 2, 0, 0"},
                  {"SpecialBuild", ""}};
    for (const auto& field : fields) {
        const std::string query = std::string("\\StringFileInfo\\040404b0\\") + field.name;
        char* value = nullptr;
        EXPECT_TRUE(
            VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &size))
            << field.name;
        EXPECT_STREQ(value ? value : "(none)", field.value) << field.name;
    }
}

}  // namespace
