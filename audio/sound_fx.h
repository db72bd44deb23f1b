// One short mono sound: a RIFF WAVE image (8-bit PCM, 16-bit PCM or Microsoft
// ADPCM decoded on loading) or one synthesised period of a test tone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ampliro {

class ResourceModule;

// Waveforms of MakeTone.
inline constexpr int kToneSine = 0;
inline constexpr int kToneTriangle = 1;
inline constexpr int kToneSquare = 2;
inline constexpr int kToneFallingRamp = 3;

class SoundFX {
  public:
    SoundFX() = default;
    SoundFX(const SoundFX&) = delete;
    SoundFX& operator=(const SoundFX&) = delete;
    virtual ~SoundFX();

    // Resource "WAVE" number from module (null: the program's own). The samples
    // stay in the resource unless they had to be decoded or realigned.
    int LoadWaveResource(const ResourceModule* module, int number);
    // image holds size bytes of a RIFF WAVE file; copy puts the samples into
    // a block of our own. 1 on success, 0 (and empty) otherwise.
    int LoadWave(const uint8_t* image, size_t size, int copy);
    // 1000 samples of one period at a nominal 440000 Hz, i.e. 440 Hz.
    int MakeTone(int type);
    int HasSamples() const { return samples != nullptr; }
    void Release();

    // Sample i as signed 16 bits (8-bit samples are unsigned, centred on 128).
    int32_t Sample(uint32_t i) const {
        if (eightBit) return (static_cast<const uint8_t*>(samples)[i] - 128) << 8;
        return static_cast<const int16_t*>(samples)[i];
    }

    const void* samples = nullptr;
    uint8_t eightBit = 0;
    uint32_t rate = 0;
    uint32_t length = 0;
    uint8_t ownsSamples = 0;

  private:
    int DecodeAdpcm(const uint8_t* format, uint32_t formatSize, const uint8_t* data,
                    uint32_t dataSize);
    int TakeOwnedCopy(const uint8_t* data, uint32_t bytes);
};

}  // namespace ampliro
