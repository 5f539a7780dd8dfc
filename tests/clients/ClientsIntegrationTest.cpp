// The players feature in the main window against q3sim in a real console
// host, the status query going over loopback UDP.
#include "mainwindow/HostedMainWindow.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <regex>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ClientsAgainstQ3simTest : HostedMainWindowTest {
    // q3sim's engine: 1.32 by default.
    virtual std::vector<std::string> engine() const { return {}; }

    void SetUp() override
    {
        std::vector<std::string> arguments = engine();
        for (const char* argument : {"+set", "net_port", "0", "--players", "Bob,^1Red^7Guy,Two Words"})
            arguments.emplace_back(argument);
        startServerAndWindow(arguments);
        // The activation reads the port through the probe; on a loaded
        // machine the load's own probe can still be answering then, and the
        // port is read again as the monitor would.
        if (!waitForQt([&] { return clients().query().ServerPort() > 0; }, 15000))
            clients().UpdateServerPort();
        ASSERT_GT(clients().query().ServerPort(), 0) << serverOutput();
        list = window->findChild<QListWidget*>("lstClients");
        ASSERT_NE(list, nullptr);
    }

    ClientsFeature& clients() { return window->session().clients(); }
    const std::vector<std::string>& rows() { return clients().roster().rows(); }

    void monitor()
    {
        auto* check = window->findChild<QCheckBox*>("chkClient");
        ASSERT_NE(check, nullptr);
        QTest::mouseClick(check, Qt::LeftButton);
        ASSERT_TRUE(check->isChecked());
        ASSERT_TRUE(waitForQt(
            [&] { return rosterSlot("Bob") >= 0 && rosterSlot("RedGuy") >= 0 && rosterSlot("Two Words") >= 0; }, 5000))
            << rows().size();
    }
    void select(const std::string& name)
    {
        const int index = rosterIndex(name);
        ASSERT_GE(index, 0) << name;
        list->setCurrentRow(index);
    }
    void click(const char* button)
    {
        auto* b = window->findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    QListWidget* list = nullptr;
};

// On both engines' forms: the ioq3 engine's STATUS table has other columns
// (`cl score ping name address rate`).
struct ClientsOnBothEnginesTest : ClientsAgainstQ3simTest, testing::WithParamInterface<bool> {
    std::vector<std::string> engine() const override
    {
        return GetParam() ? std::vector<std::string>{"--ioq3"} : std::vector<std::string>{};
    }
};

} // namespace

TEST_P(ClientsOnBothEnginesTest, JoinsAndLeavesFillAndEmptyTheRosterWithSlots)
{
    monitor();
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_EQ(list->count(), 3);
    const std::string bob = rows().at(std::size_t(rosterIndex("Bob")));
    EXPECT_TRUE(std::regex_match(bob, std::regex(R"([0-9]+ *\t[0-9]+ *\t[0-9]+ *\t"Bob")"))) << bob;

    window->ConsoleOut("addbot Sarge");
    ASSERT_TRUE(waitForQt([&] { return rosterSlot("Sarge") >= 0; }, 5000));
    const std::string slot = std::to_string(rosterSlot("Sarge"));
    EXPECT_NE(serverOutput().find("Sarge"), std::string::npos);

    window->ConsoleOut("clientkick " + slot);
    ASSERT_TRUE(waitForQt([&] { return rosterIndex("Sarge") < 0; }, 5000));
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_EQ(list->count(), 3);
    // The slots came from the table, read for Ravelin alone.
    EXPECT_EQ(serverOutput().find(GetParam() ? "cl score ping name" : "num score ping name"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Engines, ClientsOnBothEnginesTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "ioq3" : "q3"; });

TEST_F(ClientsAgainstQ3simTest, AKickedPlayerGoesAndABannedOneWhoComesBackIsKickedByTheSweep)
{
    monitor();
    select("Two Words");
    click("cmdKickClient");
    ASSERT_TRUE(waitForQt([&] { return rosterIndex("Two Words") < 0; }, 5000));
    EXPECT_NE(serverOutput().find("]Kick \"Two Words\""), std::string::npos);
    EXPECT_NE(serverOutput().find("Two Words was kicked"), std::string::npos) << serverOutput();
    EXPECT_EQ(list->count(), 2);

    select("Bob");
    dialogs.queuePrompt("");
    dialogs.queuePrompt("permanent");
    click("cmdBan");
    ASSERT_TRUE(waitForQt([&] { return rosterIndex("Bob") < 0; }, 5000));
    EXPECT_EQ(clients().admin().cBanned().entries(), std::vector<std::string>{"\"Bob\""});

    window->ConsoleOut("addbot Bob");
    const std::string said = "console: 'Bob' you are banned, dont let the door hit you in the ass on the way out...";
    // The sweep runs every ten seconds.
    ASSERT_TRUE(waitForQt([&] { return serverOutput().find(said) != std::string::npos; }, 25000)) << serverOutput();
    ASSERT_TRUE(waitForQt([&] { return rosterIndex("Bob") < 0; }, 5000));
    const std::string out = serverOutput();
    EXPECT_GT(out.find("Bob was kicked", out.find(said)), out.find(said));
}

// The prompt's answers are the admin logic's (AdminTest); here the page's
// controls follow a Yes and an uncheck, and scripts see the level.
TEST_F(ClientsAgainstQ3simTest, TheFilterSwitchEnablesItsLevelsAndScriptsSeeThem)
{
    auto* chkLang = window->findChild<QCheckBox*>("chkLang");
    auto* strong = window->findChild<QRadioButton*>("optLang1");
    ASSERT_NE(chkLang, nullptr);
    ASSERT_NE(strong, nullptr);
    window->imgTab_Click(4);
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    QTest::mouseClick(chkLang, Qt::LeftButton);
    EXPECT_TRUE(chkLang->isChecked());
    ASSERT_TRUE(strong->isEnabled());
    EXPECT_EQ(clients().admin().CHAT_FILTER_MODE(), 0);
    QTest::mouseClick(strong, Qt::LeftButton, {}, QPoint(8, strong->height() / 2));
    auto mode = window->scMain().eval("CHAT_FILTER_MODE");
    ASSERT_TRUE(mode.has_value());
    EXPECT_EQ(mode->toLong(), 1);

    QTest::mouseClick(chkLang, Qt::LeftButton);
    EXPECT_EQ(clients().admin().CHAT_FILTER_MODE(), -1);
    EXPECT_FALSE(strong->isEnabled());
    EXPECT_EQ(dialogs.asked().size(), 1u);
}
