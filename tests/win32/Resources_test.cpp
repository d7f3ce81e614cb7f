// The resources compiled into the built tidemark.exe: the dialog templates as the windows
// are built from them (styles exactly as written, nothing added by the resource compiler),
// the German system-menu text, and the icon and link cursor as the program loads them.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

const WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

std::string TidemarkExePath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of('\\') + 1) + "tidemark.exe";
}

// The program file, loaded for its resources only.
class TidemarkResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(TidemarkExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_) << TidemarkExePath();
    }
    void TearDown() override
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    // The bytes of a resource in the German language (the only one the program carries).
    std::vector<std::uint8_t> Resource(LPCSTR type, int id)
    {
        const HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), kGerman);
        if (found == nullptr)
            return {};
        const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module_, found)));
        return std::vector<std::uint8_t>(data, data + SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

// -- dialog templates (the extended form) -------------------------------------------------

struct ControlTemplate {
    int id;
    std::string windowClass;  // upper case, or "#n" for a predefined class atom
    std::string text;         // Windows-1252, or "#n" for a resource ordinal
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    WORD pointSize = 0;
    std::string face;
    std::vector<ControlTemplate> controls;
};

class TemplateReader {
public:
    explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return static_cast<short>(Read<WORD>()); }
    BYTE Byte() { return Read<BYTE>(); }
    void AlignDword() { offset_ = (offset_ + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t count) { offset_ += count; }

    // A string or an ordinal (0xFFFF and a number), the text as Windows-1252.
    std::string StringOrOrdinal()
    {
        std::wstring text;
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        for (WORD c = first; c != 0; c = Word())
            text += static_cast<wchar_t>(c);
        std::string bytes(text.size() * 2 + 1, '\0');
        const int size = WideCharToMultiByte(1252, 0, text.c_str(), static_cast<int>(text.size()),
                                             &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
        bytes.resize(static_cast<size_t>(size > 0 ? size : 0));
        return bytes;
    }

private:
    template <typename T> T Read()
    {
        T value{};
        if (offset_ + sizeof(T) <= bytes_.size())
            std::memcpy(&value, bytes_.data() + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }

    const std::vector<std::uint8_t>& bytes_;
    size_t offset_ = 0;
};

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Resource compilers write the predefined classes either by name or as atoms.
std::string ClassName(const std::string& written)
{
    if (written == "#128") return "BUTTON";
    if (written == "#129") return "EDIT";
    if (written == "#130") return "STATIC";
    if (written == "#131") return "LISTBOX";
    return Upper(written);
}

::testing::AssertionResult ParseDialogEx(const std::vector<std::uint8_t>& bytes, DialogTemplate* dialog)
{
    if (bytes.size() < 26)
        return ::testing::AssertionFailure() << "no template";
    TemplateReader in(bytes);
    const WORD version = in.Word();
    const WORD signature = in.Word();
    if (version != 1 || signature != 0xFFFF)
        return ::testing::AssertionFailure() << "not the extended form";
    in.Dword();  // help id
    dialog->exStyle = in.Dword();
    dialog->style = in.Dword();
    const WORD count = in.Word();
    dialog->x = in.Short();
    dialog->y = in.Short();
    dialog->cx = in.Short();
    dialog->cy = in.Short();
    in.StringOrOrdinal();  // menu
    in.StringOrOrdinal();  // window class
    dialog->title = in.StringOrOrdinal();
    if (dialog->style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog->pointSize = in.Word();
        in.Word();  // weight
        in.Byte();  // italic
        in.Byte();  // character set
        dialog->face = in.StringOrOrdinal();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignDword();
        ControlTemplate control;
        in.Dword();  // help id
        control.exStyle = in.Dword();
        control.style = in.Dword();
        control.x = in.Short();
        control.y = in.Short();
        control.cx = in.Short();
        control.cy = in.Short();
        control.id = static_cast<int>(in.Dword());
        control.windowClass = ClassName(in.StringOrOrdinal());
        control.text = in.StringOrOrdinal();
        in.Skip(in.Word());  // creation data
        dialog->controls.push_back(control);
    }
    return ::testing::AssertionSuccess();
}

void ExpectControls(const std::vector<ControlTemplate>& expected, const std::vector<ControlTemplate>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(expected[i].id));
        EXPECT_EQ(expected[i].id, actual[i].id);
        EXPECT_EQ(expected[i].windowClass, actual[i].windowClass);
        EXPECT_EQ(expected[i].text, actual[i].text);
        EXPECT_EQ(expected[i].style, actual[i].style) << std::hex << actual[i].style;
        EXPECT_EQ(expected[i].exStyle, actual[i].exStyle);
        EXPECT_EQ(expected[i].x, actual[i].x);
        EXPECT_EQ(expected[i].y, actual[i].y);
        EXPECT_EQ(expected[i].cx, actual[i].cx);
        EXPECT_EQ(expected[i].cy, actual[i].cy);
    }
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

INT_PTR CALLBACK NoDialogProcedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(TidemarkResources, MainWindowTemplateIsASizablePopupWithoutCaption)
{
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogEx(Resource(RT_DIALOG, IDD_TIDEMARK_DIALOG), &dialog));
    EXPECT_EQ(static_cast<DWORD>(DS_SETFONT | WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_THICKFRAME),
              dialog.style) << std::hex << dialog.style;
    EXPECT_EQ(static_cast<DWORD>(WS_EX_STATICEDGE | WS_EX_APPWINDOW), dialog.exStyle);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_EQ(253, dialog.cx);
    EXPECT_EQ(50, dialog.cy);
    EXPECT_EQ("", dialog.title);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Shell Dlg", dialog.face);

    // Template order is the tab order. The list is not sorted: the newest line must stay
    // at the top where it is inserted.
    ExpectControls(
        {
            {IDC_MESSAGE_LIST_LABEL, "STATIC", "&Received lines", kChild | SS_LEFT, 0, 0, 0, 0, 0},
            {IDC_MESSAGE_LIST, "LISTBOX", "",
             kChild | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
             0, 3, 3, 244, 30},
            {IDC_CLEAR_LIST, "BUTTON", "clear list", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 3, 35, 35, 10},
            {IDC_HIDE, "BUTTON", "X", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 227, 35, 20, 10},
            {IDC_EXIT, "BUTTON", "exit", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 40, 35, 25, 10},
            {IDC_HOMEPAGE_LINK, "BUTTON", "homepage", kChild | WS_TABSTOP | BS_OWNERDRAW, 0, 149, 35, 60, 10},
            {IDC_VERSION_LABEL, "STATIC", "version", kChild | WS_GROUP | SS_CENTER, 0, 77, 36, 60, 8},
        },
        dialog.controls);
}

TEST_F(TidemarkResources, AboutBoxTemplateIsAModalFrameWithTheGermanTitle)
{
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogEx(Resource(RT_DIALOG, IDD_ABOUTBOX), &dialog));
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS),
              dialog.style) << std::hex << dialog.style;
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(235, dialog.cx);
    EXPECT_EQ(55, dialog.cy);
    EXPECT_EQ("Info \xfc" "ber Tidemark", dialog.title);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Shell Dlg", dialog.face);

    ExpectControls(
        {
            {-1, "STATIC", "#128", kChild | SS_ICON, 0, 11, 17, 20, 20},
            {IDC_ABOUT_PRODUCT_VERSION, "STATIC", "Tidemark Version", kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX,
             0, 40, 10, 136, 8},
            {IDC_ABOUT_COPYRIGHT, "STATIC", "Copyright", kChild | WS_GROUP | SS_LEFT, 0, 40, 25, 188, 8},
            {IDOK, "BUTTON", "OK", kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 178, 7, 50, 16},
            {IDC_ABOUT_HOMEPAGE_LINK, "BUTTON", "homepage", kChild | WS_TABSTOP | BS_OWNERDRAW, 0, 35, 36, 60, 12},
        },
        dialog.controls);
}

