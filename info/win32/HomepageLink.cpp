#include "info/win32/HomepageLink.h"

#include <string>

#include "info/HomepageUrl.h"
#include "info/win32/VersionInfo.h"

namespace {

const COLORREF kHoverLightBlue = RGB(50, 128, 255);

}  // namespace

void SetUpHomepageLink(CHButton& link, HCURSOR handCursor)
{
    link.SetLinkCursor(handCursor);
    link.SetUnderlineMode(2);
    link.SetHoverColor(kHoverLightBlue, TRUE);
    link.SetToolTipText("visit homepage for updates and documentation", TRUE);
    link.SetWindowText(kHomepageHost);
}

void OpenHomepage(HWND owner)
{
    // Built anew on each click from the values the version record hands out.
    const std::string url = BuildHomepageUrl(GetProductName(), GetVersionString());
    ::ShellExecuteA(owner, "Open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
