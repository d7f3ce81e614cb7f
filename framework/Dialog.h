#pragma once

#include "framework/Wnd.h"

class CDialog;

// The context of one data exchange between a dialog and its members.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Binds the template's control `id` to the member `control` (by subclassing it), once.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// A dialog built from a template of the program's resources and run modally: DoModal()
// returns when a handler ends it with EndDialog (OnOK and OnCancel do by default).
// Ending it ends the boxes and the menu open over it.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    void EndDialog(int result);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap* GetThisMessageMap();

    UINT m_templateId;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK StandardDialogProc(HWND hWnd, UINT message, WPARAM wParam,
                                               LPARAM lParam);
    HWND ChooseOwner() const;

    bool m_continueModal = false;
    INT_PTR m_modalResult = -1;
};
