#include "clients/ClientRoster.h"

#include "clients/PlayerText.h"
#include "clients/StatusBlock.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace ravelin {

namespace {

bool isSlotNumber(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The fourth TAB field as it stands, or false for a row of fewer fields.
bool fourthField(std::string_view row, std::string_view& field)
{
    std::size_t at = 0;
    for (int tabs = 0; tabs < 3; ++tabs) {
        at = row.find('\t', at);
        if (at == std::string_view::npos)
            return false;
        ++at;
    }
    field = row.substr(at, row.find('\t', at) - at);
    return true;
}

std::string nameFieldOf(const std::string& row)
{
    std::string_view field;
    return fourthField(row, field) ? std::string(trimBlanks(field)) : std::string();
}

} // namespace

ClientRoster::ClientRoster(ConsoleBridge& bridge, StatusQuery& query) : m_bridge(bridge), m_query(query) {}

std::vector<std::string> ClientRoster::fieldsOf(const std::string& row)
{
    std::vector<std::string> fields;
    for (std::string_view f : SplitFields(row, '\t'))
        fields.emplace_back(f);
    return fields;
}

std::string ClientRoster::padded(std::string_view text, std::size_t width)
{
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

void ClientRoster::setRow(std::size_t index, std::string row)
{
    if (m_rows[index] == row)
        return;
    m_rows[index] = std::move(row);
    if (m_view)
        m_view->rosterChanged(static_cast<int>(index), m_rows[index]);
}

void ClientRoster::appendRow(std::string row)
{
    m_rows.push_back(std::move(row));
    if (m_view)
        m_view->rosterAppended(m_rows.back());
}

void ClientRoster::removeRow(std::size_t index)
{
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_view)
        m_view->rosterRemoved(static_cast<int>(index));
}

void ClientRoster::clear()
{
    while (!m_rows.empty())
        removeRow(m_rows.size() - 1);
    m_retryMs = kFirstRetryMs;
    m_nextRetryAt = 0;
}

void ClientRoster::UpdateClients()
{
    // Nothing below yields before the loop ends, so the reply's keys hold
    // for the whole loop.
    std::unordered_set<std::string> present;
    for (const std::string& line : m_query.StatusPlayers())
        present.insert(NameKey(line));
    bool refresh = false;
    bool unknownSlot = false;
    for (std::size_t i = 0; i < m_rows.size();) {
        const std::string_view row = m_rows[i];
        if (!isSlotNumber(trimBlanks(row.substr(0, row.find('\t')))))
            unknownSlot = true;
        if (present.count(nameFieldOf(m_rows[i])) > 0) {
            ++i;
        } else {
            removeRow(i);
            refresh = true;
        }
    }
    // A slot still unknown after a table was read is a player connecting:
    // the table is asked for again with a growing pause, not every second.
    const std::int64_t now = m_bridge.loop().nowMs();
    if (!unknownSlot) {
        m_retryMs = kFirstRetryMs;
    } else if (!refresh && now >= m_nextRetryAt) {
        refresh = true;
        m_nextRetryAt = now + m_retryMs;
        m_retryMs = std::min(m_retryMs * 2, kMaxRetryMs);
    }
    if (refresh)
        UpdateClientID();
    m_query.SendStatusQuery();
}

void ClientRoster::mergeStatusReply()
{
    // A copy: the rows may change under a later yield, the reply may not.
    const std::vector<std::string> players = m_query.StatusPlayers();
    // Row of each name field (rows of fewer than four fields, added by
    // scripts, name nobody); nothing yields until the loop ends.
    std::unordered_map<std::string, int> byName;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        std::string_view field;
        if (fourthField(m_rows[i], field))
            byName.emplace(std::string(field), static_cast<int>(i));
    }
    bool added = false;
    for (const std::string& line : players) {
        const std::vector<std::string_view> words = SplitWords(line);
        // A line of fewer than two words ends the merge; rows added so far
        // wait for the next pass to ask for their slots.
        if (words.size() < 2)
            return;
        const std::string name = NameKey(line);
        std::string tail = "\t" + padded(words[0], 5) + "\t" + padded(words[1], 4) + "\t" + name;
        const auto found = byName.find(name);
        const int at = found == byName.end() ? -1 : found->second;
        if (at >= 0) {
            const std::string& row = m_rows[static_cast<std::size_t>(at)];
            setRow(static_cast<std::size_t>(at), padded(row, 3) + tail);
        } else {
            appendRow("   " + tail);
            byName.emplace(name, static_cast<int>(m_rows.size() - 1));
            added = true;
        }
    }
    if (added)
        UpdateClientID();
}

void ClientRoster::UpdateClientID()
{
    CommandOutput output = m_bridge.ExecCommand(m_bridge.FindConsoleWindow(), "STATUS", ConsoleBridge::kExecTimeoutMs);
    if (!output.ok)
        return;
    // The block as the pump hands it on: the marker line's empty line first.
    std::string block = "\r\n";
    for (const std::string& line : output.lines)
        block += line + "\r\n";
    ParseStatusBlock(block);
}

// Each table row goes to the roster row whose name is the longest that
// stands in the row's name column, so "Two Words" gets its slot and "Two"
// does not take it.
void ClientRoster::ParseStatusBlock(const std::string& block)
{
    const StatusTable table = ravelin::ParseStatusBlock(block);
    for (const StatusTableRow& tableRow : table.rows) {
        const std::string column = StripConsoleColours(tableRow.nameColumn);
        int best = -1;
        std::size_t bestLength = 0;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            const std::string field = nameFieldOf(m_rows[i]);
            if (field.size() < 3 || field.front() != '"' || field.back() != '"')
                continue;
            const std::string name = StripConsoleColours(std::string_view(field).substr(1, field.size() - 2));
            if (name.size() > bestLength && NameColumnStartsWith(column, name)) {
                best = static_cast<int>(i);
                bestLength = name.size();
            }
        }
        if (best < 0)
            continue;
        const std::string& row = m_rows[static_cast<std::size_t>(best)];
        const std::string rest = row.size() > 3 ? row.substr(3) : std::string();
        setRow(static_cast<std::size_t>(best), padded(std::to_string(tableRow.slot), 3) + rest);
    }
}

void ClientRoster::AddClient(const std::string& xClient) { appendRow(xClient); }

void ClientRoster::RemoveClient(double clientId)
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        // The fields must outlive the view of the slot taken from them.
        const std::vector<std::string> fields = fieldsOf(m_rows[i]);
        const std::string_view slot = fields.empty() ? std::string_view() : trimBlanks(fields[0]);
        if (slot.empty())
            return;
        if (isSlotNumber(slot) && std::stod(std::string(slot)) == clientId) {
            removeRow(i);
            return;
        }
    }
}

void ClientRoster::DumpUser(const std::string& uid)
{
    m_bridge.SendConsoleCommand("echo \"START_USER_INFO\";dumpuser " + SafeArgument(uid) + ";echo \"END_USER_INFO\"");
}

} // namespace ravelin
