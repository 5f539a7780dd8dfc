// How console text becomes commands: the 256-byte read rule, ";" and
// quotes, and the engine's tokenizer.
#include "q3sim/CommandText.h"

#include <gtest/gtest.h>

using namespace q3sim;

namespace {

// Splits piped input into reads of at most 256 bytes, the way the engine
// sees a pipe that holds all of it.
std::vector<std::string> commandsFromPipe(const std::string& written)
{
    std::vector<std::string> commands;
    for (std::size_t at = 0; at < written.size(); at += kStdinReadSize) {
        auto text = pipedReadText(std::string_view(written).substr(at, kStdinReadSize));
        for (auto& line : splitCommands(text))
            commands.push_back(line);
    }
    return commands;
}

} // namespace

// Two commands in one read both run.
TEST(PipedInput, LastByteOfAReadIsTakenForTheLineEnd)
{
    EXPECT_EQ(pipedReadText("status\n"), "status\n");
    EXPECT_EQ(pipedReadText("status"), "statu\n");
    EXPECT_EQ(pipedReadText(""), "");
    EXPECT_EQ(commandsFromPipe("echo one\necho two\n"), (std::vector<std::string>{"echo one", "echo two"}));
}

TEST(PipedInput, CommandLongerThan255BytesIsCutAndLosesAByte)
{
    std::string longArg(300, 'x');
    auto commands = commandsFromPipe("echo " + longArg + "\n");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], "echo " + std::string(250, 'x'));
    // Byte 256 went with the first read; the rest arrives as its own line.
    EXPECT_EQ(commands[1], std::string(300 - 251, 'x'));
}

TEST(SplitCommands, SemicolonsOutsideQuotesSeparate)
{
    EXPECT_EQ(splitCommands("ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]"),
              (std::vector<std::string>{"ECHO [BEGIN STATUS]", "STATUS", "ECHO [END STATUS]"}));
    EXPECT_EQ(splitCommands("say \"a;b\";echo c"), (std::vector<std::string>{"say \"a;b\"", "echo c"}));
    EXPECT_EQ(splitCommands("echo a\r\necho b\n\n"), (std::vector<std::string>{"echo a", "echo b"}));
    // The quote count starts afresh on each line: an unclosed quote does not
    // swallow the commands of the next line.
    EXPECT_EQ(splitCommands("echo \"open\necho a;echo b"),
              (std::vector<std::string>{"echo \"open", "echo a", "echo b"}));
}

TEST(Tokenize, QuotesGroupAndBareWordsEndAtAQuote)
{
    EXPECT_EQ(tokenize("Set \"sv_hostname\" \"My Arena\""),
              (std::vector<std::string>{"Set", "sv_hostname", "My Arena"}));
    EXPECT_EQ(joinArgs(tokenize("Say \"^2\"Gargoyle\"^1 you are banned\"")), "^2 Gargoyle ^1 you are banned");
    EXPECT_EQ(tokenize("echo \"\""), (std::vector<std::string>{"echo", ""}));
    EXPECT_EQ(tokenize("echo \"unclosed text"), (std::vector<std::string>{"echo", "unclosed text"}));
    // Comments end the line or are skipped.
    EXPECT_EQ(tokenize("echo a // b"), (std::vector<std::string>{"echo", "a"}));
    EXPECT_EQ(tokenize("echo /* b */ c"), (std::vector<std::string>{"echo", "c"}));
    EXPECT_EQ(tokenize("writeconfig ..\\ravelin_tmp.cfg"),
              (std::vector<std::string>{"writeconfig", "..\\ravelin_tmp.cfg"}));
}
