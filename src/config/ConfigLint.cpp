#include "config/ConfigLint.h"

#include <algorithm>

namespace ravelin {

namespace {

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || (c >= 'A' && c <= 'Z');
}

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// How often `name` stands as a whole word in the file (any case).
int wordCount(const std::string& lowerText, const std::string& name)
{
    int count = 0;
    for (std::size_t at = lowerText.find(name); at != std::string::npos; at = lowerText.find(name, at + 1)) {
        const bool before = at == 0 || !isNameChar(lowerText[at - 1]);
        const std::size_t after = at + name.size();
        if (before && (after == lowerText.size() || !isNameChar(lowerText[after])))
            ++count;
    }
    return count;
}

bool isSet(std::string_view command)
{
    return sameName(command, "set") || sameName(command, "seta") || sameName(command, "sets")
        || sameName(command, "setu");
}

std::string withThousands(std::size_t n)
{
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

class Linter {
public:
    Linter(const std::vector<std::string>& lines, const std::vector<ConfigLine>& syntax,
           const ServerKnowledge& knowledge, const LintOptions& options)
        : m_lines(lines), m_syntax(syntax), m_knowledge(knowledge), m_options(options)
    {
        for (const std::string& line : lines)
            m_text += lowerName(line) + '\n';
        // Cvars the file makes itself count as known wherever it uses them.
        for (const ConfigLine& line : syntax)
            for (const ConfigCommand& command : line.commands)
                if (command.words.size() > 1 && isSet(command.words[0]))
                    m_ownCvars.insert(lowerName(command.words[1]));
    }

    std::vector<LintFinding> run()
    {
        checkSize();
        for (std::size_t i = 0; i < m_lines.size() && i < m_syntax.size(); ++i)
            checkLine(static_cast<int>(i), m_lines[i], m_syntax[i], i > 0 && m_syntax[i - 1].blockCommentOpen);
        std::stable_sort(m_found.begin(), m_found.end(),
                         [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
        return std::move(m_found);
    }

private:
    void add(int line, LintKind kind, std::string message, std::size_t start = 0, std::size_t length = 0)
    {
        m_found.push_back({line, kind, std::move(message), start, length});
    }

    // The file must fit with one byte to spare; the finding sits on the line
    // where it stops fitting.
    void checkSize()
    {
        if (m_options.fileBytes + 1 <= m_options.execBuffer)
            return;
        std::size_t bytes = 0;
        int line = 0;
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            bytes += m_lines[i].size() + 1;
            line = static_cast<int>(i);
            if (bytes + 1 > m_options.execBuffer)
                break;
        }
        add(line, LintKind::FileTooBig,
            "The file is " + withThousands(m_options.fileBytes) + " bytes; exec skips a file of more than "
                + withThousands(m_options.execBuffer - 1) + " bytes whole, so the server would run none of it.");
    }

    void checkLine(int index, const std::string& text, const ConfigLine& line, bool continuesComment)
    {
        checkLength(index, text, line);
        for (const ConfigCommand& command : line.commands)
            checkCommand(index, command);
        if (line.unbalancedQuote) {
            const std::size_t quote = text.rfind('"');
            add(index, LintKind::UnbalancedQuote,
                "This quote is never closed: the rest of the line, \";\" included, becomes one value.",
                quote == std::string::npos ? 0 : quote, text.size() - (quote == std::string::npos ? 0 : quote));
        }
        if (m_options.ioq3)
            return;
        if (line.blockCommentOpen && !continuesComment)
            add(index, LintKind::BlockCommentSpansLines,
                "This comment runs over several lines: Quake III 1.32 ends it at the line end and runs the lines "
                "inside it.");
        if (line.semicolonInComment)
            add(index, LintKind::SemicolonInComment,
                "Quake III 1.32 splits this comment at \";\" and runs what follows it.", text.find(';'), 1);
    }

    // The buffer cuts each command (the text between ";" outside quotes and
    // comments) at kCommandLineLimit - 1 characters.
    void checkLength(int index, const std::string& text, const ConfigLine& line)
    {
        if (text.size() < kCommandLineLimit)
            return;
        std::size_t start = 0;
        auto check = [&](std::size_t end) {
            if (end - start >= kCommandLineLimit)
                add(index, LintKind::LineTooLong,
                    "This command is " + withThousands(end - start) + " characters long; the server keeps the first "
                        + withThousands(kCommandLineLimit - 1) + " and loses the rest.",
                    start + kCommandLineLimit - 1, end - start - (kCommandLineLimit - 1));
        };
        for (const ConfigSpan& span : line.spans) {
            if (span.kind != ConfigSpanKind::Separator)
                continue;
            check(span.start);
            start = span.start + 1;
        }
        check(text.size());
    }

    void checkCommand(int index, const ConfigCommand& command)
    {
        const std::string& word = command.words.front();
        const std::size_t at = command.wordStarts.front();
        if (stopsServer(word)) {
            add(index, LintKind::StopsServer, "This line stops the server (" + word + ").", at, word.size());
            return;
        }
        if (m_knowledge.empty())
            return;
        if (namesCvarFirst(word)) {
            if (command.words.size() < 2)
                return;
            const std::string& name = command.words[1];
            const std::size_t nameAt = command.wordStarts[1];
            const ServerKnowledge::Cvar* cvar = m_knowledge.cvar(name);
            if (cvar && cvar->latched && !sameName(word, "vstr"))
                add(index, LintKind::LatchedCvar, cvar->name + " is latched: a new value takes effect at the next map.",
                    nameAt, name.size());
            else if (!cvar && !known(name))
                add(index, LintKind::UnknownCvar,
                    isSet(word) ? "The server has no cvar " + name + ": this line makes a new one (a typo?)."
                                : "The server has no cvar " + name + ".",
                    nameAt, name.size());
            return;
        }
        if (const ServerKnowledge::Cvar* cvar = m_knowledge.cvar(word)) {
            if (cvar->latched && command.words.size() > 1)
                add(index, LintKind::LatchedCvar, cvar->name + " is latched: a new value takes effect at the next map.",
                    at, word.size());
            return;
        }
        if (!m_knowledge.command(word) && !isBuiltinCommand(word) && !m_ownCvars.count(lowerName(word)))
            add(index, LintKind::UnknownCommand, "The server knows no command or cvar " + word + ".", at, word.size());
    }

    // A cvar the server lacks but the file uses elsewhere (a rotation's
    // variables, set here and run with vstr) is the file's own.
    bool known(const std::string& name) const { return wordCount(m_text, lowerName(name)) > 1; }

    const std::vector<std::string>& m_lines;
    const std::vector<ConfigLine>& m_syntax;
    const ServerKnowledge& m_knowledge;
    const LintOptions& m_options;
    std::string m_text;
    std::set<std::string> m_ownCvars;
    std::vector<LintFinding> m_found;
};

} // namespace

void ServerKnowledge::addCvar(const std::string& name, bool latched)
{
    if (name.empty())
        return;
    Cvar& cvar = m_cvars[lowerName(name)];
    cvar.name = name;
    cvar.latched = cvar.latched || latched;
}

void ServerKnowledge::addCvarList(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        const std::size_t quote = line.find('"');
        if (quote == std::string::npos || quote < 2 || line.back() != '"' || line[quote - 1] != ' ')
            continue;
        std::size_t nameEnd = quote - 1;
        std::size_t nameStart = line.find_last_of(' ', nameEnd - 1);
        nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
        if (nameStart >= nameEnd)
            continue;
        const std::string_view flags(line.data(), nameStart);
        const bool flagsOnly = std::all_of(flags.begin(), flags.end(), [](char c) {
            return c == ' ' || (c >= 'A' && c <= 'Z') || c == 's' || c == '?';
        });
        if (!flagsOnly)
            continue;
        const std::string name = line.substr(nameStart, nameEnd - nameStart);
        if (!std::all_of(name.begin(), name.end(), [](char c) { return !isBlank(c) && c != '"' && c != ';'; }))
            continue;
        addCvar(name, flags.find('L') != std::string_view::npos);
    }
}

void ServerKnowledge::addCmdList(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        if (line.empty() || line.size() > 64)
            continue;
        if (std::all_of(line.begin(), line.end(), [](char c) { return isNameChar(c) || c == '+' || c == '-'; }))
            m_commands.insert(lowerName(line));
    }
}

const ServerKnowledge::Cvar* ServerKnowledge::cvar(std::string_view name) const
{
    const auto it = m_cvars.find(lowerName(name));
    return it == m_cvars.end() ? nullptr : &it->second;
}

bool ServerKnowledge::command(std::string_view name) const { return m_commands.count(lowerName(name)) > 0; }

std::vector<std::string> ServerKnowledge::cvarNames() const
{
    std::vector<std::string> names;
    names.reserve(m_cvars.size());
    for (const auto& [key, cvar] : m_cvars)
        names.push_back(cvar.name);
    return names;
}

std::vector<LintFinding> lintConfig(const std::vector<std::string>& lines, const std::vector<ConfigLine>& syntax,
                                    const ServerKnowledge& knowledge, const LintOptions& options)
{
    return Linter(lines, syntax, knowledge, options).run();
}

} // namespace ravelin
