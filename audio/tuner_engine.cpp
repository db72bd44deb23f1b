#include "audio/tuner_engine.h"

#include <algorithm>
#include <cmath>

namespace ampliro {
namespace {

// Two estimates closer than this are the same note being tuned.
constexpr double kSameNoteCents = 50.0;
// Weight of a new estimate in the smoothed frequency: a step settles to a
// sixteenth within four analyses (160 ms).
constexpr double kSmoothing = 0.5;

double CentsBetween(double a, double b) {
    return 1200.0 * std::abs(std::log2(a / b));
}

}  // namespace

TunerEngine::TunerEngine(int32_t sampleRate) {
    SetSampleRate(sampleRate);
}

void TunerEngine::SetSampleRate(int32_t sampleRate) {
    detector_ = std::make_unique<PitchDetector>(sampleRate);
    hop_ = std::max<int32_t>(1, detector_->SampleRate() / kAnalysesPerSecond);
    history_.assign(static_cast<size_t>(detector_->WindowLength()), 0);
    window_.assign(history_.size(), 0);
    Clear();
}

void TunerEngine::SetReference(int32_t hz) {
    reference_ = std::clamp(hz, kReferenceLowest, kReferenceHighest);
    if (reading_.hasNote) reading_.position = NoteOf(reading_.hz, reference_);
}

void TunerEngine::Clear() {
    std::fill(history_.begin(), history_.end(), 0);
    write_ = 0;
    filled_ = 0;
    sinceAnalysis_ = 0;
    misses_ = 0;
    candidateHz_ = 0.0;
    reading_ = TunerReading{};
}

void TunerEngine::Feed(const int16_t* samples, size_t count) {
    while (count > 0) {
        const size_t take = std::min(count, static_cast<size_t>(hop_ - sinceAnalysis_));
        for (size_t i = 0; i < take; ++i) {
            history_[write_] = samples[i];
            write_ = (write_ + 1) % history_.size();
        }
        filled_ = std::min(filled_ + take, history_.size());
        sinceAnalysis_ += static_cast<int32_t>(take);
        samples += take;
        count -= take;
        if (sinceAnalysis_ == hop_) {
            sinceAnalysis_ = 0;
            Analyse();
        }
    }
}

bool TunerEngine::Poll(SpscRing<int16_t>& ring) {
    const int64_t before = analyses_;
    size_t available = ring.Available();
    while (available > 0) {
        const size_t piece = ring.Contiguous(available);
        Feed(&ring.At(0), piece);
        ring.Consume(piece);
        available -= piece;
    }
    return analyses_ != before;
}

void TunerEngine::Analyse() {
    // Until the window has filled once, part of it is the silence Clear
    // left: it counts as no note.
    const size_t size = history_.size();
    for (size_t i = 0; i < size; ++i) window_[i] = history_[(write_ + i) % size];
    const PitchEstimate estimate = detector_->Analyse(window_.data());
    ++analyses_;
    reading_.level = estimate.level;
    reading_.clarity = estimate.clarity;
    if (filled_ < size || !estimate.found) {
        candidateHz_ = 0.0;
        if (reading_.hasNote && ++misses_ >= kMissesToClear) {
            reading_.hasNote = false;
            reading_.hz = 0.0;
        }
        return;
    }
    misses_ = 0;
    Accept(estimate.hz);
}

void TunerEngine::Accept(double hz) {
    if (reading_.hasNote && CentsBetween(hz, reading_.hz) < kSameNoteCents) {
        // Geometric mean, weighted: the smoothing is even in cents.
        reading_.hz *= std::pow(hz / reading_.hz, kSmoothing);
        candidateHz_ = 0.0;
    } else if (candidateHz_ > 0.0 && CentsBetween(hz, candidateHz_) < kSameNoteCents) {
        reading_.hasNote = true;
        reading_.hz = hz;
        candidateHz_ = 0.0;
    } else {
        candidateHz_ = hz;
        return;
    }
    reading_.position = NoteOf(reading_.hz, reference_);
}

}  // namespace ampliro
