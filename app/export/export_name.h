// The rules for the name a WAV export is saved under, in the program folder.
#pragma once

#include <string>

namespace ampliro {

enum class ExportNameProblem {
    kNone,
    kEmpty,      // nothing but spaces and dots
    kSeparator,  // "/" or "\": the file would land in another folder
};

// The file name for what was typed: spaces around it go, and leading dots
// (a hidden file nobody would find); a ".wav" typed at the end, in any case,
// is not doubled. fileName is set only when there is no problem.
ExportNameProblem ExportFileName(const std::string& typed, std::string* fileName);

}  // namespace ampliro
