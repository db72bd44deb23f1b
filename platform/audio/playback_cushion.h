// PlaybackCushion: plays a queue of whole blocks on a device whose clock is
// not the capture device's (two SDL devices on a sound server), so that the
// latency stays where it was at power-on for as long as the audio runs.
//
// - Pre-roll: nothing plays until the queue holds the cushion; the device
//   plays silence meanwhile. An under-run (the queue ran dry) is counted and
//   pre-rolls again, so a gap costs its length once and never adds latency.
// - Drift: the queue's level is read at every playback callback as the
//   samples queued plus those the capture side has produced since it last
//   queued a block (the time since then at the sample rate). Read so, it
//   moves smoothly as the two clocks drift apart, while the queued count
//   alone steps by whole blocks whenever the two devices' callbacks pass
//   each other. A DriftJudge tells when to drop a block or to play the last
//   one again; either way the first samples of the block that plays next
//   are cross-faded from the samples that would have played, so the seam is
//   not heard as a click.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/audio/drift_judge.h"
#include "platform/audio/header_ring.h"
#include "platform/audio/seam_fade.h"

namespace ampliro {

class PlaybackCushion {
  public:
    // Called for a header that is done: played, or dropped.
    using DoneFunction = void (*)(void* owner, WaveHeader* header);

    // At open, on the main thread (it allocates): the stream's block and the
    // cushion to pre-roll, in samples, and the sample rate.
    void Start(uint32_t blockSamples, uint32_t cushionSamples, uint32_t rate);

    // A block was queued at this time (microseconds of a monotonic clock).
    void Queued(uint32_t nowMicros);
    // Fills `count` samples from the queue, handing back the headers it is
    // done with. Counts under-runs and dropped blocks in the audio health.
    void Drain(HeaderRing& queue, int16_t* out, uint32_t count, uint32_t nowMicros,
               DoneFunction done, void* owner);

    // Forgets the front header's progress (the queue was reset) and
    // pre-rolls again.
    void Rewind();

    uint32_t CushionSamples() const { return cushion_; }
    // What the test and the figures look at.
    uint32_t Repeats() const { return repeats_; }
    uint32_t Drops() const { return drops_; }

  private:
    uint32_t QueuedSamples(const HeaderRing& queue) const;
    void Emit(const int16_t* source, uint32_t offset, int16_t* out, uint32_t n);

    uint32_t block_ = 0;
    uint32_t cushion_ = 0;
    uint32_t rate_ = 0;
    uint32_t queuedAt_ = 0;
    bool playing_ = false;
    uint32_t played_ = 0;  // samples of the front header (or the repeat) played
    DriftJudge judge_;
    int32_t correction_ = 0;  // +1 drop a block, -1 repeat one, at the next seam
    bool repeating_ = false;
    std::vector<int16_t> lastBlock_;
    SeamFade fade_;
    uint32_t repeats_ = 0;
    uint32_t drops_ = 0;
};

}  // namespace ampliro
