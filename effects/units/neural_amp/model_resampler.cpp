#include "effects/units/neural_amp/model_resampler.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace ampliro::dsp {
namespace {

// libsamplerate's fastest band-limited converter: 80 dB signal-to-noise and
// a flat band to 90 % of Nyquist, with the shortest filter (the least delay).
constexpr int kConverter = SRC_SINC_FASTEST;

}  // namespace

ModelResampler::~ModelResampler() {
    if (up_) src_delete(up_);
    if (down_) src_delete(down_);
}

bool ModelResampler::Init(NeuralModel* model, double modelRate, double sessionRate,
                          int maxBlockFrames) {
    model_ = model;
    upRatio_ = modelRate / sessionRate;
    int error = 0;
    if (up_) src_delete(up_);
    if (down_) src_delete(down_);
    up_ = src_new(kConverter, 1, &error);
    down_ = src_new(kConverter, 1, &error);
    if (!up_ || !down_) return false;
    const int block = std::max(1, maxBlockFrames);
    // A converter may hand out a few frames more than the ratio in one call
    // (what it held back before); the margins cover that.
    const size_t modelBlock = size_t(std::ceil(block * upRatio_)) + 64;
    modelIn_.assign(modelBlock, 0.0f);
    modelOut_.assign(modelBlock, 0.0f);
    back_.assign(size_t(block) + 64, 0.0f);
    model_->Prepare(int(modelBlock));

    // The converters hold back half a filter's length each before they give
    // their first frames; from then on each block's output count only
    // jitters by a frame or two. Run a second of awkward block sizes with
    // the model left out, and fill the FIFO with the largest shortfall seen
    // (plus two frames) so that it never runs dry.
    fifo_.assign(size_t(block) * 2 + 256, 0.0f);
    latency_ = 0;
    std::vector<float> silence(size_t(block), 0.0f);
    long pushed = 0, popped = 0, worst = 0;
    const int sizes[] = {block, 1, 7, std::max(1, block / 2), 33, block, 3, std::max(1, block - 1)};
    for (int i = 0; popped < long(sessionRate); ++i) {
        const int n = std::min(block, sizes[i % 8]);
        fifoRead_ = 0;
        fifoCount_ = 0;
        Convert(up_, upRatio_, silence.data(), n, modelIn_.data(), long(modelIn_.size()), false);
        pushed += long(fifoCount_);
        popped += n;
        worst = std::max(worst, popped - pushed);
    }
    latency_ = int(worst) + 2;
    fifo_.assign(size_t(block) * 2 + size_t(latency_) + 256, 0.0f);
    Reset();
    return true;
}

void ModelResampler::Reset() {
    src_reset(up_);
    src_reset(down_);
    model_->Reset();
    std::fill(fifo_.begin(), fifo_.end(), 0.0f);
    fifoRead_ = 0;
    fifoCount_ = size_t(latency_);
}

void ModelResampler::Process(const float* in, float* out, int frames) {
    Convert(up_, upRatio_, in, frames, modelIn_.data(), long(modelIn_.size()), true);
    const size_t have = std::min(fifoCount_, size_t(frames));
    for (size_t i = 0; i < have; ++i) {
        out[i] = fifo_[fifoRead_];
        fifoRead_ = fifoRead_ + 1 == fifo_.size() ? 0 : fifoRead_ + 1;
    }
    fifoCount_ -= have;
    std::fill(out + have, out + frames, 0.0f);  // never once the FIFO is filled
}

// Session-rate input through the up converter; each piece it gives goes
// through the model (or straight on) and the down converter into the FIFO.
void ModelResampler::Convert(SRC_STATE* state, double ratio, const float* in, long frames,
                             float* out, long capacity, bool throughModel) {
    SRC_DATA d{};
    d.src_ratio = ratio;
    d.data_in = in;
    d.input_frames = frames;
    while (d.input_frames > 0) {
        d.data_out = out;
        d.output_frames = capacity;
        if (src_process(state, &d) != 0) return;
        d.data_in += d.input_frames_used;
        d.input_frames -= d.input_frames_used;
        if (d.output_frames_gen > 0) {
            const float* piece = out;
            if (throughModel) {
                model_->Process(out, modelOut_.data(), int(d.output_frames_gen));
                piece = modelOut_.data();
            }
            SRC_DATA b{};
            b.src_ratio = 1.0 / ratio;
            b.data_in = piece;
            b.input_frames = d.output_frames_gen;
            while (b.input_frames > 0) {
                b.data_out = back_.data();
                b.output_frames = long(back_.size());
                if (src_process(down_, &b) != 0) return;
                b.data_in += b.input_frames_used;
                b.input_frames -= b.input_frames_used;
                Push(back_.data(), b.output_frames_gen);
                if (b.input_frames_used == 0 && b.output_frames_gen == 0) break;
            }
        }
        if (d.input_frames_used == 0 && d.output_frames_gen == 0) break;
    }
}

void ModelResampler::Push(const float* in, long frames) {
    for (long i = 0; i < frames && fifoCount_ < fifo_.size(); ++i) {
        size_t at = fifoRead_ + fifoCount_;
        if (at >= fifo_.size()) at -= fifo_.size();
        fifo_[at] = in[i];
        ++fifoCount_;
    }
}

}  // namespace ampliro::dsp
