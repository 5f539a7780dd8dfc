// Scripting.Dictionary: an insertion-ordered map from Variant keys to values.
//
// Keys are normalised into a hash key once (strings by text, folded when
// CompareMode is text; numbers by value; objects by identity), so lookups are
// one hash probe. Reading a missing key through Item adds it with Empty, as
// the original does; For Each runs over the keys in insertion order.
#pragma once

#include "vbscript/Object.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ravelin::vbs {

class Dictionary : public Object {
public:
    explicit Dictionary(std::shared_ptr<ObjectRegistry> registry = nullptr);
    ~Dictionary() override;
    void dropReferences() noexcept override;
    std::string typeName() const override { return "Dictionary"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override;
    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override;
    std::unique_ptr<Enumerator> enumerate() override;
    std::vector<std::string> memberNames() const override;

    size_t count() const { return m_keys.size(); }

private:
    const std::string& hashKey(const Variant& key) const; // valid until the next call
    size_t find(const Variant& key); // index of the key, npos when absent
    Variant& itemFor(const Variant& key); // adds Empty when absent
    void removeAt(size_t index);

    std::vector<Variant> m_keys;
    std::vector<Variant> m_values;
    std::unordered_map<std::string, size_t> m_index;
    CompareMode m_mode = CompareMode::Binary;
    std::shared_ptr<ObjectRegistry> m_registry;
    mutable std::string m_scratch; // hashKey's buffer
    // The last string key found and its index: a line handler asks Exists,
    // then reads and writes the same key. The key is held, so its (immutable)
    // block cannot come back as another text while it is remembered.
    Variant m_lastKey;
    size_t m_lastIndex = 0;
};

} // namespace ravelin::vbs
