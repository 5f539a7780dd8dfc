// The presets folder: what is listed, in which order, what is left out, and
// that a save never loses the file it replaces.
#include "config/PresetFolder.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace ravelin;
using ravelin::test::readFile;
using ravelin::test::TempDir;
using ravelin::test::writeFile;
namespace fs = std::filesystem;

namespace {

void writePreset(const fs::path& folder, const std::string& file, const std::string& display,
                 std::vector<std::string> commands = {"status||1000"})
{
    writeFile(folder / file, *encodePreset({display, file, std::move(commands)}));
}

std::vector<std::string> fileNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The process may write no file past `bytes` while this lives; a write past
// it fails with EFBIG (the signal that would end the process is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

TEST(PresetFolder, ListsEveryPresetInFileNameOrderAndSkipsBadFilesWithAReason)
{
    TempDir folder("ravelin-presets");
    const fs::path& dir = folder.path();
    writePreset(dir, "b.pst", "Same Name");
    writePreset(dir, "A.pst", "Same Name");
    writePreset(dir, ".pst", "/\\:?"); // a name made only of removed characters
    writePreset(dir, "upper.PST", "Upper"); // copied from a system that ignores case
    writeFile(dir / "cut.pst", encodePreset({"Cut", "cut", {"status||1000"}})->substr(0, 20));
    writeFile(dir / "foreign.pst", "PK\x03\x04 not a preset at all");
    writeFile(dir / "notes.txt", "not listed");
    fs::create_directory(dir / "folder.pst");

    const PresetListing listing = loadPresetListing(dir);
    EXPECT_EQ(listing.names, (std::vector<std::string>{"/\\:?", "Same Name", "Same Name", "Upper"}));
    ASSERT_EQ(listing.paths.size(), 4u);
    EXPECT_EQ(listing.paths[0].filename(), ".pst");
    EXPECT_EQ(listing.paths[1].filename(), "A.pst");
    EXPECT_EQ(listing.paths[2].filename(), "b.pst");
    ASSERT_EQ(listing.skipped.size(), 2u);
    EXPECT_NE(listing.skipped[0].find((dir / "cut.pst").string()), std::string::npos) << listing.skipped[0];
    EXPECT_NE(listing.skipped[1].find((dir / "foreign.pst").string()), std::string::npos) << listing.skipped[1];

    EXPECT_TRUE(loadPresetListing(dir / "missing").names.empty());
}

TEST(PresetFolder, SavingCreatesTheFolderAndReplacesAFileOfTheSameName)
{
    TempDir home("ravelin-presets");
    const fs::path dir = home.path() / "presets";
    const PresetRecord first{"Big Map Cycle", "Big_Map_Cycle", {"map q3dm17||60000"}};
    ASSERT_EQ(savePresetFile(dir, first), PresetSaveResult::Saved);
    EXPECT_EQ(readFile(dir / "Big_Map_Cycle.pst"), *encodePreset(first));

    // Another name that sanitizes alike replaces it.
    const PresetRecord second{"Big_Map Cycle", "Big_Map_Cycle", {"map q3dm6||1000", "NOP||500"}};
    ASSERT_EQ(savePresetFile(dir, second), PresetSaveResult::Saved);
    EXPECT_EQ(loadPresetListing(dir).names, std::vector<std::string>{"Big_Map Cycle"});
    EXPECT_EQ(fileNames(dir), std::vector<std::string>{"Big_Map_Cycle.pst"}) << "no temporary file is left";

    EXPECT_EQ(savePresetFile(dir, {std::string(70000, 'n'), "n", {"a||1"}}), PresetSaveResult::TooLong);
}

TEST(PresetFolder, AWriteThatFailsHalfwayLeavesTheOldFileAsItWas)
{
    TempDir home("ravelin-presets");
    const fs::path dir = home.path();
    const PresetRecord old{"Cycle", "Cycle", {"map q3dm17||60000"}};
    ASSERT_EQ(savePresetFile(dir, old), PresetSaveResult::Saved);

    // The new file is far larger than the process may write.
    const PresetRecord bigger{"Cycle", "Cycle", std::vector<std::string>(50, std::string(1000, 's') + "||1000")};
    std::string error;
    PresetSaveResult result{};
    {
        FileSizeLimit limit(8192);
        result = savePresetFile(dir, bigger, &error);
    }
    EXPECT_EQ(result, PresetSaveResult::WriteFailed);
    EXPECT_NE(error.find("Cycle.pst"), std::string::npos) << error;
    EXPECT_EQ(readFile(dir / "Cycle.pst"), *encodePreset(old));
    EXPECT_EQ(fileNames(dir), std::vector<std::string>{"Cycle.pst"}) << "the half-written file is removed";

    // A folder that cannot be made (a file is in the way) fails too.
    writeFile(dir / "blocked", "x");
    EXPECT_EQ(savePresetFile(dir / "blocked", old, &error), PresetSaveResult::WriteFailed);
}
