// The test dialogs' identifiers.
#pragma once

#define IDD_PROBE 100
#define IDC_PROBE_EDIT 101
#define IDC_PROBE_CHECK 102
#define IDC_PROBE_BUTTON 103

#define IDD_KEYS 110
#define IDC_KEYS_FIRST 111
#define IDC_KEYS_SECOND 112
