#include "info/win32/AboutDlg.h"

#include <string>

#include "framework/WinApp.h"
#include "info/win32/HomepageLink.h"
#include "info/win32/VersionInfo.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr)
{
    m_hHandCursor = AfxGetApp()->LoadCursor(IDC_LINK_CURSOR);
}

CAboutDlg::~CAboutDlg() = default;

const MessageMap* CAboutDlg::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnCommand<IDC_ABOUT_HOMEPAGE_LINK, BN_CLICKED, &CAboutDlg::OnHomepageClicked>(),
    };
    static const MessageMap map = MakeMessageMap(CDialog::GetThisMessageMap(), entries);
    return &map;
}

void CAboutDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ABOUT_HOMEPAGE_LINK, m_homepageLink);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const std::string productAndVersion = GetProductName() + " Version " + GetVersionString();
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_PRODUCT_VERSION, productAndVersion.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_COPYRIGHT, GetLegalCopyright().c_str());
    SetUpHomepageLink(m_homepageLink, m_hHandCursor);
    return TRUE;
}

void CAboutDlg::OnHomepageClicked()
{
    OpenHomepage(m_hWnd);
}
