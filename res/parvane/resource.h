// Resource identifiers of Parvane.dll.
#pragma once

// Information dialog and its tab control.
#define IDD_INFO_DIALOG      25000
#define IDC_INFO_TAB         25000

// Row markers of the list pages: ten 16 x 16 images.
#define IDB_LIST_ROWS        25007

// Dialog icon and the icons of the pages' left strips.
#define IDI_INFO_DIALOG      25026
#define IDI_PAGE_FOLDERS     25009
#define IDI_PAGE_DISK        25011
#define IDI_PAGE_DISK_MODES  25012
#define IDI_PAGE_CDROM       25013
#define IDI_PAGE_USB         25014
#define IDI_PAGE_SYSTEM      25015
#define IDI_PAGE_FOOT        25016
#define IDI_PAGE_FOOT_USB    25017
#define IDI_PAGE_HEALTH      25018

// Page templates and their main controls.
#define IDD_SYSTEM_PAGE      25001
#define IDD_FOLDERS_PAGE     25002
#define IDD_DISK_PAGE        25003
#define IDD_DISK_MODES_PAGE  25004
#define IDD_CDROM_PAGE       25005
#define IDD_USB_PAGE         25006
#define IDD_HEALTH_PAGE      25007
#define IDC_SYSTEM_LIST      25001
#define IDC_FOLDERS_LIST     25004
#define IDC_DISK_LIST        25006
#define IDC_DISK_MODES_LIST  25008
#define IDC_CDROM_TEXT       25009
#define IDC_USB_TEXT         25015
#define IDC_HEALTH_LIST      25016
