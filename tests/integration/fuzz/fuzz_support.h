// A seeded mutation fuzzer for the readers of outside data: seeds from the
// corpus in tests/integration/fuzz/corpus (hex text) and from the program's own
// resources, mutated the way damaged files come: flipped bits, bytes and
// words set to boundary values, cuts, insertions, repeats and splices. The
// seed of the random generator is fixed, so a failure repeats exactly.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace ampliro::testing {

using Bytes = std::vector<uint8_t>;

// A corpus file: hexadecimal byte pairs, spaces and newlines free, "#"
// starting a comment line.
inline Bytes ReadHexSeed(const std::string& name) {
    std::ifstream in(std::string(AMPLIRO_SOURCE_DIR) + "/tests/integration/fuzz/corpus/" + name);
    Bytes bytes;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '#') continue;
        std::string digits;
        for (char c : line)
            if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
        for (size_t i = 0; i + 1 < digits.size(); i += 2)
            bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// Inputs per reader: AMPLIRO_FUZZ_INPUTS when set (the sanitizer run of
// tools/test.sh sets it), else a quick default.
inline int FuzzInputs(int quick) {
    const char* set = std::getenv("AMPLIRO_FUZZ_INPUTS");
    const int n = set ? std::atoi(set) : 0;
    return n > 0 ? n : quick;
}

class Mutator {
  public:
    explicit Mutator(uint32_t seed) : random_(seed) {}

    Bytes Mutate(const std::vector<Bytes>& seeds) {
        Bytes data = seeds[Below(seeds.size())];
        const int steps = 1 + static_cast<int>(Below(4));
        for (int s = 0; s < steps; ++s) Step(data, seeds);
        return data;
    }

  private:
    size_t Below(size_t n) { return n == 0 ? 0 : random_() % n; }

    void Step(Bytes& data, const std::vector<Bytes>& seeds) {
        static constexpr uint32_t kWords[] = {0,          1,          0x7F,       0x80,
                                              0xFF,       0x7FFF,     0x8000,     0xFFFF,
                                              0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000};
        switch (Below(data.empty() ? 2 : 8)) {
            case 0:  // insert random bytes
                data.insert(data.begin() + static_cast<ptrdiff_t>(Below(data.size() + 1)),
                            1 + Below(16), static_cast<uint8_t>(random_()));
                break;
            case 1:  // splice: the head of this with the tail of another seed
            {
                const Bytes& other = seeds[Below(seeds.size())];
                const size_t cut = Below(data.size() + 1);
                data.resize(cut);
                const size_t from = Below(other.size() + 1);
                data.insert(data.end(), other.begin() + static_cast<ptrdiff_t>(from), other.end());
                break;
            }
            case 2:
                data[Below(data.size())] ^= static_cast<uint8_t>(1u << Below(8));
                break;
            case 3:
                data[Below(data.size())] = static_cast<uint8_t>(random_());
                break;
            case 4: {  // a boundary value over an aligned word
                const uint32_t w = kWords[Below(std::size(kWords))];
                const size_t at = Below(data.size()) & ~size_t{3};
                for (size_t k = 0; k < 4 && at + k < data.size(); ++k)
                    data[at + k] = static_cast<uint8_t>(w >> (8 * k));
                break;
            }
            case 5:  // cut short
                data.resize(Below(data.size()));
                break;
            case 6: {  // remove a range
                const size_t at = Below(data.size());
                const size_t n = std::min(data.size() - at, 1 + Below(32));
                data.erase(data.begin() + static_cast<ptrdiff_t>(at),
                           data.begin() + static_cast<ptrdiff_t>(at + n));
                break;
            }
            default: {  // repeat a range
                const size_t at = Below(data.size());
                const size_t n = std::min(data.size() - at, 1 + Below(64));
                const Bytes chunk(data.begin() + static_cast<ptrdiff_t>(at),
                                  data.begin() + static_cast<ptrdiff_t>(at + n));
                data.insert(data.begin() + static_cast<ptrdiff_t>(Below(data.size() + 1)),
                            chunk.begin(), chunk.end());
                break;
            }
        }
        if (data.size() > kLargest) data.resize(kLargest);
    }

    static constexpr size_t kLargest = 1 << 20;
    std::mt19937 random_;
};

// Runs the reader over the seeds themselves, then over inputs mutations of
// them; returns the number of inputs tried.
inline int Fuzz(const std::vector<Bytes>& seeds, int inputs, uint32_t seed,
                const std::function<void(const Bytes&)>& reader) {
    for (const Bytes& s : seeds) reader(s);
    Mutator mutator(seed);
    for (int i = 0; i < inputs; ++i) reader(mutator.Mutate(seeds));
    return inputs + static_cast<int>(seeds.size());
}

}  // namespace ampliro::testing
