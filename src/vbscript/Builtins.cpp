// The registry of built-ins and the shared argument helpers.
#include "vbscript/Builtins.h"

namespace ravelin::vbs {

void BuiltinRegistry::addFunctions(std::span<const BuiltinDef> table)
{
    for (const BuiltinDef& def : table) {
        std::string key = lowerCase(def.name);
        auto it = m_functionIndex.find(key);
        if (it != m_functionIndex.end()) {
            m_functions[static_cast<size_t>(it->second)] = &def; // a later family overrides
            continue;
        }
        m_functionIndex.emplace(std::move(key), static_cast<int>(m_functions.size()));
        m_functions.push_back(&def);
    }
}

void BuiltinRegistry::addConstant(std::string_view name, Variant value)
{
    std::string key = lowerCase(name);
    auto it = m_constantIndex.find(key);
    if (it != m_constantIndex.end()) {
        m_constants[static_cast<size_t>(it->second)] = std::move(value);
        return;
    }
    m_constantIndex.emplace(std::move(key), static_cast<int>(m_constants.size()));
    m_constants.push_back(std::move(value));
}

void BuiltinRegistry::addClass(std::string_view name, ObjectFactory factory) { m_classes[lowerCase(name)] = factory; }

void BuiltinRegistry::addProgId(std::string_view progId, ObjectFactory factory)
{
    m_progIds[lowerCase(progId)] = factory;
}

int BuiltinRegistry::functionIndex(std::string_view name) const
{
    auto it = m_functionIndex.find(lowerCase(name));
    return it == m_functionIndex.end() ? -1 : it->second;
}

int BuiltinRegistry::constantIndex(std::string_view name) const
{
    auto it = m_constantIndex.find(lowerCase(name));
    return it == m_constantIndex.end() ? -1 : it->second;
}

ObjectFactory BuiltinRegistry::classFactory(std::string_view name) const
{
    auto it = m_classes.find(lowerCase(name));
    return it == m_classes.end() ? nullptr : it->second;
}

ObjectFactory BuiltinRegistry::progIdFactory(std::string_view progId) const
{
    auto it = m_progIds.find(lowerCase(progId));
    return it == m_progIds.end() ? nullptr : it->second;
}

const BuiltinRegistry& BuiltinRegistry::standard()
{
    static const BuiltinRegistry registry = [] {
        BuiltinRegistry r;
#define RAVELIN_VBS_CALL_FAMILY(fn) fn(r);
        RAVELIN_VBS_BUILTIN_FAMILIES(RAVELIN_VBS_CALL_FAMILY)
#undef RAVELIN_VBS_CALL_FAMILY
        return r;
    }();
    return registry;
}

// Automation's "parameter not found" error value marks a skipped argument.
static constexpr int32_t ParamNotFound = static_cast<int32_t>(0x80020004u);

Variant missingArgument() { return Variant::error(ParamNotFound); }

bool isMissing(std::span<Variant> args, size_t i)
{
    return i >= args.size() || (args[i].type() == VT::Error && args[i].rawInt32() == ParamNotFound);
}

Variant argValue(std::span<Variant> args, size_t i)
{
    if (i >= args.size())
        return {};
    return args[i].dereferenced();
}

std::string argString(std::span<Variant> args, size_t i)
{
    if (i >= args.size())
        return {};
    return args[i].toString();
}

std::string_view argView(std::span<Variant> args, size_t i, std::string& scratch)
{
    if (i < args.size() && args[i].isString())
        return args[i].rawString();
    scratch = argString(args, i);
    return scratch;
}

int32_t argLong(std::span<Variant> args, size_t i)
{
    if (i >= args.size())
        return 0;
    return args[i].toLong();
}

double argDouble(std::span<Variant> args, size_t i)
{
    if (i >= args.size())
        return 0;
    return args[i].toDouble();
}

bool argBool(std::span<Variant> args, size_t i)
{
    if (i >= args.size())
        return false;
    return args[i].toBool();
}

int32_t argLongOr(std::span<Variant> args, size_t i, int32_t fallback)
{
    return hasArg(args, i) ? args[i].toLong() : fallback;
}

std::string argStringOr(std::span<Variant> args, size_t i, std::string fallback)
{
    return hasArg(args, i) ? args[i].toString() : fallback;
}

CompareMode argCompareMode(std::span<Variant> args, size_t i)
{
    if (!hasArg(args, i))
        return CompareMode::Binary;
    int32_t m = args[i].toLong();
    if (m < 0)
        raise(Err::InvalidCall);
    return m == 0 ? CompareMode::Binary : CompareMode::Text;
}

void requireValid(bool cond)
{
    if (!cond)
        raise(Err::InvalidCall);
}

} // namespace ravelin::vbs
