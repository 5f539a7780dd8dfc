#include "config/ExecReport.h"

#include <map>

namespace ravelin {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string firstWord(std::string_view text)
{
    const std::size_t end = text.find_first_of(" \t\\\"");
    return std::string(text.substr(0, end));
}

bool setsCvar(const ConfigCommand& command, std::string_view name)
{
    const std::string& word = command.words.front();
    if (namesCvarFirst(word))
        return command.words.size() > 1 && sameName(command.words[1], name);
    return sameName(word, name);
}

} // namespace

std::string unknownCommandName(std::string_view line)
{
    constexpr std::string_view k132 = "Unknown command \"";
    if (startsWith(line, k132)) {
        const std::string_view rest = line.substr(k132.size());
        const std::size_t quote = rest.find('"');
        return quote == std::string_view::npos ? std::string() : std::string(rest.substr(0, quote));
    }
    for (std::string_view prefix : {"unknown command: ", "broadcast: print \"server: "})
        if (startsWith(line, prefix))
            return firstWord(line.substr(prefix.size()));
    return {};
}

std::string refusedCvarName(std::string_view line)
{
    for (std::string_view suffix :
         {" is read only.", " is write protected.", " is cheat protected.", " will be changed upon restarting."})
        if (endsWith(line, suffix)) {
            const std::string_view name = line.substr(0, line.size() - suffix.size());
            if (!name.empty() && name.find(' ') == std::string_view::npos)
                return std::string(name);
        }
    return {};
}

std::vector<ExecOutputLine> readExecOutput(const std::vector<std::string>& output,
                                           const std::vector<ConfigLine>& syntax)
{
    std::map<std::string, int> seen; // reports so far per kind and name
    std::vector<ExecOutputLine> lines;
    lines.reserve(output.size());
    for (const std::string& text : output) {
        ExecOutputLine line;
        line.text = text;
        std::string name = unknownCommandName(text);
        if (!name.empty()) {
            line.kind = ExecOutputLine::Kind::UnknownCommand;
        } else {
            name = refusedCvarName(text);
            if (!name.empty())
                line.kind = ExecOutputLine::Kind::CvarRefused;
        }
        if (line.kind != ExecOutputLine::Kind::Plain) {
            line.name = name;
            const std::string key = (line.kind == ExecOutputLine::Kind::UnknownCommand ? "c:" : "v:") + lowerName(name);
            int wanted = seen[key]++;
            for (std::size_t i = 0; i < syntax.size() && line.fileLine < 0; ++i)
                for (const ConfigCommand& command : syntax[i].commands) {
                    const bool match = line.kind == ExecOutputLine::Kind::UnknownCommand
                        ? sameName(command.words.front(), name)
                        : setsCvar(command, name);
                    if (match && wanted-- == 0) {
                        line.fileLine = static_cast<int>(i);
                        break;
                    }
                }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace ravelin
