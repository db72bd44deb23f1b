#include "app/export/export_name.h"

#include <cctype>

namespace ampliro {
namespace {

bool EndsWithWav(const std::string& name) {
    if (name.size() < 4) return false;
    const std::string tail = name.substr(name.size() - 4);
    return tail[0] == '.' && std::tolower(static_cast<unsigned char>(tail[1])) == 'w' &&
           std::tolower(static_cast<unsigned char>(tail[2])) == 'a' &&
           std::tolower(static_cast<unsigned char>(tail[3])) == 'v';
}

}  // namespace

ExportNameProblem ExportFileName(const std::string& typed, std::string* fileName) {
    if (typed.find_first_of("/\\") != std::string::npos) return ExportNameProblem::kSeparator;
    std::string name = typed;
    const auto trimEnd = [&name] {
        while (!name.empty() && name.back() == ' ') name.pop_back();
    };
    trimEnd();
    if (EndsWithWav(name)) name.resize(name.size() - 4);
    trimEnd();
    const size_t first = name.find_first_not_of(" .");
    if (first == std::string::npos) return ExportNameProblem::kEmpty;
    if (fileName) *fileName = name.substr(first) + ".wav";
    return ExportNameProblem::kNone;
}

}  // namespace ampliro
