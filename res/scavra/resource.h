// Resource identifiers of Scavra.dll. No Windows header: portable code may
// include this too.
#pragma once

#define IDD_SCAVRA_DIALOG  100
#define IDC_JUNK_LIST      1000
#define IDC_SCAN           1001
#define IDC_CLEAN          1002
#define IDC_PROGRESS_LINE  1003
#define IDC_SUMMARY_LINE   1004
