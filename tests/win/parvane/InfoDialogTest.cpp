// The information dialog in this process, over recorded devices, a scratch
// registry and chosen system facts: its template, tabs and pages, each
// page's rows or text as a user sees them, the device texts, the minimised
// icon, and windows and GDI objects over many openings.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "parvane/decode/IdentifyDecode.h"
#include "parvane/InfoDialog.h"
#include "parvane/decode/DriveHealth.h"
#include "parvane/device/HealthReading.h"
#include "parvane/decode/NvmeIdentify.h"
#include "parvane/decode/StorageText.h"
#include "parvane/SystemRecord.h"
#include "platform/RegistryWin.h"
#include "platform/TextWin.h"
#include "res/parvane/resource.h"
#include "tests/host/parvane/FakeDevices.h"
#include "tests/win/common/Canvas.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/common/ScratchRegistry.h"
#include "tests/win/common/TextFit.h"
#include "tests/win/common/WindowPicture.h"
#include "tests/win/framework/TestPump.h"

// Rectangles in failure messages (CRect lives in the global namespace).
inline std::ostream& operator<<(std::ostream& os, const CRect& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

using parvane::PageRow;
using parvane_test::Descriptor;
using parvane_test::Geometry;
using platform::Narrow;
using platform::Widen;

constexpr const wchar_t* kNt = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const wchar_t* kOptions = L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr const wchar_t* kBios = L"HARDWARE\\DESCRIPTION\\System";

// One list row as the list view holds it.
struct Row {
  std::string label;
  int image;
  std::string value;
  friend bool operator==(const Row&, const Row&) = default;
};
std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{\"" << r.label << "\", " << r.image << ", \"" << r.value << "\"}";
}

std::vector<Row> ListRows(CListCtrl& list) {
  std::vector<Row> rows;
  for (int i = 0; i < list.GetItemCount(); ++i)
    rows.push_back({list.GetItemText(i, 0).ToUtf8(), list.GetItemImage(i),
                    list.GetItemText(i, 1).ToUtf8()});
  return rows;
}

std::vector<Row> Expected(const std::vector<PageRow>& model) {
  std::vector<Row> rows;
  for (const PageRow& r : model) rows.push_back({r.label, r.image, r.value.value_or("")});
  return rows;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

parvane::IdentifyData RecordedDrive(const char* name) {
  auto block = parvane::ParseIdentifyDump(ReadFile(std::string(DRAVON_IDENTIFY_DATA) + "/" + name));
  EXPECT_TRUE(block) << name;
  parvane::IdentifyData b = block.value_or(parvane::IdentifyData{});
  parvane::FixIdentifyTexts(b);  // as the device layer hands it over
  return b;
}

// Where the dialog manager puts a control given in dialog units: origin and
// size are converted apart.
CRect DialogUnits(HWND dialog, int x, int y, int cx, int cy) {
  CRect at(x, y, cx, cy);
  MapDialogRect(dialog, &at);
  return CRect(at.left, at.top, at.left + at.right, at.top + at.bottom);
}


class InfoDialog : public dravon_test::ScratchRegistry {
 protected:
  InfoDialog() : ScratchRegistry(L"InfoDialog") {}

  void SetUp() override {
    ScratchRegistry::SetUp();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    facts.version = parvane::VersionRecord{5, 1, 2600, 2, "Service Pack 3"};
    facts.environment = [](std::string_view name) -> std::optional<std::string> {
      if (name == "TMP") return "C:\\Temp";
      return std::nullopt;
    };
    facts.computerName = "PC-1";
    facts.userName = "张三";
  }

  // The dialog made as CRegular makes it, but modeless and never shown: a
  // shown top-level window costs Wine seconds to end without a window manager.
  std::unique_ptr<CInfoDialog> Open() {
    auto dialog = std::make_unique<afx::Window<CInfoDialog>>(GetModuleHandleW(nullptr), nullptr,
                                                parvane::InfoSources{devices, registry, facts});
    EXPECT_TRUE(dialog->Create());
    return dialog;
  }

  template <class Page>
  static Page* PageOf(CInfoDialog& dialog, int tab) {
    auto* page = dynamic_cast<Page*>(dialog.Tabs().PageAt(tab));
    EXPECT_NE(page, nullptr) << "tab " << tab;
    return page;
  }
  static std::string EditText(CWnd* page, UINT id) {
    if (!page) return "<no page>";
    wchar_t text[8192] = {};
    GetDlgItemTextW(page->m_hWnd, static_cast<int>(id), text, 8192);
    return Narrow(text);
  }
  static std::vector<Row> RowsOf(CInfoDialog& dialog, int tab) {
    auto* page = PageOf<CListPage>(dialog, tab);
    return page ? ListRows(page->List()) : std::vector<Row>{};
  }

  parvane_test::FakeLayer devices;
  platform::RegistryWin registry;
  parvane::SystemFacts facts;
};

// ---- the dialog and its tabs ----------------------------------------------

TEST_F(InfoDialog, TemplateCaptionIconsAndTabControl) {
  auto dialog = Open();
  EXPECT_EQ(CString(L"参数信息"), dialog->GetWindowText());
  EXPECT_EQ(DialogUnits(dialog->m_hWnd, 0, 0, 295, 192).Size(), dialog->GetClientRect().Size());
  HWND tab = dialog->GetDlgItem(IDC_INFO_TAB);
  ASSERT_EQ(dialog->Tabs().m_hWnd, tab);
  EXPECT_EQ(DialogUnits(dialog->m_hWnd, 7, 7, 281, 179), dialog->Tabs().GetRectInParent());
  EXPECT_TRUE(dialog->Tabs().GetExStyle() & WS_EX_CONTROLPARENT) << "Tab reaches into the pages";
  EXPECT_EQ(dialog->LoadIconResource(IDI_INFO_DIALOG, true), dialog->GetIcon(true));
  EXPECT_EQ(dialog->LoadIconResource(IDI_INFO_DIALOG, false), dialog->GetIcon(false));
  EXPECT_NE(nullptr, dialog->GetIcon(true));
}

TEST_F(InfoDialog, SevenTabsInOrderAndTheUsbPageShownWithItsTabSelected) {
  auto dialog = Open();
  CSlideTabCtrl& tabs = dialog->Tabs();
  const wchar_t* captions[] = {L"  系统", L"  信息", L"  硬盘", L"  信息", L"  CDROM", L"  USB", L"  健康"};
  const UINT templates[] = {IDD_SYSTEM_PAGE, IDD_FOLDERS_PAGE, IDD_DISK_PAGE, IDD_DISK_MODES_PAGE,
                            IDD_CDROM_PAGE,  IDD_USB_PAGE,     IDD_HEALTH_PAGE};
  ASSERT_EQ(7, tabs.GetItemCount());
  EXPECT_EQ(5, tabs.GetCurSel());
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(CString(captions[i]), tabs.GetItemText(i));
    auto* page = dynamic_cast<CDialog*>(tabs.PageAt(i));
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(templates[i], page->GetTemplateId());
    EXPECT_EQ(tabs.m_hWnd, page->GetParent());
    EXPECT_EQ(CPoint(4, 28), page->GetRectInParent().TopLeft());
    EXPECT_EQ(i == 5, (page->GetStyle() & WS_VISIBLE) != 0);
  }
  EXPECT_NE(nullptr, dynamic_cast<CUsbPage*>(tabs.PageAt(5)));
  EXPECT_NE(nullptr, dynamic_cast<CSystemInfoPage*>(tabs.PageAt(0)));
  EXPECT_NE(nullptr, dynamic_cast<CHealthPage*>(tabs.PageAt(6)));
  EXPECT_EQ(0, afx::WindowsEndedByBase());
}

// The left strip of every page: icon, two caption lines, small icon, then the
// page's control at its place (and the USB page's "Static").
TEST_F(InfoDialog, EveryPageHasItsLeftStripAndMainControl) {
  struct Strip {
    const char* line1;
    const char* line2;
    UINT control;
    const wchar_t* controlClass;
    CRect units;  // x, y, cx, cy
  };
  const Strip strips[] = {
      {"系统", "信息", IDC_SYSTEM_LIST, WC_LISTVIEWW, CRect(32, 7, 255, 180)},
      {"系统", "目录", IDC_FOLDERS_LIST, WC_LISTVIEWW, CRect(37, 7, 248, 183)},
      {"硬盘", "信息", IDC_DISK_LIST, WC_LISTVIEWW, CRect(37, 7, 247, 182)},
      {"硬盘", "信息", IDC_DISK_MODES_LIST, WC_LISTVIEWW, CRect(37, 7, 248, 181)},
      {"光驱", "CDROM", IDC_CDROM_TEXT, L"Edit", CRect(34, 7, 250, 180)},
      {"U盘", "USB", IDC_USB_TEXT, L"Edit", CRect(34, 7, 249, 172)},
      {"硬盘", "健康", IDC_HEALTH_LIST, WC_LISTVIEWW, CRect(37, 7, 248, 181)},
  };
  auto dialog = Open();
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    CWnd* page = dialog->Tabs().PageAt(i);
    ASSERT_NE(nullptr, page);
    std::vector<HWND> kids;
    for (HWND w = GetWindow(page->m_hWnd, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) kids.push_back(w);
    ASSERT_EQ(i == 5 ? 6u : 5u, kids.size());
    auto text = [](HWND w) {
      wchar_t t[64] = {};
      GetWindowTextW(w, t, 64);
      return Narrow(t);
    };
    EXPECT_NE(0, SendMessageW(kids[0], STM_GETICON, 0, 0)) << "the strip's icon";
    EXPECT_EQ(strips[i].line1, text(kids[1]));
    EXPECT_EQ(strips[i].line2, text(kids[2]));
    EXPECT_NE(0, SendMessageW(kids[3], STM_GETICON, 0, 0)) << "the strip's small icon";
    HWND control = GetDlgItem(page->m_hWnd, static_cast<int>(strips[i].control));
    EXPECT_EQ(kids[4], control);
    wchar_t cls[64] = {};
    GetClassNameW(control, cls, 64);
    EXPECT_STREQ(strips[i].controlClass, cls);
    CRect at;
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, page->m_hWnd, reinterpret_cast<POINT*>(&at), 2);
    const CRect& u = strips[i].units;
    const CRect placed = DialogUnits(page->m_hWnd, u.left, u.top, u.right, u.bottom);
    EXPECT_EQ(placed.TopLeft(), at.TopLeft());
    // Ended inside the page, which is the tab control's room.
    const CRect room = page->GetClientRect();
    const int margin = CInfoPage::kFitMargin;
    EXPECT_EQ(std::min<int>(placed.right, room.right - margin), at.right);
    EXPECT_EQ(std::min<int>(placed.bottom, room.bottom - margin), at.bottom);
    for (HWND kid : kids) {
      CRect k;
      GetWindowRect(kid, &k);
      MapWindowPoints(nullptr, page->m_hWnd, reinterpret_cast<POINT*>(&k), 2);
      if (kid == kids.back() && i == 5) continue;  // "Static", covered by the text box
      EXPECT_TRUE(k.left >= 0 && k.top >= 0 && k.right <= room.right && k.bottom <= room.bottom)
          << "child " << (&kid - kids.data()) << " at " << k << " in " << room;
    }
    if (i == 5) {
      EXPECT_EQ("Static", text(kids[5]));
      CRect s;
      GetWindowRect(kids[5], &s);
      MapWindowPoints(nullptr, page->m_hWnd, reinterpret_cast<POINT*>(&s), 2);
      EXPECT_EQ(DialogUnits(page->m_hWnd, 39, 58, 0, 0).TopLeft(), s.TopLeft());
    }
  }
}

