// The disk thread on its own: it writes a running take without being asked,
// so a killed program keeps its recording, and the read-ahead follows a loop
// end marked while playing.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

// A child process records in real time and reports every block it has
// handed over through a pipe; it is killed without warning once it has
// recorded two seconds. The file keeps all but at most the last second.
TEST_F(RecorderTest, AKilledProgramKeepsAllButTheLastSecond) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(report[0]);
        RecorderEngine take;
        take.SetFolder(folder);
        if (!take.StartRecording(44100)) ::_exit(2);
        int32_t handed = 0;
        for (int16_t next = 0;;) {
            std::vector<int16_t> block(441);
            for (int16_t& s : block) s = next++;
            take.EngineStep(block.data(), 441);
            handed += 441;
            if (::write(report[1], &handed, sizeof handed) != sizeof handed) ::_exit(3);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
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
