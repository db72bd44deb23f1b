#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/export/export_job.h"
#include "app/export/export_message.h"
#include "app/export/export_name.h"
#include "app/recorder/recorder_screen.h"
#include "app/recorder/take_time.h"
#include "audio/audio_settings.h"
#include "platform/window/messages.h"
#include "tests/app/recorder/recorder_test_support.h"

namespace ampliro {
namespace {

// Answers the recorder's questions as a test scripts them and keeps what it
// was told as "title|text".
class ScriptedHost : public RecorderHost {
  public:
    int ShowMessage(const char* title, const char* text, int kind) override {
        told.push_back(std::string(title) + "|" + text);
        kinds.push_back(kind);
        return answer;
    }
    int AskExportName(char* name, size_t capacity) override {
        proposed.push_back(name);
        if (typed.empty()) return 2;
        std::strncpy(name, typed.c_str(), capacity - 1);
        name[capacity - 1] = '\0';
        return 1;
    }
    void FollowExport(ExportJob& job, const char* fileName) override {
        following.push_back(fileName);
        if (duringExport) do {
                duringExport();
            } while (!job.Finished());
        job.Result();
    }

    std::string typed;
    int answer = 1;
    std::function<void()> duringExport;
    std::vector<std::string> told, proposed, following;
    std::vector<int> kinds;
};

class RecorderExportTest : public RecorderTest {
  protected:
    void SetUp() override {
        RecorderTest::SetUp();
        screen.BuildScreen(nullptr);
        screen.Engine().SetFolder(folder);
        screen.SetHost(&host);
    }
    void Command(uint16_t id) { screen.HandleMessage(WM_COMMAND, MakeCommand(id, 0), 0); }
    void Export() { screen.HandleMessage(WM_COMMAND, MakeCommand(kRecorderExportId, 0), 0); }
    void WriteTake(int32_t rate, size_t samples, int16_t value = 1) {
        std::vector<uint8_t> bytes = {static_cast<uint8_t>(rate), static_cast<uint8_t>(rate >> 8),
                                      static_cast<uint8_t>(rate >> 16),
                                      static_cast<uint8_t>(rate >> 24)};
        bytes.resize(4 + 2 * samples, 0);
        for (size_t i = 0; i < samples; ++i) {
            bytes[4 + 2 * i] = static_cast<uint8_t>(value);
            bytes[5 + 2 * i] = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
        }
        WriteFile(bytes);
        screen.ReadRecordingInfo();
    }
    std::vector<uint8_t> Bytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    RecorderScreen screen;
    ScriptedHost host;
};

TEST(ExportNameTest, RulesForTheTypedName) {
    std::string name;
    EXPECT_EQ(ExportFileName("take one", &name), ExportNameProblem::kNone);
    EXPECT_EQ(name, "take one.wav");
    EXPECT_EQ(ExportFileName("  riff.2  ", &name), ExportNameProblem::kNone);
    EXPECT_EQ(name, "riff.2.wav");
    EXPECT_EQ(ExportFileName("Song.WAV", &name), ExportNameProblem::kNone);
    EXPECT_EQ(name, "Song.wav");
    EXPECT_EQ(ExportFileName("..hidden", &name), ExportNameProblem::kNone);
    EXPECT_EQ(name, "hidden.wav");
    name = "unchanged";
    for (const char* empty : {"", "   ", ".", "..", ".wav", " . .WAV "})
        EXPECT_EQ(ExportFileName(empty, &name), ExportNameProblem::kEmpty) << empty;
    for (const char* away : {"../take", "a/b", "/etc/passwd", "c:\\take", "\\"})
        EXPECT_EQ(ExportFileName(away, &name), ExportNameProblem::kSeparator) << away;
    EXPECT_EQ(name, "unchanged");
}

TEST(TakeTimeTest, MinutesAndSecondsAtSomePositions) {
    const int32_t rate = 44100;
    const auto at = [rate](int64_t samples) { return static_cast<int32_t>(4 + 2 * samples); };
    const int32_t end = at(int64_t{rate} * 65 + 100);  // 1:05 and a bit
    EXPECT_EQ(TakeTimeText(at(0), end, rate), "0:00 / 1:05");
    EXPECT_EQ(TakeTimeText(at(rate - 1), end, rate), "0:00 / 1:05");
    EXPECT_EQ(TakeTimeText(at(rate), end, rate), "0:01 / 1:05");
    EXPECT_EQ(TakeTimeText(at(int64_t{rate} * 59 + 5), end, rate), "0:59 / 1:05");
    EXPECT_EQ(TakeTimeText(at(int64_t{rate} * 60), end, rate), "1:00 / 1:05");
    EXPECT_EQ(TakeTimeText(at(0), at(0), 22050), "0:00 / 0:00");
    // The longest take the recorder's offsets allow, at 8000 Hz: over 37 hours.
    EXPECT_EQ(TakeTimeText(4, INT32_MAX, 8000), "0:00 / 2236:57");
    EXPECT_EQ(TakeTimeText(4, 400, 0), "-:-- / -:--");
    EXPECT_EQ(TakeTimeText(4, 400, -5), "-:-- / -:--");
    EXPECT_EQ(MinutesSeconds(3599), "59:59");
    EXPECT_EQ(MinutesSeconds(-3), "0:00");
}

TEST_F(RecorderExportTest, TheAreaShowsThePositionAndLength) {
    EXPECT_EQ(screen.TimeText(), "-:-- / -:--");
    WriteTake(22050, 22050 * 75 + 10);
    EXPECT_EQ(screen.TimeText(), "0:00 / 1:15");
    screen.Engine().SeekTo(4 + 2 * 22050 * 62);
    EXPECT_EQ(screen.TimeText(), "1:02 / 1:15");
}

TEST_F(RecorderExportTest, ExportWritesTheTakeUnderTheTypedName) {
    WriteTake(44100, 44100 * 3 + 7, -2);
    host.typed = "take one";
    Export();
    ASSERT_EQ(host.proposed, std::vector<std::string>{"loop"});
    ASSERT_EQ(host.following, std::vector<std::string>{"take one.wav"});
    ASSERT_EQ(host.told.size(), 1u);
    EXPECT_EQ(host.told[0],
              "Export|The recording (0:03) was saved as 'take one.wav' in the program folder.");
    const std::vector<uint8_t> wav = Bytes(folder / "take one.wav");
    const std::vector<uint8_t> dat = FileBytes();
    ASSERT_EQ(wav.size(), dat.size() + 40);
    EXPECT_TRUE(std::equal(dat.begin() + 4, dat.end(), wav.begin() + 44));
    // The next export proposes the name just used.
    host.typed.clear();
    Export();
    EXPECT_EQ(host.proposed.back(), "take one");
}

TEST_F(RecorderExportTest, AnExistingFileIsReplacedOnlyOnYes) {
    WriteTake(44100, 1000, 5);
    std::ofstream(folder / "keep.wav") << "mine";
    host.typed = "keep";
    host.answer = 2;
    Export();
    ASSERT_EQ(host.told.size(), 1u);
    EXPECT_EQ(host.told[0], "Replace File?|'keep.wav' already exists. Replace it?");
    EXPECT_EQ(host.kinds[0], RecorderHost::kAskNo);
    EXPECT_TRUE(host.following.empty());
    EXPECT_EQ(Bytes(folder / "keep.wav"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    host.answer = 1;
    Export();
    EXPECT_EQ(std::filesystem::file_size(folder / "keep.wav"), 44u + 2000u);
}

TEST_F(RecorderExportTest, AFailedWriteIsToldWithTheSystemsReason) {
    WriteTake(44100, 1000, 5);
    // A folder of that name: the finished file cannot be renamed over it.
    std::filesystem::create_directory(folder / "busy.wav");
    host.typed = "busy";
    Export();
    ASSERT_EQ(host.told.size(), 2u);
    EXPECT_EQ(host.told[0], "Replace File?|'busy.wav' already exists. Replace it?");
    EXPECT_EQ(host.told[1],
              "Export Failed|The recording could not be saved as 'busy.wav':\rIs a directory.");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "busy.wav"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"RECORD.DAT", "busy.wav"}));
}

TEST_F(RecorderExportTest, BadNamesAreRefusedWithAReason) {
    WriteTake(44100, 1000);
    host.typed = "  ";
    Export();
    host.typed = "../up";
    Export();
    ASSERT_EQ(host.told.size(), 2u);
    EXPECT_EQ(host.told[0], "Export|Please type a name for the file.");
    EXPECT_EQ(host.told[1], "Export|A file name cannot contain '/' or '\\'.");
    EXPECT_TRUE(host.following.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "up.wav"));
}

