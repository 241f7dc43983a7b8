// The shell's rules that need no window: the skin setting's text, drive item
// captions, the tray menu's greyed items and the skin file's place (the
// shortcut bar's slot codes are beside its hit test, app/OutBarLayout).
// Portable: tested on the host.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// The product home page, opened by the help command and the view's button.
inline constexpr char kHomePageUrl[] = "https://dravon.example/";

// The skin setting: HKLM "SOFTWARE\Tarvik\SKIN", value "Skin".
inline constexpr char kSkinKey[] = "SOFTWARE\\Tarvik\\SKIN";
inline constexpr char kSkinValue[] = "Skin";
// Keys the optimisation library keeps its levels under; made at start-up.
inline constexpr const char* kTarvikKeys[] = {"SOFTWARE\\Tarvik\\CDROM", "SOFTWARE\\Tarvik\\CD",
                                              "SOFTWARE\\Tarvik\\HD"};
inline constexpr char kSkinFileSuffix[] = "\\SKIN\\BluePinna.urf";

// The skin file beside the program: `programPath` with everything after its
// last backslash replaced by "\SKIN\BluePinna.urf".
std::string SkinFilePath(std::string_view programPath);

// A volume label as the shortcut bar shows it: first character as it is,
// the rest with A-Z lowered (so WINDOWS gives Windows). Other characters,
// Chinese ones among them, are left unchanged.
std::string LabelCase(std::string_view label);

// The caption of a drive item: the label (when it could be read) in label
// case, then " (", the root without its trailing backslash, and ")".
// An unreadable label gives " (E:)".
std::string DriveItemText(const std::optional<std::string>& label, std::string_view root);

// The image index of a drive type in the 32-pixel drive images, or -1 for
// the types that are not listed (unknown, no root directory).
int DriveImageIndex(unsigned driveType);

// The root path of drive bit `index` of the logical drive mask ("C:\" for 2).
std::string DriveRootFromBit(int index);

// A path with one trailing backslash, as the view expects a drive root.
std::string WithTrailingBackslash(std::string path);

// The window commands greyed in the tray menu for the frame's state.
struct TrayMenuState {
  bool minimized;
  bool visible;
};
std::vector<unsigned> TrayMenuGreyedCommands(TrayMenuState state);

}  // namespace shell
