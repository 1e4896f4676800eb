// Resource ids of the setup program.
#pragma once

#define IDI_PROGRAM 1

#define IDD_INITIALISING 101
#define IDD_ABOUT 102
#define IDD_PROGRESS_PAGE 103
#define IDD_WELCOME_PAGE 104

// The controls every wizard page has (besides IDOK and IDCANCEL).
#define IDC_BACK 3
#define IDC_STATUS 20
#define IDC_PROMPT 30
#define IDC_HEADING 31
#define IDC_PROGRESS 40
#define IDC_INITIALISING_TEXT 1000

// The About item added to the main window's system menu.
#define IDM_ABOUT 0x0110
