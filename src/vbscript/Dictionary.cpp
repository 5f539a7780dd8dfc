// Scripting.Dictionary.
#include "vbscript/Dictionary.h"

#include "vbscript/Builtins.h"
#include "vbscript/Errors.h"

#include <cstring>

namespace ravelin::vbs {

namespace {

enum { Item = 0, Add = 1, Exists, Items, Keys, Key, Remove, RemoveAll, Count, CompareModeMember, ItemNamed };

const MemberTable& members()
{
    static const MemberTable table(
        {"Add", "Exists", "Items", "Keys", "Key", "Remove", "RemoveAll", "Count", "CompareMode", "Item"});
    return table;
}

Variant arrayOf(const std::vector<Variant>& items)
{
    ArrayRep* rep = newArray({static_cast<int32_t>(items.size()) - 1});
    for (size_t i = 0; i < items.size(); ++i)
        rep->data[i] = items[i];
    return Variant::array(rep);
}

} // namespace

Dictionary::Dictionary(std::shared_ptr<ObjectRegistry> registry) : m_registry(std::move(registry))
{
    if (m_registry)
        m_registry->add(this);
}

Dictionary::~Dictionary()
{
    if (m_registry)
        m_registry->remove(this);
}

// Values leave the dictionary before they are released: releasing one can
// run a Class_Terminate that uses this same dictionary.
void Dictionary::dropReferences() noexcept
{
    std::vector<Variant> keys, values;
    keys.swap(m_keys);
    values.swap(m_values);
    m_index.clear();
    m_lastKey.clear();
}

int Dictionary::memberId(std::string_view name) const
{
    int id = members().find(name);
    return id == ItemNamed ? Item : id;
}

const void* Dictionary::memberKey() const { return &members(); }

std::vector<std::string> Dictionary::memberNames() const { return members().names(); }

// The key's hash text is built in a buffer kept between calls: a lookup
// allocates nothing; only a new entry copies it.
const std::string& Dictionary::hashKey(const Variant& key) const
{
    std::string& h = m_scratch;
    h.clear();
    switch (key.type()) {
    case VT::String:
        h.push_back('s');
        if (m_mode == CompareMode::Binary) {
            h += key.rawString();
        } else {
            for (char c : key.rawString())
                h.push_back(foldCase(c));
        }
        return h;
    case VT::Object: {
        Object* o = key.rawObject();
        if (o == nullptr) {
            h = "o0";
            return h;
        }
        h.push_back('o');
        h.append(reinterpret_cast<const char*>(&o), sizeof o);
        return h;
    }
    case VT::Empty: h = "e"; return h;
    case VT::Null: h = "z"; return h;
    case VT::Array: raise(Err::TypeMismatch);
    default: {
        double d = key.toDouble();
        h.push_back('n');
        h.append(reinterpret_cast<const char*>(&d), sizeof d);
        return h;
    }
    }
}

size_t Dictionary::find(const Variant& key)
{
    if (key.isString() && m_lastKey.isString() && key.rawStringRep() == m_lastKey.rawStringRep())
        return m_lastIndex;
    auto it = m_index.find(hashKey(key));
    if (it == m_index.end())
        return std::string::npos;
    if (key.isString()) {
        m_lastKey = key;
        m_lastIndex = it->second;
    }
    return it->second;
}

Variant& Dictionary::itemFor(const Variant& key)
{
    size_t i = find(key);
    if (i != std::string::npos)
        return m_values[i];
    m_index.emplace(hashKey(key), m_keys.size());
    m_keys.push_back(key);
    m_values.emplace_back();
    return m_values.back();
}

void Dictionary::removeAt(size_t index)
{
    m_lastKey.clear(); // indices past this one move
    // Released when the dictionary is consistent again (see dropReferences).
    Variant key = std::move(m_keys[index]);
    Variant value = std::move(m_values[index]);
    m_keys.erase(m_keys.begin() + static_cast<std::ptrdiff_t>(index));
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(index));
    for (auto& [k, i] : m_index)
        if (i > index)
            --i;
}

Variant Dictionary::invoke(int id, InvokeKind kind, std::span<Variant> args)
{
    bool put = kind & (InvokeLet | InvokeSet);
    switch (id) {
    case Item: {
        if (put) {
            expectArgs(args, 2, 2);
            Variant key = args[0].isObject() && !(kind & InvokeSet) ? args[0] : args[0];
            Variant& slot = itemFor(key);
            if ((kind & InvokeLet) && args[1].isObject())
                slot = args[1].dereferenced();
            else
                slot = args[1];
            return {};
        }
        expectArgs(args, 1, 1);
        return itemFor(args[0]);
    }
    case Add: {
        expectArgs(args, 2, 2);
        const std::string& h = hashKey(args[0]);
        if (m_index.count(h))
            raise(Err::KeyExists);
        m_index.emplace(h, m_keys.size());
        m_keys.push_back(args[0]);
        m_values.push_back(args[1]);
        return {};
    }
    case Exists: expectArgs(args, 1, 1); return Variant::boolean(find(args[0]) != std::string::npos);
    case Items: expectArgs(args, 0, 0); return arrayOf(m_values);
    case Keys: expectArgs(args, 0, 0); return arrayOf(m_keys);
    case Key: {
        if (!put)
            raise(Err::NoSuchMember);
        expectArgs(args, 2, 2);
        std::string oldH = hashKey(args[0]);
        auto it = m_index.find(oldH);
        if (it == m_index.end())
            raise(Err::ElementNotFound);
        std::string newH = hashKey(args[1]);
        if (m_index.count(newH))
            raise(Err::KeyExists);
        size_t i = it->second;
        m_index.erase(it);
        m_index.emplace(std::move(newH), i);
        m_lastKey.clear();
        m_keys[i] = args[1];
        return {};
    }
    case Remove: {
        expectArgs(args, 1, 1);
        auto it = m_index.find(hashKey(args[0]));
        if (it == m_index.end())
            raise(Err::ElementNotFound);
        size_t i = it->second;
        m_index.erase(it);
        removeAt(i);
        return {};
    }
    case RemoveAll:
        expectArgs(args, 0, 0);
        dropReferences();
        return {};
    case Count:
        if (put)
            raise(Err::NoSuchMember);
        expectArgs(args, 0, 0);
        return Variant::longInt(static_cast<int32_t>(m_keys.size()));
    case CompareModeMember:
        if (put) {
            expectArgs(args, 1, 1);
            int32_t m = args[0].toLong();
            requireValid(m >= 0);
            if (!m_keys.empty())
                raise(Err::InvalidCall);
            m_mode = m == 0 ? CompareMode::Binary : CompareMode::Text;
            return {};
        }
        return Variant::longInt(m_mode == CompareMode::Binary ? 0 : 1);
    default: raise(Err::NoSuchMember);
    }
}

std::unique_ptr<Enumerator> Dictionary::enumerate() { return std::make_unique<VectorEnumerator>(m_keys); }

} // namespace ravelin::vbs