// A page at rest fills the tab control's display area from the page origin,
// so its scroll bars and last lines are inside the control's frame.
TEST_F(InfoDialog, PagesFitTheTabControlsDisplayArea) {
  auto dialog = Open();
  CSlideTabCtrl& tabs = dialog->Tabs();
  CRect area = tabs.GetClientRect();
  tabs.AdjustRect(false, area);
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    auto* page = dynamic_cast<CInfoPage*>(tabs.PageAt(i));
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(CRect(4, 28, area.right, area.bottom), page->GetRectInParent());
    HWND main = page->GetDlgItem(static_cast<int>(page->MainControlId()));
    CRect r;
    GetWindowRect(main, &r);
    MapWindowPoints(nullptr, tabs.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_LE(r.right, area.right);
    EXPECT_LE(r.bottom, area.bottom);
    EXPECT_GT(r.Width(), area.Width() * 3 / 4);
    EXPECT_GT(r.Height(), area.Height() * 3 / 4);
  }
}

// ---- the list pages ----------------------------------------------------------

TEST_F(InfoDialog, ListPagesShareTheirLayout) {
  struct Columns {
    int tab;
    const char* key;
    int keyWidth;
    const char* value;
  };
  const Columns pages[] = {{0, "操作系统", 245, "系统信息"},
                           {1, "安装目录", 245, "目录路径"},
                           {2, "硬盘参数", 245, "参数值"},
                           {3, "硬盘参数", 265, "参数值"},
                           {6, "硬盘健康", 170, "参数值"}};
  auto dialog = Open();
  for (const Columns& c : pages) {
    SCOPED_TRACE(c.tab);
    auto* page = PageOf<CListPage>(*dialog, c.tab);
    ASSERT_NE(nullptr, page);
    CListCtrl& list = page->List();
    EXPECT_EQ(0x171u, list.GetExtendedStyle() & 0x171u);
    EXPECT_TRUE(list.GetStyle() & LVS_REPORT);
    HIMAGELIST images = list.GetImageList(LVSIL_SMALL);
    ASSERT_NE(nullptr, images);
    EXPECT_EQ(20, ImageList_GetImageCount(images)) << "bitmap 25007 twice, ten images each";
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);
    // The second ten, masked 0x0FFFFF, look like the first ten on the list.
    dravon_test::Canvas first(16, 16), second(16, 16);
    for (int image = 0; image < 10; ++image) {
      first.dc().FillSolidRect(CRect(0, 0, 16, 16), RGB(255, 255, 255));
      second.dc().FillSolidRect(CRect(0, 0, 16, 16), RGB(255, 255, 255));
      ImageList_Draw(images, image, first, 0, 0, ILD_NORMAL);
      ImageList_Draw(images, image + 10, second, 0, 0, ILD_NORMAL);
      int differ = 0, coloured = 0;
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
          differ += first.Pixel(x, y) != second.Pixel(x, y);
          coloured += first.Pixel(x, y) != RGB(255, 255, 255);
        }
      }
      EXPECT_EQ(0, differ) << "image " << image;
      EXPECT_GT(coloured, 40) << "image " << image;
    }
    ASSERT_EQ(2, list.GetColumnCount());
    EXPECT_EQ(c.key, list.GetColumnText(0).ToUtf8());
    EXPECT_EQ(c.value, list.GetColumnText(1).ToUtf8());
    EXPECT_EQ(c.keyWidth, list.GetColumnWidth(0));
    EXPECT_EQ(300, list.GetColumnWidth(1));
    for (int col = 0; col < 2; ++col) {
      LVCOLUMNW lc{};
      lc.mask = LVCF_SUBITEM | LVCF_FMT;
      ASSERT_TRUE(list.SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&lc)));
      EXPECT_EQ(col == 0 ? 100 : 300, lc.iSubItem);
      EXPECT_EQ(LVCFMT_LEFT, lc.fmt & LVCFMT_JUSTIFYMASK);
    }
  }
}

