// RegExp, Matches, Match and SubMatches.
#include "vbscript/RegExpObject.h"

#include "vbscript/Builtins.h"
#include "vbscript/Errors.h"

namespace ravelin::vbs {

namespace {

constexpr int kRegexSyntaxError = 5017;

bool isPut(InvokeKind kind) { return (kind & (InvokeLet | InvokeSet)) != 0; }

// The value of a property write, or the property's value for a read: a
// read-only member refuses writes with 438 like other objects do.
void readOnly(InvokeKind kind, std::span<Variant> args, size_t maxArgs)
{
    if (isPut(kind))
        raise(Err::NoSuchMember);
    expectArgs(args, 0, maxArgs);
}

// Index argument of Item: 0-based, error 5 when out of range.
size_t indexArg(std::span<Variant> args, size_t count)
{
    int32_t index = args[0].toLong();
    requireValid(index >= 0 && static_cast<size_t>(index) < count);
    return static_cast<size_t>(index);
}

// ---------------------------------------------------- Matches and SubMatches

// The two read-only collections a search hands out: the Matches of Execute
// (a Match each) and a Match's SubMatches (a string each, Empty for a group
// the match did not set). Item is the default member.
class ReadOnlyCollection : public Object {
public:
    ReadOnlyCollection(const char* typeName, std::vector<Variant> items)
        : m_typeName(typeName), m_items(std::move(items))
    {}

    std::string typeName() const override { return m_typeName; }
    int memberId(std::string_view name) const override { return table().find(name); }
    const void* memberKey() const override { return &table(); }
    std::vector<std::string> memberNames() const override { return table().names(); }

    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override
    {
        switch (id) {
        case DefaultMemberId: // Item
            readOnly(kind, args, 1);
            expectArgs(args, 1, 1);
            return m_items[indexArg(args, m_items.size())];
        case 1: // Count
            readOnly(kind, args, 0);
            return Variant::longInt(static_cast<int32_t>(m_items.size()));
        default: raise(Err::NoSuchMember);
        }
    }

    std::unique_ptr<Enumerator> enumerate() override { return std::make_unique<VectorEnumerator>(m_items); }

private:
    static const MemberTable& table()
    {
        static const MemberTable t({"Item", "Count"}, DefaultMemberId);
        return t;
    }

    const char* m_typeName;
    std::vector<Variant> m_items;
};

// ---------------------------------------------------------------- Match

class MatchObject : public Object {
public:
    MatchObject(std::string value, std::size_t firstIndex, std::vector<Variant> groups)
        : m_value(std::move(value)), m_firstIndex(firstIndex), m_groups(std::move(groups))
    {}

    std::string typeName() const override { return "IMatch2"; }
    int memberId(std::string_view name) const override { return table().find(name); }
    const void* memberKey() const override { return &table(); }
    std::vector<std::string> memberNames() const override { return table().names(); }

    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override
    {
        switch (id) {
        case DefaultMemberId: // Value
            readOnly(kind, args, 0);
            return Variant::string(m_value);
        case 1: // FirstIndex
            readOnly(kind, args, 0);
            return Variant::fromInt64(static_cast<int64_t>(m_firstIndex));
        case 2: // Length
            readOnly(kind, args, 0);
            return Variant::fromInt64(static_cast<int64_t>(m_value.size()));
        case 3: { // SubMatches; m.SubMatches(0) indexes the collection
            if (isPut(kind))
                raise(Err::NoSuchMember);
            Variant collection = Variant::object(new ReadOnlyCollection("ISubMatches", m_groups));
            if (args.empty())
                return collection;
            return collection.rawObject()->invoke(DefaultMemberId, kind, args);
        }
        default: raise(Err::NoSuchMember);
        }
    }

private:
    static const MemberTable& table()
    {
        static const MemberTable t({"Value", "FirstIndex", "Length", "SubMatches"}, DefaultMemberId);
        return t;
    }

