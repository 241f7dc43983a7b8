// Resource identifiers of Tunara.dll: the one place their numbers are
// written. Tunara.rc, the tweak and level tables and the page classes all
// use these names. No Windows header: portable code includes this too.
//
// The pages' controls carry each page's own numbers, so the same number
// names different controls on different pages (29002 is a check box on
// every page); each page's names begin with its own prefix.
#pragma once

// Optimisation dialog and its tab control.
#define IDD_OPTIMIZE_DIALOG  29000
#define IDC_OPTIMIZE_TAB     29000
// Below the tabs: "恢复原始设置" and the line that tells how it went.
#define IDC_OPTIMIZE_RESTORE        29050
#define IDC_OPTIMIZE_RESTORE_RESULT 29051

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

// Page templates.
#define IDD_DISK_PAGE        29001
#define IDD_MEMORY_PAGE      29002
#define IDD_CDROM_PAGE       29003
#define IDD_NTFS_PAGE        29011

// Hard-disk page: check boxes and the labels beside them, the wait-time
// slider and its text box.
#define IDC_DISK_BIG_LBA            29002
#define IDC_DISK_BIG_LBA_STATUS     29003
#define IDC_DISK_KERNEL_IN_RAM      29004
#define IDC_DISK_KERNEL_IN_RAM_STATUS 29005
#define IDC_DISK_PROTECTION         29006
#define IDC_DISK_PROTECTION_STATUS  29007
#define IDC_DISK_NO_FILE_CACHE      29008
#define IDC_DISK_NO_FILE_CACHE_STATUS 29009
#define IDC_DISK_BOOT_DEFRAG        29010
#define IDC_DISK_BOOT_DEFRAG_STATUS 29011
#define IDC_DISK_NTFS_SECURITY      29012
#define IDC_DISK_NTFS_SECURITY_STATUS 29013
#define IDC_DISK_QUOTA              29014
#define IDC_DISK_QUOTA_STATUS       29015
#define IDC_DISK_UDMA66             29016
#define IDC_DISK_UDMA66_STATUS      29017
#define IDC_DISK_AUTOCHK            29018
#define IDC_DISK_AUTOCHK_STATUS     29019
#define IDC_DISK_WAIT_SLIDER        29020
#define IDC_DISK_WAIT_TEXT          29001

// Memory, cache and prefetch page.
#define IDC_MEM_PREFETCH_LIST       29021
#define IDC_MEM_PREFETCH_LABEL      29003
#define IDC_MEM_PREFETCH_TEXT       29001
#define IDC_MEM_CLEAR_PAGEFILE      29002
#define IDC_MEM_CLEAR_PAGEFILE_STATUS 29026
#define IDC_MEM_LARGE_CACHE         29004
#define IDC_MEM_LARGE_CACHE_STATUS  29005
#define IDC_MEM_UNLOAD_DLL          29006
#define IDC_MEM_UNLOAD_DLL_STATUS   29007
#define IDC_MEM_HARDWARE            29008
#define IDC_MEM_HARDWARE_STATUS     29009
#define IDC_MEM_BUFFER_SLIDER       29024
#define IDC_MEM_BUFFER_TEXT         29025

// CD-ROM page.
#define IDC_CD_SPEED_SLIDER         29020
#define IDC_CD_SPEED_TEXT           29025
#define IDC_CD_CACHE_SLIDER         29024
#define IDC_CD_CACHE_TEXT           29001
#define IDC_CD_AUTORUN              29002
#define IDC_CD_AUTORUN_STATUS       29003
#define IDC_CD_NO_BURNING           29004
#define IDC_CD_NO_BURNING_STATUS    29009
#define IDC_CD_ALLOCATE_CDROMS      29006
#define IDC_CD_ALLOCATE_CDROMS_STATUS 29011
#define IDC_CD_ALLOCATE_FLOPPIES    29008
#define IDC_CD_ALLOCATE_FLOPPIES_STATUS 29013
#define IDC_CD_TRAY_OPEN            29027
#define IDC_CD_TRAY_CLOSE           29028

// NTFS page.
#define IDC_NTFS_CONTIG_ALLOC       29023
#define IDC_NTFS_CONTIG_ALLOC_STATUS 29003
#define IDC_NTFS_LAST_ACCESS        29002
#define IDC_NTFS_LAST_ACCESS_STATUS 29005
#define IDC_NTFS_NO_8DOT3           29004
#define IDC_NTFS_NO_8DOT3_STATUS    29007
#define IDC_NTFS_CACHING            29006
#define IDC_NTFS_CACHING_STATUS     29009
#define IDC_NTFS_MFT_LIST           29021
#define IDC_NTFS_MFT_TEXT           29001
#define IDC_NTFS_CDROM_DRIVE        29030
