// The disk thread on its own: it writes a running take without being asked,
// so a killed program keeps its recording, and the read-ahead follows a loop
// end marked while playing.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/recorder/recorder_test_support.h"

namespace ampliro {
namespace {

std::vector<int16_t> Range(int16_t first, int32_t count) {
    std::vector<int16_t> v(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) v[static_cast<size_t>(i)] = static_cast<int16_t>(first + i);
    return v;
}

// The samples of a RECORD.DAT image, after its header.
std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples;
    for (size_t at = 4; at + 1 < bytes.size(); at += 2) {
        samples.push_back(static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8));
    }
    return samples;
}

TEST_F(RecorderTest, TheDiskThreadWritesARunningTakeUnasked) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    for (int32_t b = 0; b < 10; ++b) {
        std::vector<int16_t> block = Range(static_cast<int16_t>(b * 448), 448);
        recorder.EngineStep(block.data(), 448);
    }
    const size_t expected = 4 + 2 * 4480;
    for (int wait = 0; wait < 500 && FileBytes().size() < expected; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(recorder.State(), kRecorderRecording);
    EXPECT_EQ(Samples(FileBytes()), Range(0, 4480));
    EXPECT_EQ(recorder.DataEnd(), static_cast<int32_t>(expected));
}

// A child program records in real time and reports every block it has
// handed over through a pipe; it is killed without warning once it has
// recorded two seconds. The file keeps all but at most the last second.
TEST_F(RecorderTest, AKilledProgramKeepsAllButTheLastSecond) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, report[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, report[0]);
    const std::string program = AMPLIRO_RECORDING_CHILD;
    const std::string where = folder.string();
    char* const args[] = {const_cast<char*>(program.c_str()), const_cast<char*>(where.c_str()),
                          nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, args, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(report[1]);
    int32_t handed = 0;
    while (handed < 2 * 44100 && ::read(report[0], &handed, sizeof handed) == sizeof handed) {
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(report[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GE(handed, 2 * 44100);

    const std::vector<int16_t> kept = Samples(FileBytes());
    EXPECT_GE(static_cast<int32_t>(kept.size()), handed - 44100);
    for (size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(kept[i], static_cast<int16_t>(i)) << i;
}

TEST_F(RecorderTest, LoopEndMarkedWhilePlayingWrapsFromTheNextBlock) {
    ASSERT_TRUE(recorder.StartRecording(44100));
    Record(1, 1000);
    recorder.SetRepeat(true);
    ASSERT_TRUE(recorder.StartPlayback(44100));
    EXPECT_EQ(Play(100), Range(1, 100));
    EXPECT_EQ(Play(100), Range(101, 100));
    recorder.MarkLoopEnd();
    EXPECT_EQ(recorder.LoopEnd(), 4 + 2 * 200);
    // The block under way when the mark was set still plays as read ahead;
    // from then on the loop is the new one.
    EXPECT_EQ(Play(100), Range(201, 100));
    EXPECT_EQ(Play(100), Range(1, 100));
    EXPECT_EQ(Play(100), Range(101, 100));
    EXPECT_EQ(Play(100), Range(1, 100));

    recorder.SetRepeat(false);
    EXPECT_EQ(Play(100), Range(101, 100));
    EXPECT_EQ(Play(100), std::vector<int16_t>(100, 0));
    EXPECT_EQ(recorder.State(), kRecorderStopped);
}

}  // namespace
}  // namespace ampliro
