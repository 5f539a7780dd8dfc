// The public operations of the main window as scripts see them: one row per
// name, each a method (with its argument counts) or a property (read, and
// assigned when it has a setter). The session fills the table once; every
// later feature adds its rows next to its own code, so exposing a new
// operation is a row, not a branch in the host object. RavelinObject puts the
// table before the engine under the name "Ravelin", every row also reachable
// by its bare name.
#pragma once

#include "vbscript/ScriptControl.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

class OperationTable {
public:
    using Args = std::span<vbs::Variant>;
    using Call = std::function<vbs::Variant(Args)>;
    using Assign = std::function<void(const vbs::Variant&)>;

    struct Row {
        std::string name;
        int minArgs = 0;
        int maxArgs = 0;
        Call call; // a method, or a property's read
        Assign assign; // a property's assignment; empty when read-only
    };

    // A method taking between minArgs and maxArgs arguments.
    void addMethod(std::string name, int minArgs, int maxArgs, Call call);
    // A property read without arguments; `assign` may be empty (read-only).
    void addProperty(std::string name, Call read, Assign assign = {});

    // Position of the named row (any case), -1 when there is none.
    int find(std::string_view name) const;
    const Row& row(int index) const { return m_rows[static_cast<std::size_t>(index)]; }
    int size() const { return static_cast<int>(m_rows.size()); }
    std::vector<std::string> names() const;

private:
    void add(Row row);

    std::vector<Row> m_rows;
};

} // namespace ravelin
