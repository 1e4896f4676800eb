// The test dialogs' identifiers.
#pragma once

#define IDD_PROBE 100
#define IDC_PROBE_EDIT 101
#define IDC_PROBE_CHECK 102
#define IDC_PROBE_BUTTON 103

#define IDD_KEYS 110
#define IDC_KEYS_FIRST 111
#define IDC_KEYS_SECOND 112

#define IDD_DATA 120
#define IDC_DATA_TEXT 121
#define IDC_DATA_CHECK 122
#define IDC_DATA_NUMBER 123
#define IDC_DATA_RADIO_A 124
#define IDC_DATA_RADIO_B 125
#define IDC_DATA_RADIO_C 126
#define IDC_DATA_OTHER_A 127
#define IDC_DATA_OTHER_B 128
