// The library as a host loads it: its descriptors, and what an instance
// does with damaged audio, odd control values, odd rates, in-place buffers
// and block sizes. Driven through the LV2 C interface of the built module.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/core/lv2.h>

#include <cmath>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lv2_harness.h"

namespace ampliro::lv2test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class Module {
  public:
    Module() : handle_(dlopen(AMPLIRO_LV2_MODULE, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ != nullptr)
            entry_ = reinterpret_cast<LV2_Descriptor_Function>(dlsym(handle_, "lv2_descriptor"));
    }
    ~Module() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    LV2_Descriptor_Function entry() const { return entry_; }
    const LV2_Descriptor* Find(const std::string& slug) const {
        for (uint32_t i = 0; entry_ != nullptr; ++i) {
            const LV2_Descriptor* d = entry_(i);
            if (d == nullptr) break;
            if (PluginUri(slug) == d->URI) return d;
        }
        return nullptr;
    }

  private:
    void* handle_;
    LV2_Descriptor_Function entry_ = nullptr;
};

// One instance with its audio ports and `controls` control ports (NaN in
// `values` leaves that port unconnected), run in blocks of a given size.
class Instance {
  public:
    Instance(const LV2_Descriptor* d, double rate, std::vector<float> values, bool latency = false)
        : d_(d), values_(std::move(values)) {
        handle_ = d_->instantiate(d_, rate, "", nullptr);
        if (handle_ == nullptr) return;
        for (size_t i = 0; i < values_.size(); ++i) {
            if (!std::isnan(values_[i])) d_->connect_port(handle_, 2 + i, &values_[i]);
        }
        if (latency) d_->connect_port(handle_, 2 + values_.size(), &latency_);
        d_->activate(handle_);
    }
    ~Instance() {
        if (handle_ != nullptr) d_->cleanup(handle_);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return handle_ != nullptr; }
    float latency() const { return latency_; }
    void Set(size_t control, float value) { values_[control] = value; }
    void Activate() { d_->activate(handle_); }

    std::vector<float> Run(const std::vector<float>& in, size_t block) {
        std::vector<float> input = in;
        std::vector<float> out(in.size(), -9.0f);
        for (size_t done = 0; done < in.size(); done += block) {
            const size_t n = std::min(block, in.size() - done);
            d_->connect_port(handle_, 0, input.data() + done);
            d_->connect_port(handle_, 1, out.data() + done);
            d_->run(handle_, static_cast<uint32_t>(n));
        }
        return out;
    }
    // Input and output in one buffer, as hosts may hand them.
    std::vector<float> RunInPlace(const std::vector<float>& in) {
        std::vector<float> buffer = in;
        d_->connect_port(handle_, 0, buffer.data());
        d_->connect_port(handle_, 1, buffer.data());
        d_->run(handle_, static_cast<uint32_t>(buffer.size()));
        return buffer;
    }

  private:
    const LV2_Descriptor* d_;
    LV2_Handle handle_ = nullptr;
    std::vector<float> values_;
    float latency_ = -1.0f;
};

std::vector<float> Signal(int rate, int count) {
    const std::vector<int16_t> s = GuitarSignal(rate, count);
    std::vector<float> f(s.size());
    for (size_t i = 0; i < s.size(); ++i) f[i] = s[i] / 32768.0f;
    return f;
}

class PluginInterfaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(module_.entry(), nullptr) << dlerror();
        tremolo_ = module_.Find("tremolo");
        ASSERT_NE(tremolo_, nullptr);
    }
    Module module_;
    const LV2_Descriptor* tremolo_ = nullptr;
};

TEST_F(PluginInterfaceTest, TheLibraryDescribesTheNinePedalsOnceEach) {
    std::set<std::string> uris;
    uint32_t count = 0;
    while (const LV2_Descriptor* d = module_.entry()(count)) {
        uris.insert(d->URI);
        EXPECT_NE(d->instantiate, nullptr);
        EXPECT_NE(d->run, nullptr);
        ++count;
    }
    EXPECT_EQ(count, 9u);
    EXPECT_EQ(uris.size(), 9u);
    EXPECT_EQ(module_.entry()(9), nullptr);
    EXPECT_EQ(module_.entry()(0xFFFFFFFFu), nullptr);
}

