#pragma once

#include <string>

#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    // Owner-drawn buttons draw themselves when their parent is asked to.
    virtual void DrawItem(DRAWITEMSTRUCT* item);
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CStatic : public CWnd {};

class CListBox : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;
    int InsertString(int index, const char* text) const;
    int AddString(const char* text) const;
    int DeleteString(UINT index) const;
    void ResetContent() const;
    // The text of line `index`; false when there is no such line.
    bool GetText(int index, std::string& text) const;
};

class CToolTipCtrl : public CWnd {
public:
    // The tooltip window is the object's own: CWnd's destructor destroys it.
    bool Create(CWnd* parent, DWORD style = 0);
    bool AddTool(CWnd* window, const char* text, const RECT* rect, UINT_PTR toolId);
    void UpdateTipText(const char* text, CWnd* window, UINT_PTR toolId);
    void Activate(BOOL activate);
    void RelayEvent(MSG* msg);
    int GetToolCount() const;
};
