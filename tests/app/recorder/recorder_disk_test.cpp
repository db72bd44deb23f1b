// The disk thread on its own: it writes a running take without being asked,
// so a killed program keeps its recording, and the read-ahead follows a loop
// end marked while playing.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/app/recorder/recorder_test_support.h"

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

// RECORD.DAT is a pipe that nobody empties, as a disk that stalls: the disk
// thread hangs in its write, the ring fills, and once it holds no further
// block the take stops as on a full disk instead of going on with a gap.
// Everything the ring took still reaches the file once the disk moves again.
TEST_F(RecorderTest, AStalledDiskStopsTheTakeWhenTheRingIsFull) {
    ASSERT_EQ(::mkfifo(recorder.FilePath().c_str(), 0600), 0);
    std::vector<uint8_t> received;
    int reader = -1;
    std::thread opener([&] { reader = ::open(recorder.FilePath().c_str(), O_RDONLY); });
    ASSERT_TRUE(recorder.StartRecording(44100));
    opener.join();
    ASSERT_GE(reader, 0);

    const int32_t ring = static_cast<int32_t>(kRecorderRingSamples);
    int32_t accepted = 0;
    for (int16_t next = 0; recorder.State() == kRecorderRecording && accepted <= 2 * ring;) {
        std::vector<int16_t> block(448);
        for (int16_t& s : block) s = next++;
        recorder.EngineStep(block.data(), 448);
        if (recorder.State() == kRecorderRecording) accepted += 448;
    }
    EXPECT_EQ(recorder.State(), kRecorderStopped);
    EXPECT_TRUE(recorder.WriteFailed());
    EXPECT_GE(accepted, ring - 448);

    std::thread drain([&] {
        uint8_t chunk[65536];
        for (ssize_t n; (n = ::read(reader, chunk, sizeof chunk)) > 0;) {
            received.insert(received.end(), chunk, chunk + n);
        }
    });
    recorder.StopRecorder();
    drain.join();
    ::close(reader);
    EXPECT_EQ(Samples(received), Range(0, accepted));
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
