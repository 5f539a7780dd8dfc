// The RegExp object (`New RegExp`, also CreateObject("VBScript.RegExp")) and
// the Matches, Match and SubMatches objects its Execute returns. A script's
// property writes (Pattern, IgnoreCase, Global, Multiline) go in; Test gives
// a Boolean, Execute a collection of matches, Replace the new text. The
// pattern language and matching are Regex's.
//
// Trade-off: the pattern is compiled when it is first used after a change
// and kept, so a filter loop calling Test on every line compiles once; a bad
// pattern is reported then (error 5017), not when it is assigned, as
// VBScript does. Execute builds all its Match objects at once: a
// collection is usually read in full right away.
#pragma once

#include "vbscript/Object.h"
#include "vbscript/Regex.h"

#include <memory>
#include <string>
#include <vector>

namespace ravelin::vbs {

class RegExpObject : public Object {
public:
    std::string typeName() const override { return "IRegExp2"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override;
    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override;
    std::vector<std::string> memberNames() const override;

private:
    const Regex& compiled();

    std::string m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiline = false;
    std::unique_ptr<Regex> m_regex; // null until used, and after a change
};

} // namespace ravelin::vbs
