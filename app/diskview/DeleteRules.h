// Which folders the disk overview refuses to move to the Recycle Bin, as a
// pure function over paths the caller looked up (the shell's known
// folders: nothing here guesses a letter or a name).
//
// Refused, before any question is asked:
//  - a drive root ("C:\", "\\server\share");
//  - the Windows folder and the program folders, with everything in them;
//  - the folder the program runs from, with everything in it;
//  - ProgramData, the Users folder and every user profile root (the
//    direct children of the Users folder), themselves;
//  - any folder that holds one of the above.
// Paths compare without regard to ASCII case, '/' or '\', or a trailing
// separator.
#pragma once

#include <string>
#include <vector>

namespace diskview {

struct ProtectedFolders {
  std::vector<std::string> whole;     // refused with everything in them
  std::vector<std::string> exact;     // refused themselves
  std::vector<std::string> parents;   // their direct children are refused
  std::string program;                // the folder the program runs from
};

enum class DeleteRefusal {
  kNone,
  kDriveRoot,
  kSystemFolder,   // a protected folder, in one, or holding one
  kProgramFolder,  // the program's own folder, in it, or holding it
};

DeleteRefusal CheckFolderDelete(const std::string& path, const ProtectedFolders& folders);

// `format` (a resource text) with each "%s" or "%d" replaced by the next of
// `values`, in order; "%%" gives "%". A mark without a value stays as it is.
std::string FillIn(const std::string& format, const std::vector<std::string>& values);

// The last name of a path ("D:\Videos\Old" gives "Old"; a root stays whole).
std::string LastName(const std::string& path);

}  // namespace diskview
