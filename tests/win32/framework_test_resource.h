/* Dialog templates and control ids of the framework tests (900 and up, clear of the
   program's own resources). Only #define lines: the resource compiler reads this too. */
#ifndef TIDEMARK_FRAMEWORK_TEST_RESOURCE_H
#define TIDEMARK_FRAMEWORK_TEST_RESOURCE_H

/* The same dialog three times: as DIALOGEX visible from creation (like the main window),
   in the older DIALOG form, and as DIALOGEX without WS_VISIBLE (like the about box). */
#define IDD_FW_PROBE                    900
#define IDD_FW_PROBE_PLAIN              901
#define IDD_FW_PROBE_HIDDEN             902
/* No template carries this id. */
#define IDD_FW_MISSING                  903

#define IDC_FW_EDIT                     910
#define IDC_FW_LIST                     911
#define IDC_FW_DRAWN                    912

#endif /* TIDEMARK_FRAMEWORK_TEST_RESOURCE_H */
