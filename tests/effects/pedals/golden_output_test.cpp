// Every pedal's output for a fixed signal, settings, knob moves, rates and
// block sizes, reduced to a 64-bit FNV-1a digest of the samples. The first
// digests were taken from plain per-sample loops. Each row is cut into
// blocks of every size in kCuts, and each cut must give the row's digest and
// leave the peak lamp as the others do: a rework of a pedal's inner loop
// that changed one sample at one block size fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
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

// A control moved from the panel just before sample `at`: OnControl(id,
// value), as the Level slider, a knob or the footswitch reports it.
struct Move {
    int32_t at;
    int32_t id;
    int32_t value;
};

// Block sizes: one sample, a few odd and even sizes, the longest block the
// processing pass hands over, and a mix of sizes as the renderer gives at
// different latencies (0).
constexpr int32_t kMixedCut = 0;
constexpr int32_t kCuts[] = {1, 7, 64, 256, 4800, kMixedCut};

struct Output {
    uint64_t digest;
    int32_t peakHold;
    int32_t peakIndicator;
    bool operator==(const Output&) const = default;
};

// The pedal as the preset loader leaves it (Init, Load, Init again), then the
// signal in blocks of `cut`, each block also ending where a control moves.
Output Render(int32_t key, int32_t rate, const Record& r, const std::vector<Move>& moves,
              int32_t cut) {
    // A new board each time: a pedal's filter state outlives Init.
    Pedalboard board;
    Effect& fx = *board.ByKey(key);
    fx.Init(rate, key);
    LoadRecord(fx, r);
    fx.Init(rate, key);
    std::vector<int16_t> s = TestSignal(24000);
    const int32_t mixed[] = {529, 1, 7, 256, 1024, 300, 64, 2000};
    const int32_t total = static_cast<int32_t>(s.size());
    size_t nextMove = 0;
    int32_t done = 0;
    for (int k = 0; done < total; ++k) {
        while (nextMove < moves.size() && moves[nextMove].at <= done) {
            fx.OnControl(moves[nextMove].id, moves[nextMove].value);
            ++nextMove;
        }
        int32_t n = std::min(cut == kMixedCut ? mixed[k % 8] : cut, total - done);
        if (nextMove < moves.size()) n = std::min(n, moves[nextMove].at - done);
        fx.ProcessBlock(s.data() + done, n);
        done += n;
    }
    return {Digest(s), fx.peakHold, fx.peakIndicator};
}

struct Row {
    const char* what;
    int32_t key;
    Record record;
    int32_t rate;
    uint64_t digest;
    std::vector<Move> moves = {};
    // The one cut whose digest this is, or every cut (-1). The Pitch
    // Shifter's output depends on how SoundTouch is fed, so its rows each
    // name one cut.
    int32_t onlyCut = -1;
};

void Check(const Row& row) {
    const Output first =
        Render(row.key, row.rate, row.record, row.moves, row.onlyCut < 0 ? kCuts[0] : row.onlyCut);
    EXPECT_EQ(first.digest, row.digest)
        << row.what << " at " << row.rate << " Hz: 0x" << std::hex << first.digest;
    if (row.onlyCut >= 0) return;
    for (int32_t cut : kCuts) {
        EXPECT_EQ(Render(row.key, row.rate, row.record, row.moves, cut), first)
            << row.what << " at " << row.rate << " Hz in blocks of " << cut;
    }
}

// Controls: 1 the Level slider (its position), 2..5 a pedal's knobs (2..8 the
// Graphic EQ's band sliders), 12 the footswitch.
const Move kFootswitchTwice[] = {{6000, kFootSwitchId, 0}, {10000, kFootSwitchId, 0}};
std::vector<Move> FootswitchTwice() {
    return {std::begin(kFootswitchTwice), std::end(kFootswitchTwice)};
}

