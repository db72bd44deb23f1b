// ampliro-lv2-ttl: writes the bundle's manifest.ttl and plugin description
// beside its library, from the same table the library runs.
//
//   ampliro-lv2-ttl BUNDLE_DIR LIBRARY_FILE_NAME
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "lv2/ttl_writer.h"

namespace {

bool WriteFile(const std::filesystem::path& path, void (*write)(std::ostream&, const char*),
               const char* binary) {
    std::ofstream out(path);
    write(out, binary);
    out.close();
    if (!out) std::fprintf(stderr, "ampliro-lv2-ttl: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ampliro-lv2-ttl BUNDLE_DIR LIBRARY_FILE_NAME\n");
        return 2;
    }
    const std::filesystem::path bundle = argv[1];
    const bool written =
        WriteFile(
            bundle / "manifest.ttl",
            [](std::ostream& out, const char* binary) { ampliro::lv2::WriteManifest(out, binary); },
            argv[2]) &&
        WriteFile(
            bundle / ampliro::lv2::kPluginsTtl,
            [](std::ostream& out, const char*) { ampliro::lv2::WritePlugins(out); }, argv[2]);
    return written ? 0 : 1;
}
