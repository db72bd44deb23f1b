#include "platform/resources.h"

namespace ampliro {

const ResourceModule& ProgramModule() {
    static const ResourceModule module{std::span<const ResourceEntry>{}};
    return module;
}

}  // namespace ampliro