TEST_F(RecorderExportTest, NothingOrADamagedTakeIsToldBeforeANameIsAsked) {
    host.typed = "x";
    Export();
    WriteFile({0x44, 0xAC});
    Export();
    WriteFile({0, 0, 0, 0, 1, 0});
    Export();
    ASSERT_EQ(host.told.size(), 3u);
    EXPECT_EQ(host.told[0], "Export|There is no recording to export.");
    EXPECT_EQ(host.told[1], "Export|There is no recording to export.");
    EXPECT_EQ(host.told[2],
              "Export Failed|RECORD.DAT is damaged: its sample rate (0Hz) is not one a recording "
              "is made at.");
    EXPECT_TRUE(host.proposed.empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "x.wav"));
}

TEST_F(RecorderExportTest, ARecordingUnderWayIsNotExported) {
    Command(kRecorderRecordId);
    host.typed = "now";
    Export();
    Command(kRecorderPauseId);
    Export();
    ASSERT_EQ(host.told.size(), 2u);
    EXPECT_EQ(host.told[0], "Export|Stop the recording before exporting it.");
    EXPECT_EQ(host.told[1], host.told[0]);
    EXPECT_TRUE(host.proposed.empty());
    EXPECT_EQ(screen.Engine().State(), kRecorderPaused);
}

