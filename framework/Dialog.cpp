#include "framework/Dialog.h"

#include <cstring>
#include <vector>

#include "framework/WinApp.h"

namespace {

// The dialog whose window is being created on this thread: its first message binds it.
thread_local CDialog* t_dialogBeingCreated = nullptr;

// Copies a dialog template and clears WS_VISIBLE in the copy, so that the window shows
// only after its initialisation, and not at all when the initialisation ends the dialog.
bool LoadHiddenTemplate(HINSTANCE instance, UINT id, std::vector<unsigned char>& copy)
{
    HRSRC resource = ::FindResourceA(instance, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(instance, resource);
    const DWORD size = ::SizeofResource(instance, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data == nullptr || size < 8)
        return false;
    copy.assign(static_cast<const unsigned char*>(data),
                static_cast<const unsigned char*>(data) + size);

    // DLGTEMPLATEEX starts with version 1 and the signature 0xFFFF; its style is at 12.
    WORD version = 0, signature = 0;
    std::memcpy(&version, copy.data(), 2);
    std::memcpy(&signature, copy.data() + 2, 2);
    const std::size_t styleOffset = (version == 1 && signature == 0xFFFF) ? 12 : 0;
    if (copy.size() < styleOffset + 4)
        return false;
    DWORD style = 0;
    std::memcpy(&style, copy.data() + styleOffset, 4);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(copy.data() + styleOffset, &style, 4);
    return true;
}

// Whether `dialog` owns `window`, directly or through the windows between them.
bool IsOwnedBy(HWND window, HWND dialog)
{
    for (HWND owner = ::GetWindow(window, GW_OWNER); owner != nullptr;
         owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner == dialog)
            return true;
    }
    return false;
}

// The boxes open over the dialog (its own or the system's, such as a message box) are
// cancelled, and a menu the thread tracks ends: each runs a modal loop nested in the
// dialog's, which could not return while theirs go on. Only now, as the dialog ends: the
// system's box takes the next posted message without dispatching it once it has ended,
// and that could be the very command that was to end the dialog.
void EndModalLoopsOver(HWND dialog)
{
    ::EndMenu();
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM owner) -> BOOL {
            char className[8] = {};
            ::GetClassNameA(window, className, sizeof className);
            if (std::strcmp(className, "#32770") == 0 &&
                IsOwnedBy(window, reinterpret_cast<HWND>(owner)))
                ::SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(dialog));
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd == nullptr)
        control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

const MessageMap* CDialog::GetThisMessageMap()
{
    static const MessageEntry entries[] = {
        OnCommand<IDOK, BN_CLICKED, &CDialog::OnOK>(),
        OnCommand<IDCANCEL, BN_CLICKED, &CDialog::OnCancel>(),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetThisMessageMap(), entries);
    return &map;
}

const MessageMap* CDialog::GetMessageMap() const
{
    return GetThisMessageMap();
}

// A dialog without a parent of its own is owned by the application's main window (when
// that is another window), which stays disabled while the dialog runs.
HWND CDialog::ChooseOwner() const
{
    if (m_pParentWnd != nullptr)
        return m_pParentWnd->m_hWnd;
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (main != nullptr && main != this && main->m_hWnd != nullptr)
        return main->m_hWnd;
    return nullptr;
}

INT_PTR CDialog::DoModal()
{
    std::vector<unsigned char> dialogTemplate;
    HINSTANCE instance = AfxGetResourceHandle();
    if (!LoadHiddenTemplate(instance, m_templateId, dialogTemplate))
        return -1;

    HWND owner = ChooseOwner();
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    m_continueModal = true;
    m_modalResult = -1;
    CDialog* outer = t_dialogBeingCreated;
    t_dialogBeingCreated = this;
    HWND hWnd = ::CreateDialogIndirectParamA(
        instance, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), owner,
        &CDialog::StandardDialogProc, reinterpret_cast<LPARAM>(this));
    t_dialogBeingCreated = outer;

    if (hWnd != nullptr) {
        // A modal dialog always shows once initialised, also from a template without
        // WS_VISIBLE (the about box's): the user could not otherwise end it.
        if (m_continueModal)
            ::ShowWindow(hWnd, SW_SHOWNORMAL);
        while (m_continueModal) {
            MSG msg;
            const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
            if (got == -1)
                break;
            if (got == 0) {
                // Leave the quit request for the loop that runs outside the dialog.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    } else {
        m_continueModal = false;
    }

    // Hidden without activating another window while the owner is still disabled, so
    // that the owner can take the activation back.
    if (m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(owner);
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
    return m_modalResult;
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    m_continueModal = false;
    if (m_hWnd != nullptr) {
        EndModalLoopsOver(m_hWnd);
        // Wakes the modal loop should it be waiting for a message; the loop hides the window.
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    }
}

INT_PTR CALLBACK CDialog::StandardDialogProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    CWnd* window = FromHandlePermanent(hWnd);
    if (window == nullptr && t_dialogBeingCreated != nullptr) {
        CDialog* dialog = t_dialogBeingCreated;
        t_dialogBeingCreated = nullptr;
        dialog->SubclassWindow(hWnd);
        window = dialog;
    }
    if (message == WM_INITDIALOG && window != nullptr)
        return static_cast<CDialog*>(window)->OnInitDialog();
    return FALSE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

// Tab, the arrow keys and the other dialog keys.
BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hWnd != nullptr)
        return ::IsDialogMessageA(m_hWnd, msg);
    return FALSE;
}
