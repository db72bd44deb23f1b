// The Loop Recorder's Export: the take in RECORD.DAT as a WAV file in the
// same folder. A take still being recorded is refused (the file is growing
// under it); playback, paused or not, goes on undisturbed, because the
// export reads the file through its own handle on a thread of its own.
#include <cstring>
#include <string>
#include <system_error>

#include "app/export/export_job.h"
#include "app/export/export_message.h"
#include "app/export/export_name.h"
#include "app/recorder/recorder_screen.h"

namespace ampliro {
namespace {

constexpr const char* kExportTitle = "Export";
constexpr const char* kExportFailedTitle = "Export Failed";
constexpr size_t kNameCapacity = 260;

}  // namespace

std::string RecorderScreen::AskFileName() {
    char name[kNameCapacity] = {};
    exportName_.copy(name, sizeof name - 1);
    if (host_->AskExportName(name, sizeof name) != 1) return {};
    std::string fileName;
    switch (ExportFileName(name, &fileName)) {
        case ExportNameProblem::kNone:
            return fileName;
        case ExportNameProblem::kEmpty:
            host_->ShowMessage(kExportTitle, "Please type a name for the file.",
                               RecorderHost::kTell);
            return {};
        case ExportNameProblem::kSeparator:
            host_->ShowMessage(kExportTitle, "A file name cannot contain '/' or '\\'.",
                               RecorderHost::kTell);
            return {};
    }
    return {};
}

void RecorderScreen::Export() {
    if (!host_) return;
    if (engine_.TakeInProgress()) {
        host_->ShowMessage(kExportTitle, "Stop the recording before exporting it.",
                           RecorderHost::kTell);
        return;
    }
    ExportResult before;
    before.info = InspectRecording(engine_.FilePath());
    if (before.info.problem != RecordingInfo::kNone) {
        const bool damaged = before.info.problem == RecordingInfo::kBadRate;
        before.outcome = damaged ? ExportResult::kDamaged : ExportResult::kNoRecording;
        host_->ShowMessage(damaged ? kExportFailedTitle : kExportTitle,
                           ExportMessage(before, "").c_str(), RecorderHost::kTell);
        return;
    }
    const std::string fileName = AskFileName();
    if (fileName.empty()) return;
    const std::filesystem::path target = engine_.Folder() / fileName;
    std::error_code error;
    if (std::filesystem::exists(target, error)) {
        const std::string question = "'" + fileName + "' already exists. Replace it?";
        if (host_->ShowMessage("Replace File?", question.c_str(), RecorderHost::kAskNo) != 1)
            return;
    }
    exportName_ = fileName.substr(0, fileName.size() - 4);
    ExportJob job(engine_.FilePath(), target);
    host_->FollowExport(job, fileName.c_str());
    TellExportResult(job, fileName);
}

void RecorderScreen::TellExportResult(ExportJob& job, const std::string& fileName) {
    const ExportResult& result = job.Result();
    if (result.outcome == ExportResult::kCancelled) return;
    const char* title = result.outcome == ExportResult::kDone ? kExportTitle : kExportFailedTitle;
    host_->ShowMessage(title, ExportMessage(result, fileName, folderName_).c_str(),
                       RecorderHost::kTell);
}

}  // namespace ampliro
