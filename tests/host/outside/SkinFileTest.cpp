// The skin file format: what makes a file a skin, what the keys give, what
// the engine derives, and what the system colours stand for.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "outside/SkinFile.h"

namespace {

using outside::Colour;
using outside::ParseSkinFile;
using outside::Role;

// The six colours every skin must give.
const std::string kRequired =
    "face = #DCE8F5\n"
    "text = #13294B\n"
    "caption = #1F5CA3\n"
    "captionText = #FFFFFF\n"
    "highlight = #2C77C4\n"
    "border = #123A69\n";

constexpr Colour Rgb(unsigned r, unsigned g, unsigned b) { return r | g << 8 | b << 16; }

TEST(SkinFileFormat, RequiredColoursMakeASkinAndComeAsColorrefs) {
  const auto skin = ParseSkinFile("name = Test\n" + kRequired);
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ(skin->name, "Test");
  EXPECT_EQ((*skin)[Role::Face], Rgb(0xDC, 0xE8, 0xF5)) << "#RRGGBB becomes 0x00BBGGRR";
  EXPECT_EQ((*skin)[Role::Face], 0x00F5E8DCu);
  EXPECT_EQ((*skin)[Role::Text], Rgb(0x13, 0x29, 0x4B));
  EXPECT_EQ((*skin)[Role::Caption], Rgb(0x1F, 0x5C, 0xA3));
  EXPECT_EQ((*skin)[Role::CaptionText], Rgb(0xFF, 0xFF, 0xFF));
  EXPECT_EQ((*skin)[Role::Highlight], Rgb(0x2C, 0x77, 0xC4));
  EXPECT_EQ((*skin)[Role::Border], Rgb(0x12, 0x3A, 0x69));
  EXPECT_TRUE(ParseSkinFile(kRequired).has_value()) << "the name is optional";
}

TEST(SkinFileFormat, EachMissingRequiredColourMakesNoSkin) {
  for (const char* key : {"face", "text", "caption", "captionText", "highlight", "border"}) {
    std::istringstream lines(kRequired);
    std::string text, line;
    while (std::getline(lines, line)) {
      if (line.rfind(std::string(key) + " ", 0) != 0) text += line + "\n";
    }
    EXPECT_FALSE(ParseSkinFile(text).has_value()) << "without " << key;
  }
}

TEST(SkinFileFormat, CommentsBlanksLineEndsAndByteOrderMark) {
  const std::string text = "\xEF\xBB\xBF; a comment = #000000\r\n# another = nothing\r\n\r\n   \t\r\n" +
                           std::string("  face\t=\t#dce8f5  \r\n") + kRequired.substr(kRequired.find('\n') + 1);
  const auto skin = ParseSkinFile(text);
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ((*skin)[Role::Face], Rgb(0xDC, 0xE8, 0xF5)) << "lower-case digits, tabs, CR LF";
  EXPECT_TRUE(ParseSkinFile(kRequired.substr(0, kRequired.size() - 1)).has_value()) << "no newline at the end";
}

TEST(SkinFileFormat, KeysIgnoreCaseAndUnknownKeysAreIgnored) {
  const auto skin = ParseSkinFile(kRequired + "CAPTIONTEXT2 = whatever\nshadowStyle = deep\nMENU = #102030\n");
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ((*skin)[Role::Menu], Rgb(0x10, 0x20, 0x30));
  EXPECT_TRUE(ParseSkinFile(kRequired + "future = #GGGGGG\n").has_value()) << "an unknown key's value is not read";
}

TEST(SkinFileFormat, MalformedFilesMakeNoSkin) {
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {"", "empty"},
      {"; only a comment\n", "no colours"},
      {kRequired + "a line without an equals sign\n", "a line that is neither a comment nor a key"},
      {kRequired + " = #FFFFFF\n", "an empty key"},
      {kRequired + "window = #FFFFF\n", "a short colour"},
      {kRequired + "window = #FFFFFFF\n", "a long colour"},
      {kRequired + "window = FFFFFF\n", "no #"},
      {kRequired + "window = #GG0000\n", "not hexadecimal"},
      {kRequired + "window = #FFFFFF ; white\n", "something after the colour"},
      {kRequired + "window =\n", "no value"},
      {kRequired + "face = #000000\n", "a key given twice"},
      {"name = a\nname = b\n" + kRequired, "a name given twice"},
      {"name = " + std::string(65, 'n') + "\n" + kRequired, "a name over 64 bytes"},
      {kRequired + std::string("menu = #FFFFFF\0\n", 16), "a NUL byte"},
      {"RIFF\x10\0\0\0WAVEfmt ", "a sound file"},
  };
  for (const auto& c : cases) EXPECT_FALSE(ParseSkinFile(c.text).has_value()) << c.why;
}

TEST(SkinFileFormat, LongestSkinFileIsSixtyFourKibibytes) {
  std::string text = kRequired;
  text += std::string(outside::kMaxSkinFileBytes - text.size() - 1, ';') + "\n";
  ASSERT_EQ(text.size(), outside::kMaxSkinFileBytes);
  EXPECT_TRUE(ParseSkinFile(text).has_value());
  EXPECT_FALSE(ParseSkinFile(text + "\n").has_value());
}

