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
    // Values up to 32 are the shell's failures: without a program for web pages the click
    // would otherwise do nothing at all, so the user is told, with the address to type.
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(owner, "Open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        ::MessageBoxA(owner, ("The homepage could not be opened:\n" + url).c_str(),
                      GetProductName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}