TEST_F(TidemarkResources, SystemMenuTextKeepsItsUmlaut)
{
    // Strings live in blocks of 16: string 101 is in block 7.
    ASSERT_FALSE(Resource(RT_STRING, IDS_ABOUTBOX / 16 + 1).empty());
    char text[100] = {};
    ASSERT_GT(LoadStringA(module_, IDS_ABOUTBOX, text, sizeof text), 0);
    EXPECT_STREQ("&Info \xfc" "ber Tidemark...", text);
}

TEST_F(TidemarkResources, IconComesInBothSizesAndShowsInTheAboutBox)
{
    for (int size : {16, 32}) {
        const HICON icon = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(IDI_TIDEMARK), IMAGE_ICON,
                                                         size, size, 0));
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(size, colour.bmWidth);
        EXPECT_EQ(size, colour.bmHeight);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The about box's icon control finds icon 128 through the dialog's module.
    const std::vector<std::uint8_t> about = Resource(RT_DIALOG, IDD_ABOUTBOX);
    const HWND box = CreateDialogIndirectParamA(module_, reinterpret_cast<LPCDLGTEMPLATEA>(about.data()),
                                                nullptr, NoDialogProcedure, 0);
    ASSERT_NE(nullptr, box);
    HWND iconControl = GetWindow(box, GW_CHILD);
    ASSERT_NE(nullptr, iconControl);
    EXPECT_NE(0, SendMessageA(iconControl, STM_GETICON, 0, 0));
    DestroyWindow(box);
}

