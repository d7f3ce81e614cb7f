#include "app/win32/AccessibleAnnotations.h"

#include <ole2.h>
#include <oleacc.h>

#include "framework/SystemProc.h"

namespace {

// The store's class and interface, and the two properties noted: the accessible name,
// and how urgently a change of a live region is read out.
constexpr GUID kAccPropServicesClass{
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface{
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty{
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kLiveSettingProperty{
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;

using CoInitializeExProc = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoCreateInstanceProc = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
using CoUninitializeProc = void(WINAPI*)();

}  // namespace

// COM is looked up when the window opens rather than imported: the notes are a help
// where the system has the store, and the program runs the same where it has not.
bool CAccessibleAnnotations::Open()
{
    m_ole32 = ::LoadLibraryA("ole32.dll");
    const auto coInitializeEx = LookUpProc<CoInitializeExProc>(m_ole32, "CoInitializeEx");
    const auto coCreateInstance = LookUpProc<CoCreateInstanceProc>(m_ole32, "CoCreateInstance");
    if (coInitializeEx == nullptr || coCreateInstance == nullptr)
        return false;
    // Another part of the thread may have started COM in another way; then that stays.
    m_comStarted = SUCCEEDED(coInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    void* store = nullptr;
    if (FAILED(coCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                kAccPropServicesInterface, &store)))
        return false;
    m_store = static_cast<IAccPropServices*>(store);
    return true;
}

bool CAccessibleAnnotations::MarkPoliteLiveRegion(HWND control, LONG item)
{
    if (m_store == nullptr)
        return false;
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    return Keep(m_store->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT),
                                     static_cast<DWORD>(item), kLiveSettingProperty, polite),
                control, item, kLiveSettingProperty);
}

bool CAccessibleAnnotations::SetName(HWND control, const wchar_t* name)
{
    if (m_store == nullptr)
        return false;
    return Keep(m_store->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                        kNameProperty, name),
                control, CHILDID_SELF, kNameProperty);
}

bool CAccessibleAnnotations::Keep(HRESULT result, HWND control, LONG item, const GUID& property)
{
    if (FAILED(result))
        return false;
    m_notes.push_back(Note{control, item, property});
    return true;
}

void CAccessibleAnnotations::Close()
{
    if (m_store != nullptr) {
        for (const Note& note : m_notes)
            m_store->ClearHwndProps(note.control, static_cast<DWORD>(OBJID_CLIENT),
                                    static_cast<DWORD>(note.item), &note.property, 1);
        m_store->Release();
        m_store = nullptr;
    }
    m_notes.clear();
    if (m_comStarted)
        LookUpProc<CoUninitializeProc>(m_ole32, "CoUninitialize")();
    m_comStarted = false;
    if (m_ole32 != nullptr)
        ::FreeLibrary(m_ole32);
    m_ole32 = nullptr;
}
