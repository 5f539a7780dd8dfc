// The command line as key sequences on a box made of plain members: what
// the box shows (text and selection), what reached the server, and the
// history, the popups and the settings.
#include "config/CommandLine.h"

#include "platform/sim/SimServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using namespace ravelin;

namespace {

// A line edit as far as the command line uses one.
struct FakeBox final : CommandLineView {
    std::string value;
    int start = 0;
    int length = 0;
    std::vector<PopupRow> historyRows;
    int historySelected = -1;
    bool historyShown = false;
    int intel = -1;
    int doskey = -1;

    std::string text() const override { return value; }
    void setText(const std::string& t) override
    {
        value = t;
        start = static_cast<int>(t.size());
        length = 0;
    }
    int selStart() const override { return start; }
    int selLength() const override { return length; }
    void setSelection(int s, int l) override
    {
        start = std::min(s, static_cast<int>(value.size()));
        length = std::max(0, std::min(l, static_cast<int>(value.size()) - start));
    }
    void replaceSelection(const std::string& t) override
    {
        value.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), t);
        start += static_cast<int>(t.size());
        length = 0;
    }
    void focusCommandLine() override {}
    void showHistoryPopup(const std::vector<PopupRow>& rows, int selected) override
    {
        historyRows = rows;
        historySelected = selected;
        historyShown = true;
    }
    void hideHistoryPopup() override { historyShown = false; }
    void showCommandPopup() override {}
    void hideCommandPopup() override {}
    void showIntellisense(int v) override { intel = v; }
    void showDosKey(int v) override { doskey = v; }
    std::string selected() const
    {
        return value.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    }
};

struct CommandLineTest : testing::Test {
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    std::vector<std::string> sent;
    int reports = 0;
    FakeBox box;
    std::unique_ptr<CommandLine> line;

    CommandLineTest() { reset(); }

    // A fresh command line (empty history) on the same box and store.
    CommandLine& reset()
    {
        line = std::make_unique<CommandLine>(
            settings, dialogs,
            CommandLine::Hooks{[this](const std::string& l) { sent.push_back(l); }, [this] { ++reports; }});
        line->setView(&box);
        box.setText("");
        sent.clear();
        return *line;
    }

    void setting(const char* key, const char* text) { settings.saveSetting(kSettingsApp, "Settings", key, text); }

    // One key as the box gets it: down, the character (unless swallowed),
    // the box's own editing, up.
    void key(int code, char character = 0)
    {
        const bool swallowed = line->txtOut_KeyDown(code);
        if (!swallowed && character && !line->txtOut_KeyPress(character))
            box.replaceSelection(std::string(1, character));
        if (!swallowed && code == CommandLine::kBackspace && box.start > 0) {
            box.value.erase(static_cast<std::size_t>(box.start - 1), 1);
            --box.start;
        }
        line->txtOut_KeyUp(code);
    }

    // Keys as an operator types them: plain characters, and {UP} {DOWN}
    // {BS} {DEL} {ENTER} {SHIFT} for the others.
    void type(const std::string& keys)
    {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] != '{') {
                key(0, keys[i]);
                continue;
            }
            const std::size_t end = keys.find('}', i);
            const std::string name = keys.substr(i + 1, end - i - 1);
            i = end;
            if (name == "ENTER")
                key(CommandLine::kEnter, '\r');
            else
                key(name == "UP"         ? CommandLine::kUp
                        : name == "DOWN" ? CommandLine::kDown
                        : name == "BS"   ? CommandLine::kBackspace
                        : name == "DEL"  ? CommandLine::kDelete
                                         : 16);
        }
    }
};

} // namespace

TEST_F(CommandLineTest, KeySequences)
{
    // History: lines entered first; text and selected: what the box then
    // shows and its selected tail.
    const struct {
        std::vector<std::string> history;
        const char *keys, *text, *selected, *intellisense = "1", *doskey = "1";
    } cases[] = {
        {{}, "se", "seta", "ta"}, // first list match in list order, not set
        {{}, "se{SHIFT}", "seta", "ta"}, // a stray key release keeps the completion
        {{}, "se{BS}", "s", ""}, // tail and one typed character go
        {{}, "s?a", "s?atus", "tus"}, // ? is a wildcard
        {{}, "RAM", "RAM_STATUS", "_STATUS"},
        {{}, "say hi", "say hi", ""},
        {{"map q3dm17", "map q3dm1"}, "map q3dm", "map q3dm17", "17"}, // oldest history match first
        {{"map q3dm17", "map q3dm1"}, "{UP}", "map q3dm17", "7"}, // recalled, completed on release
        {{"map q3dm17", "map q3dm1"}, "{UP}{UP}", "map q3dm17", ""},
        {{"map q3dm17", "map q3dm1"}, "{UP}{UP}{UP}", "map q3dm17", ""}, // nothing before the oldest
        {{"a1", "b2"}, "{UP}{UP}{DOWN}", "b2", ""},
        {{"a1", "b2"}, "{UP}{DOWN}", "", ""}, // past the newest: empty once
        {{"a1", "b2"}, "{UP}{DOWN}{DOWN}", "", ""},
        {{"a1", "b2"}, "{DOWN}", "", ""},
        {{}, "se", "se", "", "0"}, // Intellisense off: no completion
        {{"a1", "b2"}, "{UP}", "", "", "1", "0"}, // DosKey off: no browsing
        {{"map q3dm17"}, "MAP Q3DM17", "MAP Q3DM17", ""}, // differs only in case: left alone
        {{}, "xyz{DEL}", "xyz", ""},
        {{}, "say hi{ENTER}", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.history) + " / " + c.keys);
        reset();
        setting("Intellisense", c.intellisense);
        setting("DosKey", c.doskey);
        for (const std::string& entered : c.history)
            line->enter(entered);
        type(c.keys);
        EXPECT_EQ(box.value + "|" + box.selected(), c.text + std::string("|") + c.selected);
    }
}

