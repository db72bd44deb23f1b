// One uniform stage of the partitioned convolver: the stretch of an impulse
// response that starts `start` samples in, cut into partitions of `size`
// samples and convolved by overlap-save on real FFTs of 2 x size, with a
// frequency-domain delay line of the input's spectra.
#pragma once

#include <fftw3.h>

#include <cstdint>

namespace ampliro::dsp {

// Where the stages add their results: a ring of future output samples,
// indexed by absolute sample time modulo its power-of-two length.
struct OutputRing {
    float* samples = nullptr;
    int64_t mask = 0;
};

class ConvolutionStage {
  public:
    ConvolutionStage() = default;
    ~ConvolutionStage() { Free(); }
    ConvolutionStage(const ConvolutionStage&) = delete;
    ConvolutionStage& operator=(const ConvolutionStage&) = delete;

    // Off the audio thread. `segment` holds the response from `start` on
    // (`length` samples, at least one); `size` and `step` are powers of two
    // with step <= size, and start >= 2 x size, or start == size == step.
    // The stage is fed and run in chunks of `step` samples. False when the
    // memory or the FFT plans cannot be had.
    bool Init(const float* segment, int32_t length, int32_t start, int32_t size, int32_t step);
    // Forgets the input heard so far; no allocation.
    void Reset();

    // Appends up to `step` input samples; a chunk never crosses a multiple
    // of `step` in the stream.
    void Push(const float* in, int32_t count);
    // Runs at every multiple of `step` in the stream, once the chunk that
    // ends there was pushed; `now` is that time in samples. Does one slice
    // of the work of the period last completed and, on the last slice, adds
    // the period's output to `ring` where it falls due.
    void Run(int64_t now, const OutputRing& ring);

  private:
    void Free();

    int32_t size_ = 0;        // partition size P
    int32_t partitions_ = 0;  // N
    int32_t slices_ = 1;      // K = P / step: the period's work in K slices
    int32_t bins_ = 0;        // P + 1 complex bins of a 2P real FFT
    int32_t stride_ = 0;      // floats per spectrum, rounded up to 64 bytes
    int64_t lead_ = 0;        // output offset from `now` at the last slice
    int32_t filled_ = 0;      // samples of the current period pushed so far
    int32_t slice_ = 0;       // next slice to run
    int32_t newest_ = 0;      // delay-line slot of the newest input spectrum

    float* input_ = nullptr;     // 2P: the previous period, then the current
    float* filterRe_ = nullptr;  // N spectra of the partitions, 1/2P folded in
    float* filterIm_ = nullptr;
    float* delayRe_ = nullptr;  // N spectra of past input periods
    float* delayIm_ = nullptr;
    float* sumRe_ = nullptr;  // the period's output spectrum
    float* sumIm_ = nullptr;
    float* output_ = nullptr;  // 2P: its inverse transform
    fftwf_plan forward_ = nullptr;
    fftwf_plan inverse_ = nullptr;
};

}  // namespace ampliro::dsp
