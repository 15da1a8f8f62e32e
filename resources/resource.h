/// Identifiers of the program's resources: dialogs, their controls, the icon
/// and the window-menu command. Plain #defines, so the resource script and the
/// C++ code read the same file.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_PROGRESS 102
#define IDR_MAINFRAME 128

#define IDC_PROGRESS 1000
#define IDC_STAGE_TEXT 1001
#define IDC_ITEM_TEXT 1002
#define IDC_SKIP 1003
#define IDC_VERSION 1004

/// Command of the About entry in the progress window's window menu.
#define IDM_ABOUTBOX 0x0010
