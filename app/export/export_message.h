// What the user is told after a WAV export of the loop recording, or
// instead of one.
#pragma once

#include <string>

#include "app/export/wav_export.h"

namespace ampliro {

// The message box text for result; fileName is the WAV file's name, folder
// says where it went ("the program folder", or the recordings folder's path).
std::string ExportMessage(const ExportResult& result, const std::string& fileName,
                          const std::string& folder = "the program folder");

}  // namespace ampliro
