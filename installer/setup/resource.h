// Resource ids of the setup program.
#pragma once

#define IDI_PROGRAM 1

#define IDD_INITIALISING 101
#define IDD_ABOUT 102
#define IDD_PROGRESS_PAGE 103
#define IDD_WELCOME_PAGE 104
#define IDD_TEXT_PAGE 105
#define IDD_DESTINATION_PAGE 106
#define IDD_USER_PAGE 107
#define IDD_FINISH_PAGE 108
#define IDD_SUMMARY_PAGE 109
#define IDD_LANGUAGE_PAGE 110
#define IDD_PROGRAM_FOLDER_PAGE 111
#define IDD_INSTALL_TYPE_PAGE 112
#define IDD_COMPONENTS_PAGE 113
#define IDD_SYSTEM_PAGE 114

// The controls every wizard page has (besides IDOK and IDCANCEL).
#define IDC_BACK 3
#define IDC_STATUS 20
#define IDC_PROMPT 30
#define IDC_HEADING 31
#define IDC_QUESTION 32
#define IDC_DOCUMENT 33
// The destination and user information pages.
#define IDC_FOLDER_LABEL 34
#define IDC_FOLDER 35
#define IDC_BROWSE 36
#define IDC_SPACE 37
#define IDC_USER_NAME_LABEL 38
#define IDC_USER_NAME 39
#define IDC_USER_COMPANY_LABEL 41
#define IDC_USER_COMPANY 42
// The finish page.
#define IDC_RESTART_CAPTION 43
#define IDC_RESTART_NOW 44
#define IDC_RESTART_LATER 45
#define IDC_OPEN_FIRST 46
#define IDC_OPEN_SECOND 47
// The summary page's text.
#define IDC_SUMMARY 48
#define IDC_PROGRESS 40
// The language page's list of sets, and the program folder page.
#define IDC_LANGUAGE_LIST 50
#define IDC_PROGRAM_FOLDER_LABEL 51
#define IDC_PROGRAM_FOLDER 52
#define IDC_EXISTING_FOLDERS_LABEL 53
#define IDC_EXISTING_FOLDERS 54
// The installation type page: three option buttons, each with its description.
#define IDC_TYPE_FIRST 60
#define IDC_TYPE_SECOND 61
#define IDC_TYPE_THIRD 62
#define IDC_TYPE_FIRST_TEXT 63
#define IDC_TYPE_SECOND_TEXT 64
#define IDC_TYPE_THIRD_TEXT 65
// The components page.
#define IDC_COMPONENT_TREE 66
#define IDC_COMPONENT_DESCRIPTION_FRAME 67
#define IDC_COMPONENT_DESCRIPTION 68
#define IDC_COMPONENT_SPACE 69
// The system information page: the table and its Save button.
#define IDC_SYSTEM_LIST 70
#define IDC_SYSTEM_SAVE 71
#define IDC_INITIALISING_TEXT 1000

// The prompt for the next volume of the package.
#define IDD_VOLUME_PROMPT 120
#define IDC_VOLUME_PROMPT 90
#define IDC_VOLUME_NAME 91
#define IDC_VOLUME_LOOK_IN 92
#define IDC_VOLUME_FOLDER 93
#define IDC_VOLUME_BROWSE 94
#define IDC_VOLUME_PROBLEM 95

// The About item added to the main window's system menu.
#define IDM_ABOUT 0x0110
