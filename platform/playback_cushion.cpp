#include "platform/playback_cushion.h"

#include <algorithm>
#include <cstring>

#include "platform/audio_health.h"

namespace ampliro {

namespace {

const int16_t* Samples(const WaveHeader* header) {
    return reinterpret_cast<const int16_t*>(header->data);
}
uint32_t SampleCount(const WaveHeader* header) {
    return header->bufferLength / 2;
}

}  // namespace

void PlaybackCushion::Start(uint32_t blockSamples, uint32_t cushionSamples, uint32_t rate) {
    block_ = blockSamples;
    cushion_ = cushionSamples;
    rate_ = rate;
    // Two seconds: long against the devices' bursts, short against the
    // drift of two clocks (parts per million).
    window_ = 2 * rate;
    lastBlock_.assign(blockSamples, 0);
    reference_ = UINT32_MAX;
    repeats_ = 0;
    drops_ = 0;
    Rewind();
}

void PlaybackCushion::Queued(uint32_t nowMicros) {
    queuedAt_ = nowMicros;
}

void PlaybackCushion::Rewind() {
    playing_ = false;
    played_ = 0;
    repeating_ = false;
    fadeLeft_ = 0;
    correction_ = 0;
    levelSum_ = 0;
    levelCount_ = 0;
    windowRun_ = 0;
}

uint32_t PlaybackCushion::QueuedSamples(const HeaderRing& queue) const {
    uint32_t total = 0;
    for (size_t i = 0; i < queue.Size(); ++i) total += SampleCount(queue.At(i));
    const uint32_t behind = repeating_ ? 0 : played_;
    return total > behind ? total - behind : 0;
}

// Once a window: the queue's mean against the first window's. More means
// the capture clock runs fast against the playback clock; less, slow.
void PlaybackCushion::Judge(uint32_t mean) {
    const uint32_t margin = block_ * 3 / 4;
    if (reference_ == UINT32_MAX) {
        reference_ = mean;
    } else if (mean >= reference_ + margin) {
        correction_ = 1;
    } else if (mean + margin <= reference_) {
        correction_ = -1;
    }
}

void PlaybackCushion::BeginFade(const int16_t* from, uint32_t available) {
    fadeLeft_ = std::min(kFadeSamples, available);
    std::memcpy(fade_, from, fadeLeft_ * sizeof(int16_t));
    std::fill(fade_ + fadeLeft_, fade_ + kFadeSamples, int16_t{0});
}

// Copies n samples of the source; while a fade runs, sample i of it is
// (old (F - i) + new i) / F with F = 32, so the seam moves from what would
// have played to what plays in a straight line.
void PlaybackCushion::Emit(const int16_t* source, uint32_t offset, int16_t* out, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        const int32_t now = source[offset + i];
        if (fadeLeft_ == 0) {
            out[i] = static_cast<int16_t>(now);
            continue;
        }
        const int32_t step = static_cast<int32_t>(kFadeSamples - fadeLeft_);
        const int32_t old = fade_[step];
        out[i] =
            static_cast<int16_t>((old * (static_cast<int32_t>(kFadeSamples) - step) + now * step) /
                                 static_cast<int32_t>(kFadeSamples));
        --fadeLeft_;
    }
}

void PlaybackCushion::Drain(HeaderRing& queue, int16_t* out, uint32_t count, uint32_t nowMicros,
                            DoneFunction done, void* owner) {
    AudioHealth& health = StreamHealth();
    const uint32_t queued = QueuedSamples(queue);
    if (!playing_) {
        if (queued < cushion_ || queued == 0) {
            std::memset(out, 0, count * sizeof(int16_t));
            return;
        }
        playing_ = true;
    }
    // Samples produced since the last block was queued: (now - then) x rate
    // / 10^6, at most a block (a later one would have been queued).
    const uint64_t since = static_cast<uint64_t>(nowMicros - queuedAt_) * rate_ / 1000000u;
    levelSum_ += queued + std::min<uint64_t>(since, block_);
    ++levelCount_;
    windowRun_ += count;
    if (windowRun_ >= window_) {
        Judge(static_cast<uint32_t>(levelSum_ / levelCount_));
        levelSum_ = 0;
        levelCount_ = 0;
        windowRun_ = 0;
    }

    uint32_t written = 0;
    while (written < count) {
        WaveHeader* front = queue.Front();
        if (front == nullptr && !repeating_) {
            // Ran dry: the rest is silence, and the cushion fills anew.
            health.underruns.fetch_add(1, std::memory_order_relaxed);
            std::memset(out + written, 0, (count - written) * sizeof(int16_t));
            Rewind();
            return;
        }
        if (played_ == 0 && !repeating_ && correction_ != 0) {
            if (correction_ > 0 && queue.Size() >= 2) {
                BeginFade(Samples(front), SampleCount(front));
                done(owner, queue.Pop());
                health.droppedBlocks.fetch_add(1, std::memory_order_relaxed);
                ++drops_;
                front = queue.Front();
            } else if (correction_ < 0) {
                BeginFade(Samples(front), SampleCount(front));
                repeating_ = true;
                ++repeats_;
            }
            correction_ = 0;
        }
        const int16_t* source = repeating_ ? lastBlock_.data() : Samples(front);
        const uint32_t length = repeating_ ? block_ : SampleCount(front);
        const uint32_t n = std::min(length - played_, count - written);
        Emit(source, played_, out + written, n);
        written += n;
        played_ += n;
        if (played_ < length) continue;
        played_ = 0;
        if (repeating_) {
            repeating_ = false;
            continue;
        }
        // Kept for a repeat: the block that precedes the next one in time.
        const uint32_t keep = std::min(length, block_);
        std::memcpy(lastBlock_.data(), Samples(front), keep * sizeof(int16_t));
        done(owner, queue.Pop());
    }
}

}  // namespace ampliro
