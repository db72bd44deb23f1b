#include "platform/audio/playback_cushion.h"

#include <algorithm>
#include <cstring>

#include "platform/audio/audio_health.h"

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
    judge_.Start(blockSamples, 2 * rate);
    lastBlock_.assign(blockSamples, 0);
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
    fade_.Cancel();
    correction_ = 0;
    judge_.Restart();
}

uint32_t PlaybackCushion::QueuedSamples(const HeaderRing& queue) const {
    uint32_t total = 0;
    for (size_t i = 0; i < queue.Size(); ++i) total += SampleCount(queue.At(i));
    const uint32_t behind = repeating_ ? 0 : played_;
    return total > behind ? total - behind : 0;
}

// Copies n samples of the source through the seam's fade.
void PlaybackCushion::Emit(const int16_t* source, uint32_t offset, int16_t* out, uint32_t n) {
    std::memcpy(out, source + offset, n * sizeof(int16_t));
    fade_.Apply(out, n);
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
    const auto level = static_cast<uint32_t>(queued + std::min<uint64_t>(since, block_));
    if (const int32_t correction = judge_.Add(level, count)) correction_ = correction;

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
                fade_.Begin(Samples(front), SampleCount(front));
                done(owner, queue.Pop());
                health.droppedBlocks.fetch_add(1, std::memory_order_relaxed);
                ++drops_;
                front = queue.Front();
            } else if (correction_ < 0) {
                fade_.Begin(Samples(front), SampleCount(front));
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