TEST_F(CommandLineTest, EnterSendsRecordsRefusesAndRunsTheReport)
{
    type("say hi{ENTER}");
    type("{ENTER}"); // an empty line is sent and recorded too
    EXPECT_EQ(sent, (std::vector<std::string>{"say hi", ""}));
    EXPECT_EQ(line->CommandHistory(), (std::deque<std::string>{"say hi", ""}));
    EXPECT_EQ(line->HistoryPos(), 3);

    for (const char* refused : {"quit", " QUIT ", "say quitting time", "Quit"}) {
        dialogs.clear();
        line->enter(refused);
        ASSERT_EQ(dialogs.asked().size(), 1u) << refused;
        EXPECT_EQ(
            std::tie(dialogs.asked()[0].text, dialogs.asked()[0].title, dialogs.asked()[0].icon),
            std::make_tuple("Please use the 'STOP' or 'Quit' buttons!", "Action Failed", Dialogs::Icon::Critical));
    }
    for (const char* report : {"RAM_STATUS", "  ram_status  ", "Ram_Status"})
        line->enter(report);
    EXPECT_EQ(reports, 3);
    EXPECT_EQ(sent.size(), 2u) << "neither refused lines nor reports reach the server";
    EXPECT_EQ(std::make_tuple(box.value, line->HistoryPos()), std::make_tuple("", 3));
    EXPECT_EQ(line->CommandHistory().size(), 2u);
}

TEST_F(CommandLineTest, HistoryKeepsTheNewestHundredAndUpWalksThemAll)
{
    setting("Intellisense", "0");
    for (int i = 1; i <= 101; ++i)
        line->enter("echo " + std::to_string(i));
    ASSERT_EQ(line->CommandHistory().size(), 100u);
    EXPECT_EQ(line->CommandHistory().front(), "echo 2");
    type("{UP}");
    EXPECT_EQ(box.value, "echo 101");
    for (int i = 0; i < 99; ++i)
        type("{UP}");
    EXPECT_EQ(box.value, "echo 2");
    EXPECT_EQ(line->HistoryPos(), 1);
    type("{UP}");
    EXPECT_EQ(box.value, "echo 2");
}

// The command list popup: CvarsPageTest.
TEST_F(CommandLineTest, HistoryPopupClearsAndRecalls)
{
    line->enter("map q3dm17");
    line->enter("status");
    line->imgHistory_Click();
    ASSERT_TRUE(box.historyShown);
    std::vector<std::string> rows;
    for (const auto& r : box.historyRows)
        rows.push_back(r.text + "=" + std::to_string(r.itemData));
    EXPECT_EQ(rows, (std::vector<std::string>{"---- CLEAR LIST ----=1024", "map q3dm17=0", "status=0"}));
    EXPECT_EQ(box.historySelected, 2) << "the newest entry";

    line->lstHistory_Click(1, "map q3dm17", 0);
    EXPECT_FALSE(box.historyShown);
    EXPECT_EQ(std::make_tuple(box.value, line->HistoryPos()), std::make_tuple("map q3dm17", 3))
        << "a recall leaves the browse position";

    line->imgHistory_Click();
    line->lstHistory_Click(0, "---- CLEAR LIST ----", 1024);
    EXPECT_TRUE(line->CommandHistory().empty());
    line->imgHistory_Click();
    ASSERT_EQ(box.historyRows.size(), 1u);
    EXPECT_EQ(box.historySelected, 0);
    box.setText("");
    type("{UP}{DOWN}");
    EXPECT_EQ(box.value, "") << "nothing to browse after a clear";
}

TEST_F(CommandLineTest, SettingsAreStoredAsZeroOrOneAndMissingMeansOn)
{
    EXPECT_EQ(std::make_tuple(line->Intellisense(), line->DosKey()), std::make_tuple(1, 1));
    EXPECT_FALSE(settings.has(kSettingsApp, "Settings", "DosKey"));
    line->setIntellisense(0);
    EXPECT_EQ(std::make_tuple(settings.getSetting(kSettingsApp, "Settings", "Intellisense", ""), box.intel),
              std::make_tuple("0", 0));
    line->setDosKey(7);
    EXPECT_EQ(settings.getSetting(kSettingsApp, "Settings", "DosKey", ""), "1");
    setting("DosKey", "garbage");
    EXPECT_EQ(line->DosKey(), 1);
    // Activation writes both back and shows them.
    setting("DosKey", "0");
    box.intel = box.doskey = -1;
    line->applySettings();
    EXPECT_EQ(std::tie(box.doskey, box.intel), std::make_tuple(0, 0));
    EXPECT_EQ(settings.getSetting(kSettingsApp, "Settings", "Intellisense", ""), "0");

    line->txtOut_GotFocus();
    box.setText("abc");
    line->txtOut_GotFocus();
    EXPECT_EQ(box.selected(), "abc") << "focus selects the whole line";
}