TEST_F(TidemarkResources, LinkCursorPointsWithTheFingerTipAtItsHotSpot)
{
    // The cursor directory names every image; each image starts with its hot spot and a
    // bitmap whose lower half is the transparency mask. (The directory's colour depth is
    // not checked: some resource compilers write 1 there whatever the image holds.)
    const std::vector<std::uint8_t> group = Resource(RT_GROUP_CURSOR, IDC_LINK_CURSOR);
    ASSERT_GE(group.size(), 6u);
    WORD count = 0;
    std::memcpy(&count, group.data() + 4, 2);
    ASSERT_EQ(2, count);
    std::vector<int> bitCounts;
    for (WORD i = 0; i < count; ++i) {
        const std::uint8_t* entry = group.data() + 6 + 14 * i;
        WORD width = 0, id = 0;
        std::memcpy(&width, entry, 2);
        std::memcpy(&id, entry + 12, 2);
        EXPECT_EQ(32, width);

        const std::vector<std::uint8_t> image = Resource(RT_CURSOR, id);
        ASSERT_GE(image.size(), 4u + sizeof(BITMAPINFOHEADER));
        WORD hotX = 1, hotY = 1;
        std::memcpy(&hotX, image.data(), 2);
        std::memcpy(&hotY, image.data() + 2, 2);
        EXPECT_EQ(0, hotX);
        EXPECT_EQ(0, hotY);

        // The top-left pixel, where the hot spot sits, is part of the hand: its bit in
        // the mask (the last row of the bottom-up mask) is 0, i.e. opaque.
        BITMAPINFOHEADER header = {};
        std::memcpy(&header, image.data() + 4, sizeof header);
        bitCounts.push_back(header.biBitCount);
        EXPECT_EQ(32, header.biWidth);
        const size_t colours = header.biBitCount <= 8 ? (header.biClrUsed ? header.biClrUsed : 1u << header.biBitCount) : 0;
        const size_t colourRow = ((32 * header.biBitCount + 31) / 32) * 4;
        const size_t maskOffset = 4 + header.biSize + colours * 4 + colourRow * 32;
        const size_t topMaskRow = maskOffset + 31 * 4;
        ASSERT_LT(topMaskRow, image.size());
        EXPECT_EQ(0, image[topMaskRow] & 0x80);
    }
    EXPECT_EQ((std::vector<int>{4, 8}), bitCounts);

    const HCURSOR cursor = LoadCursorA(module_, MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    ASSERT_NE(nullptr, cursor);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(0u, info.xHotspot);
    EXPECT_EQ(0u, info.yHotspot);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

}  // namespace
