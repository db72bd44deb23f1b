#!/usr/bin/env bash
# Sets up, builds and runs every test: once in an optimised build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded ones under
# ThreadSanitizer, then checks the formatting.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
jobs=$(nproc)

echo "== build and test"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" -j"$jobs"
ctest --test-dir "$top/build" --output-on-failure -j"$jobs"

echo "== the Debian package and the installed tree"
# desktop-file-validate, appstreamcli, lintian, lv2ls and the manual pages.
"$top/tools/check_package.sh" "$top/build"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$top" -B "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DAMPLIRO_SANITIZE=ON >/dev/null
cmake --build "$top/build-sanitize" -j"$jobs"
# The readers' fuzz tests take 34000 mutated inputs each here (six readers:
# over 200,000 in all), a quick few thousand elsewhere.
AMPLIRO_FUZZ_INPUTS=34000 ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$top/build-sanitize" --output-on-failure -j"$jobs"

echo "== the square 240 x 240 screen's build: its screens and the fit of their text"
# The whole-program tests tap the tall screen's coordinates; the screens'
# tests and the text fit of every area run in this shape too.
cmake -S "$top" -B "$top/build-square" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DAMPLIRO_SQUARE_SCREEN=ON >/dev/null
cmake --build "$top/build-square" -j"$jobs" --target ampliro test_ui test_app_screens test_app
(cd "$top/build-square/tests" && ./test_ui --gtest_brief=1 && ./test_app_screens --gtest_brief=1 &&
  ./test_app --gtest_brief=1 --gtest_filter='TextFitTest.*')

echo "== build and test the threaded parts under ThreadSanitizer"
# The stream, the processing pass, the metronome, the recorder and its disk
# thread, the pedals (the pitch shifter's knob against the audio thread), the
# audio thread's real-time rules, the whole program, its MIDI control and the
# tuner's tap. Any report fails the run: ThreadSanitizer then exits with 66.
# SDL draws with its software renderer here: its OpenGL one brings in Mesa's
# driver, whose own threads race inside the driver, outside anything of ours.
# For the same reason the offscreen window's surface is not backed by an
# accelerated texture either (SDL would load Mesa for that on its own; the
# program the whole-program tests start inherits both settings).
threaded=(test_audio test_effects test_effects_pedals test_platform_audio test_platform_threads
  test_platform_window test_platform_midi test_app test_app_metronome test_app_recorder
  test_app_export test_app_midi test_app_tuner
  test_integration_realtime)
cmake -S "$top" -B "$top/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMPLIRO_TSAN=ON >/dev/null
cmake --build "$top/build-tsan" -j"$jobs" --target "${threaded[@]}"
# The JACK tests (test_integration_jack) stay out of this run: the server orders the
# process callbacks of its clients (Ampliro's and the test's own, in one
# process) through futexes in shared memory, which ThreadSanitizer cannot
# see, so it takes every hand-over of a port buffer for a race. They run in
# the two builds above.
for t in "${threaded[@]}"; do
  echo "-- $t"
  (cd "$top/build-tsan/tests" && SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 \
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ./"$t" --gtest_brief=1)
done

echo "== format check"
"$top/tools/format.sh" --check
