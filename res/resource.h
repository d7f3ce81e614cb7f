/* Resource and control identifiers of tidemark.exe, shared by tidemark.rc and the C++ code.
   Only #define lines: the resource compiler reads this file too. */
#ifndef TIDEMARK_RES_RESOURCE_H
#define TIDEMARK_RES_RESOURCE_H

/* Dialog templates, strings, icon and cursor */
#define IDD_ABOUTBOX                    100
#define IDS_ABOUTBOX                    101
#define IDD_TIDEMARK_DIALOG             102
#define IDC_LINK_CURSOR                 104
#define IDI_TIDEMARK                    128

/* Command id of the about-box entry in the main window's system menu; the system uses
   the low four bits of system-menu commands, so 16 to 31 all mean this entry. */
#define IDM_ABOUTBOX                    0x0010

/* Main window (template 102) */
#define IDC_MESSAGE_LIST                1005
#define IDC_CLEAR_LIST                  1006
#define IDC_HIDE                        1009
#define IDC_EXIT                        1010
#define IDC_HOMEPAGE_LINK               1011
#define IDC_VERSION_LABEL               1015
#define IDC_MESSAGE_LIST_LABEL          1016

/* About box (template 100) */
#define IDC_ABOUT_COPYRIGHT             1012
#define IDC_ABOUT_PRODUCT_VERSION       1013
#define IDC_ABOUT_HOMEPAGE_LINK         1014

#endif /* TIDEMARK_RES_RESOURCE_H */