TEST_F(InfoDialog, DiskPagesShowARecordedDrive) {
  devices.drive0 = RecordedDrive("samsung-860evo-500gb.hex");
  auto dialog = Open();
  const auto disk = RowsOf(*dialog, 2);
  const auto modes = RowsOf(*dialog, 3);
  EXPECT_EQ(Expected(parvane::DecodeDiskPage(*devices.drive0)), disk);
  EXPECT_EQ(Expected(parvane::DecodeDiskModesPage(*devices.drive0)), modes);
  ASSERT_EQ(46u, disk.size());
  ASSERT_EQ(35u, modes.size());
  EXPECT_EQ((Row{"硬盘型号:", 0, "Samsung SSD 860 EVO 500GB"}), disk[0]);
  EXPECT_EQ((Row{"48位lba支持的总扇区数:", 6, "976773168 lba总扇区"}), disk[16]);
  EXPECT_EQ((Row{"", 0, ""}), disk[45]) << "the unlabelled row ends the list";
  EXPECT_EQ((Row{"", 0, ""}), modes[33]);
  EXPECT_EQ("是否ATA软启动:", modes[34].label) << "inserted after the unlabelled row";
  EXPECT_EQ(3, modes[34].image);
  EXPECT_EQ(2, devices.identifyCalls) << "each page asks the drive itself";
}

TEST_F(InfoDialog, DiskPagesSayWhenTheDriveAnswersNeitherAtaNorNvme) {
  auto dialog = Open();
  for (int tab : {2, 3}) {
    SCOPED_TRACE(tab);
    const auto rows = RowsOf(*dialog, tab);
    auto expected = Expected(tab == 2 ? parvane::DiskPageRows(nullptr) : parvane::DiskModesPageRows(nullptr));
    ASSERT_FALSE(rows.empty());
    expected[0].value = "无法读取硬盘信息";
    EXPECT_EQ(expected, rows);
  }
  EXPECT_EQ("DMA模式1 (25MB/ s)    的支持:", RowsOf(*dialog, 2)[3].label);
  EXPECT_EQ(4u, devices.nvmeCalls.size()) << "each page asks both ways";
}

// Every recorded ATA drive shows exactly the rows it always showed.
TEST_F(InfoDialog, DiskPagesOfEveryRecordedAtaDriveAreUnchanged) {
  for (const char* drive : {"samsung-860evo-500gb", "stardrive-sbfm61", "parse-identify-1", "parse-identify-2",
                            "parse-identify-3", "hitachi-hde721010sla330", "hitachi-hua722010cla330"}) {
    SCOPED_TRACE(drive);
    devices.drive0 = RecordedDrive((std::string(drive) + ".hex").c_str());
    auto dialog = Open();
    std::string shown;
    for (auto [tab, page] : {std::pair{2, "disk"}, std::pair{3, "modes"}}) {
      const auto rows = RowsOf(*dialog, tab);
      for (std::size_t i = 0; i < rows.size(); ++i)
        shown += std::string(page) + "\t" + std::to_string(i) + "\t" + rows[i].label + "\t" + rows[i].value + "\n";
    }
    EXPECT_EQ(ReadFile(std::string(DRAVON_IDENTIFY_DATA) + "/" + drive + ".pages.txt"), shown);
  }
  EXPECT_TRUE(devices.nvmeCalls.empty());
}

TEST_F(InfoDialog, DiskPagesShowAnNvmeDrive) {
  auto controller = parvane::ParseNvmeDump(ReadFile(std::string(DRAVON_NVME_DATA) + "/toshiba-thnsn5512gpu7.hex"));
  ASSERT_TRUE(controller);
  devices.nvme0 = parvane::NvmeIdentify{*controller, std::nullopt};
  devices.extent0 = parvane::DiskExtent{512110190592ull, 512};
  auto dialog = Open();
  const auto disk = RowsOf(*dialog, 2);
  const auto modes = RowsOf(*dialog, 3);
  EXPECT_EQ(Expected(parvane::NvmeDiskPageRows(*devices.nvme0, devices.extent0)), disk);
  EXPECT_EQ(Expected(parvane::NvmeDiskModesPageRows()), modes);
  ASSERT_EQ(53u, disk.size());
  EXPECT_EQ((Row{"硬盘型号:", 0, "THNSN5512GPU7 TOSHIBA"}), disk[0]);
  EXPECT_EQ((Row{"序列号:", 1, "37RSDEADBEEF"}), disk[1]);
  EXPECT_EQ((Row{"DMA模式0 (16.7Mb/s)  的支持:", 2, "不适用(NVMe)"}), disk[2]);
  EXPECT_EQ((Row{"总大小:", 5, "512110190592 bytes"}), disk[15]);
  EXPECT_EQ((Row{"固件版本:", 1, "410557LA"}), disk[45]);
  EXPECT_EQ((Row{"临界温度:", 6, "82 ℃"}), disk[50]);
  EXPECT_EQ((Row{"", 0, ""}), disk[52]) << "the unlabelled row ends the list";
  EXPECT_EQ((Row{"当前选定的Ultra DMA模式0:", 1, "不适用(NVMe)"}), modes[0]);
  EXPECT_EQ((Row{"", 0, ""}), modes[33]);
}

