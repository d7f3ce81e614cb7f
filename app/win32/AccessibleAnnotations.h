#pragma once

#include <vector>

#include "framework/Afx.h"

struct IAccPropServices;

// What a screen reader learns about the window's controls beyond what they say of
// themselves: that the list is a polite live region, and names for controls whose text is
// not one. Windows keeps such notes in its accessibility property store, reached through
// COM on the window's thread. Where the store is missing or refuses a note (Wine's keeps
// nothing), the note is not made and the caller says so another way if it can.
class CAccessibleAnnotations {
public:
    CAccessibleAnnotations() = default;
    ~CAccessibleAnnotations() { Close(); }
    CAccessibleAnnotations(const CAccessibleAnnotations&) = delete;
    CAccessibleAnnotations& operator=(const CAccessibleAnnotations&) = delete;

    // On the window's thread; false when there is no store.
    bool Open();
    // `item` 0 is the control itself, 1 its first item, and so on. False when not noted.
    bool MarkPoliteLiveRegion(HWND control, LONG item);
    bool SetName(HWND control, const wchar_t* name);
    // Takes every note back (the store would keep them past the window) and lets COM go.
    void Close();

private:
    struct Note {
        HWND control;
        LONG item;
        GUID property;
    };

    bool Keep(HRESULT result, HWND control, LONG item, const GUID& property);

    HMODULE m_ole32 = nullptr;
    bool m_comStarted = false;
    IAccPropServices* m_store = nullptr;
    std::vector<Note> m_notes;
};
