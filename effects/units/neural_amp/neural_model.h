// A neural amp model as the audio thread sees it: mono float in, mono float
// out, at the model's own sample rate. Built by the model-file reader.
#pragma once

#include <algorithm>

namespace ampliro::dsp {

class NeuralModel {
  public:
    // Longer blocks are run in pieces of this size.
    static constexpr int kLargestBlock = 8192;

    virtual ~NeuralModel() = default;

    // Sizes every buffer for blocks of up to maxBlockFrames (at least 1) and
    // starts the model as if it had heard silence for its whole memory.
    // Allocates: call it off the audio thread, before the first Process.
    void Prepare(int maxBlockFrames) {
        maxBlockFrames_ = std::clamp(maxBlockFrames, 1, kLargestBlock);
        Allocate(maxBlockFrames_);
        Reset();
    }
    // Back to the state right after Prepare: the stored start state, then
    // PrewarmFrames() of silence. Runs many blocks: not for the audio thread.
    void Reset() {
        RestoreStartState();
        float silence[64] = {};
        float sink[64];
        for (int done = 0; done < PrewarmFrames(); done += 64) Process(silence, sink, 64);
    }
    // Any number of frames; longer runs are cut into prepared-size blocks.
    // No allocation, no lock: safe on the audio thread after Prepare.
    void Process(const float* in, float* out, int frames) {
        while (frames > 0) {
            const int n = std::min(frames, maxBlockFrames_);
            Run(in, out, n);
            in += n;
            out += n;
            frames -= n;
        }
    }
    // How much silence brings the model from its stored start state to the
    // state of one that has always heard silence.
    virtual int PrewarmFrames() const = 0;

  protected:
    virtual void Allocate(int maxBlockFrames) = 0;
    virtual void RestoreStartState() = 0;
    // frames <= the prepared maximum.
    virtual void Run(const float* in, float* out, int frames) = 0;

  private:
    int maxBlockFrames_ = 0;
};

}  // namespace ampliro::dsp
