// The version file and the update check's decisions, on a scripted download.
#include "launcher/VersionCheck.h"
#include "platform/sim/ScriptedDownload.h"
#include "platform/sim/SimServices.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

constexpr VersionNumber kRunning{1, 0, 448};

struct FileCase {
    const char* name;
    std::string bytes;
    bool valid;
    bool newer;
    const char* stored; // NextLoc afterwards; nullptr: unchanged
};

const FileCase kFiles[] = {
    {"same version, file next location", "1.0.448 http://x/r.zip file:///tmp/v.txt", true, false, nullptr},
    {"higher revision", "1.0.449 http://x/r.zip http://x/v.txt", true, true, "http://x/v.txt"},
    {"0.0.500 is older than 1.0.448", "0.0.500 http://x/r.zip http://x/v.txt", true, false, "http://x/v.txt"},
    {"higher major beats lower minor", "2.0.0 http://x/r.zip ftp://x/v.txt", true, true, "ftp://x/v.txt"},
    {"higher minor beats lower revision", "1.1.0 http://x/r.zip x", true, true, nullptr},
    {"lower minor, higher revision", "0.9.999 http://x/r.zip x", true, false, nullptr},
    {"capital HTTP is stored as written", "1.0.448 a HTTP://X/V.TXT", true, false, "HTTP://X/V.TXT"},
    {"https is stored", "1.0.448 a https://x/v.txt", true, false, "https://x/v.txt"},
    {"ftp: without a host is not", "1.0.448 a ftp:", true, false, nullptr},
    {"file: is not stored", "1.0.448 a file:///etc/v.txt", true, false, nullptr},
    {"a word beginning http is not a URL", "1.0.448 a httpx://y", true, false, nullptr},
    {"trailing line break", "1.0.449 http://x/r.zip http://x/v.txt\n", true, true, "http://x/v.txt"},
    {"trailing CR LF and blanks", "  1.0.449 http://x/r.zip http://x/v.txt \r\n", true, true, "http://x/v.txt"},
    {"two fields", "1.0.449 http://x/r.zip", false, false, nullptr},
    {"four fields", "1.0.449 a b c", false, false, nullptr},
    {"double blank makes an empty field", "1.0.449  a b", false, false, nullptr},
    {"fields on separate lines", "1.0.449\nhttp://x/r.zip\nhttp://x/v.txt", false, false, nullptr},
    {"empty file", "", false, false, nullptr},
    {"version not numbers", "1.0.beta http://x/r.zip http://x/v.txt", true, false, "http://x/v.txt"},
    {"version with two parts", "2.0 http://x/r.zip x", true, false, nullptr},
    {"version with a sign", "1.0.+449 http://x/r.zip x", true, false, nullptr},
    {"version overflowing 32 bits", "1.0.4294967296 http://x/r.zip x", true, false, nullptr},
    {"newer, but no web location to offer", "9.9.9 /usr/bin/xterm http://x/v.txt", true, false, "http://x/v.txt"},
    {"oversize", "1.0.449 http://x/r.zip http://x/v.txt" + std::string(kMaxVersionFileBytes, ' '), false, false,
     nullptr},
};

struct VersionCheckTest : testing::Test {
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    sim::ScriptedDownload download;
    std::vector<std::string> opened;
    std::vector<std::string> failures;
    std::vector<std::pair<double, double>> bar;
    int closed = 0;
    VersionCheck::Callbacks callbacks{
        [this](double m, double v) { bar.emplace_back(m, v); }, [this](const std::string& l) { opened.push_back(l); },
        [this] { ++closed; },
        [this](const std::string& text, const std::string& title) { failures.push_back(title + ": " + text); }};
    VersionCheck check{settings, dialogs, download, kRunning, callbacks};
};

class VersionFileCases : public VersionCheckTest, public testing::WithParamInterface<FileCase> {};

