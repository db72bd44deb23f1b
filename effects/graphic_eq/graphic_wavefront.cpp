#include "effects/graphic_eq/graphic_wavefront.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define AMPLIRO_WAVEFRONT 1
#endif

namespace ampliro {

#ifdef AMPLIRO_WAVEFRONT

namespace {

// Eight lanes: the seven bands and a spare that passes its input through.
constexpr int kLanes = 8;
constexpr int kLast = kWavefrontLanes - 1;  // the lane that gives the final output
// The steps between a sample entering lane 0 and leaving the last lane.
constexpr int kDepth = kWavefrontSkew * kLast;

// y = (c0 x + c1 x1 + c2 x2 + c3 y1 + c4 y2) >> 15, kept to 32 bits.
int32_t BiquadStep(const int32_t c[5], int32_t s[4], int32_t in) {
    const int64_t acc = static_cast<int64_t>(c[0]) * in + static_cast<int64_t>(c[1]) * s[0] +
                        static_cast<int64_t>(c[2]) * s[1] + static_cast<int64_t>(c[3]) * s[2] +
                        static_cast<int64_t>(c[4]) * s[3];
    const int32_t y = static_cast<int32_t>(acc >> 15);
    s[1] = s[0];
    s[0] = in;
    s[3] = s[2];
    s[2] = y;
    return y;
}

// The even lanes 0, 2, 4, 6 in a and the odd lanes 1, 3, 5, 7 in b, one per
// 64-bit element: the odd lanes then take their inputs from a as it stands,
// and only the even ones need a shift. Only the low 32 bits of an element
// are meaningful: _mm256_mul_epi32 reads just those, signed, and gives the
// full 64-bit product, and the low 32 bits of (acc >> 15) are the same for a
// logical shift as for an arithmetic one.
struct Lanes {
    __m256i a, b;
};

struct Wave {
    Lanes c[5];
    Lanes x1, x2, y1, y2;
};

__attribute__((target("avx2"))) Lanes Gather(const int32_t (*v)[4], int j) {
    return {_mm256_set_epi64x(v[6][j], v[4][j], v[2][j], v[0][j]),
            _mm256_set_epi64x(v[7][j], v[5][j], v[3][j], v[1][j])};
}

__attribute__((target("avx2"))) void Scatter(const Lanes& l, int32_t (*v)[4], int j, int lane) {
    alignas(32) int64_t out[kLanes];
    _mm256_store_si256(reinterpret_cast<__m256i*>(out), l.a);
    _mm256_store_si256(reinterpret_cast<__m256i*>(out + 4), l.b);
    v[lane][j] = static_cast<int32_t>(out[(lane & 1) * 4 + lane / 2]);
}

__attribute__((target("avx2"))) inline __m256i Mul(__m256i c, __m256i v) {
    return _mm256_mul_epi32(c, v);
}

// The inputs of one step: lane 0 takes `input`, lane k the output of lane
// k - 1 from two steps before, which is that lane's y2.
__attribute__((target("avx2"))) inline Lanes Inputs(const Lanes& y2, int32_t input) {
    const __m256i first = _mm256_castsi128_si256(_mm_cvtsi32_si128(input));
    return {
        _mm256_blend_epi32(_mm256_permute4x64_epi64(y2.b, _MM_SHUFFLE(2, 1, 0, 0)), first, 0x03),
        y2.a};
}

// The outputs of all lanes for inputs `in` and the states before the step.
// Only y1 was made by the step just before; every other term is older, so
// y1's product is added last and the recursion waits for one multiply, one
// addition and the shift (64-bit sums wrap, so any order gives the same bits).
__attribute__((target("avx2"))) inline Lanes Outputs(const Lanes (&c)[5], const Lanes& in,
                                                     const Lanes& x1, const Lanes& x2,
                                                     const Lanes& y1, const Lanes& y2) {
    __m256i accA = Mul(c[1].a, x1.a);
    __m256i accB = Mul(c[1].b, x1.b);
    accA = _mm256_add_epi64(accA, Mul(c[2].a, x2.a));
    accB = _mm256_add_epi64(accB, Mul(c[2].b, x2.b));
    accA = _mm256_add_epi64(accA, Mul(c[4].a, y2.a));
    accB = _mm256_add_epi64(accB, Mul(c[4].b, y2.b));
    accA = _mm256_add_epi64(accA, Mul(c[0].a, in.a));
    accB = _mm256_add_epi64(accB, Mul(c[0].b, in.b));
    accA = _mm256_add_epi64(accA, Mul(c[3].a, y1.a));
    accB = _mm256_add_epi64(accB, Mul(c[3].b, y1.b));
    return {_mm256_srli_epi64(accA, 15), _mm256_srli_epi64(accB, 15)};
}

// The final band's output (for sample t - kDepth).
__attribute__((target("avx2"))) inline int32_t Last(const Lanes& y) {
    static_assert(kLast % 2 == 0, "the final band sits in the even lanes");
    return _mm256_extract_epi32(y.a, 2 * (kLast / 2));
}

// One step of all lanes. Returns the final band's output.
__attribute__((target("avx2"))) inline int32_t Step(Wave& w, int32_t input) {
    const Lanes in = Inputs(w.y2, input);
    const Lanes y = Outputs(w.c, in, w.x1, w.x2, w.y1, w.y2);
    w.x2 = w.x1;
    w.x1 = in;
    w.y2 = w.y1;
    w.y1 = y;
    return Last(y);
}

// Two steps, written so that each state the next pair needs is a value this
// pair computed: the compiler then keeps the states in registers without
// moving them from one to another every step.
__attribute__((target("avx2"))) inline void StepPairs(Wave& w, int32_t* x, int32_t count) {
    Lanes x1 = w.x1, x2 = w.x2, y1 = w.y1, y2 = w.y2;
    int32_t t = kDepth;
    for (; t + 1 < count; t += 2) {
        const Lanes in0 = Inputs(y2, x[t]);
        const Lanes out0 = Outputs(w.c, in0, x1, x2, y1, y2);
        x[t - kDepth] = Last(out0);
        const Lanes in1 = Inputs(y1, x[t + 1]);
        const Lanes out1 = Outputs(w.c, in1, in0, x1, out0, y1);
        x[t + 1 - kDepth] = Last(out1);
        x2 = in0;
        x1 = in1;
        y2 = out0;
        y1 = out1;
    }
    w.x1 = x1, w.x2 = x2, w.y1 = y1, w.y2 = y2;
    if (t < count) x[t - kDepth] = Step(w, x[t]);
}

__attribute__((target("avx2"))) void Snapshot(const Wave& w, int32_t (*state)[4], int lane) {
    Scatter(w.x1, state, 0, lane);
    Scatter(w.x2, state, 1, lane);
    Scatter(w.y1, state, 2, lane);
    Scatter(w.y2, state, 3, lane);
}

// Steps 0..11 fill the wavefront: band k must have filtered samples 0..11-2k
// before step 12, when it takes sample 12-2k. They run band after band, in
// place. Steps count..count+11 drain it, lane 0 fed with zeros; band k has
// done its last sample after step count-1+2k, when its state is taken.
__attribute__((target("avx2"))) void Run(const int32_t (*c)[5], int32_t (*state)[4], int32_t* x,
                                         int32_t count) {
    for (int k = 0; k < kLast; ++k) {
        for (int32_t s = 0; s < kWavefrontSkew * (kLast - k); ++s) {
            x[s] = BiquadStep(c[k], state[k], x[s]);
        }
    }
    Wave w;
    for (int j = 0; j < 5; ++j) {
        w.c[j] = {_mm256_set_epi64x(c[6][j], c[4][j], c[2][j], c[0][j]),
                  _mm256_set_epi64x(c[7][j], c[5][j], c[3][j], c[1][j])};
    }
    w.x1 = Gather(state, 0);
    w.x2 = Gather(state, 1);
    w.y1 = Gather(state, 2);
    w.y2 = Gather(state, 3);
    StepPairs(w, x, count);
    Snapshot(w, state, 0);
    for (int32_t t = count; t < count + kDepth; ++t) {
        x[t - kDepth] = Step(w, 0);
        const int32_t done = t - count + 1;
        if (done % kWavefrontSkew == 0) Snapshot(w, state, done / kWavefrontSkew);
    }
}

}  // namespace

bool WavefrontAvailable() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

void RunWavefront(WavefrontBands& bands, int32_t* x, int32_t count) {
    // Inactive bands and the spare lane filter with c0 = 1.0 and work on a
    // scratch state, so the signal passes them unchanged.
    int32_t c[kLanes][5] = {};
    int32_t state[kLanes][4] = {};
    for (int k = 0; k < kLanes; ++k) {
        const bool active = k < kWavefrontLanes && bands.active[k];
        for (int j = 0; j < 5; ++j) c[k][j] = active ? bands.c[k][j] : (j == 0 ? 32768 : 0);
        for (int j = 0; active && j < 4; ++j) state[k][j] = bands.state[k][j];
    }
    Run(c, state, x, count);
    for (int k = 0; k < kWavefrontLanes; ++k) {
        for (int j = 0; bands.active[k] && j < 4; ++j) bands.state[k][j] = state[k][j];
    }
}

#else

bool WavefrontAvailable() {
    return false;
}
void RunWavefront(WavefrontBands&, int32_t*, int32_t) {}

#endif

}  // namespace ampliro
