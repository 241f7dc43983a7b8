#!/usr/bin/env bash
# The installer as an administrator deploys it, or winget from its manifest,
# in a fresh Wine prefix: silent install into a given folder with the
# manifest's switches; the files, the shortcuts and the uninstall entry, under
# the manifest's product code and as its Apps and Features entry names it;
# the installed Dravon.exe starts from its Start-menu shortcut; an update and
# a silent uninstall (the entry's quiet uninstall command, which winget runs)
# while it runs close it politely (its notification-area icon goes with it);
# the uninstall removes the files, the shortcuts and the entry, and keeps the
# settings. Then a program that will not close is ended, its icon removed for
# it, and /REMOVESETTINGS removes the settings.
BUILD=${1:?usage: installer.sh WIN-BUILD-TREE DIST VERSION} DIST=${2:?} VERSION=${3:?}
. "$(dirname "$0")/release-lib.sh"

require_file "$SETUP"
fresh_prefix installer
desk=release-setup
instdir='C:\Program Files\Dravon Test'
unixdir=$WINEPREFIX/drive_c/Program\ Files/Dravon\ Test
menu_link=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Dravon.lnk
desktop_link=$WINEPREFIX/drive_c/users/Public/Desktop/Dravon.lnk
# What winget knows of the installer: its version, its switches, and the
# entry it makes.
{ read -r manifest_version; read -r silent; read -r location; read -r product_code
  read -r arp_name; read -r arp_publisher; read -r arp_version; } < <(
  manifest_field installer PackageVersion -- InstallerSwitches Silent -- InstallerSwitches InstallLocation \
    -- ProductCode -- AppsAndFeaturesEntries 0 DisplayName -- AppsAndFeaturesEntries 0 Publisher \
    -- AppsAndFeaturesEntries 0 DisplayVersion)
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code"
tarvik='HKLM\SOFTWARE\Tarvik'
profile='HKCU\Software\Brantle Software\Sorvane Pro'

