#include "tunara/ValueEffects.h"

#include <tuple>

#include "tunara/SystemKeys.h"

namespace tunara {
namespace {

using platform::RegRoot;

constexpr RegRoot kLM = RegRoot::LocalMachine;
constexpr RegRoot kCU = RegRoot::CurrentUser;

// Windows 9x only: no NT release reads the value.
constexpr NtRelease kNoNtRelease{0, 0, 0};
constexpr NtRelease kWindowsNt4{4, 0, 1381};
constexpr NtRelease kWindows2000{5, 0, 2195};
// Windows XP x64 Edition and Server 2003: the last of the XP family.
constexpr NtRelease kWindowsXpFamily{5, 2, 3790};

constexpr std::string_view kOnly9x = "仅 Windows 95/98/Me 有效";
constexpr std::string_view kBefore2000 = "仅 Windows 2000 以前的版本有效";
constexpr std::string_view kUpTo2000 = "仅 Windows 2000 及更早版本有效";
constexpr std::string_view kUpToXp = "仅 Windows XP 及更早版本有效";

using keys::kCdfs;
using keys::kFileSystem;
using keys::kMemoryManagement;
using keys::kSessionManager;
using keys::kVxdBios;
using keys::kWinlogon;

// An entry read by every release the program runs on.
constexpr ValueEffect Everywhere(RegRoot root, std::string_view key, std::string_view value) {
  return {root, key, value, std::nullopt, {}};
}

constexpr ValueEffect kEffects[] = {
    // --- Hard-disk page ---
    // KB305098 (Windows 2000 SP3) and KB303013 (Windows XP SP1 and later)
    // document the value of the Windows 2000/XP IDE port driver atapi.sys.
    // Microsoft Learn, "ATA Port's Interface with ATA Miniport Drivers":
    // Windows Vista and later run a new IDE stack (ataport.sys with a new
    // atapi.sys miniport), which no page documents as reading it.
    {kLM, "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\", "EnableBigLba",
     kWindowsXpFamily, kUpToXp},
    // No source says a release ignores it: treated as read.
    Everywhere(kLM, kMemoryManagement, "DisablePagingExecutive"),
    // The security option "System objects: Strengthen default permissions
    // of internal system objects"; no source says a release ignores it:
    // treated as read.
    Everywhere(kLM, kSessionManager, "ProtectionMode"),
    // A setting of the Windows NT redirector; no source found settles which
    // releases read it: treated as read.
    Everywhere(kLM, keys::kLanmanParameters, "UtilizeNtCaching"),
    // The boot-time layout switch of Windows XP's defragmenter; no source
    // says a later release ignores it: treated as read.
    Everywhere(kLM, "SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction\\", "Enable"),
    // The security option "Network access: Sharing and security model for
    // local accounts"; no source says a release ignores it: treated as read.
    Everywhere(kLM, "SYSTEM\\CurrentControlSet\\Control\\Lsa\\", "forceguest"),
    // The policy "Enable disk quotas"; no source says a release ignores it:
    // treated as read.
    Everywhere(kLM, "Software\\Policies\\Microsoft\\Windows NT\\DiskQuota\\", "Enable"),
    // KB247951 (Windows 2000, Intel controllers) documents it for atapi.sys;
    // no source settles Windows XP, whose IDE stack is the same, so XP
    // counts as reading it. From Vista on the stack is new ("ATA Port's
    // Interface with ATA Miniport Drivers", Microsoft Learn).
    {kLM, "SYSTEM\\ControlSet001\\Control\\Class\\{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0000\\",
     "EnableUDMA66", kWindowsXpFamily, kUpToXp},
    // The countdown "chkntfs /t" sets; no source says a release ignores it:
    // treated as read.
    Everywhere(kLM, kSessionManager, "AutoChkTimeOut"),

    // --- Memory page ---
    // The security option "Shutdown: Clear virtual memory pagefile"; no
    // source says a release ignores it: treated as read.
    Everywhere(kLM, kMemoryManagement, "ClearPageFileAtShutdown"),
    // No source says a release ignores it: treated as read.
    Everywhere(kLM, kMemoryManagement, "LargeSystemCache"),
    // Microsoft Learn, "Debugging with the Shell": the key shortens the
    // shell's unload delay "for operating systems prior to Windows 2000".
    {kLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL\\", "",
     kWindowsNt4, kBefore2000},
    // Services\VxD holds the settings of Windows 9x virtual device drivers;
    // Microsoft Learn, "Version Numbers for Audio Drivers": the VxD driver
    // model is Windows 95/98's, the NT family loads none.
    {kLM, kVxdBios, "CPUPriority", kNoNtRelease, kOnly9x},
    {kLM, kVxdBios, "PCIConcur", kNoNtRelease, kOnly9x},
    {kLM, kVxdBios, "FastDRAM", kNoNtRelease, kOnly9x},
    {kLM, kVxdBios, "AGPConcur", kNoNtRelease, kOnly9x},
    // The prefetcher came with Windows XP; no source says a later release
    // ignores the value: treated as read.
    Everywhere(kLM, keys::kPrefetchParameters, "EnablePrefetcher"),
    // Windows 2000 Registry Reference (Microsoft Learn, cc959494) documents
    // it; the Windows Server 2003 reference no longer lists it, and
    // smallvoid.com ("Configure the amount of memory that can be locked for
    // I/O") notes that only Windows 2000 before its first service pack reads it.
    {kLM, kMemoryManagement, "IoPageLockLimit", kWindows2000, kUpTo2000},

    // --- CD-ROM page ---
    // Windows Server 2003 Registry Reference, "Cdrom\AutoRun" (Microsoft
    // Learn, cc779753); no source says a later release ignores it: treated
    // as read.
    Everywhere(kLM, "SYSTEM\\CurrentControlSet\\Services\\Cdrom\\", "AutoRun"),
    // The policy "Remove CD Burning features" (from Windows XP on); no source
    // says a release ignores it: treated as read.
    Everywhere(kCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\",
               "NoCDBurning"),
    // The security options "Devices: Restrict CD-ROM (floppy) access to
    // locally logged-on user only"; Windows 10's is listed in Microsoft
    // Learn, "MDM_Policy_Result01_LocalPoliciesSecurityOptions02 class"
    // (Devices_RestrictCDROMAccessToLocallyLoggedOnUserOnly).
    Everywhere(kLM, kWinlogon, "allocatecdroms"),
    Everywhere(kLM, kWinlogon, "allocatefloppies"),
    // KB141368 (Windows 95, 98, Me) and the Windows 95 Resource Kit,
    // "Optimizing CD-ROM File System Performance": the supplemental cache
    // and access pattern of the Windows 9x CD file system.
    {kLM, kCdfs, "Prefetch", kNoNtRelease, kOnly9x},
    {kLM, kCdfs, "CacheSize", kNoNtRelease, kOnly9x},

    // --- NTFS page ---
    // smallvoid.com, "Windows 9x file allocation": the contiguous run the
    // Windows 9x FAT driver looks for; no Microsoft page names it for NTFS.
    {kLM, kFileSystem, "ContigFileAllocSize", kNoNtRelease, kOnly9x},
    // Microsoft Learn, "fsutil behavior" (disablelastaccess), Windows 10 and
    // 11. Since Windows 10 1803 the system manages the value itself when its
    // high bit is set (dfir.ru, "The Last Access updates are almost back");
    // the value written by hand still decides.
    Everywhere(kLM, kFileSystem, "NtfsDisableLastAccessUpdate"),
    // Microsoft Learn, "fsutil behavior" (disable8dot3, mftzone).
    Everywhere(kLM, kFileSystem, "NtfsDisable8dot3NameCreation"),
    Everywhere(kLM, kFileSystem, "NtfsMftZoneReservation"),
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view WithoutTrailingBackslashes(std::string_view s) {
  while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  return s;
}

bool AtOrBefore(const platform::OsVersion& v, const NtRelease& last) {
  return std::tie(v.major, v.minor, v.build) <= std::tie(last.major, last.minor, last.build);
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool SameKey(std::string_view a, std::string_view b) {
  return SameName(WithoutTrailingBackslashes(a), WithoutTrailingBackslashes(b));
}

std::span<const ValueEffect> ValueEffects() { return kEffects; }

const ValueEffect* FindValueEffect(RegRoot root, std::string_view key, std::string_view value) {
  for (const ValueEffect& effect : kEffects)
    if (effect.root == root && SameKey(effect.key, key) && SameName(effect.value, value))
      return &effect;
  return nullptr;
}

bool ReadsValue(const std::optional<platform::OsVersion>& version, const ValueEffect* effect) {
  if (!version || !effect || !effect->lastReader) return true;
  // The table speaks of the NT family; the program runs on no other.
  if (version->platformId != 2) return true;
  return AtOrBefore(*version, *effect->lastReader);
}

}  // namespace tunara
