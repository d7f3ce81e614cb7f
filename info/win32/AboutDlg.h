#pragma once

#include "controls/win32/HButton.h"
#include "framework/Dialog.h"

// The about box: product, version and copyright from the program's version record, and
// the link to the maker's homepage. Run modally; it ends with its OK button.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    void OnHomepageClicked();

private:
    HCURSOR m_hHandCursor;  // a shared resource cursor: never destroyed here
    CHButton m_homepageLink;
};