TEST_F(RecorderExportTest, PlaybackGoesOnWhileTheTakeIsExported) {
    WriteTake(SampleRate(), 300000, 40);
    Command(kRecorderPlayId);
    ASSERT_EQ(screen.Engine().State(), kRecorderPlaying);
    int blocks = 0;
    bool allPlayed = true;
    host.typed = "live";
    // The export's pace follows the machine's load: a hundred blocks stay
    // well inside the take however many turns the wait takes.
    host.duringExport = [&] {
        if (blocks == 100) return;
        std::vector<int16_t> block(64, 2);
        screen.Engine().FlushDisk();
        screen.EngineStep(block.data(), 64);
        for (int16_t s : block) allPlayed = allPlayed && s == 42;
        ++blocks;
    };
    Export();
    EXPECT_GE(blocks, 1);
    EXPECT_TRUE(allPlayed);
    EXPECT_EQ(screen.Engine().State(), kRecorderPlaying);
    EXPECT_EQ(screen.Engine().Position(), 4 + 2 * 64 * blocks);
    EXPECT_EQ(std::filesystem::file_size(folder / "live.wav"), 44u + 600000u);
}

// A folder nobody may write to. The export runs in a child process, without
// root's rights when the test has them, and sends back the message it would
// show. The child starts no thread (ThreadSanitizer forbids that after a
// fork), so it runs the writer itself rather than the button's job.
TEST(RecorderExportFolderTest, AReadOnlyFolderIsToldWithTheReason) {
    const std::filesystem::path top =
        std::filesystem::temp_directory_path() / ("ampliro_ro_" + std::to_string(::getpid()));
    const std::filesystem::path folder = top / "program";
    std::filesystem::create_directories(folder);
    {
        std::ofstream out(folder / "RECORD.DAT", std::ios::binary);
        const char bytes[] = {0x44, static_cast<char>(0xAC), 0, 0, 1, 0, 2, 0};
        out.write(bytes, sizeof bytes);
    }
    using std::filesystem::perms;
    std::filesystem::permissions(top, perms::owner_all | perms::group_read | perms::group_exec |
                                          perms::others_read | perms::others_exec);
    std::filesystem::permissions(folder, perms::owner_read | perms::owner_exec | perms::group_read |
                                             perms::group_exec | perms::others_read |
                                             perms::others_exec);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        ExportProgress progress;
        const ExportResult result =
            ExportRecordingAsWav(folder / "RECORD.DAT", folder / "take.wav", progress);
        const std::string told = ExportMessage(result, "take.wav") + "\n";
        const bool sent =
            ::write(pipeEnds[1], told.data(), told.size()) == static_cast<ssize_t>(told.size());
        ::_exit(sent ? 0 : 4);
    }
    ::close(pipeEnds[1]);
    std::string told;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        told.append(buffer, static_cast<size_t>(n));
    ::close(pipeEnds[0]);
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(told, "The recording could not be saved as 'take.wav':\rPermission denied.\n");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"RECORD.DAT"});
    std::filesystem::permissions(folder, perms::owner_all);
    std::filesystem::remove_all(top);
}

}  // namespace
}  // namespace ampliro
