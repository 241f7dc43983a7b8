// Resource identifiers of USB.dll (no Windows header: portable code and the
// end-to-end scripts read it too).
#pragma once

#define IDD_USB_PROTECT       31001
#define IDI_USB_PROTECT       31002

#define IDC_USB_STATE         31010
#define IDC_USB_DRIVES        31011
#define IDC_USB_MESSAGE       31012
#define IDC_USB_PROTECT_ON    31013
#define IDC_USB_PROTECT_OFF   31014
