// The test dialog's identifiers.
#pragma once

#define IDD_PROBE 100
#define IDC_PROBE_EDIT 101
#define IDC_PROBE_CHECK 102
#define IDC_PROBE_BUTTON 103
