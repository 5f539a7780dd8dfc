#include "platform/linux/ProcMemoryInfo.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {
constexpr std::uint64_t GiB = std::uint64_t{1} << 30;
}

TEST(ProcMemoryInfo, ReadsPhysicalAndSwapFiguresPast32BitsWithoutWrapping)
{
    // A 128 GB machine with 64 GB available and 8 GB of swap, half used.
    const char* meminfo = "MemTotal:       134217728 kB\n"
                          "MemFree:         1000000 kB\n"
                          "MemAvailable:    67108864 kB\n"
                          "Buffers:          123456 kB\n"
                          "SwapCached:            0 kB\n"
                          "SwapTotal:       8388608 kB\n"
                          "SwapFree:        4194304 kB\n";
    MemoryStatus s = parseMeminfo(meminfo);
    EXPECT_EQ(s.totalPhys, 128 * GiB);
    EXPECT_EQ(s.availPhys, 64 * GiB);
    EXPECT_EQ(s.availPhys / (1024 * 1024), 65536u) << "64 GB free says 65536 MB";
    EXPECT_EQ(s.memoryLoad, 50u);
    EXPECT_EQ(s.totalPageFile, 8 * GiB);
    EXPECT_EQ(s.availPageFile, 4 * GiB);
}

TEST(ProcMemoryInfo, OddTextGivesZerosNotGarbage)
{
    struct Case {
        const char* text;
        std::uint64_t total, avail;
        std::uint32_t load;
    };
    const Case cases[] = {
        {"", 0, 0, 0},
        // Old kernels have no MemAvailable: free memory stands in.
        {"MemTotal: 1000 kB\nMemFree: 250 kB\n", 1024000, 256000, 75},
        // A key inside another key's name is not that key.
        {"XMemTotal: 5 kB\nMemTotal: 10 kB\nMemAvailable: 10 kB\n", 10240, 10240, 0},
        // Available above total is clamped, unreadable numbers are 0.
        {"MemTotal: 10 kB\nMemAvailable: 20 kB\n", 10240, 10240, 0},
        {"MemTotal: lots kB\n", 0, 0, 0},
        {"MemTotal: 99999999999999999999 kB\n", 0, 0, 0},
    };
    for (const Case& c : cases) {
        MemoryStatus s = parseMeminfo(c.text);
        EXPECT_EQ(s.totalPhys, c.total) << c.text;
        EXPECT_EQ(s.availPhys, c.avail) << c.text;
        EXPECT_EQ(s.memoryLoad, c.load) << c.text;
    }
    EXPECT_EQ(parseVmSize("Name:\tx\nVmPeak:\t 300 kB\nVmSize:\t 200 kB\n"), 204800u);
}

TEST(ProcMemoryInfo, ThisMachineHasMemoryAndAnAddressSpace)
{
    MemoryStatus s = ProcMemoryInfo().status();
    EXPECT_GT(s.totalPhys, 0u);
    EXPECT_LE(s.availPhys, s.totalPhys);
    EXPECT_LE(s.memoryLoad, 100u);
    EXPECT_GT(s.totalVirtual, 0u);
    EXPECT_LT(s.availVirtual, s.totalVirtual) << "this process uses some of its address space";
}
