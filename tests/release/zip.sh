#!/usr/bin/env bash
# The portable zip as a user gets it: exactly the release folder's files;
# six stripped binaries that need nothing but Windows and say the release's
# version; unpacked into an odd folder of a fresh Wine prefix, Dravon.exe
# starts from there, shows its main window and finds its skin beside it.
BUILD=${1:?usage: zip.sh WIN-BUILD-TREE DIST VERSION} DIST=${2:?} VERSION=${3:?}
. "$(dirname "$0")/release-lib.sh"

require_file "$ZIP"
listed=$(unzip -Z1 "$ZIP" | LC_ALL=C sort)
expected=$(sed "s|^|$NAME/|" <<<"$RELEASE_FILES")
if [ "$listed" = "$expected" ]; then ok "the zip holds exactly $NAME/ and its files"; else
  not_ok "the zip holds exactly $NAME/ and its files"
  diff <(echo "$expected") <(echo "$listed") | sed 's/^/#   /'
fi

# The binaries: stripped, and importing only from Windows and each other.
objdump=x86_64-w64-mingw32-objdump
unpacked=$BUILD/release-tests/zip-files
rm -rf "$unpacked" && mkdir -p "$unpacked" && unzip -q "$ZIP" -d "$unpacked"
system_dlls="advapi32 comctl32 gdi32 kernel32 msimg32 msvcrt ole32 shell32 user32 winmm setupapi mpr comdlg32"
ours="parvane tunara appface scavra usb"
commas=${VERSION//./, }
company=""
for bin in Dravon.exe Parvane.dll Tunara.dll AppFace.dll Scavra.dll USB.dll; do
  file=$unpacked/$NAME/$bin
  sections=$($objdump -h "$file" 2>&1)
  if grep -q '\.debug_' <<<"$sections" || ! x86_64-w64-mingw32-nm "$file" 2>&1 | grep -q 'no symbols'; then
    not_ok "$bin is stripped"
  else
    ok "$bin is stripped"
  fi
  strangers=""
  for dll in $($objdump -p "$file" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
    grep -qw "${dll%.dll}" <<<"$system_dlls $ours" || strangers+=" $dll"
  done
  if [ -z "$strangers" ]; then ok "$bin imports from Windows and Dravon only"; else
    not_ok "$bin imports from Windows and Dravon only (also:$strangers)"; fi
done

# A folder with blanks and Chinese in its name, far from Program Files.
fresh_prefix zip
folder="$WINEPREFIX/drive_c/users/Public/便携 软件"
mkdir -p "$folder" && unzip -q "$ZIP" -d "$folder"
dir=$folder/$NAME

# The version record of each binary says the release's version.
for bin in Dravon.exe Parvane.dll Tunara.dll AppFace.dll Scavra.dll USB.dll; do
  record=$(probe version "$(winepath -w "$dir/$bin")" 2>/dev/null | tr -d '\r')
  field() { sed -n "s/^$1 //p" <<<"$record"; }
  if [ "$(field numbers)" = "$VERSION $VERSION" ] && [ "$(field FileVersion)" = "$commas" ] &&
     [ "$(field ProductVersion)" = "$commas" ]; then
    ok "$bin says version $VERSION"
  else
    not_ok "$bin says version $VERSION"
    sed 's/^/#   /' <<<"$record"
  fi
  original=$(field OriginalFilename)
  if [ "${original,,}" = "${bin,,}" ]; then ok "$bin is named $original in its record"; else
    not_ok "$bin is named in its record (\"$original\")"; fi
  [ -z "$company" ] && company=$(field CompanyName)
  if [ -n "$company" ] && [ "$(field CompanyName)" = "$company" ]; then ok "$bin is made by $company"; else
    not_ok "$bin names the same maker (\"$(field CompanyName)\", \"$company\")"; fi
done

# The package managers install the version these records say.
dravon=$(probe version "$(winepath -w "$dir/Dravon.exe")" 2>/dev/null | tr -d '\r' | sed -n 's/^numbers \([^ ]*\) .*/\1/p')
for manifest in "scoop version" "version PackageVersion" "installer PackageVersion"; do
  # shellcheck disable=SC2086  # a manifest and its key
  said=$(manifest_field $manifest 2>/dev/null)
  if [ -n "$dravon" ] && [ "$said" = "$dravon" ]; then ok "the ${manifest%% *} manifest says the binaries' version"; else
    not_ok "the ${manifest%% *} manifest says the binaries' version (\"$said\", \"$dravon\")"; fi
done

in_desktop release-zip "$dir" Dravon.exe
log=$SHOTS/release-zip.log
if driver wait-window "$MAIN_TITLE" 60000 >/dev/null 2>&1; then
  ok "Dravon.exe from the unpacked folder shows \"$MAIN_TITLE\""
  sleep 1
  shot release-zip-main
  check "it measures 700 x 500" grep -qx "size 700 500" <<<"$(driver window-info "$MAIN_TITLE" 2>&1)"
  check "Parvane.dll loaded from the folder" grep -q '"PARVANE.DLL Initializing!\\n"' "$log"
  check "Tunara.dll loaded from the folder" grep -q '"TUNARA.DLL Initializing!\\n"' "$log"
  # Skin one: AppFace.dll from the folder, with SKIN\BluePinna.urf beside the program.
  driver post-command "$MAIN_TITLE" 32787 >/dev/null 2>&1
  check "the skin engine finds SKIN\\BluePinna.urf" wait_for 10 grep -q 'AppFace: skin BluePinna on' "$log"
  driver close "$MAIN_TITLE" >/dev/null 2>&1
  check "main window closed by WM_CLOSE" driver wait-window-gone "$MAIN_TITLE" 15000
else
  not_ok "Dravon.exe from the unpacked folder shows \"$MAIN_TITLE\""
  shot release-zip-missing
  sed 's/^/#   /' "$log" | tail -20
fi
finish