// A standard user cannot open the devices for reading and writing; the
// pages ask through handles without access rights instead.
TEST_F(InfoDialog, CdromAndUsbPagesOfAStandardUser) {
  devices.standardUser = true;
  devices.cdroms = {"cd0"};
  devices.devices["cd0"] = {true, true, Geometry(1000, 54, 64, 32, 2048),
                            Descriptor(2, true, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00", "K1234")};
  devices.disks = {"disk0"};
  devices.devices["disk0"] = {true, true, Geometry(62260, 12, 255, 63, 512),
                              Descriptor(17, false, nullptr, "THNSN5512GPU7 TOSHIBA", "410557LA", "37RSDEADBEEF")};
  auto dialog = Open();
  const std::string cd = EditText(dialog->Tabs().PageAt(4), IDC_CDROM_TEXT);
  EXPECT_NE(std::string::npos, cd.find("生产厂商:        HL-DT-ST    \r\n")) << cd;
  EXPECT_NE(std::string::npos, cd.find("光驱型号:            DVDRAM GH24NSD1      \r\n")) << cd;
  EXPECT_NE(std::string::npos, cd.find("编号序号:            K1234\r\n")) << cd;
  const std::string usb = EditText(dialog->Tabs().PageAt(5), IDC_USB_TEXT);
  EXPECT_NE(std::string::npos, usb.find("硬盘接口:            NVMe     \r\n")) << usb;
  EXPECT_NE(std::string::npos, usb.find("产品型号:            THNSN5512GPU7 TOSHIBA       \r\n")) << usb;
  EXPECT_NE(std::string::npos, usb.find("编号序号:      37RSDEADBEEF\r\n")) << usb;
  for (const auto& [path, access] : devices.opens) EXPECT_EQ(parvane::DeviceAccess::QueryOnly, access) << path;
}

// IDENTIFY and descriptor texts are bytes: printable ASCII as it is, the
// rest in the system's ANSI code page, each within its own field.
TEST_F(InfoDialog, DeviceTextsAreReadInTheSystemCodePage) {
  auto ansi = [](const std::string& bytes) {
    wchar_t wide[128] = {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 128);
    return Narrow(std::wstring(wide, static_cast<std::size_t>(n)));
  };
  parvane::IdentifyData block;
  std::string model = "DISK \xC4\xE3\xBA\xC3";  // GBK 你好
  model.resize(40, '\xB0');
  for (std::size_t i = 0; i < 40; i += 2) {  // as the drive sends it: pairs swapped
    block.bytes[54 + i] = static_cast<std::uint8_t>(model[i + 1]);
    block.bytes[54 + i + 1] = static_cast<std::uint8_t>(model[i]);
  }
  block.bytes[94] = 'X';  // the word after the field
  parvane::FixIdentifyTexts(block);
  devices.drive0 = block;
  devices.cdroms = {"cd0"};
  devices.devices["cd0"] = {true, true, Geometry(1, 51, 1, 1, 2048),
                            Descriptor(2, true, "\xB9\xE2\xC5\xCC", "DVD", "1.0", nullptr)};
  auto dialog = Open();
  const std::string shown = RowsOf(*dialog, 2).at(0).value;
  EXPECT_EQ(ansi(model), shown);
  EXPECT_EQ(std::wstring::npos, Widen(shown).find(L'\xFFFD'));
  const std::string cd = EditText(dialog->Tabs().PageAt(4), IDC_CDROM_TEXT);
  EXPECT_NE(std::string::npos, cd.find("生产厂商:        " + ansi("\xB9\xE2\xC5\xCC") + "    \r\n")) << cd;
}

TEST_F(InfoDialog, SystemPageRowsForTheVersionsOfEveryEra) {
  struct Era {
    parvane::VersionRecord version;
    const wchar_t* productType;  // null: none
    const wchar_t* currentVersion;
    const wchar_t* build;
    const wchar_t* csd;  // null: no "CSDVersion"
    const char* osName;
    const char* versionRow;
  };
  const Era eras[] = {
      {{5, 1, 2600, 2, "Service Pack 3"}, L"winnt", L"5.1", L"2600", L"Service Pack 3",
       "Windows XP or Windows .NET Server Professional", "5.12600"},
      {{5, 0, 2195, 2, ""}, L"ServerNT", L"5.0", L"2195", nullptr, "Windows 2000Server", "5.02195"},
      {{4, 0, 1381, 2, ""}, L"LanmanNT", L"4.0", L"1381", L"Service Pack 6", "Windows NT 4.0Advanced Server",
       "4.01381"},
      {{6, 1, 7601, 2, "Service Pack 1"}, L"WinNT", L"6.1", L"7601", L"Service Pack 1", "Windows 7 Professional",
       "6.17601"},
      {{10, 0, 19045, 2, ""}, L"WinNT", L"6.3", L"19045", nullptr, "Windows 10 Professional", "6.319045"},
      {{10, 0, 22631, 2, ""}, L"ServerNT", L"6.3", L"22631", nullptr, "Windows 11 Server", "6.322631"},
      {{10, 0, 26100, 2, ""}, L"WinNT", L"6.3", L"26100", nullptr, "Windows 11 Home", "6.326100"},
      {{5, 2, 3790, 2, ""}, nullptr, L"5.2", L"3790", nullptr, "Windows XP or Windows .NET Server ", "5.23790"},
  };
  for (const Era& era : eras) {
    SCOPED_TRACE(era.osName);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNt);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kOptions);
    if (era.productType) PutTextW(kOptions, L"ProductType", era.productType);
    PutTextW(kNt, L"CurrentVersion", era.currentVersion);
    PutTextW(kNt, L"CurrentBuildNumber", era.build);
    if (era.csd) PutTextW(kNt, L"CSDVersion", era.csd);
    PutTextW(kNt, L"RegisteredOwner", L"李四");
    PutTextW(kNt, L"ProductName", era.version.build >= 22000 ? L"Windows 10 Home" : L"Microsoft Windows");
    if (era.version.build == 26100) PutTextW(kNt, L"EditionID", L"Core");
    facts.version = era.version;
    auto dialog = Open();
    const auto rows = RowsOf(*dialog, 0);
    ASSERT_EQ(16u, rows.size());
    EXPECT_EQ((Row{"计算机名:", 1, "PC-1"}), rows[0]);
    EXPECT_EQ((Row{"管理员帐号:", 2, "张三"}), rows[1]);
    EXPECT_EQ((Row{"操作系统平台:", 3, era.osName}), rows[2]);
    EXPECT_EQ((Row{"当前版本:", 4, era.versionRow}), rows[3]);
    EXPECT_EQ((Row{"SP版本:", 5, era.csd ? Narrow(era.csd) : ""}), rows[4]);
    EXPECT_EQ((Row{"注册用户名:", 6, "李四"}), rows[5]);
    // Windows 11 keeps Windows 10's product name; the row names it rightly.
    EXPECT_EQ((Row{"操作系统:", 1, era.version.build >= 22000 ? "Windows 11 Home" : "Microsoft Windows"}), rows[11]);
    EXPECT_EQ((Row{"", 0, ""}), rows[15]);
  }
}

TEST_F(InfoDialog, SystemPageOnTheNinetyFiveFamily) {
  PutTextW(kNt, L"RegisteredOwner", L"李四");
  facts.ntFamily = false;
  for (const char* csd : {"a", " A "}) {
    SCOPED_TRACE(csd);
    facts.version = parvane::VersionRecord{4, 10, 2222, 1, csd};
    auto dialog = Open();
    const auto rows = RowsOf(*dialog, 0);
    ASSERT_EQ(16u, rows.size());
    EXPECT_EQ(csd[0] == 'a' ? "Windows 98Second Edition" : "Windows 98", rows[2].value);
    for (int i = 3; i <= 14; ++i) EXPECT_EQ("", rows[static_cast<std::size_t>(i)].value) << i;
  }
}

TEST_F(InfoDialog, SystemDirectoriesPageRows) {
  const wchar_t* cv = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  PutTextW(kOptions, L"ProductType", L"servernt");
  PutTextW(cv, L"ProductId", L"55274-640-1234567-23456");
  PutTextW(cv, L"CommonFilesDir", L"C:\\Program Files\\Common Files");
  PutTextW(cv, L"DevicePath", L"%SystemRoot%\\inf");
  PutTextW(cv, L"ProgramFilesDir", L"C:\\Program Files");
  const wchar_t list[] = L"VBOX   - 1\0Award BIOS\0";
  PutW(kBios, L"SystemBiosVersion", REG_MULTI_SZ, list, sizeof list);
  PutTextW(kBios, L"SystemBiosDate", L"12/01/06");
  PutTextW(kBios, L"Identifier", L"AT/AT COMPATIBLE");
  auto dialog = Open();
  const auto rows = RowsOf(*dialog, 1);
  ASSERT_EQ(15u, rows.size());
  EXPECT_EQ((Row{"NT平台：", 1, "Windows NT Server"}), rows[0]);
  EXPECT_EQ((Row{"注册ID:", 2, "55274-640-1234567-23456"}), rows[1]);
  EXPECT_EQ((Row{"安装目录：", 3, "C:\\Program Files\\Common Files"}), rows[2]);
  EXPECT_EQ((Row{"系统目录：", 4, ""}), rows[3]) << "the device path is not shown";
  EXPECT_EQ((Row{"文件目录：", 7, "C:\\Program Files"}), rows[6]);
  EXPECT_EQ((Row{"用户变量：", 9, "TMP = C:\\Temp"}), rows[8]);
  EXPECT_EQ((Row{"用户变量：", 10, "TEMP = %TEMP%"}), rows[9]);
  EXPECT_EQ((Row{"BIOS版本、名称或厂商:", 11, "VBOX   - 1 Award BIOS  "}), rows[10]);
  EXPECT_EQ((Row{"BIOS生产日期:", 2, "12/01/06"}), rows[12]);
  EXPECT_EQ((Row{"BIOS种类:", 3, "AT/AT COMPATIBLE"}), rows[13]);
  EXPECT_EQ((Row{"", 0, ""}), rows[14]);
}

