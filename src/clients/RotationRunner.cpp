#include "clients/RotationRunner.h"

#include <charconv>

namespace ravelin {

RotationEntry splitRotationEntry(std::string_view entry)
{
    RotationEntry out;
    const std::size_t first = entry.find(kRotationSeparator);
    if (first == std::string_view::npos) {
        out.command = std::string(entry);
        return out;
    }
    out.command = std::string(entry.substr(0, first));
    std::string_view rest = entry.substr(first + 2);
    out.interval = std::string(rest.substr(0, rest.find(kRotationSeparator)));
    return out;
}

std::optional<int> rotationInterval(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value < 1 || value > kMaxRotationInterval)
        return std::nullopt;
    return value;
}

bool RotationRunner::start(const std::vector<std::string>& commands, std::string_view name)
{
    if (commands.empty())
        return false;
    m_entries.assign(1, std::string());
    m_entries.insert(m_entries.end(), commands.begin(), commands.end());
    m_selected = 0;
    if (m_hooks.showEntries)
        m_hooks.showEntries(m_entries);
    if (m_hooks.selectEntry)
        m_hooks.selectEntry(0);

    std::string bad;
    int badCount = 0;
    for (std::size_t i = 1; i < m_entries.size(); ++i)
        if (!rotationInterval(splitRotationEntry(m_entries[i]).interval)) {
            bad += (bad.empty() ? "" : ", ") + std::to_string(i);
            ++badCount;
        }
    if (badCount > 0 && m_hooks.debugPrint)
        m_hooks.debugPrint("Rotation \"" + std::string(name) + "\": " + (badCount == 1 ? "entry " : "entries ") + bad
                           + (badCount == 1 ? " has" : " have") + " no interval of 1 to 65535 ms; "
                           + std::to_string(kRotationStartInterval) + " ms is waited instead.");

    // Restarted from its starting interval even if it ran already, so the
    // first command always goes out one interval after Run.
    if (m_hooks.enableTimer)
        m_hooks.enableTimer(false);
    setInterval(kRotationStartInterval);
    m_running = true;
    if (m_hooks.enableTimer)
        m_hooks.enableTimer(true);
    return true;
}

void RotationRunner::step()
{
    if (m_unloading || !m_running || m_entries.size() < 2)
        return;
    const int last = static_cast<int>(m_entries.size()) - 1;
    m_selected = m_selected < last ? m_selected + 1 : 1;
    if (m_hooks.selectEntry)
        m_hooks.selectEntry(m_selected);
    if (m_unloading)
        return;
    const RotationEntry entry = splitRotationEntry(m_entries[static_cast<std::size_t>(m_selected)]);
    setInterval(rotationInterval(entry.interval).value_or(kRotationStartInterval));
    if (!m_unloading && entry.command != kRotationPlaceholder && m_hooks.send)
        m_hooks.send(entry.command);
}

void RotationRunner::stop()
{
    m_running = false;
    if (m_hooks.enableTimer)
        m_hooks.enableTimer(false);
    setInterval(kRotationStartInterval);
}

void RotationRunner::setInterval(int ms)
{
    m_interval = ms;
    if (m_hooks.setInterval)
        m_hooks.setInterval(ms);
}

} // namespace ravelin
