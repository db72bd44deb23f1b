// MediaLoader: reads, parses, resamples and plans amp models and cabinet
// impulse responses on a thread of its own, so that neither the audio nor
// the screen waits for a large file. The main thread asks (Request) and
// later collects what is ready (Poll), which it publishes into the pedal
// with one atomic swap; until then the pedal keeps its previous sound.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "effects/pedals/amp_pedal.h"
#include "effects/pedals/cabinet_pedal.h"

namespace ampliro {

class MediaLoader {
  public:
    // What a finished request tells the user: an error (the pedal kept its
    // sound) or a note (the file plays, but was cut short); both empty when
    // there is nothing to say.
    struct Outcome {
        std::string title;
        std::string text;
    };

    MediaLoader(AmpPedal& amp, CabinetPedal& cabinet);
    ~MediaLoader();
    MediaLoader(const MediaLoader&) = delete;
    MediaLoader& operator=(const MediaLoader&) = delete;

    // Main thread: loads the file into the pedal its extension names, at the
    // session's current rate. False, with `outcome` filled, when the
    // extension names neither.
    bool Request(const std::string& path, Outcome& outcome);
    // Main thread: installs every finished file; the outcome of the last
    // one that has something to say. False when nothing had.
    bool Poll(Outcome& outcome);
    // Main thread: whether requests are still being worked on.
    bool Busy();

  private:
    struct Job {
        bool model = false;
        std::string path;
        int32_t rate = 0;
        BuiltAmp amp;
        BuiltCabinet cabinet;
        std::vector<std::byte> bytes;
        std::string error;
    };
    void Run();

    AmpPedal& amp_;
    CabinetPedal& cabinet_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job> todo_;
    std::deque<Job> done_;
    int working_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace ampliro