// ---- the text pages ------------------------------------------------------------

TEST_F(InfoDialog, CdromPageShowsEachDriveAsOneBlock) {
  auto dialog = Open();
  EXPECT_EQ("", EditText(dialog->Tabs().PageAt(4), IDC_CDROM_TEXT)) << "no drive, no text";

  const auto dvd = Geometry(1000, 54, 64, 32, 2048);
  const auto dvdDescriptor = Descriptor(2, true, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00", nullptr);
  devices.cdroms = {"\\\\?\\ide#cdromhl-dt-st", "\\\\?\\usbstor#cdrom"};
  devices.devices[devices.cdroms[0]] = {true, true, dvd, dvdDescriptor};
  devices.devices[devices.cdroms[1]] = {true, true, Geometry(300, 51, 1, 1, 2048),
                                        Descriptor(7, true, "ASUS", "SDRW-08D2S-U", "B901", "KDAL")};
  dialog = Open();
  const std::string text = EditText(dialog->Tabs().PageAt(4), IDC_CDROM_TEXT);
  const std::string first =
      parvane::FormatStorageDevice(parvane::StorageVariant::Cdrom, "", dvd, dvdDescriptor);
  EXPECT_EQ(0u, text.find(first)) << text;
  EXPECT_NE(std::string::npos, first.find("光驱接口:            ATAPI    \r\n"));
  EXPECT_NE(std::string::npos, first.find("光驱名称:            DVD-ROM    \r\n"));
  EXPECT_NE(std::string::npos, first.find("= 4194304000 Bytes字节 (总计:4000 MB)\r\n"));
  const std::string second = text.substr(first.size());
  EXPECT_EQ(0u, second.find("\r\r\n光驱接口:            USB    \r\n")) << second;
  EXPECT_NE(std::string::npos, second.find("编号序号:            KDAL\r\n "));
}

TEST_F(InfoDialog, UsbPageEndsWithTheFlashDrivesInUse) {
  const std::string none = "\r\n没有U盘\r\n";
  auto dialog = Open();
  EXPECT_EQ(none, EditText(dialog->Tabs().PageAt(5), IDC_USB_TEXT));

  devices.disks = {"disk0"};
  devices.devices["disk0"] = {true, true, Geometry(60801, 12, 255, 63, 512),
                              Descriptor(3, false, nullptr, "ST500DM002", "KC45", "Z3T")};
  devices.mask = (1u << 2) | (1u << 4) | (1u << 6);  // C E G
  devices.removable = "EG";
  devices.devices["E:"] = {true, true, {}, parvane::NewDescriptorBuffer()};
  devices.devices["G:"] = {true, true, {}, parvane::NewDescriptorBuffer()};
  dialog = Open();
  const std::string text = EditText(dialog->Tabs().PageAt(5), IDC_USB_TEXT);
  EXPECT_EQ(0u, text.find("\r\r\n硬盘接口:            ATA     \r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("硬盘容量              = 500105249280 Bytes字节 (总计：476937 MB)\r\n"));
  const std::string tail = "\r\n 正在使用U盘:      EG盘";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
}

// ---- the health page ---------------------------------------------------------------

std::string DataFile(const char* dir, const std::string& name) { return ReadFile(std::string(dir) + "/" + name); }

parvane_test::FakeHealthDrive AtaHealthDrive(const std::string& drive, parvane::SmartStatus status) {
  parvane_test::FakeHealthDrive d;
  d.ata = parvane::ParseIdentifyDump(DataFile(DRAVON_SMART_DATA, drive + ".identify.hex"));
  d.data = parvane::ParseSmartDump(DataFile(DRAVON_SMART_DATA, drive + ".smart.hex"));
  d.thresholds = parvane::ParseSmartDump(DataFile(DRAVON_SMART_DATA, drive + ".thresholds.hex"));
  EXPECT_TRUE(d.ata && d.data && d.thresholds) << drive;
  d.status = status;
  return d;
}

parvane_test::FakeHealthDrive NvmeHealthDrive() {
  parvane_test::FakeHealthDrive d;
  auto controller = parvane::ParseNvmeDump(DataFile(DRAVON_NVME_DATA, "toshiba-thnsn5512gpu7.hex"));
  d.log = parvane::ParseNvmeHealthDump(DataFile(DRAVON_NVME_DATA, "health-checkbox-drive.hex"));
  EXPECT_TRUE(controller && d.log);
  if (controller) d.nvme = parvane::NvmeIdentify{*controller, std::nullopt};
  d.nvmeOnlyWith = parvane::DeviceAccess::QueryOnly;
  return d;
}

// Pumps until the page shows every drive's answer, or `ms` passed.
bool AnswersShown(CHealthPage& page, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (page.DrivesReading() > 0 && static_cast<LONG>(end - GetTickCount()) > 0) flush_events(20);
  return page.DrivesReading() == 0;
}

// Pumps until every drive's requests have ended (their threads are done),
// or `ms` passed.
bool RequestsEnded(const parvane_test::FakeLayer& devices, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (*devices.liveRequests > 0 && static_cast<LONG>(end - GetTickCount()) > 0) flush_events(20);
  return *devices.liveRequests == 0;
}

// Pixels of row `item`'s value, drawn as the list draws them, in `colour`
// or in its blend with the white ground (the text's smoothed edges).
int PixelsInColour(CListCtrl& list, int item, COLORREF colour) {
  list.EnsureVisible(item, false);
  const CRect client = list.GetClientRect();
  dravon_test::Canvas canvas(client.Width(), client.Height());
  list.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(static_cast<HDC>(canvas)), PRF_CLIENT | PRF_ERASEBKGND);
  const CRect cell = list.GetSubItemRect(item, 1, LVIR_LABEL);
  const double c[3] = {double(GetRValue(colour)), double(GetGValue(colour)), double(GetBValue(colour))};
  int matching = 0;
  for (int y = std::max<int>(cell.top, 0); y < std::min<int>(cell.bottom, client.bottom); ++y) {
    for (int x = std::max<int>(cell.left, 0); x < std::min<int>(cell.right, client.right); ++x) {
      const COLORREF px = canvas.Pixel(x, y);
      const double p[3] = {double(GetRValue(px)), double(GetGValue(px)), double(GetBValue(px))};
      // The nearest point of the line from white to the colour.
      double along = 0, length = 0;
      for (int i = 0; i < 3; ++i) {
        along += (255 - p[i]) * (255 - c[i]);
        length += (255 - c[i]) * (255 - c[i]);
      }
      const double t = along / length;
      double off = 0;
      for (int i = 0; i < 3; ++i) off += std::abs(255 - t * (255 - c[i]) - p[i]);
      matching += t > 0.3 && t < 1.1 && off < 36;
    }
  }
  return matching;
}

// Four drives behind the seam: an NVMe drive, an ATA drive that answers, one
// that reports it is failing, and one a standard user may not ask.
TEST_F(InfoDialog, HealthPageShowsEveryDriveOnceItAnswers) {
  devices.healthDrives[0] = NvmeHealthDrive();
  devices.healthDrives[1] = AtaHealthDrive("wdc-wd2500js-75ncb3-10.02e04", parvane::SmartStatus::Passing);
  devices.healthDrives[2] = AtaHealthDrive("samsung-hd501lj-cr100-12", parvane::SmartStatus::Failing);
  devices.healthDrives[4] = AtaHealthDrive("fujitsu-mhy2250bh-0085000b", parvane::SmartStatus::Passing);
  devices.healthDrives[4].refusesFullAccess = true;
  auto dialog = Open();
  auto* page = PageOf<CHealthPage>(*dialog, 6);
  ASSERT_NE(nullptr, page);
  ASSERT_TRUE(AnswersShown(*page, 10000));

  // The rows the page is made of, drive by drive, a blank row between them.
  std::vector<PageRow> model;
  std::vector<std::size_t> verdictRows;
  for (const auto& [number, drive] : devices.healthDrives) {
    parvane_test::FakeLayer one;
    one.healthDrives[number] = drive;
    const auto rows = parvane::DriveHealthRows(number, parvane::ReadDriveHealth(*one.OpenDriveRequests(number)));
    if (!model.empty()) model.push_back({"", I_IMAGENONE, std::nullopt});
    verdictRows.push_back(model.size() + rows.verdictRow);
    model.insert(model.end(), rows.rows.begin(), rows.rows.end());
  }
  model.push_back({"", 0, std::nullopt});
  const auto shown = ListRows(page->List());
  EXPECT_EQ(Expected(model), shown);
  ASSERT_EQ(4u, verdictRows.size());
  EXPECT_EQ((Row{"硬盘 0: THNSN5512GPU7 TOSHIBA", 0, "NVMe"}), shown.at(0));
  EXPECT_EQ((Row{"健康状态:", 2, "良好"}), shown.at(verdictRows[0]));
  EXPECT_EQ((Row{"剩余寿命:", 1, "100 %"}), shown.at(verdictRows[0] + 4));
  EXPECT_EQ((Row{"硬盘 1: WDC WD2500JS-75NCB3", 0, "ATA"}), shown.at(verdictRows[1] - 1));
  EXPECT_EQ((Row{"健康状态:", 2, "良好"}), shown.at(verdictRows[1]));
  EXPECT_EQ((Row{"健康状态:", 6, "不良 (硬盘报告即将故障，1 个重新分配扇区，1 个待映射扇区)"}),
            shown.at(verdictRows[2]));
  EXPECT_EQ((Row{"硬盘 4: FUJITSU MHY2250BH", 0, "ATA"}), shown.at(verdictRows[3] - 1));
  EXPECT_EQ((Row{"健康状态:", 9, "未知 (需要管理员权限)"}), shown.at(verdictRows[3]));

  // The verdicts' texts in their colours.
  EXPECT_GT(PixelsInColour(page->List(), static_cast<int>(verdictRows[2]), CHealthPage::kBadColour), 30);
  EXPECT_EQ(0, PixelsInColour(page->List(), static_cast<int>(verdictRows[2]), CHealthPage::kGoodColour));
  EXPECT_GT(PixelsInColour(page->List(), static_cast<int>(verdictRows[1]), CHealthPage::kGoodColour), 30);
  EXPECT_EQ(0, PixelsInColour(page->List(), static_cast<int>(verdictRows[1] + 1), CHealthPage::kGoodColour));
  dialog.reset();
  EXPECT_TRUE(RequestsEnded(devices, 10000)) << "every drive's requests ended with its answer";
}

TEST_F(InfoDialog, HealthPageWithoutDrivesSaysSo) {
  auto dialog = Open();
  auto* page = PageOf<CHealthPage>(*dialog, 6);
  ASSERT_NE(nullptr, page);
  EXPECT_EQ((std::vector<Row>{{"硬盘:", 9, "未找到硬盘"}, {"", 0, ""}}), ListRows(page->List()));
}

// A drive that takes its time (a failing one can take tens of seconds per
// command) holds up only its own rows: the dialog opens, the other drive
// fills in, and closing it waits for nothing.
TEST_F(InfoDialog, ASlowDriveNeitherHoldsTheDialogNorItsClosing) {
  auto gate = std::make_shared<parvane_test::Gate>();
  devices.healthDrives[0] = AtaHealthDrive("wdc-wd2500js-75ncb3-10.02e04", parvane::SmartStatus::Passing);
  devices.healthDrives[0].gate = gate;
  devices.healthDrives[1] = NvmeHealthDrive();
  const DWORD opening = GetTickCount();
  auto dialog = Open();
  const DWORD opened = GetTickCount() - opening;
  auto* page = PageOf<CHealthPage>(*dialog, 6);
  ASSERT_NE(nullptr, page);
  const DWORD end = GetTickCount() + 10000;
  while (page->DrivesReading() > 1 && static_cast<LONG>(end - GetTickCount()) > 0) flush_events(20);
  ASSERT_EQ(1, page->DrivesReading()) << "the NVMe drive answered";
  const auto rows = ListRows(page->List());
  EXPECT_EQ((Row{"硬盘 0:", 0, ""}), rows.at(0));
  EXPECT_EQ((Row{"健康状态:", 9, "正在读取…"}), rows.at(1));
  EXPECT_EQ((Row{"硬盘 1: THNSN5512GPU7 TOSHIBA", 0, "NVMe"}), rows.at(3));
  const DWORD closing = GetTickCount();
  dialog->SendMessage(WM_COMMAND, IDCANCEL);
  dialog.reset();
  const DWORD closed = GetTickCount() - closing;
  std::printf("opening took %lu ms, closing %lu ms, while a drive answered nothing\n", opened, closed);
  EXPECT_LT(opened, 5000u) << "the dialog never waits for the drive (held for a minute)";
  EXPECT_LT(closed, 5000u);
  EXPECT_EQ(1, *devices.liveRequests) << "the slow drive is still being asked";

  gate->Open();
  EXPECT_TRUE(RequestsEnded(devices, 10000)) << "its thread ended once the drive answered";
  flush_events(50);  // its answer posts nothing to the page that is gone
}

// ---- painting and lifetime -------------------------------------------------------

TEST_F(InfoDialog, MinimisedItDrawsItsIconInTheMiddle) {
  for (const int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    dravon_test::MonitorScale monitor(96);
    auto dialog = Open();
    if (dpi != 96) monitor.MoveTo(dialog->m_hWnd, static_cast<UINT>(dpi));
    dialog->ModifyStyle(0, WS_MINIMIZE);  // never shown: the state alone
    ASSERT_TRUE(dialog->IsIconic());
    const CRect client = dialog->GetClientRect();
    const int cx = afx::SystemMetricForDpi(SM_CXICON, static_cast<UINT>(dpi));
    const int cy = afx::SystemMetricForDpi(SM_CYICON, static_cast<UINT>(dpi));
    const int x = (client.Width() - cx + 1) / 2, y = (client.Height() - cy + 1) / 2;
    dravon_test::Canvas shown(client.Width(), client.Height());
    dialog->SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(static_cast<HDC>(shown)), PRF_CLIENT);
    // The icon's opaque pixels: the same on black and on white.
    dravon_test::Canvas onBlack(cx, cy), onWhite(cx, cy);
    onBlack.dc().FillSolidRect(CRect(0, 0, cx, cy), RGB(0, 0, 0));
    onWhite.dc().FillSolidRect(CRect(0, 0, cx, cy), RGB(255, 255, 255));
    DrawIconEx(onBlack, 0, 0, dialog->GetIcon(true), cx, cy, 0, nullptr, DI_NORMAL);
    DrawIconEx(onWhite, 0, 0, dialog->GetIcon(true), cx, cy, 0, nullptr, DI_NORMAL);
    int opaque = 0, same = 0;
    for (int j = 0; j < cy; ++j) {
      for (int i = 0; i < cx; ++i) {
        if (onBlack.Pixel(i, j) != onWhite.Pixel(i, j)) continue;
        ++opaque;
        same += shown.Pixel(x + i, y + j) == onBlack.Pixel(i, j);
      }
    }
    EXPECT_GT(opaque, cx * cy / 4);
    EXPECT_EQ(opaque, same);
  }
}

TEST_F(InfoDialog, EscapeAndTheCloseBoxEndIt) {
  for (UINT close : {0u, 1u}) {
    auto dialog = Open();
    HWND wnd = dialog->m_hWnd;
    if (close == 0) {
      dialog->SendMessage(WM_COMMAND, IDCANCEL);
    } else {
      dialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE);  // the close box; the dialog posts its cancel
      flush_events(20);
    }
    EXPECT_FALSE(IsWindow(wnd)) << close;
  }
}

