// Every pedal's output for a fixed signal, settings, rates and block sizes,
// reduced to a 64-bit FNV-1a digest. The digests were taken from the plain
// per-sample loops; any rework of a pedal's inner loop must keep its output
// identical, sample for sample.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "effects/pedalboard.h"

namespace ampliro {
namespace {

// A signal that reaches every path: a rising tone, noise, full-scale bursts
// that clip and silence.
std::vector<int16_t> TestSignal(int32_t count) {
    std::vector<int16_t> s(count);
    uint32_t seed = 12345;
    int32_t phase = 0;
    for (int32_t i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int32_t noise = static_cast<int32_t>(seed >> 16) - 32768;
        phase += 40 + i / 64;
        const int32_t tone = ((phase >> 6) & 0x3FF) * 48 - 24576;
        int32_t v = tone / 2 + noise / 4;
        if ((i / 3000) % 4 == 2) v = (i / 50) % 2 ? 32767 : -32768;
        if ((i / 3000) % 4 == 3 && (i / 500) % 2) v = 0;
        s[i] = static_cast<int16_t>(v);
    }
    return s;
}

uint64_t Digest(const std::vector<int16_t>& s) {
    uint64_t h = 1469598103934665603ull;
    for (int16_t v : s) {
        for (int k = 0; k < 2; ++k) {
            h ^= static_cast<uint8_t>(static_cast<uint16_t>(v) >> (8 * k));
            h *= 1099511628211ull;
        }
    }
    return h;
}

// The preset record as the file holds it: 32-bit words, floats as their bits.
struct Record {
    std::vector<uint8_t> bytes;
    Record& I(int32_t v) {
        Append(&v);
        return *this;
    }
    Record& F(float v) {
        Append(&v);
        return *this;
    }
    void Append(const void* word) {
        const auto* p = static_cast<const uint8_t*>(word);
        bytes.insert(bytes.end(), p, p + 4);
    }
};

void LoadRecord(Effect& fx, const Record& r) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(r.bytes.data(), 1, r.bytes.size(), f);
    std::rewind(f);
    fx.Load(f);
    std::fclose(f);
}

// Runs the signal through in blocks of varying size, as the processing pass
// and the renderer do at different latencies, and once sample by sample.
uint64_t Render(Effect& fx, int32_t rate, int32_t key, const Record& r, bool perSample) {
    fx.Init(rate, key);
    LoadRecord(fx, r);
    fx.Init(rate, key);
    std::vector<int16_t> s = TestSignal(24000);
    if (perSample) {
        for (int16_t& v : s) {
            int16_t one = v;
            fx.ProcessBlock(&one, 1);
            v = one;
        }
    } else {
        const int32_t sizes[] = {529, 1, 7, 256, 1024, 300, 64, 2000};
        int32_t done = 0;
        for (int k = 0; done < static_cast<int32_t>(s.size()); ++k) {
            const int32_t n =
                std::min<int32_t>(sizes[k % 8], static_cast<int32_t>(s.size()) - done);
            fx.ProcessBlock(s.data() + done, n);
            done += n;
        }
    }
    return Digest(s);
}

struct Case {
    const char* what;
    int32_t key;
    Record record;
    int32_t rate;
    uint64_t digest;
};

class GoldenOutputTest : public ::testing::Test {
  protected:
    // Each run on a new board: a pedal's filter state outlives Init.
    static uint64_t RenderOnNewBoard(const Case& c, bool perSample) {
        Pedalboard board;
        Effect* fx = board.ByKey(c.key);
        return fx ? Render(*fx, c.rate, c.key, c.record, perSample) : 0;
    }
    static void Check(const Case& c) {
        const uint64_t blocks = RenderOnNewBoard(c, false);
        EXPECT_EQ(blocks, c.digest)
            << c.what << " at " << c.rate << " Hz: 0x" << std::hex << blocks;
        // The pitch shifter's output depends on how SoundTouch is fed, so only
        // the other pedals must give the same samples one at a time.
        if (c.key != kKeyPitchShifter) {
            EXPECT_EQ(RenderOnNewBoard(c, true), blocks) << c.what;
        }
    }
};

TEST_F(GoldenOutputTest, Overdrive) {
    Check({"defaults", kKeyOverdrive, Record().I(64).I(32).I(1).I(32).I(32).I(32).I(32).I(32),
           44100, 0x77f1f408c19b7e1u});
    Check({"full drive", kKeyOverdrive, Record().I(64).I(64).I(1).I(64).I(0).I(64).I(64).I(64),
           22050, 0xa4b46b21ec8b2b3au});
    Check({"clean", kKeyOverdrive, Record().I(40).I(48).I(1).I(0).I(64).I(10).I(0).I(5), 48000,
           0x5560fc14581aae9eu});
}

TEST_F(GoldenOutputTest, ParametricEq) {
    Check({"peak", kKeyParametricEq, Record().I(64).I(64).I(1).F(32).F(1600).I(4).I(10), 44100,
           0x7b929311a4dfa492u});
    Check({"notch", kKeyParametricEq, Record().I(64).I(32).I(1).F(64).F(200).I(1).I(64), 48000,
           0xfed1b94dcfa5131cu});
    Check({"mode 2", kKeyParametricEq, Record().I(50).I(40).I(1).F(10).F(5000).I(2).I(30), 22050,
           0x6a043fbc688d1e81u});
    Check({"mode 3", kKeyParametricEq, Record().I(64).I(64).I(1).F(0).F(700).I(3).I(0), 8000,
           0x6a88f72f2385e265u});
}

TEST_F(GoldenOutputTest, GraphicEq) {
    Check({"all +3", kKeyGraphicEq, Record().I(64).I(1).I(3).I(3).I(3).I(3).I(3).I(3).I(3), 44100,
           0x9ac51c6c148d658u});
    Check({"mixed", kKeyGraphicEq, Record().I(64).I(1).I(10).I(-10).I(0).I(7).I(-4).I(0).I(10),
           48000, 0x7ccda8c83015502fu});
    Check({"extremes", kKeyGraphicEq, Record().I(48).I(1).I(10).I(10).I(10).I(10).I(10).I(10).I(10),
           22050, 0x147447c95be441dau});
}

TEST_F(GoldenOutputTest, PitchShifter) {
    Check({"up 3", kKeyPitchShifter, Record().I(64).I(32).I(1).I(64).I(3), 44100,
           0x4cf32a46c9426220u});
    Check({"down 12", kKeyPitchShifter, Record().I(48).I(64).I(1).I(48).I(-12), 48000,
           0xe3cf3ec1f7bc04d9u});
}

TEST_F(GoldenOutputTest, Phaser) {
    Check({"defaults", kKeyPhaser, Record().I(64).I(32).I(1).I(32).I(32).I(32), 44100,
           0x9f15e696d7b9bcfeu});
    Check({"fast", kKeyPhaser, Record().I(64).I(64).I(1).I(64).I(64).I(64), 22050,
           0x182ab0d1ad1f521bu});
    Check(
        {"slow", kKeyPhaser, Record().I(40).I(20).I(1).I(1).I(0).I(50), 48000, 0x5b7232673ab537bu});
}

TEST_F(GoldenOutputTest, Chorus) {
    Check({"defaults", kKeyChorus, Record().I(64).I(32).I(1).I(32).F(16).I(32), 44100,
           0x97c2ed252f9d584au});
    Check({"deep", kKeyChorus, Record().I(64).I(64).I(1).I(64).F(64).I(64), 48000,
           0x1e1a82bc4e115eb1u});
    Check({"shallow", kKeyChorus, Record().I(50).I(20).I(1).I(0).F(1).I(0), 22050,
           0x5aebe8dadd25c56cu});
}

TEST_F(GoldenOutputTest, Delay) {
    Check({"500 ms", kKeyDelay, Record().I(64).I(32).I(1).I(500).I(32).I(64), 44100,
           0x96fe163732be6e14u});
    Check({"short", kKeyDelay, Record().I(64).I(64).I(1).I(3).I(64).I(0), 48000,
           0x95e7975ad1774d83u});
    Check({"dark", kKeyDelay, Record().I(40).I(50).I(1).I(120).I(50).I(10), 22050,
           0x8d5e44526a95bbebu});
}

TEST_F(GoldenOutputTest, Reverb) {
    Check({"defaults", kKeyReverb, Record().I(64).I(32).I(1).I(32).I(32).I(32).I(32), 44100,
           0x1a0934bc530d027bu});
    Check({"long", kKeyReverb, Record().I(64).I(64).I(1).I(250).I(64).I(64).I(0), 48000,
           0x77cc2adb9e847b79u});
    Check({"tiny", kKeyReverb, Record().I(50).I(40).I(1).I(1).I(10).I(0).I(64), 22050,
           0x24c1e07399d58303u});
    Check({"short", kKeyReverb, Record().I(64).I(50).I(1).I(4).I(60).I(20).I(40), 44100,
           0xe708aa446f1d12b8u});
}

TEST_F(GoldenOutputTest, TremoloPedal) {
    Check({"defaults", kKeyTremolo, Record().I(64).I(1).I(32).I(32), 44100, 0x9fbac5251894fb5fu});
    Check({"fast", kKeyTremolo, Record().I(64).I(1).I(64).I(64), 48000, 0xb7b7ae0efa19377du});
    Check({"slow", kKeyTremolo, Record().I(40).I(1).I(10).I(1), 22050, 0x510113582e1d730fu});
}

}  // namespace
}  // namespace ampliro
