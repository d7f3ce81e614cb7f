#include "framework/Controls.h"

#include <vector>

void CButton::DrawItem(DRAWITEMSTRUCT*) {}

bool CButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM)
        return false;
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return true;
}

int CListBox::GetCount() const
{
    return static_cast<int>(SendMessage(LB_GETCOUNT));
}

int CListBox::GetCurSel() const
{
    return static_cast<int>(SendMessage(LB_GETCURSEL));
}

int CListBox::InsertString(int index, const char* text) const
{
    return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text)));
}

int CListBox::AddString(const char* text) const
{
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CListBox::DeleteString(UINT index) const
{
    return static_cast<int>(SendMessage(LB_DELETESTRING, index));
}

void CListBox::ResetContent() const
{
    SendMessage(LB_RESETCONTENT);
}

// Read in the wide form and converted here. Under Wine, the system's conversion of this
// message for a Unicode window procedure copies through a fixed buffer of 512 characters,
// so a longer line would overrun it.
bool CListBox::GetText(int index, std::string& text) const
{
    const LRESULT length = ::SendMessageW(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0)
        return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(wide.data()));
    if (copied == LB_ERR || copied < 0)
        return false;
    const int wideLength = static_cast<int>(copied);
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0,
                                            nullptr, nullptr);
    text.assign(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &text[0], bytes, nullptr,
                              nullptr);
    return true;
}

namespace {

TOOLINFOA MakeToolInfo(HWND owner, UINT_PTR toolId)
{
    TOOLINFOA info{};
    // The size of the structure that every version of the common controls knows.
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = owner;
    info.uId = toolId;
    return info;
}

}  // namespace

bool CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    HWND hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  parent ? parent->m_hWnd : nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    return hWnd != nullptr && SubclassWindow(hWnd);
}

bool CToolTipCtrl::AddTool(CWnd* window, const char* text, const RECT* rect, UINT_PTR toolId)
{
    TOOLINFOA info = MakeToolInfo(window->m_hWnd, toolId);
    // No TTF_SUBCLASS: the owner relays its mouse messages with RelayEvent().
    if (rect != nullptr)
        info.rect = *rect;
    info.lpszText = const_cast<char*>(text);
    return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* window, UINT_PTR toolId)
{
    TOOLINFOA info = MakeToolInfo(window->m_hWnd, toolId);
    info.lpszText = const_cast<char*>(text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::Activate(BOOL activate)
{
    SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(activate));
}

void CToolTipCtrl::RelayEvent(MSG* msg)
{
    SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT));
}