TEST(SkinFileFormat, LeftOutColoursAreDerivedFromTheGivenOnes) {
  const auto skin = ParseSkinFile(kRequired);
  ASSERT_TRUE(skin.has_value());
  const auto& s = *skin;
  EXPECT_EQ(s[Role::WindowText], s[Role::Text]);
  EXPECT_EQ(s[Role::MenuText], s[Role::Text]);
  EXPECT_EQ(s[Role::Window], outside::Blend(s[Role::Face], Rgb(255, 255, 255), 75));
  EXPECT_EQ(s[Role::HighlightText], Rgb(255, 255, 255)) << "white on a dark highlight";
  const auto pale = ParseSkinFile(kRequired + "highlight2 = x\n" + "window = #FFFFFF\n");
  ASSERT_TRUE(pale.has_value());
  EXPECT_EQ((*pale)[Role::Window], Rgb(255, 255, 255)) << "a given colour is not derived";
  std::string light = kRequired;
  light.replace(light.find("#2C77C4"), 7, "#F0F0A0");
  EXPECT_EQ((*ParseSkinFile(light))[Role::HighlightText], Rgb(0, 0, 0)) << "black on a light highlight";
  // The edges run from light to dark, and the inactive caption is paler.
  const auto luminance = [](Colour c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF); };
  EXPECT_GT(luminance(s[Role::EdgeLight]), luminance(s[Role::EdgeSoft]));
  EXPECT_GT(luminance(s[Role::EdgeSoft]), luminance(s[Role::Face]));
  EXPECT_GT(luminance(s[Role::Face]), luminance(s[Role::EdgeShadow]));
  EXPECT_GT(luminance(s[Role::EdgeShadow]), luminance(s[Role::EdgeDark]));
  EXPECT_GT(luminance(s[Role::InactiveCaption]), luminance(s[Role::Caption]));
}

TEST(SkinFileFormat, BlendRunsFromOneColourToTheOther) {
  EXPECT_EQ(outside::Blend(Rgb(0, 100, 200), Rgb(200, 100, 0), 0), Rgb(0, 100, 200));
  EXPECT_EQ(outside::Blend(Rgb(0, 100, 200), Rgb(200, 100, 0), 100), Rgb(200, 100, 0));
  EXPECT_EQ(outside::Blend(Rgb(0, 100, 200), Rgb(200, 100, 0), 50), Rgb(100, 100, 100));
  EXPECT_EQ(outside::Blend(Rgb(0, 0, 0), Rgb(255, 255, 255), 150), Rgb(255, 255, 255)) << "clamped";
}

TEST(SkinFileFormat, ShippedSkinGivesEveryColourItself) {
  std::ifstream file(DRAVON_SKIN_DIR "/BluePinna.urf", std::ios::binary);
  ASSERT_TRUE(file) << "res/skin/BluePinna.urf";
  std::stringstream bytes;
  bytes << file.rdbuf();
  const std::string text = bytes.str();
  const auto skin = ParseSkinFile(text);
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ(skin->name, "BluePinna");
  for (const char* key : {"face", "text", "window", "windowText", "grayText", "caption", "captionEnd",
                          "captionText", "inactiveCaption", "inactiveCaptionEnd", "inactiveCaptionText",
                          "border", "inactiveBorder", "highlight", "highlightText", "menu", "menuText",
                          "edgeLight", "edgeSoft", "edgeShadow", "edgeDark"}) {
    EXPECT_NE(text.find(std::string("\n") + key + " "), std::string::npos) << key << " is given";
  }
}

TEST(SystemColours, StandForTheSkinsRoles) {
  using outside::RoleOfSystemColour;
  EXPECT_EQ(RoleOfSystemColour(15), Role::Face);         // COLOR_BTNFACE
  EXPECT_EQ(RoleOfSystemColour(18), Role::Text);         // COLOR_BTNTEXT
  EXPECT_EQ(RoleOfSystemColour(5), Role::Window);        // COLOR_WINDOW
  EXPECT_EQ(RoleOfSystemColour(8), Role::WindowText);    // COLOR_WINDOWTEXT
  EXPECT_EQ(RoleOfSystemColour(2), Role::Caption);       // COLOR_ACTIVECAPTION
  EXPECT_EQ(RoleOfSystemColour(27), Role::CaptionEnd);   // COLOR_GRADIENTACTIVECAPTION
  EXPECT_EQ(RoleOfSystemColour(13), Role::Highlight);    // COLOR_HIGHLIGHT
  EXPECT_EQ(RoleOfSystemColour(4), Role::Menu);          // COLOR_MENU
  EXPECT_EQ(RoleOfSystemColour(16), Role::EdgeShadow);   // COLOR_BTNSHADOW
  EXPECT_EQ(RoleOfSystemColour(20), Role::EdgeLight);    // COLOR_BTNHIGHLIGHT
  EXPECT_EQ(RoleOfSystemColour(21), Role::EdgeDark);     // COLOR_3DDKSHADOW
  EXPECT_EQ(RoleOfSystemColour(10), Role::Face) << "panels filled with the active border stay readable";
  EXPECT_FALSE(RoleOfSystemColour(1).has_value()) << "the desktop is not the program's";
  EXPECT_FALSE(RoleOfSystemColour(23).has_value()) << "nor are tooltips";
  EXPECT_FALSE(RoleOfSystemColour(-1).has_value());
  EXPECT_FALSE(RoleOfSystemColour(31).has_value());
}

}  // namespace
