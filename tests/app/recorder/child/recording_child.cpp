// Records a running count into RECORD.DAT in the folder given as its argument,
// 441 samples every 10 ms as a stream at 44100 Hz would hand them over, and
// writes the number of samples handed over so far (a 32-bit integer) to its
// standard output after every block, until it is killed.
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "app/recorder/recorder_engine.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    ampliro::RecorderEngine take;
    take.SetFolder(argv[1]);
    if (!take.StartRecording(44100)) return 3;
    int32_t handed = 0;
    int16_t next = 0;
    std::vector<int16_t> block(441);
    for (;;) {
        for (int16_t& s : block) s = next++;
        take.EngineStep(block.data(), 441);
        handed += 441;
        if (::write(STDOUT_FILENO, &handed, sizeof handed) != sizeof handed) return 4;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
