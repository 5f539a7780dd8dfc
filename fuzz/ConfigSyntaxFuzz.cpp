// The config tokenizer, lint, exec report and lossless document on
// arbitrary file contents: spans stay inside their line, words inside
// their command, an unedited document gives back its bytes, and nothing
// crashes.
#include "config/ConfigDocument.h"
#include "config/ConfigLint.h"
#include "config/ConfigSyntax.h"
#include "config/ExecReport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ravelin::ConfigDocument document(bytes);
    if (document.bytesFor(document.lines()) != bytes)
        std::abort();
    const auto& lines = document.lines();
    const auto syntax = ravelin::tokenizeConfigLines(lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (const auto& span : syntax[i].spans)
            if (span.length == 0 || span.start + span.length > lines[i].size())
                std::abort();
        for (const auto& command : syntax[i].commands)
            if (command.words.empty() || command.words.size() != command.wordStarts.size()
                || command.end > lines[i].size())
                std::abort();
    }
    ravelin::ServerKnowledge knowledge;
    knowledge.addCvarList(lines);
    knowledge.addCmdList(lines);
    ravelin::LintOptions options;
    options.fileBytes = size;
    options.execBuffer = ravelin::kExecBuffer132;
    options.ioq3 = size % 2 == 0;
    for (const auto& finding : ravelin::lintConfig(lines, syntax, knowledge, options))
        if (finding.line < 0 || static_cast<std::size_t>(finding.line) >= lines.size())
            std::abort();
    for (const auto& line : ravelin::readExecOutput(lines, syntax))
        if (line.fileLine >= static_cast<int>(lines.size()))
            std::abort();
    // An edit in the middle keeps the rest: the document for the edited
    // lines reads back the same lines (an empty last line after a file
    // without a final line end is that line end, not a line).
    auto edited = lines;
    edited.insert(edited.begin() + static_cast<std::ptrdiff_t>(edited.size() / 2), "set edited 1");
    if (!edited.back().empty() && ravelin::ConfigDocument(document.bytesFor(edited)).lines() != edited)
        std::abort();
    return 0;
}
