// The four pages as the user meets them: the check marks and labels they
// start with, what a click writes (exact type and bytes, read back), the
// sliders' releases and the lists' changes, all through the controls'
// own messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "res/tunara/resource.h"
#include "tests/win/tunara/OptimizeDlgTestSupport.h"
#include "tunara/LevelTables.h"

namespace tunara_test {
namespace {

using tunara::LevelControl;
using tunara::LevelKind;
using tunara::LevelRow;
using tunara::StateTest;

constexpr std::wstring_view kError = L"优化错误!";

// How each row starts when its value is missing.
bool StartsCheckedWhenMissing(const TweakOption& row) {
  switch (row.test) {
    case StateTest::NumberText: return row.operand == 0;  // missing reads as 0
    case StateTest::DwordZero: return true;
    default: return false;
  }
}

class TweakPagesDialog : public OptimizeDialogTest,
                         public ::testing::WithParamInterface<PageId> {
 protected:
  void ExpectStart(const TweakOption& row, bool checked, const char* scenario) {
    SCOPED_TRACE(std::string(scenario) + ", box " + std::to_string(row.box));
    EXPECT_EQ(checked, Checked(Item(GetParam(), row.box)));
    const std::wstring label = row.test == StateTest::NotRead ? L""
                               : checked                      ? W(row.onText)
                                                              : W(row.StartOffText());
    EXPECT_EQ(label, Text(Item(GetParam(), row.status)));
  }
  // A click whose write fails: the error shows and the mark stays as the
  // registry still has it.
  void ExpectClickFailsKeepingTheMark(const TweakOption& row) {
    SCOPED_TRACE("box " + std::to_string(row.box));
    HWND box = Item(GetParam(), row.box);
    const bool before = Checked(box);
    Click(box);
    EXPECT_EQ(before, Checked(box));
    EXPECT_EQ(kError, Text(Item(GetParam(), row.status)));
  }
  void ExpectWritten(const TweakOption& row, const TweakData& data) {
    for (std::string_view value : row.Values()) {
      DWORD type = 0;
      EXPECT_EQ(Encoded(row.type, data), Stored(row.root, row.key, value, &type)) << value;
      EXPECT_EQ(row.type, type) << value;
    }
  }
};

TEST_P(TweakPagesDialog, EveryBoxStartsFromAPassingAFailingAndAMissingValue) {
  const auto rows = tunara::TweakOptions(GetParam());
  for (const TweakOption& row : rows) Store(row, row.on);
  Open();
  for (const TweakOption& row : rows) ExpectStart(row, row.test != StateTest::NotRead, "passing");

  for (const TweakOption& row : rows) Store(row, row.off);
  Open();
  for (const TweakOption& row : rows) ExpectStart(row, false, "failing");

  RegDeleteTreeW(lm_, nullptr);
  RegDeleteTreeW(cu_, nullptr);
  Open();
  for (const TweakOption& row : rows) ExpectStart(row, StartsCheckedWhenMissing(row), "missing");
}

TEST_P(TweakPagesDialog, EachClickWritesItsDataAtOnceAndTheSecondUndoesIt) {
  const auto rows = tunara::TweakOptions(GetParam());
  for (const TweakOption& row : rows) Store(row, row.off);
  Open();
  for (const TweakOption& row : rows) {
    SCOPED_TRACE("box " + std::to_string(row.box));
    HWND box = Item(GetParam(), row.box);
    HWND status = Item(GetParam(), row.status);
    Click(box);
    EXPECT_TRUE(Checked(box));
    EXPECT_EQ(W(row.onText), Text(status));
    ExpectWritten(row, row.on);
    Click(box);
    EXPECT_FALSE(Checked(box));
    EXPECT_EQ(W(row.offText), Text(status));
    ExpectWritten(row, row.off);
  }
}

TEST_P(TweakPagesDialog, AClickWhoseKeyIsMissingShowsTheErrorAndTheMarkAsItWas) {
  Open();
  for (const TweakOption& row : tunara::TweakOptions(GetParam())) {
    if (row.open == tunara::KeyOpen::OpenOrCreate) continue;  // it makes its key
    ExpectClickFailsKeepingTheMark(row);  // nothing was written
    for (std::string_view value : row.Values()) EXPECT_TRUE(Stored(row.root, row.key, value).empty()) << "box " << row.box;
  }
}

// A standard user: every machine key exists and holds the opposite of the
// missing-value state, but no write may change it.
TEST_P(TweakPagesDialog, AStandardUsersDeniedWritesLeaveEveryControlAsTheRegistryHasIt) {
  for (const TweakOption& row : tunara::TweakOptions(GetParam())) {
    if (row.root == platform::RegRoot::LocalMachine) Store(row, StartsCheckedWhenMissing(row) ? row.off : row.on);
  }
  // Every level at its second row.
  for (const LevelControl* level : tunara::LevelControls(GetParam())) {
    MakeKeyIn(level->root, level->systemKey);
    if (level->HasOwnRecord()) StoreDword(level->ownKey, level->ownValue, level->rows[1].level);
    else StoreDword(level->systemKey, level->systemValue, level->rows[1].systemValue);
  }
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", L"1");
  Open();
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", nullptr);
  for (const TweakOption& row : tunara::TweakOptions(GetParam())) {
    if (row.root != platform::RegRoot::LocalMachine) continue;
    ExpectClickFailsKeepingTheMark(row);
  }
  for (const LevelControl* level : tunara::LevelControls(GetParam())) {
    SCOPED_TRACE("level " + std::to_string(level->control));
    HWND control = Item(GetParam(), level->control);
    if (level->kind == LevelKind::Slider) {
      SendMessageW(control, TBM_SETPOS, TRUE, static_cast<LPARAM>(level->rows.size()));
      Release(control);
      EXPECT_EQ(2, SendMessageW(control, TBM_GETPOS, 0, 0)) << "the thumb goes back";
    } else {
      HWND combo = reinterpret_cast<HWND>(SendMessageW(control, CBEM_GETCOMBOCONTROL, 0, 0));
      SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
      EXPECT_EQ(1, SendMessageW(control, CB_GETCURSEL, 0, 0)) << "the stored item is selected";
    }
    EXPECT_EQ(kError, Text(Item(GetParam(), level->textBox)));
    if (level->HasOwnRecord()) {
      EXPECT_EQ(Dword(level->rows[1].level), Stored(level->root, level->ownKey, level->ownValue));
      EXPECT_TRUE(Stored(level->root, level->systemKey, level->systemValue).empty());
    } else {
      EXPECT_EQ(Dword(level->rows[1].systemValue), Stored(level->root, level->systemKey, level->systemValue));
    }
  }
}

TEST_P(TweakPagesDialog, SlidersWriteOnReleaseAtEveryPosition) {
  for (const LevelControl* level : tunara::LevelControls(GetParam())) {
    if (level->kind != LevelKind::Slider) continue;
    SCOPED_TRACE("slider " + std::to_string(level->control));
    MakeKeyIn(level->root, level->systemKey);
    if (level->HasOwnRecord()) MakeKeyIn(level->root, level->ownKey);
    Open();
    HWND slider = Item(GetParam(), level->control);
    EXPECT_EQ(1, SendMessageW(slider, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(static_cast<LRESULT>(level->rows.size()), SendMessageW(slider, TBM_GETRANGEMAX, 0, 0));
    EXPECT_FALSE(GetWindowLongW(slider, GWL_STYLE) & TBS_AUTOTICKS);
    EXPECT_TRUE(GetWindowLongW(slider, GWL_STYLE) & TBS_NOTICKS);
    for (const LevelRow& row : level->rows) {
      SendMessageW(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(row.level));
      Release(slider);
      EXPECT_EQ(Dword(row.systemValue), Stored(level->root, level->systemKey, level->systemValue));
      if (level->HasOwnRecord()) {
        EXPECT_EQ(Dword(row.level), Stored(level->root, level->ownKey, level->ownValue));
      }
      EXPECT_EQ(W(row.changeText), Text(Item(GetParam(), level->textBox)));
    }
  }
}

TEST_P(TweakPagesDialog, ListsWriteEveryItemChosenWithTheKeyboard) {
  for (const LevelControl* level : tunara::LevelControls(GetParam())) {
    if (level->kind != LevelKind::List) continue;
    MakeKeyIn(level->root, level->systemKey);
    Open();
    HWND list = Item(GetParam(), level->control);
    EXPECT_EQ(static_cast<LRESULT>(level->rows.size()), SendMessageW(list, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(CB_ERR, SendMessageW(list, CB_GETCURSEL, 0, 0)) << "nothing chosen at start";
    EXPECT_NE(nullptr, reinterpret_cast<HIMAGELIST>(SendMessageW(list, CBEM_GETIMAGELIST, 0, 0)));
    HWND combo = reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETCOMBOCONTROL, 0, 0));
    int index = 0;
    for (const LevelRow& row : level->rows) {
      SCOPED_TRACE("item " + std::to_string(index));
      COMBOBOXEXITEMW item{};
      wchar_t text[128] = {};
      item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
      item.iItem = index;
      item.pszText = text;
      item.cchTextMax = 128;
      ASSERT_TRUE(SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      EXPECT_EQ(W(row.itemText), text);
      EXPECT_EQ(index, item.iImage);
      EXPECT_EQ(index, item.iSelectedImage);
      // Down arrow in the closed list: the next item, and its change.
      SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
      EXPECT_EQ(index, SendMessageW(list, CB_GETCURSEL, 0, 0));
      EXPECT_EQ(Dword(row.systemValue), Stored(level->root, level->systemKey, level->systemValue));
      EXPECT_EQ(W(row.changeText), Text(Item(GetParam(), level->textBox)));
      ++index;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, TweakPagesDialog, ::testing::ValuesIn(kPages),
                         [](const auto& info) {
                           switch (info.param) {
                             case PageId::Disk: return "Disk";
                             case PageId::Memory: return "Memory";
                             case PageId::Cdrom: return "Cdrom";
                             case PageId::Ntfs: return "Ntfs";
                           }
                           return "Page";
                         });

using PageStarts = OptimizeDialogTest;

constexpr std::string_view kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

TEST_F(PageStarts, WaitTimeShowsOnlyAStoredLevel) {
  HWND slider = nullptr;
  StoreDword(kSessionManager, "AutoChkTimeOut", 10);
  Open();
  slider = Item(PageId::Disk, IDC_DISK_WAIT_SLIDER);
  EXPECT_EQ(2, SendMessageW(slider, TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"自动检测等待时间10秒", Text(Item(PageId::Disk, IDC_DISK_WAIT_TEXT)));
  for (DWORD notALevel : {0u, 5u}) {
    StoreDword(kSessionManager, "AutoChkTimeOut", notALevel);
    Open();
    slider = Item(PageId::Disk, IDC_DISK_WAIT_SLIDER);
    EXPECT_EQ(1, SendMessageW(slider, TBM_GETPOS, 0, 0)) << notALevel;
    EXPECT_EQ(L"", Text(Item(PageId::Disk, IDC_DISK_WAIT_TEXT))) << notALevel;
  }
  // The box writes the same value; neither follows the other.
  Click(Item(PageId::Disk, IDC_DISK_AUTOCHK));
  EXPECT_EQ(Dword(0), Stored(platform::RegRoot::LocalMachine, kSessionManager, "AutoChkTimeOut"));
  EXPECT_EQ(1, SendMessageW(slider, TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"", Text(Item(PageId::Disk, IDC_DISK_WAIT_TEXT)));
}

TEST_F(PageStarts, LevelsStartFromTheOwnRecordsAndListsSelectNothing) {
  // The system value alone does not move the disk-buffer slider.
  StoreDword("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
             "IoPageLockLimit", 100000);
  StoreDword("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"
             "PrefetchParameters",
             "EnablePrefetcher", 3);
  StoreDword("SOFTWARE\\Tarvik\\CDROM", "EnablePrefetcher", 3);
  StoreDword("SOFTWARE\\Tarvik\\CD", "EnCDFS", 2);
  StoreDword("SYSTEM\\CurrentControlSet\\Control\\FileSystem", "NtfsMftZoneReservation", 2);
  Open();
  EXPECT_EQ(1, SendMessageW(Item(PageId::Memory, IDC_MEM_BUFFER_SLIDER), TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"", Text(Item(PageId::Memory, IDC_MEM_BUFFER_TEXT)));
  EXPECT_EQ(L"3-前两者皆预读(推荐使用)", Text(Item(PageId::Memory, IDC_MEM_PREFETCH_TEXT)));
  EXPECT_EQ(CB_ERR, SendMessageW(Item(PageId::Memory, IDC_MEM_PREFETCH_LIST), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(3, SendMessageW(Item(PageId::Cdrom, IDC_CD_SPEED_SLIDER), TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"     16倍速", Text(Item(PageId::Cdrom, IDC_CD_SPEED_TEXT)));
  EXPECT_EQ(2, SendMessageW(Item(PageId::Cdrom, IDC_CD_CACHE_SLIDER), TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"适中", Text(Item(PageId::Cdrom, IDC_CD_CACHE_TEXT)));
  EXPECT_EQ(L"中等:MFT占整个卷的25%", Text(Item(PageId::Ntfs, IDC_NTFS_MFT_TEXT)));
  EXPECT_EQ(CB_ERR, SendMessageW(Item(PageId::Ntfs, IDC_NTFS_MFT_LIST), CB_GETCURSEL, 0, 0));

  StoreDword("SOFTWARE\\Tarvik\\HD", "IoPage", 4);
  Open();
  EXPECT_EQ(4, SendMessageW(Item(PageId::Memory, IDC_MEM_BUFFER_SLIDER), TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"     当前为2G内存的磁盘缓冲值", Text(Item(PageId::Memory, IDC_MEM_BUFFER_TEXT)));
}

TEST_F(PageStarts, OneMissingValueReadsOppositelyOnTwoPages) {
  Open();
  EXPECT_TRUE(Checked(Item(PageId::Disk, IDC_DISK_NO_FILE_CACHE)));
  EXPECT_EQ(L"已优化", Text(Item(PageId::Disk, IDC_DISK_NO_FILE_CACHE_STATUS)));
  EXPECT_FALSE(Checked(Item(PageId::Ntfs, IDC_NTFS_CACHING)));
  EXPECT_EQ(L"禁止缓存", Text(Item(PageId::Ntfs, IDC_NTFS_CACHING_STATUS)));
}

TEST_F(PageStarts, DraggingWritesNothingUntilTheRelease) {
  MakeKeyIn(platform::RegRoot::LocalMachine, kSessionManager);
  Open();
  HWND slider = Item(PageId::Disk, IDC_DISK_WAIT_SLIDER);
  RECT thumb{}, channel{};
  SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  SendMessageW(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  const int y = (thumb.top + thumb.bottom) / 2;
  SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((thumb.left + thumb.right) / 2, y));
  SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(channel.right + 20, y));
  EXPECT_EQ(5, SendMessageW(slider, TBM_GETPOS, 0, 0)) << "the thumb follows the drag";
  EXPECT_TRUE(Stored(platform::RegRoot::LocalMachine, kSessionManager, "AutoChkTimeOut").empty());
  EXPECT_EQ(L"", Text(Item(PageId::Disk, IDC_DISK_WAIT_TEXT)));
  SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(channel.right + 20, y));
  EXPECT_EQ(Dword(40), Stored(platform::RegRoot::LocalMachine, kSessionManager, "AutoChkTimeOut"));
  EXPECT_EQ(L"自动检测等待时间40秒", Text(Item(PageId::Disk, IDC_DISK_WAIT_TEXT)));
}

TEST_F(PageStarts, AFailedLevelWriteShowsTheErrorInItsBox) {
  Open();  // no keys at all: the system values cannot be written
  HWND slider = Item(PageId::Cdrom, IDC_CD_SPEED_SLIDER);
  SendMessageW(slider, TBM_SETPOS, TRUE, 7);
  Release(slider);
  EXPECT_EQ(kError, Text(Item(PageId::Cdrom, IDC_CD_SPEED_TEXT)));
  EXPECT_EQ(1, SendMessageW(slider, TBM_GETPOS, 0, 0));
  // The own record's key was made by the write, its level put back to none.
  EXPECT_EQ(Dword(0), Stored(platform::RegRoot::LocalMachine, tunara::kOwnCdromKey, "EnablePrefetcher"));
  HWND combo = reinterpret_cast<HWND>(
      SendMessageW(Item(PageId::Ntfs, IDC_NTFS_MFT_LIST), CBEM_GETCOMBOCONTROL, 0, 0));
  SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(kError, Text(Item(PageId::Ntfs, IDC_NTFS_MFT_TEXT)));
}

TEST_F(PageStarts, DiskQuotaClickCreatesItsPolicyKey) {
  Open();
  HWND box = Item(PageId::Disk, IDC_DISK_QUOTA);
  EXPECT_EQ(L"未启用", Text(Item(PageId::Disk, IDC_DISK_QUOTA_STATUS)));
  Click(box);
  EXPECT_EQ(L"已启用", Text(Item(PageId::Disk, IDC_DISK_QUOTA_STATUS)));
  DWORD type = 0;
  EXPECT_EQ(Dword(1), Stored(platform::RegRoot::LocalMachine,
                             "Software\\Policies\\Microsoft\\Windows NT\\DiskQuota", "Enable", &type));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
}

TEST_F(PageStarts, TrayButtonsChangeNothingOnThePage) {
  Open();
  HWND page = Page(PageId::Cdrom);
  std::vector<std::wstring> before;
  for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) before.push_back(Text(c));
  Click(Item(PageId::Cdrom, IDC_CD_TRAY_OPEN));
  Click(Item(PageId::Cdrom, IDC_CD_TRAY_CLOSE));
  std::vector<std::wstring> after;
  for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) after.push_back(Text(c));
  EXPECT_EQ(before, after);
  EXPECT_EQ(L"弹出", Text(Item(PageId::Cdrom, IDC_CD_TRAY_OPEN)));
  EXPECT_EQ(L"关闭", Text(Item(PageId::Cdrom, IDC_CD_TRAY_CLOSE)));
}

TEST_F(PageStarts, CdromDriveTextIsTheLastCdromAmongAToJ) {
  std::wstring expected;
  for (wchar_t letter = L'A'; letter <= L'J'; ++letter) {
    const wchar_t root[] = {letter, L':', L'\\', 0};
    if (GetDriveTypeW(root) == DRIVE_CDROM) expected = std::wstring(L" ") + root + L" 盘 ";
  }
  Open();
  EXPECT_EQ(expected, Text(Item(PageId::Ntfs, IDC_NTFS_CDROM_DRIVE)));
}

}  // namespace
}  // namespace tunara_test