# install: silent, into $instdir, on the desktop where Dravon runs, with the
# manifest's switches as winget puts them (the location last: /D= takes the
# rest of the command, blanks and all). Exit 0 when the installer did; else
# the test's output says how it ended.
exec 3>&1
install() {
  local result=$WINEPREFIX/drive_c/install-result.txt
  rm -f "$result"
  (wine explorer "/desktop=$desk,1024x768" cmd /v:on /c \
     "$(winepath -w "$SETUP") $silent ${location/<INSTALLPATH>/$instdir}& echo exit !errorlevel!>C:\install-result.txt" \
     >/dev/null 2>&1 &)
  wait_for 60 test -s "$result" && grep -q '^exit 0' "$result" && return 0
  echo "# the installer: $(tr -d '\r' <"$result" 2>/dev/null || echo "no end within 60 s")" >&3
  return 1
}
# uninstall ARGS...: the entry's quiet uninstall command (with ARGS), as
# winget runs it, on the desktop where Dravon runs. The uninstaller runs on
# from a copy in the temporary folder: wait until reg.exe says its entry is
# gone (a reg.exe that gave no answer is no sign of that).
uninstall() {
  local command program
  command=$(reg_value "$uninstall_key" QuietUninstallString)
  program=${command#\"}; program=${program%%\"*}
  [ -n "$program" ] || return 1
  # shellcheck disable=SC2086  # the command's switches, one word each
  (wine explorer "/desktop=$desk,1024x768" "$program" ${command#\"$program\"} "$@" >/dev/null 2>&1 &)
  wait_for 60 reg_key_gone "$uninstall_key"
}
files_gone() {
  local f
  for f in $RELEASE_FILES uninstall.exe; do [ ! -e "$unixdir/$f" ] || return 1; done
  [ ! -e "$unixdir" ]
}

# The installer's own version record, which winget shows before it runs it.
record=$(probe version "$(winepath -w "$SETUP")" 2>/dev/null | tr -d '\r')
check "the installer says version $VERSION, as its manifest" \
  test "$(sed -n 's/^numbers //p' <<<"$record")" = "$manifest_version $VERSION"
check "silent install with the manifest's switches succeeds" install
missing=""
while IFS= read -r f; do [ -f "$unixdir/$f" ] || missing+=" $f"; done <<<"$RELEASE_FILES"$'\nuninstall.exe'
if [ -z "$missing" ]; then ok "every file in $instdir"; else not_ok "every file in $instdir (missing:$missing)"; fi
# The same files as the zip's: the installer and the zip come from one folder.
unpacked=$BUILD/release-tests/installer-zip
rm -rf "$unpacked" && mkdir -p "$unpacked" && unzip -q "$ZIP" -d "$unpacked"
differ=""
while IFS= read -r f; do cmp -s "$unixdir/$f" "$unpacked/$NAME/$f" || differ+=" $f"; done <<<"$RELEASE_FILES"
if [ -z "$differ" ]; then ok "the installed files are the zip's"; else not_ok "the installed files are the zip's (not:$differ)"; fi
check "Start-menu shortcut" test -f "$menu_link"
check "desktop shortcut" test -f "$desktop_link"

# The entry winget matches the installed program by: as the manifest names it.
check "the manifest's Apps and Features entry says version $VERSION" test "$arp_version" = "$VERSION"
check_value "$uninstall_key" DisplayName "$arp_name"
check_value "$uninstall_key" DisplayVersion "$arp_version"
check_value "$uninstall_key" Publisher "$arp_publisher"
check_value "$uninstall_key" DisplayIcon "$instdir\\Dravon.exe,0"
check_value "$uninstall_key" InstallLocation "$instdir"
check_value "$uninstall_key" UninstallString "\"$instdir\\uninstall.exe\""
# The silent switch winget gives the installer is the uninstaller's too.
check_value "$uninstall_key" QuietUninstallString "\"$instdir\\uninstall.exe\" $silent"
check_value "$uninstall_key" NoModify 0x1
check_value "$uninstall_key" NoRepair 0x1
# EstimatedSize is in KiB: the installed files' total.
kib=$(( $(find "$unixdir" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }') / 1024 ))
size=$(( $(reg_value "$uninstall_key" EstimatedSize) ))
if (( size > 0 && size >= kib - 8 && size <= kib + 8 )); then ok "EstimatedSize $size KiB"; else
  not_ok "EstimatedSize $size KiB, the files take $kib KiB"; fi

# start_from_menu: the installed program, from its Start-menu shortcut; sets
# main to its window's handle.
log=$SHOTS/$desk.log
start_from_menu() {
  in_desktop "$desk" "$WINEPREFIX/drive_c" start.exe "$(winepath -w "$menu_link")"
  driver wait-window "$MAIN_TITLE" 60000 >/dev/null 2>&1 || return 1
  main=$(window_handle "$MAIN_TITLE")
}
# closed_politely WHAT: Dravon's window went and the program ended by itself
# (its libraries were unloaded), its notification-area icon with it.
closed_politely() {
  check "$1 closed Dravon" driver wait-window-gone "$MAIN_TITLE" 10000
  end_program
  check "Dravon ended by itself" grep -q '"TUNARA.DLL Terminating!\\n"' "$log"
  if probe tray-icon "$desk" "$main" "$TRAY_ID"; then not_ok "its notification-area icon went with it"; else
    ok "its notification-area icon went with it"; fi
}

if start_from_menu; then
  ok "the Start-menu shortcut starts Dravon: \"$MAIN_TITLE\""
  sleep 1
  shot release-setup-main
  check "it measures 700 x 500" grep -qx "size 700 500" <<<"$(driver window-info "$MAIN_TITLE" 2>&1)"
  check "its notification-area icon is shown" probe tray-icon "$desk" "$main" "$TRAY_ID"
  # Settings of every kind the program keeps: the keys made at start-up, the
  # skin's value and the profile.
  driver post-command "$MAIN_TITLE" 32787 >/dev/null 2>&1
  check "skin one stored" wait_for 10 reg_key_exists "$tarvik\\SKIN"
  wine reg add "$profile\\Settings" /v DetailLastOpened /d 'C:\' /f >/dev/null 2>&1

  # An update over the running program closes it before replacing its files.
  check "silent install over the running Dravon" install
  closed_politely "the installer"
  check "the program starts again after the update" start_from_menu

  check "silent uninstall while Dravon runs" uninstall
  closed_politely "the uninstaller"
else
  not_ok "the Start-menu shortcut starts Dravon: \"$MAIN_TITLE\""
  shot release-setup-missing
  sed 's/^/#   /' "$log" | tail -20
  uninstall
fi
check "the files and the folder are gone" files_gone
check "the Start-menu shortcut is gone" test ! -e "$menu_link"
check "the desktop shortcut is gone" test ! -e "$desktop_link"
check "the uninstall entry is gone" reg_key_gone "$uninstall_key"
for key in SKIN HD CD CDROM; do
  check "settings key $tarvik\\$key kept" reg_key_exists "$tarvik\\$key"
done
check "profile $profile kept" reg_key_exists "$profile\\Settings"

# A Dravon that will not close: after WM_CLOSE has gone unanswered, the silent
# uninstaller ends it and removes its icon; /REMOVESETTINGS takes the settings.
# Without the install there is nothing to uninstall: one failure, not a trail.
if ! install; then
  not_ok "silent install again"
  finish
  exit
fi
ok "silent install again"
in_desktop "$desk" "$WINEPREFIX/drive_c" "$PROBE" hold-window "$MAIN_TITLE" "$TRAY_ID"
if driver wait-window "$MAIN_TITLE" 30000 >/dev/null 2>&1; then
  held=$(window_handle "$MAIN_TITLE")
  check "the stubborn window's icon is shown" probe tray-icon "$desk" "$held" "$TRAY_ID"
  check "silent uninstall /REMOVESETTINGS" uninstall /REMOVESETTINGS
  check "the stubborn window was ended" driver wait-window-gone "$MAIN_TITLE" 5000
  end_program
  # Known difference: Wine drops the icons of a window that is gone, so this
  # holds there even without the uninstaller's NIM_DELETE; Windows would keep
  # a dead icon until the mouse passes over it.
  if probe tray-icon "$desk" "$held" "$TRAY_ID"; then not_ok "its icon is gone"; else
    ok "its icon is gone"; fi
else
  not_ok "a window that will not close stands in for a hung Dravon"
  uninstall /REMOVESETTINGS
fi
check "the files and the folder are gone" files_gone
check "/REMOVESETTINGS removed $tarvik" reg_key_gone "$tarvik"
check "/REMOVESETTINGS removed $profile" reg_key_gone "$profile"
finish
