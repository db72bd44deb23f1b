// Every test program runs headless: SDL draws off screen and plays into
// nothing unless the caller's environment or a test says otherwise. Set
// before main so that no test can open a real device by accident.
#include <cstdlib>

namespace {

const bool kHeadless = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // No test finds a JACK server of the machine's: the live devices fall
    // back to SDL, and the JACK tests start servers of their own.
    setenv("JACK_DEFAULT_SERVER", "ampliro-tests-no-server", 0);
    setenv("AMPLIRO_SOURCE_DIR", AMPLIRO_SOURCE_DIR, 0);
    setenv("AMPLIRO_BINARY_DIR", AMPLIRO_BINARY_DIR, 0);
    return true;
}();

}  // namespace
