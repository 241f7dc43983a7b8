// Resource identifiers of Dravon.exe, shared by Dravon.rc and the code.
#pragma once

#include "framework/AfxRes.h"

// Frame: title string, icon, menu, accelerators and toolbar share one id.
#define IDR_MAINFRAME 128

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_BANNER 161

// Bitmaps.
#define IDB_TREE_IMAGES 131
#define IDB_TOOLBAR_TRUECOLOR 132
#define IDB_VIEW_PIE 133
#define IDB_VIEW_TOP 134
#define IDB_VIEW_BOTTOM 135
#define IDB_VIEW_BUTTON_136 136
#define IDB_BUTTON_PRESSED 137
#define IDB_DRIVE_IMAGES 138
#define IDB_BUTTON_EXIT 139
#define IDB_BUTTON_HOME 140
#define IDB_ABOUT 157
#define IDB_BANNER 162

// Window commands.
#define ID_WINDOW_MAXIMIZE 32772
#define ID_WINDOW_MINIMIZE 32773
#define ID_WINDOW_HIDE 32774
#define ID_WINDOW_TOPMOST 32786

// Library commands.
#define ID_FUNC_INFO 32776
#define ID_FUNC_OPTIMIZE 32777
#define ID_FUNC_USB 32778
#define ID_FUNC_SCAN 32779

// System commands.
#define ID_SYSTEM_LOGOFF 32780
#define ID_SYSTEM_RESTART 32781
#define ID_SYSTEM_SHUTDOWN 32782

// Skins and help.
#define ID_SKIN_ONE 32787
#define ID_SKIN_TWO 32788
#define ID_HELP_HOMEPAGE 32790

// Info box rows and count words of the disk overview. Portable code reads
// these numbers from here too (no Windows header is needed).
#define IDS_INFO_PARTITION 61446
#define IDS_INFO_SIZE 61447
#define IDS_INFO_USED 61448
#define IDS_INFO_FILESIZE 61449
#define IDS_INFO_FILES 61450
#define IDS_INFO_FOLDERS 61451
#define IDS_INFO_ALLOCATED 61452
#define IDS_INFO_EFFICIENCY 61453
#define IDS_WORD_FILES 61454
#define IDS_WORD_FOLDERS 61455

// A charted folder's menu in the disk overview, its commands and texts.
#define IDR_SLICE_MENU 170
#define ID_SLICE_OPEN 32801
#define ID_SLICE_COPY_PATH 32802
#define ID_SLICE_RESCAN 32803
#define ID_SLICE_RECYCLE 32804
#define ID_SLICE_DETAILS 32805
#define IDS_RECYCLE_ASK 61460
#define IDS_RECYCLE_DRIVE_ROOT 61461
#define IDS_RECYCLE_SYSTEM 61462
#define IDS_RECYCLE_PROGRAM 61463
#define IDS_RECYCLE_NO_BIN 61464
#define IDS_RECYCLE_FAILED 61465
#define IDS_RECYCLE_CAPTION 61466
#define IDS_RECYCLE_FILES 61467

// The file details window of a charted folder.
#define IDD_FILE_DETAILS 171
#define IDC_DETAILS_TABS 1001
#define IDC_DETAILS_FILTER 1002
#define IDC_DETAILS_MIN_SIZE 1003
#define IDC_DETAILS_FILES 1004
#define IDC_DETAILS_TYPES 1005
#define IDC_DETAILS_OPEN 1006
#define IDC_DETAILS_RECYCLE 1007
#define IDC_DETAILS_COPY 1008
#define IDC_DETAILS_EXPORT 1009
#define IDC_DETAILS_STATUS 1010
#define IDC_DETAILS_FILTER_LABEL 1011
#define IDC_DETAILS_MIN_LABEL 1012
#define IDS_DETAILS_TITLE 61470
#define IDS_DETAILS_TAB_FILES 61471
#define IDS_DETAILS_TAB_TYPES 61472
#define IDS_DETAILS_FILE_COLUMNS 61473
#define IDS_DETAILS_TYPE_COLUMNS 61474
#define IDS_DETAILS_GATHERING 61475
#define IDS_DETAILS_GATHERED 61476
#define IDS_DETAILS_FAILED 61477

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
