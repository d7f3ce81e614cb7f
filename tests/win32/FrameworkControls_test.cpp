// Control wrappers: the list box keeps Windows-1252 text byte for byte and tells a missing
// line from an empty one; the tooltip control registers tools and changes their text.

#include <string>

#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "framework/Controls.h"

namespace {

// "Grüße" in Windows-1252.
const char kGreeting[] = "Gr\xFC\xDF" "e";

class FrameworkListBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        HWND hWnd = ::CreateWindowExA(0, "LISTBOX", nullptr, WS_POPUP | WS_VSCROLL | LBS_NOTIFY,
                                      0, 0, 200, 100, nullptr, nullptr,
                                      ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, hWnd);
        ASSERT_TRUE(list.SubclassWindow(hWnd));
    }

    CListBox list;  // destroys its window when it goes
};

TEST_F(FrameworkListBox, InsertReadAndDeleteKeepWindows1252Bytes)
{
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(0, list.InsertString(0, "second"));
    EXPECT_EQ(0, list.InsertString(0, kGreeting));
    EXPECT_EQ(2, list.AddString("third"));
    EXPECT_EQ(3, list.GetCount());

    std::string text;
    ASSERT_TRUE(list.GetText(0, text));
    EXPECT_EQ(std::string(kGreeting), text);
    ASSERT_TRUE(list.GetText(2, text));
    EXPECT_EQ("third", text);

    EXPECT_EQ(2, list.DeleteString(0));  // the number of lines left
    ASSERT_TRUE(list.GetText(0, text));
    EXPECT_EQ("second", text);
    EXPECT_EQ(LB_ERR, list.DeleteString(5));
    EXPECT_EQ(2, list.GetCount());
}

TEST_F(FrameworkListBox, EveryPrintableWindows1252ByteSurvives)
{
    std::string all;
    for (int byte = 0x20; byte <= 0xFF; ++byte)
        all.push_back(static_cast<char>(byte));
    ASSERT_EQ(0, list.InsertString(0, all.c_str()));
    std::string text;
    ASSERT_TRUE(list.GetText(0, text));
    EXPECT_EQ(all, text);
}

TEST_F(FrameworkListBox, LongLineComesBackWhole)
{
    std::string line(9000, 'x');
    line[0] = '\xE4';
    line.back() = '\xFC';
    ASSERT_EQ(0, list.InsertString(0, line.c_str()));
    std::string text;
    ASSERT_TRUE(list.GetText(0, text));
    EXPECT_EQ(line, text);
}

TEST_F(FrameworkListBox, MissingLineIsNotAnEmptyLine)
{
    std::string text = "untouched";
    EXPECT_FALSE(list.GetText(0, text));
    EXPECT_FALSE(list.GetText(-1, text));
    ASSERT_EQ(0, list.InsertString(0, ""));
    EXPECT_FALSE(list.GetText(1, text));
    ASSERT_TRUE(list.GetText(0, text));
    EXPECT_EQ("", text);
}

TEST_F(FrameworkListBox, CurrentSelection)
{
    EXPECT_EQ(LB_ERR, list.GetCurSel());
    list.AddString("a");
    list.AddString("b");
    list.SendMessage(LB_SETCURSEL, 1);
    EXPECT_EQ(1, list.GetCurSel());
    list.DeleteString(1);
    EXPECT_EQ(LB_ERR, list.GetCurSel());
}

// The text a tooltip holds for one tool.
std::string ToolText(const CToolTipCtrl& tip, HWND owner, UINT_PTR id)
{
    char buffer[256] = {};
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = owner;
    info.uId = id;
    info.lpszText = buffer;
    tip.SendMessage(TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&info));
    return buffer;
}

TEST(FrameworkToolTip, ToolsAreAddedAndTheirTextChanged)
{
    ::InitCommonControls();
    fwtest::ScopedWindow ownerWindow(fwtest::CreateRecordingWindow(nullptr));
    CWnd owner;
    ASSERT_TRUE(owner.SubclassWindow(ownerWindow.get()));

    HWND tipWindow = nullptr;
    {
        CToolTipCtrl tip;
        ASSERT_TRUE(tip.Create(&owner));
        tipWindow = tip.m_hWnd;
        EXPECT_EQ(&tip, CWnd::FromHandlePermanent(tipWindow));
        char className[64] = {};
        ::GetClassNameA(tipWindow, className, sizeof className);
        EXPECT_STREQ(TOOLTIPS_CLASSA, className);
        EXPECT_EQ(ownerWindow.get(), ::GetWindow(tipWindow, GW_OWNER));
        EXPECT_EQ(0, tip.GetToolCount());

        const RECT area{0, 0, 50, 20};
        EXPECT_TRUE(tip.AddTool(&owner, "homepage", &area, 1));
        EXPECT_TRUE(tip.AddTool(&owner, kGreeting, &area, 2));
        EXPECT_EQ(2, tip.GetToolCount());
        EXPECT_EQ("homepage", ToolText(tip, ownerWindow.get(), 1));
        EXPECT_EQ(std::string(kGreeting), ToolText(tip, ownerWindow.get(), 2));

        tip.UpdateTipText("Info \xFC" "ber", &owner, 1);
        EXPECT_EQ("Info \xFC" "ber", ToolText(tip, ownerWindow.get(), 1));
        EXPECT_EQ(std::string(kGreeting), ToolText(tip, ownerWindow.get(), 2));

        tip.Activate(FALSE);
        tip.Activate(TRUE);
        EXPECT_EQ(2, tip.GetToolCount());
    }
    EXPECT_FALSE(::IsWindow(tipWindow));  // the object took its window with it
}

TEST(FrameworkWindowText, TextRoundTripsWindows1252Bytes)
{
    fwtest::ScopedWindow hWnd(fwtest::CreateRecordingWindow(nullptr));
    CWnd window;
    ASSERT_TRUE(window.SubclassWindow(hWnd.get()));
    window.SetWindowText(kGreeting);
    EXPECT_EQ(std::string(kGreeting), window.GetWindowText());
    window.SetWindowText("");
    EXPECT_EQ("", window.GetWindowText());
}

}  // namespace
