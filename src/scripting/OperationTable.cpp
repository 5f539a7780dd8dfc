#include "scripting/OperationTable.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace ravelin {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

void OperationTable::addMethod(std::string name, int minArgs, int maxArgs, Call call)
{
    add(Row{std::move(name), minArgs, maxArgs, std::move(call), {}});
}

void OperationTable::addProperty(std::string name, Call read, Assign assign)
{
    add(Row{std::move(name), 0, 0, std::move(read), std::move(assign)});
}

// A name listed twice would make the second row unreachable; that is a
// programming error, caught when the table is built.
void OperationTable::add(Row row)
{
    if (find(row.name) >= 0)
        throw std::logic_error("script operation listed twice: " + row.name);
    m_rows.push_back(std::move(row));
}

// The table is short and names are looked up once per call site.
int OperationTable::find(std::string_view name) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (sameName(m_rows[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> OperationTable::names() const
{
    std::vector<std::string> out;
    out.reserve(m_rows.size());
    for (const Row& r : m_rows)
        out.push_back(r.name);
    return out;
}

} // namespace ravelin
