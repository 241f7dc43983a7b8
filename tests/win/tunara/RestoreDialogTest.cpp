// The dialog on a given Windows: the rows it ignores disabled with who read
// them, the others as ever; and "恢复原始设置", with and without the rights.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <set>
#include <tuple>

#include "framework/Elevation.h"
#include "res/tunara/resource.h"
#include "tests/win/tunara/OptimizeDlgTestSupport.h"
#include "tunara/LevelTables.h"
#include "tunara/OriginalSettings.h"
#include "tunara/ValueEffects.h"

namespace tunara_test {
namespace {

using platform::OsVersion;
using tunara::LevelControl;
using RestoreDialog = OptimizeDialogTest;

const OsVersion kTen{10, 0, 19045, 2, ""};
const OsVersion kXp{5, 1, 2600, 2, "Service Pack 3"};

bool RowHonoured(const OsVersion& v, const TweakOption& row) {
  for (std::string_view value : row.Values())
    if (!tunara::ReadsValue(v, tunara::FindValueEffect(row.root, row.key, value))) return false;
  return true;
}

const tunara::ValueEffect* LevelEffect(const LevelControl& level) {
  return tunara::FindValueEffect(level.root, level.systemKey, level.systemValue);
}

// A control as the user sees it.
using Look = std::tuple<bool, LRESULT, std::wstring>;  // enabled, check, text

class HonestRows : public RestoreDialog {
 protected:
  static Look LookOf(HWND control) {
    return {IsWindowEnabled(control) != FALSE, SendMessageW(control, BM_GETCHECK, 0, 0), Text(control)};
  }
  std::wstring TipOf(PageId page, int id) {
    auto* tweakPage = static_cast<CTweakPage*>(dialog_->TabSheet().GetPage(static_cast<int>(page)));
    if (!tweakPage->ToolTips()) return L"(none)";
    wchar_t text[128] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = Page(page);
    tool.uId = static_cast<UINT_PTR>(id);
    tool.lpszText = text;
    SendMessageW(tweakPage->ToolTips(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    return text;
  }
  std::map<std::pair<PageId, int>, Look> Looks() {
    std::map<std::pair<PageId, int>, Look> looks;
    for (PageId page : kPages) {
      for (const TweakOption& row : tunara::TweakOptions(page)) {
        looks[{page, row.box}] = LookOf(Item(page, row.box));
        looks[{page, row.status}] = LookOf(Item(page, row.status));
      }
      for (const LevelControl* level : tunara::LevelControls(page))
        looks[{page, level->textBox}] = LookOf(Item(page, level->textBox));
    }
    return looks;
  }
};

TEST_F(HonestRows, RowsTheRunningWindowsIgnoresAreDisabledWithWhoReadThem) {
  for (PageId page : kPages)
    for (const TweakOption& row : tunara::TweakOptions(page)) Store(row, row.on);
  Open();
  const auto everyRow = Looks();
  for (const OsVersion& version : {kTen, kXp}) {
    SCOPED_TRACE(version.major);
    Open(version);
    const auto looks = Looks();
    int ignored = 0;
    for (PageId page : kPages) {
      for (const TweakOption& row : tunara::TweakOptions(page)) {
        SCOPED_TRACE("box " + std::to_string(row.box));
        if (RowHonoured(version, row)) {
          // As without any version: enabled, the same mark and words.
          EXPECT_EQ(everyRow.at({page, row.box}), looks.at({page, row.box}));
          EXPECT_EQ(everyRow.at({page, row.status}), looks.at({page, row.status}));
          continue;
        }
        ++ignored;
        EXPECT_FALSE(IsWindowEnabled(Item(page, row.box)));
        EXPECT_EQ(std::get<1>(everyRow.at({page, row.box})), Checked(Item(page, row.box)) ? 1 : 0)
            << "the mark shows what is stored";
        EXPECT_EQ(W(tunara::kNoEffectText), Text(Item(page, row.status)));
        const auto* effect = tunara::FindValueEffect(row.root, row.key, row.Values()[0]);
        EXPECT_EQ(W(effect->readBy), TipOf(page, row.box));
        EXPECT_EQ(W(effect->readBy), TipOf(page, row.status));
      }
      for (const LevelControl* level : tunara::LevelControls(page)) {
        SCOPED_TRACE("level " + std::to_string(level->control));
        const bool honoured = tunara::ReadsValue(version, LevelEffect(*level));
        EXPECT_EQ(honoured, IsWindowEnabled(Item(page, level->control)) != FALSE);
        if (honoured) {
          EXPECT_EQ(everyRow.at({page, level->textBox}), looks.at({page, level->textBox}));
        } else {
          ++ignored;
          EXPECT_EQ(W(tunara::kNoEffectText), Text(Item(page, level->textBox)));
          EXPECT_EQ(W(LevelEffect(*level)->readBy), TipOf(page, level->control));
        }
      }
    }
    // Windows 10 ignores the 9x, 2000 and XP values (five rows, three
    // sliders); XP the 9x and 2000 ones.
    EXPECT_EQ(version.major == 10 ? 8 : 6, ignored);
  }
}

// The shield requests sent to the restore button, seen on the way in.
int g_shields = 0;
LRESULT CALLBACK CountShields(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == BCM_SETSHIELD && call->lParam == TRUE &&
      GetDlgCtrlID(call->hwnd) == IDC_OPTIMIZE_RESTORE)
    ++g_shields;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The values of every key the pages write, and whether the key is there:
// the registry as far as the pages can touch it.
using Dump = std::map<std::wstring, std::map<std::wstring, std::pair<DWORD, Bytes>>>;

class RestoreAll : public RestoreDialog {
 protected:
  Dump DumpTouched() {
    std::set<std::pair<HKEY, std::wstring>> keys;
    for (const tunara::WrittenValue& at : tunara::WrittenValues()) {
      // The key and its parents: a click may make them.
      std::wstring path = KeyPath(at.key);
      for (;;) {
        keys.insert({RootOf(at.root), path});
        const auto cut = path.rfind(L'\\');
        if (cut == std::wstring::npos) break;
        path.resize(cut);
      }
    }
    keys.insert({lm_, KeyPath(tunara::kOriginalsKey)});
    Dump dump;
    for (const auto& [root, path] : keys) {
      HKEY key = nullptr;
      const std::wstring name = (root == lm_ ? L"HKLM\\" : L"HKCU\\") + path;
      if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
      auto& values = dump[name];
      for (DWORD i = 0;; ++i) {
        wchar_t valueName[256] = {};
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
          break;
        Bytes data(size);
        nameLength = 256;
        RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type, data.data(), &size);
        values[valueName] = {type, data};
      }
      RegCloseKey(key);
    }
    return dump;
  }
  HWND Restore() const { return GetDlgItem(dialog_->m_hWnd, IDC_OPTIMIZE_RESTORE); }
  std::wstring Result() const { return Text(GetDlgItem(dialog_->m_hWnd, IDC_OPTIMIZE_RESTORE_RESULT)); }
  void SelectNext(PageId page, int list) {
    HWND combo = reinterpret_cast<HWND>(SendMessageW(Item(page, list), CBEM_GETCOMBOCONTROL, 0, 0));
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
  }
  void ReleaseAt(PageId page, int slider, int position) {
    SendMessageW(Item(page, slider), TBM_SETPOS, TRUE, position);
    Release(Item(page, slider));
  }
};

TEST_F(RestoreAll, AfterChangesOnAllFourPagesTheRegistryIsAsBefore) {
  // Values that are there (a DWORD, a text an editor stored, a binary, a
  // value the system manages) and values and keys that are not.
  const TweakOption& guest = *tunara::FindTweakOption(PageId::Disk, IDC_DISK_NTFS_SECURITY);
  const TweakOption& cache = *tunara::FindTweakOption(PageId::Memory, IDC_MEM_LARGE_CACHE);
  const TweakOption& cdroms = *tunara::FindTweakOption(PageId::Cdrom, IDC_CD_ALLOCATE_CDROMS);
  const TweakOption& access = *tunara::FindTweakOption(PageId::Ntfs, IDC_NTFS_LAST_ACCESS);
  StoreDword(guest.key, "forceguest", 5);
  Store(cdroms, TweakData{"0", 0});
  PutW(KeyPath(cache.key).c_str(), L"LargeSystemCache", REG_BINARY, "\x01\x02\x03", 3);
  StoreDword(access.key, "NtfsDisableLastAccessUpdate", 0x80000002);
  for (std::string_view key : {tunara::CdCacheLevels().systemKey, tunara::WaitTimeLevels().systemKey,
                               tunara::PrefetchLevels().systemKey, std::string_view("Software\\Policies\\Microsoft"),
                               tunara::kOwnHdKey, tunara::kOwnCdromKey})  // the program makes two of its three
    MakeKeyIn(platform::RegRoot::LocalMachine, key);
  const Dump before = DumpTouched();

  Open();
  EXPECT_FALSE(IsWindowEnabled(Restore())) << "nothing on record yet";
  Click(Item(PageId::Disk, guest.box));
  Click(Item(PageId::Disk, IDC_DISK_QUOTA));  // makes its policy key
  ReleaseAt(PageId::Disk, IDC_DISK_WAIT_SLIDER, 3);
  Click(Item(PageId::Memory, cache.box));
  SelectNext(PageId::Memory, IDC_MEM_PREFETCH_LIST);
  Click(Item(PageId::Cdrom, cdroms.box));
  ReleaseAt(PageId::Cdrom, IDC_CD_CACHE_SLIDER, 2);  // the own record's key is made too
  Click(Item(PageId::Ntfs, access.box));
  Click(Item(PageId::Ntfs, access.box));
  SelectNext(PageId::Ntfs, IDC_NTFS_MFT_LIST);
  ASSERT_NE(before, DumpTouched());
  ASSERT_TRUE(IsWindowEnabled(Restore()));

  Click(Restore());
  // Each value written counts once: guest, quota, wait time, cache,
  // prefetch, cdroms, CacheSize and EnCDFS, last access, MFT zone.
  EXPECT_EQ(L"已恢复 10 项设置", Result());
  EXPECT_EQ(before, DumpTouched());
  EXPECT_FALSE(IsWindowEnabled(Restore()));
  // Every page shows the registry as at opening.
  EXPECT_FALSE(Checked(Item(PageId::Disk, guest.box)));
  EXPECT_EQ(L"未启用", Text(Item(PageId::Disk, IDC_DISK_QUOTA_STATUS)));
  EXPECT_EQ(1, SendMessageW(Item(PageId::Cdrom, IDC_CD_CACHE_SLIDER), TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"", Text(Item(PageId::Cdrom, IDC_CD_CACHE_TEXT)));
  EXPECT_FALSE(Checked(Item(PageId::Ntfs, access.box)));
  EXPECT_EQ(L"保存上次更新的时间", Text(Item(PageId::Ntfs, access.status)));
  EXPECT_EQ(CB_ERR, SendMessageW(Item(PageId::Ntfs, IDC_NTFS_MFT_LIST), CB_GETCURSEL, 0, 0));
}

TEST_F(RestoreAll, WithoutTheRightsItAsksFirstAndNoKeepsWhatFails) {
  const TweakOption& guest = *tunara::FindTweakOption(PageId::Disk, IDC_DISK_NTFS_SECURITY);
  StoreDword(guest.key, "forceguest", 1);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountShields, nullptr, GetCurrentThreadId());
  Open();
  EXPECT_EQ(0, g_shields) << "no shield with the rights";
  Click(Item(PageId::Disk, guest.box));  // with the rights: on record, written
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", L"1");
  Open();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(1, g_shields);
  std::vector<std::wstring> asked;
  int answer = IDCANCEL;
  int restarts = 0;
  dialog_->SetRightsSeams(
      [&](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
        asked.push_back(std::wstring(text) + L"|" + caption + L"|" + std::to_wstring(type));
        return answer;
      },
      [&] {
        ++restarts;
        return DWORD{0};
      });
  ASSERT_TRUE(IsWindowEnabled(Restore()));
  Click(Restore());  // Cancel: nothing happens
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ(std::wstring(afx::kElevateQuestion) + L"|优化加速|" + std::to_wstring(MB_YESNOCANCEL), asked[0]);
  EXPECT_EQ(L"", Result());
  answer = IDNO;  // go on: the machine's value cannot be put back, its record stays
  Click(Restore());
  EXPECT_EQ(L"已恢复 0 项设置，未能恢复：forceguest", Result());
  EXPECT_EQ(Dword(0), Stored(guest.root, guest.key, "forceguest"));
  EXPECT_TRUE(IsWindowEnabled(Restore()));
  EXPECT_FALSE(Stored(platform::RegRoot::LocalMachine, tunara::kOriginalsKey,
                      tunara::OriginalRecordName(guest.root, guest.key, "forceguest"))
                   .empty());
  answer = IDYES;  // the program starts again with the rights; this dialog ends
  Click(Restore());
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", nullptr);
  EXPECT_EQ(1, restarts);
  EXPECT_EQ(nullptr, dialog_->m_hWnd);
}

}  // namespace
}  // namespace tunara_test
