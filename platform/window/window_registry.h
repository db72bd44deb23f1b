// The windows that exist, shared by the native window code and the part of
// Window that needs no video system.
#pragma once

#include <vector>

namespace ampliro {

class Window;

std::vector<Window*>& LiveWindows();

}  // namespace ampliro
