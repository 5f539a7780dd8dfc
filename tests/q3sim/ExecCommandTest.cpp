// exec: the home folder before the base folder, ".cfg" added, and a file
// that does not fit the engine's command buffer skipped whole, at the size
// each engine skips it (measured on OpenArena for ioq3).
#include "q3sim/Server.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct ExecCommand : testing::TestWithParam<bool> {
    ravelin::test::TempDir dir{"q3sim-exec"};
    std::vector<std::string> output;
    q3sim::Server server{[this](const std::string& line) { output.push_back(line); }, 1,
                         (dir.path() / "base").string()};

    ExecCommand()
    {
        server.startupSet("fs_homepath", (dir.path() / "home").string());
        server.finishStartupSets();
        server.setIoq3Forms(GetParam());
        server.spawnMap("q3dm17");
    }

    void write(const char* root, const std::string& name, const std::string& text)
    {
        std::filesystem::create_directories(dir.path() / root / "baseq3");
        std::ofstream(dir.path() / root / "baseq3" / name, std::ios::binary) << text;
    }

    std::vector<std::string> run(const std::string& text)
    {
        output.clear();
        server.executeText(text + "\n");
        return output;
    }
};

// A file of exactly `size` bytes whose last line echoes `word`.
std::string sized(std::size_t size, const std::string& word)
{
    const std::string tail = "\necho " + word + "\n";
    return std::string(size - tail.size(), '/') + tail;
}

} // namespace

TEST_P(ExecCommand, RunsTheHomeFileBeforeTheBaseOne)
{
    write("base", "server.cfg", "echo base\n");
    EXPECT_EQ(run("exec server"), (std::vector<std::string>{"execing server.cfg", "base"}));
    write("home", "server.cfg", "echo home;sv_hostname \"From Home\"\n");
    EXPECT_EQ(run("exec server.cfg"), (std::vector<std::string>{"execing server.cfg", "home"}));
    EXPECT_EQ(server.cvars().value("sv_hostname"), "From Home");
    EXPECT_EQ(run("exec missing"), (std::vector<std::string>{"couldn't exec missing.cfg"}));
    EXPECT_EQ(run("exec ../base/baseq3/server.cfg"),
              (std::vector<std::string>{"couldn't exec ../base/baseq3/server.cfg"}));
}

TEST_P(ExecCommand, AFileOverTheCommandBufferIsSkippedWhole)
{
    const std::size_t buffer = GetParam() ? 131072 : 16384;
    write("base", "fits.cfg", sized(buffer - 1, "fits"));
    write("base", "big.cfg", sized(buffer, "big"));
    EXPECT_EQ(run("exec fits").back(), "fits");
    EXPECT_EQ(run("exec big"), (std::vector<std::string>{"execing big.cfg", "Cbuf_InsertText overflowed"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, ExecCommand, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Ioq3" : "Quake3"; });
