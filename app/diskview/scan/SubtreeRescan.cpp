#include "app/diskview/scan/SubtreeRescan.h"

namespace diskview {

std::string ChildPath(const std::string& folder, const std::string& name, char separator) {
  std::string path = folder;
  if (!path.empty() && path.back() != separator && path.back() != '/') path.push_back(separator);
  path.append(name);
  return path;
}

std::string ChainPath(const std::vector<CMyFolder*>& chain, char separator) {
  if (chain.empty()) return std::string();
  std::string path = chain.front()->GetName();
  for (std::size_t i = 1; i < chain.size(); ++i) path = ChildPath(path, chain[i]->GetName(), separator);
  return path;
}

void PutRescannedSubtree(const std::vector<CMyFolder*>& above, CMyFolder& target, CMyFolder& fresh) {
  target.TakeContentsOf(fresh);
  target.SetSorted(false);
  target.SetKind(CMyFolder::kKindFolder);
  for (CMyFolder* folder : above) {
    if (folder && folder != &target) folder->SetSorted(false);
  }
}

}  // namespace diskview