// The library a host loads holds the pedals' DSP units and nothing of the
// program around them: it needs only the C and C++ runtimes and SoundTouch
// (and the sanitizers' runtimes in that build), and it shows the host one
// symbol.
TEST(PluginLibrary, NeedsNoProgramLibraryAndExportsOnlyTheDescriptor) {
    const ToolRun headers = RunTool("objdump", {"-p", AMPLIRO_LV2_MODULE});
    ASSERT_EQ(headers.exitCode, 0) << headers.output;
    const std::set<std::string> allowed = {"libstdc++",     "libm",    "libgcc_s", "libc",
                                           "libSoundTouch", "libasan", "libubsan"};
    std::istringstream lines(headers.output);
    std::string line;
    int needed = 0;
    while (std::getline(lines, line)) {
        const size_t at = line.find("NEEDED");
        if (at == std::string::npos) continue;
        ++needed;
        const size_t name = line.find_first_not_of(' ', at + 6);
        const std::string library = line.substr(name, line.find(".so", name) - name);
        EXPECT_TRUE(allowed.count(library)) << line;
    }
    EXPECT_GE(needed, 2);

    const ToolRun symbols = RunTool("nm", {"-D", "--defined-only", AMPLIRO_LV2_MODULE});
    ASSERT_EQ(symbols.exitCode, 0) << symbols.output;
    std::istringstream defined(symbols.output);
    std::vector<std::string> names;
    while (std::getline(defined, line)) names.push_back(line.substr(line.rfind(' ') + 1));
    EXPECT_EQ(names, std::vector<std::string>{"lv2_descriptor"}) << symbols.output;
}

TEST_F(PluginInterfaceTest, RatesNoPedalRunsAtAreRefused) {
    for (double rate : {0.0, -44100.0, 999.0, 1e9, double(kNaN), double(kInf)}) {
        Instance instance(tremolo_, rate, {48, 32, 32});
        EXPECT_FALSE(instance.valid()) << rate;
    }
    Instance odd(tremolo_, 88200.4, {48, 32, 32});
    EXPECT_TRUE(odd.valid());
}

TEST_F(PluginInterfaceTest, DamagedAudioIsTakenAsTheNearestSample) {
    std::vector<float> damaged = Signal(44100, 4000);
    std::vector<float> clean = damaged;
    const float bad[] = {kNaN, kInf, -kInf, 2.0f, -3.5f, 1e30f, -kNaN};
    const float meant[] = {0.0f,  32767 / 32768.0f, -1.0f, 32767 / 32768.0f,
                           -1.0f, 32767 / 32768.0f, 0.0f};
    for (size_t i = 0; i < std::size(bad); ++i) {
        damaged[100 + 37 * i] = bad[i];
        clean[100 + 37 * i] = meant[i];
    }
    Instance a(tremolo_, 44100, {64, 32, 64});
    Instance b(tremolo_, 44100, {64, 32, 64});
    const std::vector<float> fromDamaged = a.Run(damaged, 256);
    EXPECT_EQ(fromDamaged, b.Run(clean, 256));
    for (float x : fromDamaged) ASSERT_TRUE(std::isfinite(x) && std::fabs(x) <= 1.0f);
}

TEST_F(PluginInterfaceTest, ControlsOutsideTheKnobsAreHeldToThem) {
    const std::vector<float> in = Signal(44100, 3000);
    Instance reference(tremolo_, 44100, {64, 64, 48});
    const std::vector<float> want = reference.Run(in, 3000);
    Instance odd(tremolo_, 44100, {500.0f, 1e9f, 47.6f});
    EXPECT_EQ(odd.Run(in, 3000), want);
    Instance low(tremolo_, 44100, {-3.0f, 0.0f, 0.0f});
    const std::vector<float> silent = low.Run(in, 3000);
    for (float x : silent) ASSERT_EQ(x, 0.0f);
}

TEST_F(PluginInterfaceTest, UnconnectedOrNaNControlsTakeTheKnobsDefaults) {
    const std::vector<float> in = Signal(44100, 3000);
    Instance defaults(tremolo_, 44100, {48, 32, 32});
    const std::vector<float> want = defaults.Run(in, 512);
    Instance unconnected(tremolo_, 44100, {kNaN, kNaN, kNaN});
    EXPECT_EQ(unconnected.Run(in, 512), want);
    Instance nan(tremolo_, 44100, {48, 32, 32});
    nan.Set(1, kNaN);
    EXPECT_EQ(nan.Run(in, 512), want);
}

TEST_F(PluginInterfaceTest, BlockSizesAndInPlaceBuffersChangeNoSample) {
    const std::vector<float> in = Signal(48000, 9000);
    Instance whole(tremolo_, 48000, {40, 20, 50});
    const std::vector<float> want = whole.Run(in, in.size());
    EXPECT_NE(want, in);
    for (size_t block : {size_t{1}, size_t{7}, size_t{255}, size_t{256}, size_t{4801}}) {
        Instance cut(tremolo_, 48000, {40, 20, 50});
        EXPECT_EQ(cut.Run(in, block), want) << block;
    }
    Instance inPlace(tremolo_, 48000, {40, 20, 50});
    EXPECT_EQ(inPlace.RunInPlace(in), want);
}

TEST_F(PluginInterfaceTest, ActivateStartsThePedalAfresh) {
    const std::vector<float> in = Signal(44100, 5000);
    Instance instance(tremolo_, 44100, {64, 17, 64});
    const std::vector<float> first = instance.Run(in, 300);
    EXPECT_NE(instance.Run(in, 300), first);  // the sweep has moved on
    instance.Activate();
    EXPECT_EQ(instance.Run(in, 300), first);
}