// ---- display scale ------------------------------------------------------------

// The size of the icon an SS_ICON static shows.
SIZE IconSizeOf(HWND control) {
  auto icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return SIZE{0, 0};
  BITMAP bm{};
  GetObjectW(info.hbmMask, sizeof bm, &bm);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return SIZE{bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
}

// What a page shows that the scale decides.
struct PageScale {
  CRect at;                  // in the tab control
  std::vector<SIZE> icons;   // its strip's icons
  int footSide = 0;          // the larger side of the small icon's control
  CRect main;                // the main control, in the page
  int imageSize = 0;         // the list's row images
  int images = 0;
  std::vector<int> columns;  // the list's column widths
};

PageScale ScaleOf(CInfoPage& page) {
  PageScale s;
  s.at = page.GetRectInParent();
  for (HWND c = GetWindow(page.m_hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const auto style = GetWindowLongW(c, GWL_STYLE);
    if ((style & SS_TYPEMASK) != SS_ICON) continue;
    s.icons.push_back(IconSizeOf(c));
    if (style & SS_REALSIZECONTROL) {
      RECT r{};
      GetClientRect(c, &r);
      s.footSide = std::max<int>(r.right, r.bottom);
    }
  }
  HWND main = page.GetDlgItem(static_cast<int>(page.MainControlId()));
  GetWindowRect(main, &s.main);
  MapWindowPoints(nullptr, page.m_hWnd, reinterpret_cast<POINT*>(&s.main), 2);
  if (auto* list = dynamic_cast<CListPage*>(&page)) {
    HIMAGELIST images = ListView_GetImageList(list->List().m_hWnd, LVSIL_SMALL);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    s.imageSize = cx == cy ? cx : -1;
    s.images = ImageList_GetImageCount(images);
    for (int i = 0; i < 2; ++i) s.columns.push_back(list->List().GetColumnWidth(i));
  }
  return s;
}

TEST_F(InfoDialog, AtEveryScaleThePagesImagesColumnsAndTextsAreTheScaledOnes) {
  devices.drive0 = RecordedDrive("hitachi-hde721010sla330.hex");
  devices.healthDrives[0] = NvmeHealthDrive();
  for (const int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    dravon_test::MonitorScale monitor(96);
    auto dialog = Open();
    CSlideTabCtrl& tabs = dialog->Tabs();
    ASSERT_EQ(7, tabs.GetItemCount());
    std::vector<PageScale> at96;
    std::vector<std::vector<int>> cellsAt96;
    for (int i = 0; i < 7; ++i) {
      auto* page = PageOf<CInfoPage>(*dialog, i);
      ASSERT_NE(page, nullptr);
      at96.push_back(ScaleOf(*page));
      auto* list = dynamic_cast<CListPage*>(page);
      cellsAt96.push_back(list ? dravon_test::FittingCells(list->List().m_hWnd) : std::vector<int>{});
    }
    for (const auto& o : dravon_test::OverflowingTexts(dialog->m_hWnd, 96)) ADD_FAILURE() << "at 96: " << o;

    monitor.MoveTo(dialog->m_hWnd, static_cast<UINT>(dpi));
    auto within1 = [](int a, int b) { return std::abs(a - b) <= 1; };
    const CPoint origin(MulDiv(4, dpi, 96), MulDiv(28, dpi, 96));
    EXPECT_EQ(origin, tabs.PageOrigin());
    EXPECT_EQ(MulDiv(30, dpi, 96), tabs.SlideStep());
    CRect area = tabs.GetClientRect();
    tabs.AdjustRect(false, area);
    for (int i = 0; i < 7; ++i) {
      SCOPED_TRACE(i);
      auto* page = PageOf<CInfoPage>(*dialog, i);
      const PageScale now = ScaleOf(*page);
      const PageScale& was = at96[static_cast<std::size_t>(i)];
      EXPECT_EQ(origin, now.at.TopLeft());
      // The main control as the template makes it at the DPI, inside the room.
      EXPECT_TRUE(within1(now.main.left, MulDiv(was.main.left, dpi, 96))) << now.main.left;
      EXPECT_LE(now.main.right, area.right - origin.x - MulDiv(2, dpi, 96));
      EXPECT_LE(now.main.bottom, area.bottom - origin.y - MulDiv(2, dpi, 96));
      ASSERT_EQ(was.icons.size(), now.icons.size());
      ASSERT_EQ(2u, now.icons.size()) << "the strip's icon and its small one";
      // The strip's icon at the system's size for the DPI; the small one,
      // which its control sizes, made at the control's size.
      EXPECT_EQ(afx::SystemMetricForDpi(SM_CXICON, static_cast<UINT>(dpi)), now.icons[0].cx);
      EXPECT_TRUE(within1(now.footSide, MulDiv(was.footSide, dpi, 96))) << now.footSide;
      EXPECT_EQ(now.footSide, now.icons[1].cx);
      if (!was.columns.empty()) {
        EXPECT_EQ(MulDiv(16, dpi, 96), now.imageSize);
        EXPECT_EQ(was.images, now.images);
        EXPECT_EQ(20, now.images);
        for (std::size_t c = 0; c < 2; ++c)
          EXPECT_TRUE(within1(now.columns[c], MulDiv(was.columns[c], dpi, 96))) << now.columns[c];
        // Every cell that fits at 96 DPI fits here.
        auto* list = dynamic_cast<CListPage*>(page);
        const std::vector<int> cells = dravon_test::FittingCells(list->List().m_hWnd);
        for (int cell : cellsAt96[static_cast<std::size_t>(i)])
          EXPECT_TRUE(std::find(cells.begin(), cells.end(), cell) != cells.end()) << "cell " << cell;
      }
    }
    for (const auto& o : dravon_test::OverflowingTexts(dialog->m_hWnd, dpi)) ADD_FAILURE() << o;

    // Back at 96 DPI: as it opened.
    monitor.MoveTo(dialog->m_hWnd, 96);
    for (int i = 0; i < 7; ++i) {
      const PageScale back = ScaleOf(*PageOf<CInfoPage>(*dialog, i));
      const PageScale& was = at96[static_cast<std::size_t>(i)];
      EXPECT_EQ(was.at, back.at) << i;
      EXPECT_EQ(was.main, back.main) << i;
      EXPECT_EQ(was.columns, back.columns) << i;
      EXPECT_EQ(was.imageSize, back.imageSize) << i;
    }
    dialog->SendMessage(WM_COMMAND, IDCANCEL);
  }
}

TEST_F(InfoDialog, TwoHundredChangesOfScaleLeaveNoObjectBehind) {
  devices.healthDrives[0] = NvmeHealthDrive();
  dravon_test::MonitorScale monitor(96);
  auto dialog = Open();
  const PageScale first = ScaleOf(*PageOf<CInfoPage>(*dialog, 0));
  // Once at each scale first: what the controls make once (caches, a
  // tab control's arrows) is no leak.
  for (const UINT dpi : {120u, 192u}) {
    monitor.MoveTo(dialog->m_hWnd, dpi);
    monitor.MoveTo(dialog->m_hWnd, 96);
  }
  flush_events(20);
  const std::string windowsBefore = dravon_test::DescribeWindows();
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 100; ++i) {
    monitor.MoveTo(dialog->m_hWnd, i % 2 ? 120 : 192);
    monitor.MoveTo(dialog->m_hWnd, 96);
  }
  flush_events(20);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(std::abs(after.gdi - before.gdi), dravon_test::kGdiCacheSlack) << before.gdi << " " << after.gdi;
  EXPECT_EQ(after.user, before.user) << windowsBefore << "\n" << dravon_test::DescribeWindows();
  const PageScale last = ScaleOf(*PageOf<CInfoPage>(*dialog, 0));
  EXPECT_EQ(first.at, last.at);
  EXPECT_EQ(first.main, last.main);
  EXPECT_EQ(first.columns, last.columns);
  dialog->SendMessage(WM_COMMAND, IDCANCEL);
}

// Pictures for a person to look at: the USB page and the system page, shown
// at 144 and 192 DPI (build/win/screenshots/parvane-dpi*.bmp).
TEST_F(InfoDialog, ShownAtOneAndAHalfAndTwiceTheScale) {
  devices.drive0 = RecordedDrive("hitachi-hde721010sla330.hex");
  for (const int dpi : {144, 192}) {
    dravon_test::MonitorScale monitor(96);
    auto dialog = Open();
    dialog->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    monitor.MoveTo(dialog->m_hWnd, static_cast<UINT>(dpi));
    flush_events(200);
    const std::wstring name = L"parvane-dpi" + std::to_wstring(dpi);
    dravon_test::Save(dravon_test::Capture(dialog->m_hWnd), (name + L"-usb.bmp").c_str());
    const CRect first = dialog->Tabs().GetItemRect(0);
    const LPARAM middle = MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2);
    dialog->Tabs().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, middle);
    dialog->Tabs().SendMessage(WM_LBUTTONUP, 0, middle);
    for (int i = 0; i < 40 && dialog->Tabs().SlidingPage(); ++i) flush_events(30);
    flush_events(100);
    dravon_test::Save(dravon_test::Capture(dialog->m_hWnd), (name + L"-system.bmp").c_str());
    dialog->SendMessage(WM_COMMAND, IDCANCEL);
  }
}

