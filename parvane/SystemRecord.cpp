#include "parvane/SystemRecord.h"

#include <algorithm>

namespace parvane {
namespace {

using platform::Registry;
using platform::RegRoot;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// UTF-16 units of one UTF-8 sequence starting with `lead`.
std::size_t Utf16Units(unsigned char lead) { return lead >= 0xF0 ? 2 : 1; }

std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// UTF-16 units of a UTF-8 text.
std::size_t Units(const std::string& text) {
  std::size_t units = 0;
  for (std::size_t k = 0; k < text.size(); k += SequenceLength(static_cast<unsigned char>(text[k])))
    units += Utf16Units(static_cast<unsigned char>(text[k]));
  return units;
}

// Cuts the text to at most `units` UTF-16 units, on a character boundary.
void LimitUnits(std::string& text, std::size_t units) {
  std::size_t used = 0, i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    std::size_t u = Utf16Units(lead);
    if (used + u > units) break;
    used += u;
    i += SequenceLength(lead);
  }
  if (i < text.size()) text.resize(i);
}

// A key opened for querying values, closed at the end of the scope.
class QueryKey {
 public:
  QueryKey(Registry& reg, std::string_view path) : reg_(reg) {
    if (reg.Open(RegRoot::LocalMachine, path, Registry::Access::Read, key_) != platform::kRegOk)
      key_ = 0;
  }
  QueryKey(const QueryKey&) = delete;
  QueryKey& operator=(const QueryKey&) = delete;
  ~QueryKey() {
    if (key_ != 0) reg_.Close(key_);
  }
  bool ok() const { return key_ != 0; }

  // The value as the one NUL-terminated text a record field holds: a
  // multi-string gives its first string, not its inner NULs. Nothing when
  // the value cannot be read into the buffer, or when a text stored without
  // its terminator fills the buffer, leaving no room for one.
  std::optional<std::string> Text(std::string_view name, std::size_t chars) {
    std::uint32_t type = 0;
    auto out = Read(name, chars, type);
    if (!out) return std::nullopt;
    if (type == platform::kRegMultiSz) out->resize(std::min(out->size(), out->find('\0')));
    if (Units(*out) >= chars) return std::nullopt;
    return out;
  }
  // The value with a multi-string's inner NULs kept, and its type.
  std::optional<std::string> List(std::string_view name, std::size_t chars, std::uint32_t& type) {
    auto out = Read(name, chars, type);
    if (out && type != platform::kRegMultiSz && Units(*out) >= chars) return std::nullopt;
    return out;
  }
  // A failed read stores an empty text.
  std::string TextOrEmpty(std::string_view name, std::size_t chars = kRegTextChars) {
    return Text(name, chars).value_or("");
  }

 private:
  std::optional<std::string> Read(std::string_view name, std::size_t chars, std::uint32_t& type) {
    if (key_ == 0) return std::nullopt;
    std::string out;
    if (reg_.QueryText(key_, name, chars, type, out) != platform::kRegOk) return std::nullopt;
    return out;
  }

