#include "audio/sound_fx.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/resources/resources.h"

namespace ampliro {
namespace {

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
int16_t ReadSigned16(const uint8_t* p) {
    return static_cast<int16_t>(Read16(p));
}
uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

constexpr size_t kFormatOffset = 20;
constexpr uint32_t kPcmFormatSize = 16;
// Tag, channels, rate, byte rate, align, bits, extension size, samples per
// block, coefficient count: 22 bytes before the coefficient pairs.
constexpr uint32_t kAdpcmCoefficientsOffset = 22;
constexpr int kAdpcmCoefficientPairs = 7;
constexpr uint32_t kAdpcmBlockHeader = 7;

// Microsoft ADPCM step adaptation, indexed by the unsigned nibble; in 1/256.
constexpr int32_t kAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                     768, 614, 512, 409, 307, 230, 230, 230};

}  // namespace

SoundFX::~SoundFX() {
    Release();
}

void SoundFX::Release() {
    if (!ownsSamples) return;
    delete[] static_cast<const int16_t*>(samples);
    samples = nullptr;
    ownsSamples = 0;
    length = 0;
}

int SoundFX::LoadWaveResource(const ResourceModule* module, int number) {
    Release();
    samples = nullptr;
    length = 0;
    const ResourceEntry* entry = ModuleOrProgram(module).Find(kResourceWave, number);
    if (!entry) return 0;
    return LoadWave(entry->data, entry->size, 0);
}

int SoundFX::TakeOwnedCopy(const uint8_t* data, uint32_t bytes) {
    int16_t* block = new (std::nothrow) int16_t[(bytes + 1) / 2 + 1];
    if (!block) return 0;
    std::memcpy(block, data, bytes);
    samples = block;
    ownsSamples = 1;
    return 1;
}

int SoundFX::LoadWave(const uint8_t* image, size_t size, int copy) {
    Release();
    samples = nullptr;
    length = 0;
    if (!image || size < kFormatOffset + kPcmFormatSize) return 0;
    if (std::memcmp(image + 12, "fmt ", 4) != 0) return 0;
    const uint32_t formatSize = Read32(image + 16);
    if (formatSize < kPcmFormatSize || formatSize > size - kFormatOffset) return 0;
    const uint8_t* format = image + kFormatOffset;
    const uint16_t tag = Read16(format);
    const uint16_t channels = Read16(format + 2);
    const uint32_t sampleRate = Read32(format + 4);
    const uint16_t bits = Read16(format + 14);
    if ((bits != 4 && bits != 8 && bits != 16) || channels != 1) return 0;

    // The chunk walk ends at the end of the image: a "data" chunk that runs
    // past it, or no "data" chunk at all, refuses the file.
    const uint8_t* data = nullptr;
    uint32_t dataSize = 0;
    for (uint64_t at = kFormatOffset + formatSize; at + 8 <= size;) {
        const uint32_t chunkSize = Read32(image + at + 4);
        if (std::memcmp(image + at, "data", 4) == 0) {
            if (chunkSize > size - (at + 8)) return 0;
            data = image + at + 8;
            dataSize = chunkSize;
            break;
        }
        at += 8 + static_cast<uint64_t>(chunkSize);
    }
    if (!data) return 0;

    rate = sampleRate;
    if (bits == 4) {
        if (tag != 2) return 0;
        if (!DecodeAdpcm(format, formatSize, data, dataSize)) return 0;
        eightBit = 0;
        return 1;
    }
    if (bits == 8) {
        samples = data;
        length = dataSize;
        eightBit = 1;
    } else {
        samples = data;
        length = dataSize / 2;
        eightBit = 0;
    }
    // 16-bit samples are read in place only where they are aligned for it.
    const bool misaligned = !eightBit && reinterpret_cast<uintptr_t>(data) % alignof(int16_t);
    if ((copy || misaligned) && !TakeOwnedCopy(data, dataSize)) {
        samples = nullptr;
        length = 0;
        return 0;
    }
    return 1;
}

