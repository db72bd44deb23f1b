#include "app/export/export_message.h"

#include "app/recorder/recorder_shared.h"
#include "app/recorder/take_time.h"
#include "platform/files/atomic_file.h"

namespace ampliro {

std::string ExportMessage(const ExportResult& result, const std::string& fileName,
                          const std::string& folder) {
    const std::string quoted = "'" + fileName + "'";
    const std::string recording = kRecordingFileName;
    switch (result.outcome) {
        case ExportResult::kDone:
            return "The recording (" + MinutesSeconds(result.info.samples / result.info.rate) +
                   ") was saved as " + quoted + " in " + folder + ".";
        case ExportResult::kNoRecording:
        case ExportResult::kCancelled:
            return "There is no recording to export.";
        case ExportResult::kDamaged:
            return recording + " is damaged: its sample rate (" + std::to_string(result.info.rate) +
                   "Hz) is not one a recording is made at.";
        case ExportResult::kReadFailed:
            return recording + " could not be read:\r" + ErrorText(result.error) + ".";
        case ExportResult::kSourceChanged:
            return recording + " changed while it was exported; " + quoted + " was not written.";
        case ExportResult::kWriteFailed:
            return "The recording could not be saved as " + quoted + ":\r" +
                   ErrorText(result.error) + ".";
    }
    return {};
}

}  // namespace ampliro