  Registry& reg_;
  Registry::Key key_ = 0;
};

std::string Expanded(const SystemFacts& facts, std::string_view text) {
  if (!facts.environment) return std::string(text);
  return ExpandVariables(text, facts.environment).value_or("");
}

void ExpandTempTexts(const SystemFacts& facts, SystemInfoRecord& record) {
  record.tmpText = Expanded(facts, "TMP = %TMP%");
  record.tempText = Expanded(facts, "TEMP = %TEMP%");
}

std::optional<std::string> Value(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// Windows 11 is version 10.0 from this build on.
constexpr std::uint32_t kFirstWindows11Build = 22000;

bool IsWindows11(const VersionRecord& v) {
  return v.major == 10 && v.minor == 0 && v.build >= kFirstWindows11Build;
}

// Windows from Vista on by its own name, with the trailing blank the XP
// text has; a version the table does not know by its numbers.
std::string NamedWindows(const VersionRecord& v) {
  if (v.major == 6 && v.minor == 0) return "Windows Vista ";
  if (v.major == 6 && v.minor == 1) return "Windows 7 ";
  if (v.major == 6 && v.minor == 2) return "Windows 8 ";
  if (v.major == 6 && v.minor == 3) return "Windows 8.1 ";
  if (v.major == 10 && v.minor == 0) return IsWindows11(v) ? "Windows 11 " : "Windows 10 ";
  return "Windows " + std::to_string(v.major) + "." + std::to_string(v.minor) + " ";
}

struct Edition {
  const char* id;    // EditionID
  const char* name;  // as the system names it
};

constexpr Edition kVistaEditions[] = {
    {"Starter", "Starter"},           {"HomeBasic", "Home Basic"}, {"HomePremium", "Home Premium"},
    {"Professional", "Professional"}, {"Business", "Business"},    {"Ultimate", "Ultimate"},
    {"Enterprise", "Enterprise"},
};

// From Windows 8 on; Windows 8 and 8.1 call their "Core" editions by no
// word ("Windows 8", "Windows 8.1 Single Language").
constexpr Edition kModernEditions[] = {
    {"Core", "Home"},
    {"CoreSingleLanguage", "Home Single Language"},
    {"CoreCountrySpecific", "Home China"},
    {"Professional", "Pro"},
    {"ProfessionalEducation", "Pro Education"},
    {"ProfessionalWorkstation", "Pro for Workstations"},
    {"Education", "Education"},
    {"Enterprise", "Enterprise"},
    {"EnterpriseS", "Enterprise LTSC"},
    {"IoTEnterprise", "IoT Enterprise"},
    {"IoTEnterpriseS", "IoT Enterprise LTSC"},
    {"ServerRdsh", "Enterprise multi-session"},
};

// The edition's name for a client system, nothing for an edition the
// tables do not know. A trailing "N" (editions without media features) is
// named as such.
std::optional<std::string> EditionName(const VersionRecord& v, std::string_view id) {
  const bool modern = v.major > 6 || (v.major == 6 && v.minor >= 2);
  auto find = [&](std::string_view key) -> std::optional<std::string> {
    auto look = [&](const auto& table) -> std::optional<std::string> {
      for (const Edition& e : table)
        if (EqualsIgnoringCase(key, e.id)) return std::string(e.name);
      return std::nullopt;
    };
    return modern ? look(kModernEditions) : look(kVistaEditions);
  };
  std::optional<std::string> name = find(id);
  if (!name && id.size() > 1 && (id.back() == 'N' || id.back() == 'n')) {
    name = find(id.substr(0, id.size() - 1));
    if (name) *name += " N";
  }
  if (name && modern && v.major == 6 && name->rfind("Home", 0) == 0) {
    name->erase(0, 4);
    if (!name->empty() && name->front() == ' ') name->erase(0, 1);
  }
  return name;
}

}  // namespace

std::optional<std::string> ExpandVariables(
    std::string_view text,
    const std::function<std::optional<std::string>(std::string_view)>& environment,
    std::size_t maxChars) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t open = text.find('%', i);
    if (open == std::string_view::npos) {
      out += text.substr(i);
      break;
    }
    out += text.substr(i, open - i);
    std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) {
      out += text.substr(open);
      break;
    }
    std::string_view name = text.substr(open + 1, close - open - 1);
    std::optional<std::string> value;
    if (!name.empty() && environment) value = environment(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // An unset name stays as written; its closing '%' may open the next.
      out += '%';
      out += name;
      i = close;
    }
  }
  if (Units(out) + 1 > maxChars) return std::nullopt;
  return out;
}

void AppendProductType(Registry& reg, std::string& text) {
  QueryKey key(reg, kProductOptions);
  auto type = key.Text("ProductType", kRegTextChars);
  if (!type) return;
  if (EqualsIgnoringCase(*type, "WINNT")) text += "Professional";
  else if (EqualsIgnoringCase(*type, "SERVERNT")) text += "Server";
  else if (EqualsIgnoringCase(*type, "LANMANNT")) text += "Advanced Server";
}

std::optional<std::string> ClientEditionName(Registry& reg, const VersionRecord& v) {
  {
    QueryKey options(reg, kProductOptions);
    auto type = options.Text("ProductType", kRegTextChars);
    if (!type || !EqualsIgnoringCase(*type, "WINNT")) return std::nullopt;
  }
  QueryKey key(reg, kNtCurrentVersion);
  auto id = key.Text("EditionID", kRegTextChars);
  if (!id) return std::nullopt;
  return EditionName(v, *id);
}