// At the system's scale from the start (run by tests/win/common/at-scale.sh
// in a prefix of 144 DPI; skipped at 96): the template laid out by the
// system's font for the DPI, and what the pages draw themselves made for it.
TEST_F(InfoDialog, OpensAtTheSystemScale) {
  ASSERT_TRUE(dravon_test::MakeProcessDpiAware()) << GetLastError();
  const int dpi = static_cast<int>(afx::SystemDpi());
  if (dpi == 96) GTEST_SKIP() << "the prefix is at 96 DPI";
  devices.drive0 = RecordedDrive("hitachi-hde721010sla330.hex");
  devices.healthDrives[0] = NvmeHealthDrive();
  auto dialog = Open();
  ASSERT_EQ(static_cast<UINT>(dpi), dialog->GetDpi());
  CSlideTabCtrl& tabs = dialog->Tabs();
  const CPoint origin(MulDiv(4, dpi, 96), MulDiv(28, dpi, 96));
  EXPECT_EQ(origin, tabs.PageOrigin());
  const int keyWidths[] = {MulDiv(245, dpi, 96), MulDiv(265, dpi, 96), MulDiv(170, dpi, 96)};
  for (int i = 0; i < tabs.GetItemCount(); ++i) {
    SCOPED_TRACE(i);
    auto* page = PageOf<CInfoPage>(*dialog, i);
    const PageScale now = ScaleOf(*page);
    EXPECT_EQ(origin, now.at.TopLeft());
    ASSERT_EQ(2u, now.icons.size());
    EXPECT_EQ(afx::SystemMetricForDpi(SM_CXICON, static_cast<UINT>(dpi)), now.icons[0].cx);
    EXPECT_EQ(now.footSide, now.icons[1].cx);
    if (now.columns.empty()) continue;
    EXPECT_EQ(MulDiv(16, dpi, 96), now.imageSize);
    EXPECT_EQ(20, now.images);
    EXPECT_NE(std::end(keyWidths), std::find(std::begin(keyWidths), std::end(keyWidths), now.columns[0]));
    EXPECT_EQ(MulDiv(300, dpi, 96), now.columns[1]);
  }
  for (const auto& o : dravon_test::OverflowingTexts(dialog->m_hWnd, dpi)) ADD_FAILURE() << o;
  dialog->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  flush_events(200);
  dravon_test::Save(dravon_test::Capture(dialog->m_hWnd), (L"parvane-start" + std::to_wstring(dpi) + L".bmp").c_str());
  dialog->SendMessage(WM_COMMAND, IDCANCEL);
}

