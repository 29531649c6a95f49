// Identifiers of the program's resources, shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_LOCATION 102
#define IDR_MAINFRAME 128
#define IDI_CAUTION 130
#define IDC_LOCATION_LIST 3003

// The window-menu command that opens the About box.
#define IDM_ABOUTBOX 0x0010
