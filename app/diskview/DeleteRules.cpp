#include "app/diskview/DeleteRules.h"

namespace diskview {
namespace {

// Lower-case ASCII, backslashes only, no trailing separator.
std::string Normal(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out.push_back(c);
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

// `inner` is `outer` or lies below it.
bool Within(const std::string& inner, const std::string& outer) {
  if (outer.empty() || inner.size() < outer.size()) return false;
  if (inner.compare(0, outer.size(), outer) != 0) return false;
  return inner.size() == outer.size() || inner[outer.size()] == '\\';
}

bool IsDriveRoot(const std::string& normal) {
  if (normal.empty()) return true;
  if (normal.size() == 2 && normal[1] == ':') return true;
  // "\\?\c:" and "\\server\share" (two parts after the leading pair).
  if (normal.rfind("\\\\?\\", 0) == 0) return IsDriveRoot(normal.substr(4));
  if (normal.rfind("\\\\", 0) == 0) {
    const std::size_t share = normal.find('\\', 2);
    return share == std::string::npos || normal.find('\\', share + 1) == std::string::npos;
  }
  return false;
}

}  // namespace

DeleteRefusal CheckFolderDelete(const std::string& path, const ProtectedFolders& folders) {
  const std::string target = Normal(path);
  if (IsDriveRoot(target)) return DeleteRefusal::kDriveRoot;
  const std::string program = Normal(folders.program);
  if (!program.empty() && (Within(target, program) || Within(program, target))) {
    return DeleteRefusal::kProgramFolder;
  }
  for (const std::string& folder : folders.whole) {
    const std::string f = Normal(folder);
    if (!f.empty() && (Within(target, f) || Within(f, target))) return DeleteRefusal::kSystemFolder;
  }
  for (const std::string& folder : folders.exact) {
    const std::string f = Normal(folder);
    if (!f.empty() && Within(f, target)) return DeleteRefusal::kSystemFolder;
  }
  for (const std::string& folder : folders.parents) {
    const std::string f = Normal(folder);
    if (f.empty()) continue;
    if (Within(f, target)) return DeleteRefusal::kSystemFolder;
    // A direct child of the parent: a profile root.
    if (Within(target, f) && target.find('\\', f.size() + 1) == std::string::npos) {
      return DeleteRefusal::kSystemFolder;
    }
  }
  return DeleteRefusal::kNone;
}

std::string FillIn(const std::string& format, const std::vector<std::string>& values) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char mark = format[i + 1];
      if (mark == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
      if ((mark == 's' || mark == 'd') && next < values.size()) {
        out.append(values[next++]);
        ++i;
        continue;
      }
    }
    out.push_back(format[i]);
  }
  return out;
}

std::string LastName(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
  const std::size_t slash = trimmed.find_last_of("\\/");
  if (slash == std::string::npos || slash + 1 == trimmed.size()) return path;
  if (trimmed.size() <= 3 && trimmed.find(':') != std::string::npos) return path;
  return trimmed.substr(slash + 1);
}

}  // namespace diskview
