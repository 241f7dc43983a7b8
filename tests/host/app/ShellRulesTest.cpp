// The shell's rules: skin text, drive captions and roots, tray greying.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/ShellRules.h"

using namespace shell;

TEST(SkinFile, SitsInTheSkinFolderBesideTheProgram) {
  EXPECT_EQ(SkinFilePath("C:\\Program Files\\Dravon\\Dravon.exe"),
            "C:\\Program Files\\Dravon\\SKIN\\BluePinna.urf");
  EXPECT_EQ(SkinFilePath("D:\\工具\\Dravon.exe"), "D:\\工具\\SKIN\\BluePinna.urf");
  EXPECT_EQ(SkinFilePath("C:\\Dravon.exe"), "C:\\SKIN\\BluePinna.urf");
}

TEST(DriveCaption, LabelKeepsItsFirstCharacterAndLowersTheRest) {
  EXPECT_EQ(LabelCase("WINDOWS"), "Windows");
  EXPECT_EQ(LabelCase("data"), "data");
  EXPECT_EQ(LabelCase("a"), "a");
  EXPECT_EQ(LabelCase(""), "");
  EXPECT_EQ(LabelCase("sYSTEM"), "system");
  // Chinese and other non-ASCII characters are left as they are.
  EXPECT_EQ(LabelCase("系统DISK"), "系统disk");
  EXPECT_EQ(LabelCase("ÄPFEL"), "Äpfel");
}

TEST(DriveCaption, RootFollowsInParenthesesWithoutItsBackslash) {
  EXPECT_EQ(DriveItemText(std::string("WINDOWS"), "C:\\"), "Windows (C:)");
  // An unreadable label (an empty CD-ROM drive) leaves a leading blank.
  EXPECT_EQ(DriveItemText(std::nullopt, "E:\\"), " (E:)");
  EXPECT_EQ(DriveItemText(std::string(""), "D:\\"), " (D:)");
  EXPECT_EQ(DriveItemText(std::string("BACKUP"), "Z:"), "Backup (Z:)");
}

TEST(Drives, ListedKindsAndRootsByLetter) {
  EXPECT_EQ(DriveImageIndex(2), 0);  // removable
  EXPECT_EQ(DriveImageIndex(3), 1);  // fixed
  EXPECT_EQ(DriveImageIndex(5), 2);  // CD-ROM
  EXPECT_EQ(DriveImageIndex(4), 3);  // remote
  EXPECT_EQ(DriveImageIndex(6), 5);  // RAM disk
  EXPECT_EQ(DriveImageIndex(0), -1);
  EXPECT_EQ(DriveImageIndex(1), -1);
  EXPECT_EQ(DriveImageIndex(7), -1);
  EXPECT_EQ(DriveRootFromBit(0), "A:\\");
  EXPECT_EQ(DriveRootFromBit(2), "C:\\");
  EXPECT_EQ(DriveRootFromBit(25), "Z:\\");
}

TEST(BarSlots, PathsGetOneTrailingBackslash) {
  EXPECT_EQ(WithTrailingBackslash("C:"), "C:\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithTrailingBackslash(""), "\\");
}

TEST(TrayMenu, GreysTheCommandThatWouldChangeNothing) {
  using V = std::vector<unsigned>;
  EXPECT_EQ(TrayMenuGreyedCommands({false, true}), V{32772});         // shown normally
  EXPECT_EQ(TrayMenuGreyedCommands({false, false}), V{32774});        // hidden
  EXPECT_EQ(TrayMenuGreyedCommands({true, true}), V{32773});          // minimised
  EXPECT_EQ(TrayMenuGreyedCommands({true, false}), (V{32773, 32774}));  // minimised, hidden
}