int SoundFX::DecodeAdpcm(const uint8_t* format, uint32_t formatSize, const uint8_t* data,
                         uint32_t dataSize) {
    if (formatSize < kAdpcmCoefficientsOffset + 4 * kAdpcmCoefficientPairs) return 0;
    const uint32_t blockAlign = Read16(format + 12);
    const uint32_t samplesPerBlock = Read16(format + 18);
    if (Read16(format + 20) != kAdpcmCoefficientPairs) return 0;
    int32_t coefficients[kAdpcmCoefficientPairs][2];
    for (int k = 0; k < kAdpcmCoefficientPairs; ++k) {
        coefficients[k][0] = ReadSigned16(format + kAdpcmCoefficientsOffset + 4 * k);
        coefficients[k][1] = ReadSigned16(format + kAdpcmCoefficientsOffset + 4 * k + 2);
    }
    // Two samples sit in the header, the rest two to a byte.
    const uint32_t nibbles = samplesPerBlock >= 2 ? samplesPerBlock - 2 : 0;
    if (samplesPerBlock < 2 || blockAlign < kAdpcmBlockHeader + (nibbles + 1) / 2) return 0;

    const uint32_t blocks = dataSize / blockAlign;
    const uint64_t total = static_cast<uint64_t>(blocks) * samplesPerBlock;
    if (total > UINT32_MAX / 2) return 0;
    int16_t* out = new (std::nothrow) int16_t[total ? total : 1];
    if (!out) return 0;

    int16_t* o = out;
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint8_t* block = data + static_cast<size_t>(b) * blockAlign;
        const uint8_t predictor = block[0];
        if (predictor >= kAdpcmCoefficientPairs) {
            delete[] out;
            return 0;
        }
        const int32_t c1 = coefficients[predictor][0];
        const int32_t c2 = coefficients[predictor][1];
        int32_t delta = ReadSigned16(block + 1);
        int32_t sample1 = ReadSigned16(block + 3);
        int32_t sample2 = ReadSigned16(block + 5);
        *o++ = static_cast<int16_t>(sample2);
        *o++ = static_cast<int16_t>(sample1);
        for (uint32_t k = 0; k < nibbles; ++k) {
            const uint8_t byte = block[kAdpcmBlockHeader + k / 2];
            const int32_t nibble = (k & 1) ? (byte & 0x0F) : (byte >> 4);
            const int32_t signedNibble = (nibble & 8) ? nibble - 16 : nibble;
            const int32_t prediction = (sample1 * c1 + sample2 * c2) / 256;
            const int32_t value =
                std::clamp(prediction + signedNibble * delta, int32_t{-32768}, int32_t{32767});
            sample2 = sample1;
            sample1 = value;
            // The step stays within the 16 bits the block header can carry.
            delta = std::clamp(kAdaptation[nibble] * delta / 256, int32_t{16}, int32_t{32767});
            *o++ = static_cast<int16_t>(value);
        }
    }
    samples = out;
    ownsSamples = 1;
    length = static_cast<uint32_t>(total);
    return 1;
}

int SoundFX::MakeTone(int type) {
    Release();
    constexpr int kLength = 1000;
    int16_t* block = new (std::nothrow) int16_t[kLength]();
    if (!block) return 0;
    switch (type) {
        case kToneSine:
            // One full period: 2 pi / 1000 radians a sample.
            for (int i = 0; i < kLength; ++i) {
                const float s = static_cast<float>(std::sin(i * 0.006283185307179587));
                block[i] = static_cast<int16_t>(s * 32767.0f);
            }
            break;
        case kToneTriangle: {
            float v = 0.0f;
            float step = 0.004f;
            for (int i = 0; i < kLength; ++i) {
                block[i] = static_cast<int16_t>(static_cast<int>(v * 32767.0f));
                v += step;
                if (v <= -1.0f) {
                    v = -1.0f;
                    step = -step;
                } else if (v >= 1.0f) {
                    v = 1.0f;
                    step = -step;
                }
            }
            break;
        }
        case kToneSquare:
            for (int i = 0; i < kLength; ++i) block[i] = (i > 250 && i < 750) ? 32767 : -32767;
            break;
        case kToneFallingRamp: {
            float v = 1.0f;
            for (int i = 0; i < kLength; ++i) {
                block[i] = static_cast<int16_t>(static_cast<int>(v * 32767.0f));
                v = std::max(v - 0.002f, -1.0f);
            }
            break;
        }
        default:
            break;
    }
    samples = block;
    ownsSamples = 1;
    rate = 440000;
    eightBit = 0;
    length = kLength;
    return 1;
}

}  // namespace ampliro