    std::string m_value;
    std::size_t m_firstIndex;
    std::vector<Variant> m_groups;
};

Variant matchObject(std::string_view subject, const RegexMatch& m)
{
    std::vector<Variant> groups;
    groups.reserve(m.groupCount());
    for (std::size_t g = 1; g <= m.groupCount(); ++g)
        groups.push_back(m.groupSet(g) ? Variant::string(m.group(subject, g)) : Variant());
    return Variant::object(
        new MatchObject(std::string(subject.substr(m.start(), m.length())), m.start(), std::move(groups)));
}

// ---------------------------------------------------------------- RegExp

enum RegExpMember { Pattern = 1, IgnoreCase, Global, Multiline, Test, Execute, Replace };

const MemberTable& regExpMembers()
{
    static const MemberTable t({"Pattern", "IgnoreCase", "Global", "Multiline", "Test", "Execute", "Replace"});
    return t;
}

Ref<Object> createRegExp(Context&) { return Ref<Object>(new RegExpObject()); }

} // namespace

int RegExpObject::memberId(std::string_view name) const { return regExpMembers().find(name); }

const void* RegExpObject::memberKey() const { return &regExpMembers(); }

std::vector<std::string> RegExpObject::memberNames() const { return regExpMembers().names(); }

const Regex& RegExpObject::compiled()
{
    if (!m_regex) {
        auto result = Regex::compile(m_pattern, RegexFlags{m_ignoreCase, m_multiline});
        if (!result)
            raiseCustom(kRegexSyntaxError, "Syntax error in regular expression", std::string(RuntimeErrorSource));
        m_regex = std::move(result.regex);
    }
    return *m_regex;
}

Variant RegExpObject::invoke(int id, InvokeKind kind, std::span<Variant> args)
{
    // The three flags and the pattern: a write drops the compiled program.
    auto flag = [&](bool& field) -> Variant {
        if (isPut(kind)) {
            expectArgs(args, 1, 1);
            bool value = args[0].toBool();
            if (value != field)
                m_regex.reset();
            field = value;
            return {};
        }
        expectArgs(args, 0, 0);
        return Variant::boolean(field);
    };
    switch (id) {
    case Pattern:
        if (isPut(kind)) {
            expectArgs(args, 1, 1);
            m_pattern = args[0].toString();
            m_regex.reset();
            return {};
        }
        expectArgs(args, 0, 0);
        return Variant::string(m_pattern);
    case IgnoreCase: return flag(m_ignoreCase);
    case Global: return flag(m_global);
    case Multiline: return flag(m_multiline);
    case Test: {
        readOnly(kind, args, 1);
        expectArgs(args, 1, 1);
        std::string subject = args[0].toString();
        return Variant::boolean(compiled().test(subject));
    }
    case Execute: {
        readOnly(kind, args, 1);
        expectArgs(args, 1, 1);
        std::string subject = args[0].toString();
        const Regex& regex = compiled();
        std::vector<Variant> matches;
        if (m_global) {
            for (const RegexMatch& m : regex.searchAll(subject))
                matches.push_back(matchObject(subject, m));
        } else {
            RegexMatch m;
            if (regex.search(subject, 0, m))
                matches.push_back(matchObject(subject, m));
        }
        return Variant::object(new ReadOnlyCollection("IMatchCollection2", std::move(matches)));
    }
    case Replace: {
        readOnly(kind, args, 2);
        expectArgs(args, 2, 2);
        std::string subject = args[0].toString();
        std::string replacement = args[1].toString();
        return Variant::string(compiled().replace(subject, replacement, m_global));
    }
    default: raise(Err::NoSuchMember);
    }
}

void registerRegExp(BuiltinRegistry& registry)
{
    registry.addClass("RegExp", createRegExp);
    registry.addProgId("VBScript.RegExp", createRegExp);
}

} // namespace ravelin::vbs
