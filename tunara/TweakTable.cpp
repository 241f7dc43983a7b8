#include "tunara/TweakTable.h"

#include "res/tunara/resource.h"
#include "tunara/SystemKeys.h"

namespace tunara {
namespace {

using platform::kRegDword;
using platform::kRegSz;
using platform::RegRoot;

constexpr RegRoot kLM = RegRoot::LocalMachine;
constexpr RegRoot kCU = RegRoot::CurrentUser;

constexpr std::string_view kOptimised = "已优化";
constexpr std::string_view kNotOptimised = "未优化";
constexpr std::string_view kEnabled = "已启用";
constexpr std::string_view kNotEnabled = "未启用";

using keys::kFileSystem;
using keys::kLanmanParameters;
using keys::kMemoryManagement;
using keys::kSessionManager;
using keys::kWinlogon;

constexpr TweakData Sz(std::string_view text) { return {text, 0}; }
constexpr TweakData Dw(std::uint32_t n) { return {{}, n}; }

// One value, read and written under the same key.
constexpr TweakOption Row(std::uint16_t box, std::uint16_t status, std::string_view caption,
                          RegRoot root, std::string_view key, std::string_view value,
                          std::uint32_t type, TweakData on, TweakData off, StateTest test,
                          std::uint32_t operand, std::string_view onText,
                          std::string_view offText) {
  return TweakOption{box, status, caption, root, key, {}, KeyOpen::Existing, {value}, 1, type,
                     on, off, test, operand, onText, offText, {}};
}

constexpr TweakOption kDiskOptions[] = {
    Row(IDC_DISK_BIG_LBA, IDC_DISK_BIG_LBA_STATUS, "支持137G以上的大硬盘", kLM,
        "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\", "EnableBigLba", kRegSz, Sz("1"),
        Sz("0"), StateTest::NumberText, 1, kOptimised, kNotOptimised),
    // Windows reads this switch as a DWORD under Memory Management, not as
    // text under PrefetchParameters: written there it would change nothing.
    Row(IDC_DISK_KERNEL_IN_RAM, IDC_DISK_KERNEL_IN_RAM_STATUS, "增强Windows 核心程序性能", kLM,
        kMemoryManagement, "DisablePagingExecutive", kRegDword, Dw(1), Dw(0), StateTest::SingleByte,
        1, kOptimised, kNotOptimised),
    Row(IDC_DISK_PROTECTION, IDC_DISK_PROTECTION_STATUS, "禁止用户对虚拟内存的访问", kLM,
        kSessionManager, "ProtectionMode", kRegDword, Dw(1), Dw(0), StateTest::SingleByte, 1,
        kOptimised, kNotOptimised),
    Row(IDC_DISK_NO_FILE_CACHE, IDC_DISK_NO_FILE_CACHE_STATUS, "禁用Windows的文件高速缓存", kLM,
        kLanmanParameters, "UtilizeNtCaching", kRegDword, Dw(0), Dw(1), StateTest::DwordZero, 0,
        kOptimised, kNotOptimised),
    Row(IDC_DISK_BOOT_DEFRAG, IDC_DISK_BOOT_DEFRAG_STATUS, "启动自动最优化磁盘功能", kLM,
        "SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction\\", "Enable", kRegSz, Sz("Y"), Sz("N"),
        StateTest::TextY, 0, kOptimised, kNotOptimised),
    Row(IDC_DISK_NTFS_SECURITY, IDC_DISK_NTFS_SECURITY_STATUS, "使用高级NTFS系统安全选项", kLM,
        "SYSTEM\\CurrentControlSet\\Control\\Lsa\\", "forceguest", kRegDword, Dw(0), Dw(1),
        StateTest::DwordZero, 0, kOptimised, kNotOptimised),
    // The policy key may not exist yet: the click creates it.
    TweakOption{IDC_DISK_QUOTA, IDC_DISK_QUOTA_STATUS, "启用磁盘配额", kLM,
                "Software\\Policies\\Microsoft\\Windows NT\\DiskQuota",
                "Software\\Policies\\Microsoft\\Windows NT\\DiskQuota\\", KeyOpen::OpenOrCreate,
                {"Enable"}, 1, kRegDword, Dw(1), Dw(0), StateTest::SingleByte, 1, kEnabled,
                kNotEnabled, {}},
    Row(IDC_DISK_UDMA66, IDC_DISK_UDMA66_STATUS, "激活磁盘DMA66模式", kLM,
        "SYSTEM\\ControlSet001\\Control\\Class\\{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0000\\",
        "EnableUDMA66", kRegDword, Dw(1), Dw(0), StateTest::SingleByte, 1, "启用UDMA66模式",
        "禁用UDMA66模式"),
    Row(IDC_DISK_AUTOCHK, IDC_DISK_AUTOCHK_STATUS, "优化磁盘自动检测等待时间", kLM, kSessionManager,
        "AutoChkTimeOut", kRegDword, Dw(0), Dw(10), StateTest::NotRead, 0, kOptimised, kOptimised),
};

constexpr TweakOption kMemoryOptions[] = {
    // Windows reads "ClearPageFileAtShutdown"; a misspelt name would be a
    // value nothing looks at.
    Row(IDC_MEM_CLEAR_PAGEFILE, IDC_MEM_CLEAR_PAGEFILE_STATUS, "关机时自动清除页面文件", kLM,
        kMemoryManagement, "ClearPageFileAtShutdown", kRegDword, Dw(1), Dw(0),
        StateTest::SingleByte, 1, kOptimised, kNotOptimised),
    Row(IDC_MEM_LARGE_CACHE, IDC_MEM_LARGE_CACHE_STATUS, "提高系统缓存", kLM, kMemoryManagement,
        "LargeSystemCache", kRegDword, Dw(1), Dw(0), StateTest::SingleByte, 1, kOptimised,
        kNotOptimised),
    Row(IDC_MEM_UNLOAD_DLL, IDC_MEM_UNLOAD_DLL_STATUS, "自动清除内存中不被使用的DLL文件", kLM,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL\\", "", kRegSz,
        Sz("1"), Sz("0"), StateTest::NumberText, 1, kOptimised, kNotOptimised),
    // Four values, one switch; the state is read from the first alone.
    TweakOption{IDC_MEM_HARDWARE, IDC_MEM_HARDWARE_STATUS, "开启硬件优化", kLM,
                keys::kVxdBios, {}, KeyOpen::Existing,
                {"CPUPriority", "PCIConcur", "FastDRAM", "AGPConcur"}, 4, kRegDword, Dw(1), Dw(0),
                StateTest::SingleByte, 1, kOptimised, kNotOptimised, {}},
};

constexpr TweakOption kCdromOptions[] = {
    Row(IDC_CD_AUTORUN, IDC_CD_AUTORUN_STATUS, "启用CDROM自动运行", kLM,
        "SYSTEM\\CurrentControlSet\\Services\\Cdrom\\", "AutoRun", kRegSz, Sz("0"), Sz("1"),
        StateTest::NumberText, 0, kEnabled, kNotEnabled),
    Row(IDC_CD_NO_BURNING, IDC_CD_NO_BURNING_STATUS, "关闭Windows XP内嵌的CD刻录功能", kCU,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\", "NoCDBurning",
        kRegDword, Dw(1), Dw(0), StateTest::SingleByte, 1, "已关闭", kEnabled),
    TweakOption{IDC_CD_ALLOCATE_CDROMS, IDC_CD_ALLOCATE_CDROMS_STATUS, "CDRom驱动器", kLM,
                kWinlogon, {}, KeyOpen::Existing, {"allocatecdroms"}, 1, kRegSz, Sz("1"), Sz("0"),
                StateTest::NumberText, 1, "仅本地登录用户访问权限", "域中所有管理员访问权限",
                "可以被域中的所理员所使用"},
    Row(IDC_CD_ALLOCATE_FLOPPIES, IDC_CD_ALLOCATE_FLOPPIES_STATUS, "软盘驱动器", kLM, kWinlogon,
        "allocatefloppies", kRegSz, Sz("1"), Sz("0"), StateTest::NumberText, 1,
        "仅本地登录用户访问权限", "域中所有管理员访问权限"),
};

constexpr TweakOption kNtfsOptions[] = {
    Row(IDC_NTFS_CONTIG_ALLOC, IDC_NTFS_CONTIG_ALLOC_STATUS, "优化Windows文件系统", kLM,
        kFileSystem, "ContigFileAllocSize", kRegDword, Dw(1), Dw(500), StateTest::SingleByte, 1,
        kOptimised, kNotOptimised),
    // Since Windows 10 1803 the system keeps 0x80000002 or 0x80000003 here
    // (managed by the system, low bit: updates off); the single-byte test
    // would read either as updates on. A click writes the value a user sets.
    Row(IDC_NTFS_LAST_ACCESS, IDC_NTFS_LAST_ACCESS_STATUS, "NTFS禁止更新最后访问记录", kLM,
        kFileSystem, "NtfsDisableLastAccessUpdate", kRegDword, Dw(1), Dw(0),
        StateTest::ManagedLowBit, 1, "不保存上次更新的时间", "保存上次更新的时间"),
    Row(IDC_NTFS_NO_8DOT3, IDC_NTFS_NO_8DOT3_STATUS, "NTFS禁止创建8.3格式的文件名", kLM,
        kFileSystem, "NtfsDisable8dot3NameCreation", kRegDword, Dw(1), Dw(0), StateTest::SingleByte,
        1, "不允许", "允许"),
    Row(IDC_NTFS_CACHING, IDC_NTFS_CACHING_STATUS, "启用和禁用文件高速缓存", kLM, kLanmanParameters,
        "UtilizeNtCaching", kRegDword, Dw(1), Dw(0), StateTest::SingleByte, 1, "启用缓存",
        "禁止缓存"),
};

}  // namespace

std::span<const TweakOption> TweakOptions(PageId page) {
  switch (page) {
    case PageId::Disk: return kDiskOptions;
    case PageId::Memory: return kMemoryOptions;
    case PageId::Cdrom: return kCdromOptions;
    case PageId::Ntfs: return kNtfsOptions;
  }
  return {};
}

const TweakOption* FindTweakOption(PageId page, std::uint16_t box) {
  for (const TweakOption& option : TweakOptions(page))
    if (option.box == box) return &option;
  return nullptr;
}

}  // namespace tunara