TEST(GoldenOutputTest, Overdrive) {
    for (const Row& row : std::vector<Row>{
             {"defaults", kKeyOverdrive, Record().I(64).I(32).I(1).I(32).I(32).I(32).I(32).I(32),
              44100, 0x77f1f408c19b7e1u},
             {"full drive", kKeyOverdrive, Record().I(64).I(64).I(1).I(64).I(0).I(64).I(64).I(64),
              22050, 0x7c7120f9d3544257u},
             {"clean", kKeyOverdrive, Record().I(40).I(48).I(1).I(0).I(64).I(10).I(0).I(5), 48000,
              0x819a4cc2097c6860u},
             {"all down", kKeyOverdrive, Record().I(64).I(32).I(1).I(0).I(0).I(0).I(0).I(0), 96000,
              0x95e7975ad1774d83u},
             {"scooped", kKeyOverdrive, Record().I(64).I(32).I(1).I(64).I(0).I(64).I(0).I(64),
              11025, 0x4d08cfb7a730f83bu},
             {"knobs turned",
              kKeyOverdrive,
              Record().I(64).I(32).I(1).I(32).I(32).I(32).I(32).I(32),
              44100,
              0x3c5f2c9d8f8ae23cu,
              {{2000, 1, 64},
               {4000, 2, 64},
               {6000, 3, 0},
               {8000, 5, 64},
               {10000, 4, 10},
               {12000, 2, 0},
               {14000, 1, 0},
               {16000, 3, 64}}},
             {"footswitch", kKeyOverdrive, Record().I(64).I(32).I(1).I(50).I(20).I(60).I(40).I(30),
              22050, 0x2464566e29d904f9u, FootswitchTwice()},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, ParametricEq) {
    for (const Row& row : std::vector<Row>{
             {"peak", kKeyParametricEq, Record().I(64).I(64).I(1).F(32).F(1600).I(4).I(10), 44100,
              0x1ed998eb11e0ac31u},
             {"notch", kKeyParametricEq, Record().I(64).I(32).I(1).F(64).F(200).I(1).I(64), 48000,
              0xfed1b94dcfa5131cu},
             {"mode 2", kKeyParametricEq, Record().I(50).I(40).I(1).F(10).F(5000).I(2).I(30), 22050,
              0xddb8169d95c2b83bu},
             {"mode 3", kKeyParametricEq, Record().I(64).I(64).I(1).F(0).F(700).I(3).I(0), 8000,
              0xff0720b5dbebe0a2u},
             {"undamped", kKeyParametricEq, Record().I(64).I(64).I(1).F(64).F(5000).I(4).I(64),
              96000, 0x5053d8329f74677bu},
             {"notch, odd", kKeyParametricEq, Record().I(40).I(20).I(1).F(17).F(1234).I(1).I(9),
              11025, 0x569aa8c918ef85c6u},
             {"retuned",
              kKeyParametricEq,
              Record().I(48).I(32).I(1).F(32).F(2600).I(4).I(0),
              44100,
              0xda166a1a34a13b1eu,
              {{2000, 2, 200},
               {4000, 3, 64},
               {5000, 2, 5000},
               {6000, 4, 64},
               {8000, 3, 0},
               {10000, 5, 10}}},
             {"footswitch", kKeyParametricEq, Record().I(48).I(32).I(1).F(60).F(900).I(2).I(10),
              48000, 0xad0b30f441b4f138u, FootswitchTwice()},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, GraphicEq) {
    for (const Row& row : std::vector<Row>{
             {"all +3", kKeyGraphicEq, Record().I(64).I(1).I(3).I(3).I(3).I(3).I(3).I(3).I(3),
              44100, 0x844956fdb5559458u},
             {"mixed", kKeyGraphicEq, Record().I(64).I(1).I(10).I(-10).I(0).I(7).I(-4).I(0).I(10),
              48000, 0xaacf12ca39566275u},
             {"extremes", kKeyGraphicEq,
              Record().I(48).I(1).I(10).I(10).I(10).I(10).I(10).I(10).I(10), 22050,
              0x82451994f6319762u},
             {"all down", kKeyGraphicEq,
              Record().I(64).I(1).I(-10).I(-10).I(-10).I(-10).I(-10).I(-10).I(-10), 8000,
              0xa358bbf9720cbac4u},
             {"middle", kKeyGraphicEq, Record().I(40).I(1).I(3).I(-7).I(10).I(0).I(-2).I(6).I(-10),
              96000, 0xbd1a1aad79223f6du},
             // A band moved off 0 dB takes up the state it froze with when
             // it was set to 0. Position 10 is 0 dB, 0 is +10 dB.
             {"bands on and off",
              kKeyGraphicEq,
              Record().I(48).I(1).I(6).I(0).I(-4).I(0).I(8).I(0).I(2),
              11025,
              0xe7bdc68e8dc6c0cfu,
              {{1000, 4, 10},
               {2000, 3, 0},
               {3000, 2, 10},
               {4000, 4, 20},
               {5000, 8, 0},
               {6000, 2, 3},
               {7000, 6, 10},
               {8000, 1, 0},
               {9000, 5, 0},
               {10000, 7, 20}}},
             {"footswitch", kKeyGraphicEq, Record().I(48).I(1).I(6).I(0).I(-4).I(0).I(8).I(0).I(2),
              44100, 0x6982447fb504341cu, FootswitchTwice()},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, PitchShifter) {
    const Record up3 = Record().I(64).I(32).I(1).I(64).I(3);
    for (const Row& row : std::vector<Row>{
             {"up 3", kKeyPitchShifter, up3, 44100, 0x4cf32a46c9426220u, {}, kMixedCut},
             {"down 12",
              kKeyPitchShifter,
              Record().I(48).I(64).I(1).I(48).I(-12),
              48000,
              0xe3cf3ec1f7bc04d9u,
              {},
              kMixedCut},
             {"up 3", kKeyPitchShifter, up3, 44100, 0xe211e4ff8369895bu, {}, 256},
             {"up 3", kKeyPitchShifter, up3, 44100, 0x23484279babb02f4u, {}, 4800},
             {"second level counts",
              kKeyPitchShifter,
              Record().I(20).I(50).I(1).I(40).I(-5),
              22050,
              0x3bfbb0ed478d7668u,
              {},
              64},
             {"retuned",
              kKeyPitchShifter,
              Record().I(48).I(32).I(1).I(48).I(3),
              44100,
              0xcce50bc6224f638cu,
              {{2000, 2, 24},
               {4000, 3, 64},
               {5000, 2, 0},
               {6000, 2, 12},
               {7000, 1, 10},
               {8000, 2, 19}},
              256},
             {"footswitch", kKeyPitchShifter, Record().I(48).I(32).I(1).I(48).I(5), 11025,
              0x153dcd528f58ced0u, FootswitchTwice(), 256},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, Phaser) {
    for (const Row& row : std::vector<Row>{
             {"defaults", kKeyPhaser, Record().I(64).I(32).I(1).I(32).I(32).I(32), 44100,
              0x8cb41e83526b72d7u},
             {"fast", kKeyPhaser, Record().I(64).I(64).I(1).I(64).I(64).I(64), 22050,
              0x3665ad42abf14505u},
             {"slow", kKeyPhaser, Record().I(40).I(20).I(1).I(1).I(0).I(50), 48000,
              0xf73df9d730b98017u},
             // 8000 Hz, which a preferences file may still name: the tuning
             // takes its general rule there.
             {"middle", kKeyPhaser, Record().I(20).I(50).I(1).I(9).I(13).I(51), 8000,
              0x8ef21ce9e64730d1u},
             {"all up", kKeyPhaser, Record().I(64).I(64).I(1).I(64).I(64).I(64), 96000,
              0x90a2b048655e637au},
             {"turned",
              kKeyPhaser,
              Record().I(48).I(32).I(1).I(32).I(32).I(32),
              11025,
              0x32cacaaa5266be20u,
              {{1000, 2, 64},
               {2000, 4, 64},
               {4000, 3, 0},
               {6000, 2, 1},
               {7000, 3, 64},
               {8000, 5, 64},
               {9000, 1, 20}}},
             {"footswitch", kKeyPhaser, Record().I(48).I(32).I(1).I(40).I(50).I(50), 44100,
              0xbeeda699f74bf758u, FootswitchTwice()},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, Chorus) {
    for (const Row& row : std::vector<Row>{
             {"defaults", kKeyChorus, Record().I(64).I(32).I(1).I(32).F(16).I(32), 44100,
              0x97c2ed252f9d584au},
             {"deep", kKeyChorus, Record().I(64).I(64).I(1).I(64).F(64).I(64), 48000,
              0x1e1a82bc4e115eb1u},
             {"shallow", kKeyChorus, Record().I(50).I(20).I(1).I(0).F(1).I(0), 22050,
              0x5aebe8dadd25c56cu},
             {"middle", kKeyChorus, Record().I(30).I(40).I(1).I(17).F(23).I(45), 96000,
              0x679e08438f46d088u},
             {"all up", kKeyChorus, Record().I(64).I(64).I(1).I(64).F(64).I(64), 11025,
              0xd385f8773a7a8bcu},
             {"depth and speed jump",
              kKeyChorus,
              Record().I(48).I(32).I(1).I(32).F(16).I(32),
              8000,
              0x85fa112cffcd5f85u,
              {{2000, 3, 64},
               {4000, 2, 64},
               {6000, 3, 0},
               {8000, 4, 64},
               {10000, 3, 40},
               {12000, 4, 0},
               {14000, 2, 1},
               {16000, 5, 64}}},
             // Off and on again: the whole line is cleared.
             {"footswitch", kKeyChorus, Record().I(48).I(32).I(1).I(40).F(5).I(50), 44100,
              0x163303313c1deb99u, FootswitchTwice()},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, Delay) {
    for (const Row& row : std::vector<Row>{
             {"500 ms", kKeyDelay, Record().I(64).I(32).I(1).I(500).I(32).I(64), 44100,
              0x96fe163732be6e14u},
             {"short", kKeyDelay, Record().I(64).I(64).I(1).I(3).I(64).I(0), 48000,
              0x95e7975ad1774d83u},
             {"dark", kKeyDelay, Record().I(40).I(50).I(1).I(120).I(50).I(10), 22050,
              0x8d5e44526a95bbebu},
             {"shortest, dark", kKeyDelay, Record().I(64).I(64).I(1).I(1).I(64).I(0), 96000,
              0x95e7975ad1774d83u},
             {"middle", kKeyDelay, Record().I(37).I(23).I(1).I(37).I(40).I(33), 11025,
              0xa1a441b217e48478u},
             {"bypassed", kKeyDelay, Record().I(64).I(64).I(0).I(100).I(64).I(10), 8000,
              0x183c3612f138dc7du},
             // Shortened below its write position and lengthened again.
             {"shortened",
              kKeyDelay,
              Record().I(48).I(32).I(1).I(500).I(32).I(64),
              22050,
              0x79a3c30346135b3cu,
              {{13000, 2, 37},
               {14000, 3, 64},
               {15000, 4, 20},
               {16000, 2, 3000},
               {18000, 2, 1},
               {19000, 4, 64},
               {20000, 1, 10},
               {21000, 5, 60},
               {22000, 2, 250},
               {23000, 3, 0}}},
             // Off and on again: the current span is cleared.
             {"footswitch", kKeyDelay, Record().I(48).I(32).I(1).I(100).I(48).I(40), 44100,
              0x97971140c41aee0bu, FootswitchTwice()},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, Reverb) {
    for (const Row& row : std::vector<Row>{
             {"defaults", kKeyReverb, Record().I(64).I(32).I(1).I(32).I(32).I(32).I(32), 44100,
              0x1a0934bc530d027bu},
             {"long", kKeyReverb, Record().I(64).I(64).I(1).I(250).I(64).I(64).I(0), 48000,
              0x4eaeff52b104790au},
             {"tiny", kKeyReverb, Record().I(50).I(40).I(1).I(1).I(10).I(0).I(64), 22050,
              0x6834e2e938a96825u},
             {"short", kKeyReverb, Record().I(64).I(50).I(1).I(4).I(60).I(20).I(40), 44100,
              0xca5470ba249d24cfu},
             {"all up", kKeyReverb, Record().I(64).I(64).I(1).I(250).I(64).I(64).I(64), 96000,
              0x7577e348240988a0u},
             {"middle", kKeyReverb, Record().I(50).I(27).I(1).I(97).I(11).I(45).I(12), 8000,
              0x1ecc6d3d6ae470a3u},
             // Combs shortened below their positions.
             {"shortened",
              kKeyReverb,
              Record().I(48).I(32).I(1).I(250).I(32).I(32).I(32),
              11025,
              0xa49247a71c7a851du,
              {{3000, 2, 5},
               {4000, 3, 64},
               {5000, 2, 250},
               {7000, 4, 60},
               {8000, 2, 97},
               {9000, 3, 0},
               {10000, 1, 30},
               {11000, 5, 64}}},
             // Off and on again: every comb's base length is cleared.
             {"footswitch", kKeyReverb, Record().I(48).I(32).I(1).I(97).I(48).I(40).I(20), 48000,
              0x25e7151e01b091bu, FootswitchTwice()},
         }) {
        Check(row);
    }
}

TEST(GoldenOutputTest, Tremolo) {
    for (const Row& row : std::vector<Row>{
             {"defaults", kKeyTremolo, Record().I(64).I(1).I(32).I(32), 44100, 0x9fbac5251894fb5fu},
             {"fast", kKeyTremolo, Record().I(64).I(1).I(64).I(64), 48000, 0xb7b7ae0efa19377du},
             {"slow", kKeyTremolo, Record().I(40).I(1).I(10).I(1), 22050, 0x510113582e1d730fu},
             {"slowest, full", kKeyTremolo, Record().I(64).I(1).I(64).I(1), 96000,
              0xffe715d59a7f71c0u},
             {"middle", kKeyTremolo, Record().I(33).I(1).I(41).I(13), 11025, 0xf529615815b15544u},
             {"turned",
              kKeyTremolo,
              Record().I(48).I(1).I(32).I(32),
              8000,
              0x7e7ccb5889027b0au,
              {{1000, 2, 64}, {2000, 3, 64}, {4000, 2, 1}, {6000, 3, 0}, {7000, 1, 0}}},
             {"footswitch", kKeyTremolo, Record().I(48).I(1).I(50).I(20), 44100,
              0x1cf9a99478cc4d87u, FootswitchTwice()},
         }) {
        Check(row);
    }
}

// A damaged file's record (values far outside the knobs' ranges, NaN and
// infinite floats, odd switch words) plays exactly as the record with every
// knob held to its range, a NaN at the knob's minimum, and stays inside the
// pedal's buffers (the sanitizer build checks).
TEST(GoldenOutputTest, DamagedRecordsPlayAsTheirKnobsHeldToRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Pair {
        const char* what;
        int32_t key;
        Record damaged;
        Record held;
    };
    const Pair pairs[] = {
        {"overdrive beyond", kKeyOverdrive,
         Record().I(64).I(32).I(7).I(-5).I(999).I(70).I(-1).I(200),
         Record().I(64).I(32).I(1).I(0).I(64).I(64).I(0).I(64)},
        {"overdrive below", kKeyOverdrive,
         Record().I(64).I(32).I(-1).I(65).I(-65).I(INT32_MIN).I(INT32_MAX).I(-200),
         Record().I(64).I(32).I(1).I(64).I(0).I(0).I(64).I(0)},
        {"eq NaN and huge", kKeyParametricEq, Record().I(99).I(200).I(1).F(nan).F(1e9f).I(9).I(500),
         Record().I(64).I(64).I(1).F(0).F(5000).I(4).I(64)},
        {"eq infinities", kKeyParametricEq, Record().I(-9).I(70).I(1).F(inf).F(-inf).I(0).I(-7),
         Record().I(0).I(64).I(1).F(64).F(200).I(4).I(0)},
        {"graphic beyond", kKeyGraphicEq,
         Record().I(300).I(1).I(99).I(-99).I(11).I(-11).I(0).I(5).I(1000),
         Record().I(64).I(1).I(10).I(-10).I(10).I(-10).I(0).I(5).I(10)},
        {"chorus NaN speed", kKeyChorus, Record().I(64).I(64).I(1).I(500).F(nan).I(-9),
         Record().I(64).I(64).I(1).I(64).F(1).I(0)},
        {"chorus negative speed", kKeyChorus, Record().I(64).I(64).I(1).I(-40).F(-3).I(99),
         Record().I(64).I(64).I(1).I(0).F(1).I(64)},
        {"chorus infinite speed", kKeyChorus, Record().I(64).I(64).I(1).I(64).F(inf).I(64),
         Record().I(64).I(64).I(1).I(64).F(64).I(64)},
        {"phaser rate 0", kKeyPhaser, Record().I(64).I(64).I(1).I(0).I(99).I(-4),
         Record().I(64).I(64).I(1).I(1).I(64).I(0)},
        {"phaser beyond", kKeyPhaser, Record().I(64).I(64).I(1).I(500).I(-1).I(500),
         Record().I(64).I(64).I(1).I(64).I(0).I(64)},
        {"delay none", kKeyDelay, Record().I(64).I(64).I(1).I(0).I(99).I(-1),
         Record().I(64).I(64).I(1).I(1).I(64).I(0)},
        {"delay negative", kKeyDelay, Record().I(64).I(64).I(1).I(-50).I(32).I(99),
         Record().I(64).I(64).I(1).I(1).I(32).I(64)},
        {"delay too long", kKeyDelay, Record().I(64).I(64).I(1).I(99999).I(32).I(64),
         Record().I(64).I(64).I(1).I(3000).I(32).I(64)},
        {"reverb none", kKeyReverb, Record().I(64).I(64).I(1).I(0).I(99).I(-1).I(99),
         Record().I(64).I(64).I(1).I(1).I(64).I(0).I(64)},
        {"reverb negative", kKeyReverb, Record().I(64).I(64).I(1).I(-20).I(-5).I(32).I(32),
         Record().I(64).I(64).I(1).I(1).I(0).I(32).I(32)},
        {"reverb too long", kKeyReverb, Record().I(64).I(64).I(1).I(1000).I(32).I(32).I(32),
         Record().I(64).I(64).I(1).I(250).I(32).I(32).I(32)},
        {"tremolo rate 0", kKeyTremolo, Record().I(64).I(1).I(99).I(0),
         Record().I(64).I(1).I(64).I(1)},
        {"tremolo beyond", kKeyTremolo, Record().I(64).I(1).I(-3).I(500),
         Record().I(64).I(1).I(0).I(64)},
        {"pitch beyond", kKeyPitchShifter, Record().I(64).I(64).I(1).I(99).I(40),
         Record().I(64).I(64).I(1).I(64).I(12)},
        {"pitch below", kKeyPitchShifter, Record().I(64).I(64).I(1).I(-5).I(-40),
         Record().I(64).I(64).I(1).I(0).I(-12)},
    };
    for (const Pair& p : pairs) {
        for (int32_t rate : {11025, 96000}) {
            EXPECT_EQ(Render(p.key, rate, p.damaged, {}, kMixedCut),
                      Render(p.key, rate, p.held, {}, kMixedCut))
                << p.what << " at " << rate;
        }
    }
}

}  // namespace
}  // namespace ampliro
