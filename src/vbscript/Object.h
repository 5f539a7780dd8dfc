// The interface of every object a script can hold: built-in objects (Err,
// Dictionary, RegExp, file objects), host objects added by the embedding
// program, and instances of script classes.
//
// Member access follows the automation model: a name (any case) is turned
// into a member id once, and calls go through the id. Callers cache the id per
// call site keyed by `memberKey()`, so a loop calling `d.Item(k)` resolves the
// name once. Id 0 is the default member; a negative id means no such member.
//
// Objects are reference counted (intrusively, held by Variant). When the last
// reference goes `lastReferenceGone()` runs; script classes use it for
// Class_Terminate.
#pragma once

#include "vbscript/Variant.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ravelin::vbs {

// What an access asks of a member; reads without arguments are both a call
// and a property get (`x = o.Count` and `o.Count` read alike).
enum InvokeKind : uint8_t {
    InvokeMethod = 1,
    InvokeGet = 2,
    InvokeLet = 4, // property assignment; the value is the last argument
    InvokeSet = 8, // Set o.P = obj; the object is the last argument
};

inline constexpr int DefaultMemberId = 0;
inline constexpr int NoMemberId = -1;

// For Each over an object: one value per call until `next` returns false.
class Enumerator {
public:
    virtual ~Enumerator() = default;
    virtual bool next(Variant& out) = 0;
};

class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    void addRef() noexcept { ++m_refs; }
    void release() noexcept
    {
        if (--m_refs == 0)
            lastReferenceGone();
    }
    uint32_t refCount() const noexcept { return m_refs; }

    // TypeName of the object ("Dictionary", "RegExp", a class name).
    virtual std::string typeName() const = 0;

    // Id of the named member, NoMemberId when there is none. The name may be in
    // any case.
    virtual int memberId(std::string_view name) const;

    // Identity of the id table for call-site caches: objects returning the
    // same key give the same id for the same name. nullptr disables caching.
    virtual const void* memberKey() const { return nullptr; }

    // Runs a member. Arguments are in source order; for InvokeLet/InvokeSet the
    // value is the last one. An argument passed ByRef from a variable can be
    // changed in place: the engine copies it back to the variable after the
    // call. Raises 438 for an unknown id, 450 for a wrong argument count.
    virtual Variant invoke(int id, InvokeKind kind, std::span<Variant> args);

    // For Each support: nullptr means "not a collection" (error 451).
    virtual std::unique_ptr<Enumerator> enumerate();

    // Names of the members for hosts that add an object's members to the
    // global name space; may be empty when the object resolves names lazily.
    virtual std::vector<std::string> memberNames() const { return {}; }

    // Lets go of every value the object holds; the engine calls it on objects
    // still alive when it resets, which only a reference cycle keeps alive.
    virtual void dropReferences() noexcept {}

protected:
    // Runs when the last reference is gone; the default deletes the object.
    virtual void lastReferenceGone() noexcept { delete this; }
    // Gives back a temporary reference taken inside lastReferenceGone.
    void dropReferenceQuietly() noexcept { --m_refs; }

private:
    uint32_t m_refs = 0;
};

// Intrusive pointer used by C++ code holding objects.
template <typename T>
class Ref {
public:
    Ref() = default;
    Ref(T* p) : m_p(p)
    {
        if (m_p)
            m_p->addRef();
    }
    Ref(const Ref& o) : m_p(o.m_p)
    {
        if (m_p)
            m_p->addRef();
    }
    Ref(Ref&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    template <typename U>
    Ref(const Ref<U>& o) : m_p(o.get())
    {
        if (m_p)
            m_p->addRef();
    }
    ~Ref()
    {
        if (m_p)
            m_p->release();
    }
    Ref& operator=(Ref o) noexcept
    {
        std::swap(m_p, o.m_p);
        return *this;
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

template <typename T, typename... A>
Ref<T> makeRef(A&&... a)
{
    return Ref<T>(new T(std::forward<A>(a)...));
}

// The objects of one engine that hold script values (and so can be part of a
// reference cycle). Shared, so an object the host keeps may outlive the engine.
class ObjectRegistry {
public:
    void add(Object* o) { m_live.insert(o); }
    void remove(Object* o) noexcept { m_live.erase(o); }
    const std::unordered_set<Object*>& live() const { return m_live; }

private:
    std::unordered_set<Object*> m_live;
};

// A case-insensitive name → id table for objects with a fixed set of members.
// Ids are given in the order of the names, starting at `firstId` (use 1 when
// id 0 is the default member declared separately).
class MemberTable {
public:
    MemberTable(std::initializer_list<std::string_view> names, int firstId = 1);
    int find(std::string_view name) const;
    const std::vector<std::string>& names() const { return m_names; }

private:
    std::unordered_map<std::string, int> m_ids;
    std::vector<std::string> m_names;
};

// Argument-count check shared by built-in objects (raises 450).
void expectArgs(std::span<Variant> args, size_t minimum, size_t maximum);

// Enumerates a vector of values (Dictionary keys, arguments lists...).
class VectorEnumerator : public Enumerator {
public:
    explicit VectorEnumerator(std::vector<Variant> items) : m_items(std::move(items)) {}
    bool next(Variant& out) override
    {
        if (m_pos >= m_items.size())
            return false;
        out = m_items[m_pos++];
        return true;
    }

private:
    std::vector<Variant> m_items;
    size_t m_pos = 0;
};

} // namespace ravelin::vbs
