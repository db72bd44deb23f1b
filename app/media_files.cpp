#include "app/media_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "effects/pedals/amp_pedal.h"
#include "effects/pedals/cabinet_pedal.h"

namespace ampliro {

MediaKind MediaKindOf(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return MediaKind::kNone;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "nam" || ext == "json") return MediaKind::kModel;
    if (ext == "wav" || ext == "aif" || ext == "aiff" || ext == "flac") return MediaKind::kImpulse;
    return MediaKind::kNone;
}

bool ReadMediaFile(const std::string& path, std::vector<std::byte>& bytes, std::string& error) {
    const std::string name = FileNameOf(path);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "Could not open " + name + ".";
        return false;
    }
    bytes.clear();
    std::byte chunk[65536];
    bool ok = true;
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (n == 0) break;
        if (bytes.size() + n > kLargestMediaFile) {
            error = name + " is too large to be an amp model or an impulse response.";
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    if (ok && std::ferror(file)) {
        error = "Could not read " + name + ".";
        ok = false;
    }
    std::fclose(file);
    if (!ok) bytes.clear();
    return ok;
}

std::string LoadModelFile(AmpPedal& amp, const std::string& path) {
    std::vector<std::byte> bytes;
    std::string error;
    if (!ReadMediaFile(path, bytes, error)) return error;
    std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    error = amp.LoadModel(std::move(text), path);
    return error.empty() ? error : FileNameOf(path) + ": " + error;
}

std::string LoadImpulseFile(CabinetPedal& cabinet, const std::string& path, std::string* note) {
    std::vector<std::byte> bytes;
    std::string error;
    if (!ReadMediaFile(path, bytes, error)) return error;
    error = cabinet.LoadImpulse(std::move(bytes), path, note);
    return error.empty() ? error : FileNameOf(path) + ": " + error;
}

}  // namespace ampliro
