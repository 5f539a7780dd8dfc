// Kicks, bans, the ban sweep and the language filter switch.
#include "ClientsFixture.h"

using namespace ravelin;
using namespace ravelin::test;

TEST_F(ClientsTest, KickAndBanNeedASelectedRowWithAName)
{
    clients.admin().cmdKickClient_Click();
    clients.admin().cmdBan_Click();
    clients.roster().AddClient("no fields here");
    view.selected = 0;
    clients.admin().cmdKickClient_Click();
    ASSERT_EQ(dialogs.asked().size(), 3u);
    EXPECT_EQ(dialogs.asked()[0].text, "Select a user to kick first!");
    EXPECT_EQ(dialogs.asked()[1].text, "Select a user to ban first!");
    EXPECT_EQ(dialogs.asked()[2].text, ClientAdmin::kNoPlayerName);
    for (const auto& a : dialogs.asked()) {
        EXPECT_EQ(a.icon, Dialogs::Icon::Critical);
        EXPECT_EQ(a.title, "Quake 3: Ravelin");
    }
    EXPECT_TRUE(entered().empty());
    EXPECT_EQ(clients.admin().cBanned().Count(), 0);
}

TEST_F(ClientsTest, KickAndBanAddressThePlayerByNameField)
{
    reply({"1 1 \"^1Bob\"", "1 1 \"Eve\""});
    view.selected = 0;
    clients.admin().cmdKickClient_Click();
    EXPECT_EQ(entered().back(), "Kick \"Bob\"");
    view.selected = 1;
    ban();
    ban();
    EXPECT_EQ(entered().back(), "Kick \"Eve\"");
    EXPECT_EQ(clients.admin().cBanned().entries(), (std::vector<std::string>{"\"Eve\"", "\"Eve\""}));

    // Twice in the list: said and kicked twice in one sweep.
    markNow();
    clients.tmrBanned_Timer();
    EXPECT_EQ(newLines(),
              (std::vector<std::string>{"Say \"^2'Eve'" + kBanText + "\"", "Kick \"Eve\"",
                                        "Say \"^2'Eve'" + kBanText + "\"", "Kick \"Eve\""}));

    // Gone from the roster: the sweep has nobody to kick.
    reply({"1 1 \"^1Bob\""});
    clients.roster().UpdateClients();
    markNow();
    clients.tmrBanned_Timer();
    EXPECT_TRUE(newLines().empty());
}

TEST_F(ClientsTest, APlayersNameNeverStartsACommandOfItsOwn)
{
    // The name key already drops double quotes; a script's row can still
    // carry them, and a semicolon survives every key.
    reply({"1 1 \"Bob;quit\""});
    clients.roster().AddClient("   \t0    \t0   \t\"x\";quit;\"");
    view.selected = 0;
    ban();
    view.selected = 1;
    ban();
    markNow();
    clients.tmrBanned_Timer();
    // Each line one quoted argument, no semicolon: no command after it.
    EXPECT_EQ(newLines(),
              (std::vector<std::string>{"Say \"^2'Bob:quit'" + kBanText + "\"", "Kick \"Bob:quit\"",
                                        "Say \"^2'x':quit:'" + kBanText + "\"", "Kick \"x':quit:\""}));

    // With its slot known, a name that had to be cleaned is kicked by slot,
    // so the kick reaches the player.
    clients.roster().ParseStatusBlock("num score ping name\r\n  4     1    1 Bob;quit   0 bot\r\n");
    view.selected = 0;
    clients.admin().cmdKickClient_Click();
    EXPECT_EQ(entered().back(), "clientkick 4");

    clients.roster().DumpUser("1;quit");
    EXPECT_EQ(entered().back(), "echo \"START_USER_INFO\";dumpuser 1:quit;echo \"END_USER_INFO\"");
}

TEST_F(ClientsTest, TheSweepStopsWhenTheWindowCloses)
{
    reply({"1 1 \"A\"", "1 1 \"B\""});
    view.selected = 0;
    ban();
    view.selected = 1;
    ban();
    markNow();
    loop.post(1, [&] { unloading = true; });
    clients.tmrBanned_Timer();
    EXPECT_LE(newLines().size(), 1u);
    for (const std::string& line : newLines())
        EXPECT_EQ(line.rfind("Kick", 0), std::string::npos) << "no kick after the flag";
}

TEST_F(ClientsTest, TheFilterPromptsAndPublishesItsLevel)
{
    auto& admin = clients.admin();
    EXPECT_EQ(admin.CHAT_FILTER_MODE(), -1);

    struct Case {
        std::optional<Dialogs::Answer> answer; // none: the box closed without a choice
        bool on;
    } cases[] = {{Dialogs::Answer::No, false}, {std::nullopt, false}, {Dialogs::Answer::Yes, true}};
    for (const Case& c : cases) {
        dialogs.clear();
        if (c.answer)
            dialogs.queueAnswer(*c.answer);
        filter.checked = true;
        filter.option = 1;
        admin.chkLang_Click(true);
        ASSERT_EQ(dialogs.asked().size(), 1u);
        EXPECT_EQ(dialogs.asked()[0].title, "1st Amendment Violation");
        EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Buttons::YesNo);
        EXPECT_EQ(dialogs.asked()[0].icon, Dialogs::Icon::None);
        EXPECT_EQ(dialogs.asked()[0].text,
                  "You know that this game is meant for people over the age of 17,\r\nand that you are liberating "
                  "these poor people of their basic human\r\nfreedom of speech right?\r\n \r\nAre you ok with this?");
        EXPECT_EQ(filter.checked, c.on);
        EXPECT_EQ(filter.optionsEnabled, c.on);
        EXPECT_EQ(admin.CHAT_FILTER_MODE(), c.on ? 1 : -1);
    }
    admin.optLang_Click(2);
    EXPECT_EQ(admin.CHAT_FILTER_MODE(), 2);
    filter.checked = false;
    admin.chkLang_Click(false);
    EXPECT_FALSE(filter.optionsEnabled);
    EXPECT_EQ(admin.CHAT_FILTER_MODE(), -1);
}
