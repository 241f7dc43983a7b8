// Resource identifiers of Tunara.dll.
#pragma once

// Optimisation dialog and its tab control.
#define IDD_OPTIMIZE_DIALOG  29000
#define IDC_OPTIMIZE_TAB     29000

// Dialog icon and the icons beside the page controls.
#define IDI_OPTIMIZE_DIALOG  29017
#define IDI_MFT_ZONE         29018
#define IDI_CD_SPEED         29019
#define IDI_WAIT_TIME        29035

// Level markers of the image drop-down lists (16 x 16 each).
#define IDB_LEVELS           29007

// Pictures of the pages.
#define IDB_DISK_PAGE        29036
#define IDB_DRIVE_ACCESS     29037
#define IDB_PREFETCH         29038
#define IDB_DISK_CACHE       29039
#define IDB_NTFS_PAGE        29040
#define IDB_CDROM_PAGE       29041

// Page templates. Their controls carry the page's own numbers, written
// literally in Tunara.rc: the same number means different controls on
// different pages.
#define IDD_DISK_PAGE        29001
#define IDD_MEMORY_PAGE      29002
#define IDD_CDROM_PAGE       29003
#define IDD_NTFS_PAGE        29011
