// The texts of the file list: row sizes and dates, folder paths and the
// header's path menu. Folders are kept without a trailing "/"; the empty
// folder is the root "/", which the header calls "My Device".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ampliro {

// Longest folder path the list keeps; longer ones are refused.
inline constexpr size_t kMaxFolderPath = 259;
// Longest path the list hands out (a folder, "/" and a name).
inline constexpr size_t kMaxFilePath = 259;
inline constexpr size_t kMaxPattern = 63;
inline constexpr const char* kRootName = "My Device";

// "500" below a kilobyte, then "%dK", "%dMb" and "%dGb" in steps of 1000
// above the kilobyte: 1536 -> "1K", 2500000 -> "2Mb" (2441 K / 1000).
std::string SizeText(uint64_t bytes);

// True when a C library date format (nl_langinfo D_FMT) puts the day before
// the month: "%d/%m/%y" and "%d.%m.%Y" do, "%m/%d/%y" and "%Y-%m-%d" do not.
bool DayBeforeMonth(const char* dateFormat);
// The date order of the user's locale (LC_TIME from the environment).
bool LocaleDayBeforeMonth();
// "dd/MM/yy" or "MM/dd/yy" of a time in the local time zone.
std::string DateText(int64_t secondsSinceEpoch, bool dayFirst);

// The folder's components; the first is always the root's (empty) one.
std::vector<std::string> FolderComponents(const std::string& folder);
// The last component, or "My Device" for the root.
std::string FolderTitle(const std::string& folder);
// The folder cut after its first n components (n >= 1); n = 1 is the root.
std::string CutFolder(const std::string& folder, int n);
// The popup menu's item text: item i is "%02d" and "?" (more follow) or "*"
// (the current folder), two spaces per level, then the component's name.
// Items beyond what a menu holds are dropped from the top, so every item
// keeps the number of the component it stands for.
std::string PathMenuText(const std::string& folder);
inline constexpr int kMenuItemLimit = 23;
inline constexpr size_t kMenuTextLimit = 255;

// The parent folder for "..": cut at the last "/", unchanged without one.
std::string ParentFolder(const std::string& folder);
// folder + "/" + name, or an empty string when that would pass limit.
std::string JoinPath(const std::string& folder, const std::string& name, size_t limit);

// A file name (UTF-8) as the fonts can show it: each character of Latin-1
// becomes its one byte, anything else (characters beyond Latin-1, bytes that
// are not UTF-8, control characters) a "?". A "|" becomes "/", since "|"
// separates a row's columns and no file name can hold a "/".
std::string DisplayName(const std::string& fileName);
// Text typed in the program (Latin-1, one byte a character) as a UTF-8 file
// name: the way back from DisplayName for every name it shows exactly.
std::string FileNameFromText(const std::string& text);

// Name matching in the manner of the file system's search: "*" and "?",
// letters in either case, and "*.*" for every name.
bool MatchesPattern(const std::string& pattern, const std::string& name);

}  // namespace ampliro