void ClassifyWindows(Registry& reg, const VersionRecord& v, SystemInfoRecord& record) {
  std::string name;
  if (v.major >= 6) {
    // The old rule below names every later system "Windows XP or Windows
    // .NET Server" (and 10.0 "Windows 2000"). Every client edition has the
    // product type WinNT, so a client is named by its edition where known.
    name = NamedWindows(v);
    if (auto edition = ClientEditionName(reg, v)) name += *edition;
    else AppendProductType(reg, name);
  } else if (v.major > 4) {
    name = v.minor == 0 ? "Windows 2000" : "Windows XP or Windows .NET Server ";
    AppendProductType(reg, name);
  } else if (v.major == 3) {
    name = "Windows NT 3.51";
    AppendProductType(reg, name);
  } else if (v.minor == 0 && v.platformId == 2) {
    name = "Windows NT 4.0";
    AppendProductType(reg, name);
  } else if (v.minor == 0) {
    name = "Windows 95";
    if (EqualsIgnoringCase(v.csd, "c")) name += "OSR2";
  } else if (v.minor == 10) {
    name = "Windows 98";
    if (EqualsIgnoringCase(v.csd, "A")) name += "Second Edition";
  } else if (v.minor == 90) {
    name = "Windows Millennium Edition\n";
  }
  record.osName = name;
}

bool ReadSystemRecord(Registry& reg, const SystemFacts& facts, SystemInfoRecord& record) {
  record = {};
  if (!facts.version) return false;
  ClassifyWindows(reg, *facts.version, record);
  if (facts.ntFamily) {
    QueryKey key(reg, kNtCurrentVersion);
    record.version = key.TextOrEmpty("CurrentVersion");
    record.version += key.TextOrEmpty("CurrentBuildNumber");
    if (auto sp = key.Text("CSDVersion", kRegTextChars)) record.servicePack = *sp;
    record.owner = key.TextOrEmpty("RegisteredOwner");
    record.organization = key.TextOrEmpty("RegisteredOrganization");
    record.productId = key.TextOrEmpty("ProductId");
    record.systemRoot = key.TextOrEmpty("SystemRoot");
    record.sourcePath = key.TextOrEmpty("SourcePath");
    record.softwareType = key.TextOrEmpty("SoftwareType");
  }
  ExpandTempTexts(facts, record);
  return true;
}

void ReadNtCurrentVersionValue(Registry& reg, const SystemFacts& facts,
                               std::string_view valueName, SystemInfoRecord& record) {
  record = {};
  std::string* field = nullptr;
  if (valueName == "ProductName") field = &record.productName;
  else if (valueName == "BuildLab") field = &record.buildLab;
  else if (valueName == "CurrentType") field = &record.currentType;
  else if (valueName == "CurrentBuild") field = &record.currentBuild;
  else if (valueName == "RegisteredOrganization") field = &record.registeredOrganization;
  if (!field || !facts.version || !facts.ntFamily) return;
  QueryKey key(reg, kNtCurrentVersion);
  *field = key.TextOrEmpty(valueName);
  // Windows 11 keeps Windows 10's product name in the registry.
  constexpr std::string_view kTen = "Windows 10";
  if (field == &record.productName && IsWindows11(*facts.version) &&
      field->compare(0, kTen.size(), kTen) == 0 &&
      (field->size() == kTen.size() || (*field)[kTen.size()] == ' '))
    field->replace(kTen.size() - 2, 2, "11");
}

bool ReadFolderRecord(Registry& reg, const SystemFacts& facts, SystemInfoRecord& record) {
  record = {};
  if (!facts.version) return false;
  ClassifyWindows(reg, *facts.version, record);
  if (facts.ntFamily) {
    QueryKey key(reg, kCurrentVersion);
    record.version = key.TextOrEmpty("ProductId");
    record.servicePack = key.TextOrEmpty("CommonFilesDir");
    record.owner = key.TextOrEmpty("DevicePath");
    // Replaces the device path: the row shows this value or nothing.
    record.owner = key.TextOrEmpty("jpwbpy.mb");
    record.organization = key.TextOrEmpty("MediaPath");
    record.systemRoot = key.TextOrEmpty("MediaPathUnexpanded");
    record.sourcePath = key.TextOrEmpty("ProgramFilesDir");
    record.softwareType = key.TextOrEmpty("ProgramFilesPath");
  }
  ExpandTempTexts(facts, record);
  return true;
}

