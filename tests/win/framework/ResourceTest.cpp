// Text, menus and the profile.
#include <gtest/gtest.h>

#include "FrameworkTestRes.h"
#include "framework/Menu.h"
#include "framework/String.h"
#include "framework/WinApp.h"

TEST(Text, LoadsResourceStringsAndSplitsTheirFields) {
  CString s;
  ASSERT_TRUE(s.LoadString(IDR_TEST_FRAME));
  EXPECT_EQ(s, L"测试窗口\n\nTest");
  EXPECT_EQ(ExtractSubString(s, 0), L"测试窗口");
  EXPECT_EQ(ExtractSubString(s, 1), L"");
  EXPECT_EQ(ExtractSubString(s, 2), L"Test");
  EXPECT_EQ(ExtractSubString(s, 3), L"");
  EXPECT_FALSE(s.LoadString(9999));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(Text, ConvertsUtf8BothWaysAndFormatsWideArguments) {
  const char* utf8 = "C盘: \xF0\x9F\x98\x80";  // includes a surrogate pair
  CString s = CString::FromUtf8(utf8);
  EXPECT_EQ(s.ToUtf8(), utf8);
  EXPECT_EQ(s.GetLength(), 6);
  CString f;
  f.Format(L"%ls (%d) %.2f", L"盘", 7, 1.5);
  EXPECT_EQ(f, L"盘 (7) 1.50");
  std::wstring longText(5000, L'x');
  f.Format(L"%ls!", longText.c_str());
  EXPECT_EQ(f.GetLength(), 5001);
}

TEST(Menus, PopupsAreBorrowedFromTheirOwnedMenu) {
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_FRAME));
  HMENU popupHandle;
  {
    CMenu popup = menu.GetSubMenu(0);
    popupHandle = popup.GetSafeHmenu();
    ASSERT_NE(popupHandle, nullptr);
    EXPECT_EQ(popup.GetMenuString(0, MF_BYPOSITION), L"一  Ctrl+Q");
    EXPECT_EQ(popup.GetMenuItemID(1), 0u);
  }
  // The borrowed popup was not destroyed with its wrapper.
  EXPECT_TRUE(IsMenu(popupHandle));
  EXPECT_EQ(menu.GetMenuString(0, MF_BYPOSITION), L"文件(&F)");
  HMENU owned = menu.GetSafeHmenu();
  menu.DestroyMenu();
  EXPECT_FALSE(IsMenu(owned));
}

TEST(Profile, ReadsTextFromTheApplicationsRegistryKey) {
  CWinApp* app = AfxGetApp();
  ASSERT_NE(app, nullptr);
  app->SetRegistryKey(L"Dravon Framework Tests");
  const wchar_t* path = L"Software\\Dravon Framework Tests\\Framework Tests\\Settings";
  RegDeleteKeyW(HKEY_CURRENT_USER, path);
  EXPECT_EQ(app->GetProfileString(L"Settings", L"Last", L"none"), L"none");
  HKEY key;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path, &key), ERROR_SUCCESS);
  // Stored without its terminator, as some writers leave it.
  const wchar_t text[] = L"D:\\数据";
  RegSetValueExW(key, L"Last", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(wcslen(text) * sizeof(wchar_t)));
  RegSetValueExW(key, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4);
  RegCloseKey(key);
  EXPECT_EQ(app->GetProfileString(L"Settings", L"Last"), L"D:\\数据");
  EXPECT_EQ(app->GetProfileString(L"Settings", L"Number", L"d"), L"d");
  RegDeleteKeyW(HKEY_CURRENT_USER, path);
}
