// A small seeded generator whose sequence is the same on every platform and
// standard library, so a `--seed` run prints the same game every time
// (std::uniform_int_distribution is free to differ between libraries).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace q3sim {

class Random {
public:
    explicit Random(std::uint64_t seed = 0) : m_state(seed) {}

    // splitmix64: tiny, fast and well mixed enough for a game simulation.
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A number in [low, high]; low <= high.
    int range(int low, int high)
    {
        auto span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<int>(next() % span);
    }

    template <typename T>
    const T& pick(const std::vector<T>& items)
    {
        return items[next() % items.size()];
    }

    bool chance(int percent) { return range(1, 100) <= percent; }

private:
    std::uint64_t m_state;
};

} // namespace q3sim