void ReadBiosRecord(Registry& reg, const SystemFacts& facts, BiosInfoRecord& record) {
  record = {};
  if (facts.ntFamily) {
    QueryKey key(reg, kSystemDescription);
    std::uint32_t type = 0;
    auto name = key.List("SystemBiosVersion", kLongTextChars, type);
    if (name && !name->empty() && (*name)[0] != '\0') {
      if (type == platform::kRegMultiSz) {
        // One line: each string's terminator and the list's closing one
        // become blanks. Bounded by the buffer, so a list that fills it
        // loses its last blank rather than running past it.
        while (!name->empty() && name->back() == '\0') name->pop_back();
        for (char& c : *name)
          if (c == '\0') c = ' ';
        *name += "  ";
        LimitUnits(*name, kLongTextChars - 1);
      }
      record.nameText = *name;
    }
    record.dateText = key.TextOrEmpty("SystemBiosDate");
    record.kindText = key.TextOrEmpty("Identifier");
  } else {
    QueryKey key(reg, k9xBios);
    record.nameText = key.TextOrEmpty("BIOSNAME");
    record.versionText = key.TextOrEmpty("BIOSVersion");
    record.dateText = key.TextOrEmpty("BIOSDate");
  }
}

std::string NtEditionText(Registry& reg) {
  QueryKey key(reg, "System\\CurrentControlSet\\Control\\ProductOptions");
  const std::string type = key.TextOrEmpty("ProductType", kProductTypeChars);
  if (EqualsIgnoringCase(type, "WinNT")) return "Windows NT Workstation";
  if (EqualsIgnoringCase(type, "ServerNT")) return "Windows NT Server";
  return "Windows NT Server - Domain Controller";
}

std::vector<PageRow> SystemInfoPageRows(Registry& reg, const SystemFacts& facts) {
  SystemInfoRecord sys, name, lab, type, build, org;
  ReadSystemRecord(reg, facts, sys);
  ReadNtCurrentVersionValue(reg, facts, "ProductName", name);
  ReadNtCurrentVersionValue(reg, facts, "BuildLab", lab);
  ReadNtCurrentVersionValue(reg, facts, "CurrentType", type);
  ReadNtCurrentVersionValue(reg, facts, "CurrentBuild", build);
  ReadNtCurrentVersionValue(reg, facts, "RegisteredOrganization", org);
  auto opt = [](const std::optional<std::string>& s) {
    return s && !s->empty() ? s : std::nullopt;
  };
  return {
      {"计算机名:", 1, opt(facts.computerName)},
      {"管理员帐号:", 2, opt(facts.userName)},
      {"操作系统平台:", 3, Value(sys.osName)},
      {"当前版本:", 4, Value(sys.version)},
      {"SP版本:", 5, Value(sys.servicePack)},
      {"注册用户名:", 6, Value(sys.owner)},
      {"注册组织名:", 7, Value(org.registeredOrganization)},
      {"序列号:", 8, Value(sys.productId)},
      {"windows文件夹:", 9, Value(sys.systemRoot)},
      {"安装盘位置:", 10, Value(sys.sourcePath)},
      {"系统目录:", 11, Value(sys.softwareType)},
      {"操作系统:", 1, Value(name.productName)},
      {"版本:", 2, Value(lab.buildLab)},
      {"处理器类型", 3, Value(type.currentType)},
      {"默认值:", 4, Value(build.currentBuild)},
      {"", 0, std::nullopt},
  };
}

std::vector<PageRow> SystemDirsPageRows(Registry& reg, const SystemFacts& facts) {
  SystemInfoRecord dirs;
  BiosInfoRecord bios;
  const std::string edition = NtEditionText(reg);
  ReadFolderRecord(reg, facts, dirs);
  ReadBiosRecord(reg, facts, bios);
  return {
      {"NT平台：", 1, Value(edition)},
      {"注册ID:", 2, Value(dirs.version)},
      {"安装目录：", 3, Value(dirs.servicePack)},
      {"系统目录：", 4, Value(dirs.owner)},
      {"Media目录：", 5, Value(dirs.organization)},
      {"音频目录：", 6, Value(dirs.systemRoot)},
      {"文件目录：", 7, Value(dirs.sourcePath)},
      {"系统文件：", 8, Value(dirs.softwareType)},
      {"用户变量：", 9, Value(dirs.tmpText)},
      {"用户变量：", 10, Value(dirs.tempText)},
      {"BIOS版本、名称或厂商:", 11, Value(bios.nameText)},
      {"BIOS版本号码:", 1, Value(bios.versionText)},
      {"BIOS生产日期:", 2, Value(bios.dateText)},
      {"BIOS种类:", 3, Value(bios.kindText)},
      {"", 0, std::nullopt},
  };
}

}  // namespace parvane
