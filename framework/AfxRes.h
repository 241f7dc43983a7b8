// The framework's own identifiers, with the values programs and their
// resource files share (commands, pane and bar identifiers, bar styles).
#pragma once

// Commands the framework defines.
#define ID_FILE_NEW 57600
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_DIRECT 57608
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

// Child identifiers the frame lays out: the first pane fills what the
// control bars leave.
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_PANE_FIRST 0xE900

// String: the idle prompt of the status line.
#define AFX_IDS_IDLEMESSAGE 57345
#define AFX_IDS_APP_TITLE 57344

#ifndef RC_INVOKED
// Frame style bit: add the document name to the title (there is none here).
inline constexpr unsigned long FWS_ADDTOTITLE = 0x00008000UL;

// Control bar styles, given with the window styles to CToolBar::CreateEx.
inline constexpr unsigned long CBRS_SIZE_DYNAMIC = 0x0004UL;
inline constexpr unsigned long CBRS_TOOLTIPS = 0x0010UL;
inline constexpr unsigned long CBRS_FLYBY = 0x0020UL;
inline constexpr unsigned long CBRS_BORDER_BOTTOM = 0x0800UL;
inline constexpr unsigned long CBRS_ALIGN_LEFT = 0x1000UL;
inline constexpr unsigned long CBRS_ALIGN_TOP = 0x2000UL;
inline constexpr unsigned long CBRS_ALIGN_RIGHT = 0x4000UL;
inline constexpr unsigned long CBRS_ALIGN_BOTTOM = 0x8000UL;
inline constexpr unsigned long CBRS_ALIGN_ANY = 0xF000UL;
inline constexpr unsigned long CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
inline constexpr unsigned long CBRS_GRIPPER = 0x00400000UL;
#endif
