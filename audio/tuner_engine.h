// TunerEngine: the tuner's reading, made on the main thread from the input
// the tuner tap collects. Every hop (a 25th of a second of input) the newest
// window goes through the pitch detector; a note is shown once two analyses
// in a row agree on it, is smoothed while it stays, and goes after three
// analyses without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/note_name.h"
#include "audio/pitch_detector.h"
#include "platform/threads/spsc_ring.h"

namespace ampliro {

struct TunerReading {
    bool hasNote = false;
    double hz = 0.0;
    NotePosition position;
    // Of the last analysis, note or not: for a level meter and for tests.
    double level = 0.0;
    double clarity = 0.0;
};

class TunerEngine {
  public:
    static constexpr int32_t kAnalysesPerSecond = 25;
    static constexpr int32_t kMissesToClear = 3;

    explicit TunerEngine(int32_t sampleRate = 44100);

    // A new rate forgets the input heard so far.
    void SetSampleRate(int32_t sampleRate);
    int32_t SampleRate() const { return detector_->SampleRate(); }
    // A4 in Hz, kept within 430..450; the reading follows at once.
    void SetReference(int32_t hz);
    int32_t Reference() const { return reference_; }

    // Forgets the input and the reading (the tuner opens afresh).
    void Clear();
    // Takes input in any portions; analyses at every hop boundary.
    void Feed(const int16_t* samples, size_t count);
    // Drains the ring into Feed; true when a new analysis was made.
    bool Poll(SpscRing<int16_t>& ring);

    const TunerReading& Reading() const { return reading_; }
    int64_t Analyses() const { return analyses_; }

  private:
    void Analyse();
    void Accept(double hz);

    std::unique_ptr<PitchDetector> detector_;
    int32_t reference_ = kReferenceStandard;
    int32_t hop_ = 0;
    // The newest WindowLength samples, circular; filled_ counts up to it.
    std::vector<int16_t> history_;
    std::vector<int16_t> window_;
    size_t write_ = 0;
    size_t filled_ = 0;
    int32_t sinceAnalysis_ = 0;
    int64_t analyses_ = 0;
    int32_t misses_ = 0;
    // A note heard once, waiting for a second analysis to agree.
    double candidateHz_ = 0.0;
    TunerReading reading_;
};

}  // namespace ampliro