// The Phase Shifter's all-pass memories and the Delay's echoes outlive the
// units' own Init; a host's activate still gets a fresh pedal.
TEST_F(PluginInterfaceTest, ActivateForgetsFilterMemoriesAndEchoes) {
    const std::vector<float> in = Signal(44100, 30000);
    for (const char* slug : {"phaser", "delay"}) {
        const LV2_Descriptor* d = module_.Find(slug);
        ASSERT_NE(d, nullptr) << slug;
        Instance instance(d, 44100, {64, 20, 64, 48, 40});
        const std::vector<float> first = instance.Run(in, 512);
        instance.Activate();
        EXPECT_EQ(instance.Run(in, 512), first) << slug;
    }
}

TEST_F(PluginInterfaceTest, AControlChangeActsFromTheNextRun) {
    const std::vector<float> in = Signal(44100, 2000);
    Instance instance(tremolo_, 44100, {64, 32, 0});
    std::vector<float> head(in.begin(), in.begin() + 1000);
    std::vector<float> tail(in.begin() + 1000, in.end());
    EXPECT_EQ(instance.Run(head, 1000), head);  // depth 0 at level 64: the input
    instance.Set(0, 32);
    const std::vector<float> halved = instance.Run(tail, 1000);
    for (size_t i = 0; i < tail.size(); ++i) {
        const int32_t s = static_cast<int32_t>(std::lround(tail[i] * 32768));
        ASSERT_EQ(halved[i] * 32768, (s * 32) >> 6) << i;
    }
}

TEST_F(PluginInterfaceTest, RunWithoutAudioBuffersTouchesNothing) {
    Instance instance(tremolo_, 44100, {48, 32, 32});
    ASSERT_TRUE(instance.valid());
    const LV2_Descriptor* d = tremolo_;
    std::vector<float> out(64, 0.25f);
    // A fresh instance whose audio ports the host never connected.
    LV2_Handle bare = d->instantiate(d, 44100, "", nullptr);
    ASSERT_NE(bare, nullptr);
    d->activate(bare);
    d->run(bare, 64);
    d->connect_port(bare, 1, out.data());
    d->run(bare, 64);
    d->cleanup(bare);
    for (float x : out) EXPECT_EQ(x, 0.25f);
}

}  // namespace
}  // namespace ampliro::lv2test

namespace ampliro::lv2test {
namespace {

class PitchPluginTest : public PluginInterfaceTest {
  protected:
    void SetUp() override {
        PluginInterfaceTest::SetUp();
        pitch_ = module_.Find("pitch-shifter");
        ASSERT_NE(pitch_, nullptr);
    }
    const LV2_Descriptor* pitch_ = nullptr;
};

TEST_F(PitchPluginTest, TheOutputIsTheSameWhateverTheHostsBlocks) {
    const std::vector<float> in = Signal(44100, 20000);
    Instance whole(pitch_, 44100, {64, 7, 64, 300}, true);
    const std::vector<float> want = whole.Run(in, in.size());
    EXPECT_EQ(whole.latency(), 300.0f);
    for (size_t i = 0; i < 300; ++i) ASSERT_EQ(want[i], 0.0f) << i;
    // Past the first blocks, which pass dry until SoundTouch has a block
    // ready, the output is shifted: neither silent nor the input.
    std::vector<float> late(want.begin() + 12000, want.end());
    std::vector<float> source(in.begin() + 11700, in.end() - 300);
    EXPECT_NE(late, source);
    EXPECT_NE(late, std::vector<float>(late.size(), 0.0f));
    for (size_t block : {size_t{1}, size_t{299}, size_t{300}, size_t{1024}}) {
        Instance cut(pitch_, 44100, {64, 7, 64, 300}, true);
        EXPECT_EQ(cut.Run(in, block), want) << block;
    }
}

TEST_F(PitchPluginTest, TheBlockControlSetsTheReportedLatency) {
    // Longer than the longest block: each run passes a block boundary, where
    // a new size is taken.
    const std::vector<float> in = Signal(48000, 10000);
    Instance instance(pitch_, 48000, {48, 3, 32, 448}, true);
    instance.Run(in, 64);
    EXPECT_EQ(instance.latency(), 448.0f);
    instance.Set(3, 1e6f);
    instance.Run(in, 64);
    EXPECT_EQ(instance.latency(), 4800.0f);
    instance.Set(3, 0.0f);
    instance.Run(in, 64);
    EXPECT_EQ(instance.latency(), 16.0f);
    instance.Set(3, kNaN);
    instance.Run(in, 64);
    EXPECT_EQ(instance.latency(), 448.0f);
}

}  // namespace
}  // namespace ampliro::lv2test