TEST_P(VersionFileCases, ParseCompareAndStore)
{
    const FileCase& c = GetParam();
    const auto file = parseVersionFile(c.bytes);
    ASSERT_EQ(file.has_value(), c.valid);

    settings.saveSetting("Ravelin", "Updates", "NextLoc", "http://x/first.txt");
    check.load();
    EXPECT_EQ(download.started, "http://x/first.txt");
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    download.complete(true, c.bytes);

    EXPECT_TRUE(check.finished());
    EXPECT_EQ(check.barValue(), check.barMaximum());
    if (!c.valid) {
        // Shown in the window, which stays open; no modal box holds anything up.
        EXPECT_EQ(failures, std::vector<std::string>{"Download Failure!: Failed to download update!"});
        EXPECT_TRUE(dialogs.asked().empty());
        EXPECT_EQ(closed, 0);
    } else if (c.newer) {
        ASSERT_EQ(dialogs.askedTexts(), std::vector<std::string>{VersionCheck::kNewer});
        EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Buttons::YesNo);
        EXPECT_EQ(opened, std::vector<std::string>{"http://x/r.zip"});
    } else {
        EXPECT_TRUE(dialogs.asked().empty());
        EXPECT_TRUE(opened.empty());
    }
    EXPECT_EQ(closed, c.valid ? 1 : 0);
    EXPECT_EQ(settings.getSetting("Ravelin", "Updates", "NextLoc", "-"), c.stored ? c.stored : "http://x/first.txt");
}

INSTANTIATE_TEST_SUITE_P(Table, VersionFileCases, testing::ValuesIn(kFiles),
                         [](const testing::TestParamInfo<FileCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST_F(VersionCheckTest, DownloadsFromTheStoredLocationOnly)
{
    for (const char* blank : {"", "  "}) {
        settings.saveSetting("Ravelin", "Updates", "NextLoc", blank);
        EXPECT_EQ(VersionCheck::configuredLocation(settings), "");
    }
    check.load(); // nothing configured: nothing fetched, nothing said
    EXPECT_EQ(download.started, "");
    EXPECT_TRUE(check.finished());
    EXPECT_TRUE(dialogs.asked().empty());

    settings.saveSetting("Ravelin", "Updates", "NextLoc", "ftp://mirror/ravelin/version.txt");
    VersionCheck configured(settings, dialogs, download, kRunning, {});
    configured.load();
    EXPECT_EQ(download.started, "ftp://mirror/ravelin/version.txt");
}

TEST_F(VersionCheckTest, ProgressFollowsExpectedBytesOrBytesReadAndCancelStops)
{
    settings.saveSetting("Ravelin", "Updates", "NextLoc", "http://x/v.txt");
    check.load();
    download.progress(100, 40);
    download.progress(0, 0);
    download.progress(0, 70);
    download.progress(10, 30); // more than announced
    const std::vector<std::pair<double, double>> expected{{101, 40}, {1, 0}, {71, 70}, {11, 11}};
    EXPECT_EQ(bar, expected);
    for (const auto& [maximum, value] : bar)
        EXPECT_LE(value, maximum);

    // Cancel stops the transfer and closes, once.
    check.cmdCancel_Click();
    EXPECT_TRUE(download.cancelled);
    EXPECT_EQ(closed, 1);
    download.complete(true, "1.0.449 https://x/r.zip https://x/v.txt");
    EXPECT_TRUE(dialogs.asked().empty());
    check.cmdCancel_Click();
    EXPECT_EQ(closed, 1);
}

TEST_F(VersionCheckTest, NoOpensNothingButStoresTheNextLocation)
{
    settings.saveSetting("Ravelin", "Updates", "NextLoc", "http://x/v.txt");
    check.load();
    download.complete(true, "1.0.449 https://x/r.zip https://x/v.txt"); // No is the scripted default
    EXPECT_EQ(dialogs.asked().size(), 1u);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(settings.getSetting("Ravelin", "Updates", "NextLoc", ""), "https://x/v.txt");
}

TEST_F(VersionCheckTest, FailedTransferIsAFailureEvenWithData)
{
    settings.saveSetting("Ravelin", "Updates", "NextLoc", "http://x/v.txt");
    callbacks.showFailure = {}; // no failure view given: the window just closes
    VersionCheck check(settings, dialogs, download, kRunning, callbacks);
    check.load();
    download.complete(false, "1.0.449 https://x/r.zip https://x/v.txt");
    EXPECT_TRUE(check.finished());
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(settings.getSetting("Ravelin", "Updates", "NextLoc", ""), "http://x/v.txt");
}

TEST(VersionNumberTest, ParsesThreeWholeNumbers)
{
    EXPECT_EQ(parseVersionNumber("1.0.448"), (VersionNumber{1, 0, 448}));
    EXPECT_EQ(parseVersionNumber("007.08.2147483647"), (VersionNumber{7, 8, 2147483647}));
    for (const char* bad : {"", "1", "1.0", "1.0.448.1", "1..448", ".0.448", "1.0.448 ", "-1.0.0", "1.0.x"})
        EXPECT_FALSE(parseVersionNumber(bad)) << bad;
}

} // namespace