TEST_F(InfoDialog, OpenedAndClosedTwoHundredTimesLeavesNoWindowOrObject) {
  devices.drive0 = RecordedDrive("hitachi-hde721010sla330.hex");
  // Drives answering on threads of their own, often after the dialog closed.
  devices.healthDrives[0] = NvmeHealthDrive();
  devices.healthDrives[1] = AtaHealthDrive("st9100821as-3.cme", parvane::SmartStatus::Passing);
  devices.cdroms = {"cd0"};
  devices.devices["cd0"] = {true, true, Geometry(1000, 54, 64, 32, 2048),
                            Descriptor(2, true, "HL-DT-ST", "DVDRAM", "LG00", nullptr)};
  auto cycle = [&](bool draw) {
    auto dialog = Open();
    if (!dialog->m_hWnd) return false;
    if (draw) {
      // Drawn, pages and lists with their images, into a memory DC.
      const CRect r = dialog->GetClientRect();
      dravon_test::Canvas canvas(r.Width(), r.Height());
      dialog->SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(static_cast<HDC>(canvas)),
                          PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
    }
    dialog->Tabs().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));  // a slide starts
    dialog->SendMessage(WM_COMMAND, IDCANCEL);
    return !dialog->m_hWnd;
  };
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(cycle(true));
  flush_events(20);
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  ASSERT_GT(before.gdi, 0);
  // Drawing costs Wine most of a cycle; every tenth one is drawn.
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(cycle(i % 10 == 0)) << i;
  flush_events(20);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_GE(after.gdi, before.gdi - dravon_test::kGdiCacheSlack);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(after.user, before.user) << dravon_test::DescribeWindows();
  EXPECT_EQ(0, afx::WindowsEndedByBase());
  EXPECT_TRUE(RequestsEnded(devices, 10000)) << "every drive's thread ended";
}

}  // namespace
