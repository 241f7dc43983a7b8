// The stand-ins of the outside libraries that the end-to-end runs rely on:
// AppFace reads the skin file it is given; Scavra and USB answer at ordinal 1
// with a modal window over the caller.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "outside/SkinFile.h"
#include "platform/TextWin.h"
#include "tests/win/common/ModalProbe.h"

namespace {

using dravon_test::CallWithModalProbe;
using dravon_test::kOk;
using dravon_test::WithClass;
using SkinStartFn = int (*)(const char*, const char*, int, int, const char*);
using SkinRemoveFn = int (*)();
using Entry = int (*)();

template <typename F>
F Proc(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The tests live in build/win/tests; the shipped files in build/win/bin.
std::wstring BinDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  dir.resize(dir.find_last_of(L'\\'));
  dir.resize(dir.find_last_of(L'\\'));
  return dir + L"\\bin";
}

TEST(SkinFileText, KeysColoursAndComments) {
  const auto skin = outside::ParseSkinFile(
      "; comment = #FFFFFF\r\n\r\nname = BluePinna\r\n  face=#DCE8F5 \r\nbad = #12345\r\nworse = #GG0000\r\nnoequals\r\n");
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ(skin->name, "BluePinna");
  ASSERT_EQ(skin->colours.size(), 1u) << "comments, short and non-hex colours are skipped";
  EXPECT_EQ(skin->colours.at("face"), 0x00F5E8DCu) << "#RRGGBB becomes 0x00BBGGRR";
  EXPECT_FALSE(outside::ParseSkinFile("").has_value());
  EXPECT_FALSE(outside::ParseSkinFile("RIFF\x10\0\0\0WAVEfmt ").has_value()) << "not a skin file";
}

class AppFaceStandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = LoadLibraryW(L"AppFace.dll");
    ASSERT_NE(library_, nullptr);
    start_ = Proc<SkinStartFn>(library_, "SkinStart");
    remove_ = Proc<SkinRemoveFn>(library_, "SkinRemove");
    ASSERT_NE(start_, nullptr);
    ASSERT_NE(remove_, nullptr);
  }
  void TearDown() override { FreeLibrary(library_); }
  HMODULE library_ = nullptr;
  SkinStartFn start_ = nullptr;
  SkinRemoveFn remove_ = nullptr;
};

TEST_F(AppFaceStandIn, StartsOnlyFromAReadableSkinFile) {
  const std::string skin = platform::Narrow(BinDir() + L"\\SKIN\\BluePinna.urf");
  EXPECT_EQ(start_(skin.c_str(), "", 1, 0, ""), 1);
  EXPECT_EQ(remove_(), 1);
  EXPECT_EQ(start_(nullptr, nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(start_("", "", 1, 0, ""), 0);
  EXPECT_EQ(start_(platform::Narrow(BinDir() + L"\\SKIN\\Missing.urf").c_str(), "", 1, 0, ""), 0);
  EXPECT_EQ(start_(platform::Narrow(BinDir() + L"\\WAV\\start.wav").c_str(), "", 1, 0, ""), 0);
}

TEST_F(AppFaceStandIn, ReadsAPathOutsideTheCodePage) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"皮肤测试";
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring copy = dir + L"\\BluePinna.urf";
  ASSERT_TRUE(CopyFileW((BinDir() + L"\\SKIN\\BluePinna.urf").c_str(), copy.c_str(), FALSE));
  EXPECT_EQ(start_(platform::Narrow(copy).c_str(), "", 1, 0, ""), 1);
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(dir.c_str());
}

void ExpectModalWindow(const wchar_t* dll, const wchar_t* caption) {
  HMODULE library = LoadLibraryW(dll);
  ASSERT_NE(library, nullptr);
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(1))));
  ASSERT_NE(entry, nullptr);
  HWND frame = CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetActiveWindow(frame);
  // What the probe saw of the message window.
  std::wstring seenCaption;
  bool ownedByCaller = false;
  auto inspect = [&](HWND box) {
    wchar_t text[64] = {};
    GetWindowTextW(box, text, 64);
    seenCaption = text;
    ownedByCaller = GetWindow(box, GW_OWNER) == frame;
  };
  EXPECT_EQ(CallWithModalProbe(entry, WithClass(L"#32770"), inspect, kOk), 0);
  EXPECT_EQ(seenCaption, caption);
  EXPECT_TRUE(ownedByCaller);
  DestroyWindow(frame);
  FreeLibrary(library);
}

TEST(OutsideEntries, ScavraAndUsbShowAModalWindowAtOrdinalOne) {
  ExpectModalWindow(L"Scavra.dll", L"系统扫描");
  ExpectModalWindow(L"USB.dll", L"USB功能");
}

}  // namespace
