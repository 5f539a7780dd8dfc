#include "clients/ClientAdmin.h"

#include "clients/PlayerText.h"

namespace ravelin {

ClientAdmin::ClientAdmin(ConsoleBridge& bridge, Dialogs& dialogs, ClientRoster& roster, WallClock& clock,
                         const bool& unloading)
    : m_bridge(bridge), m_dialogs(dialogs), m_roster(roster), m_unloading(unloading),
      m_banned(vbs::makeRef<BannedCollection>()), m_bans(bridge, *m_banned, clock, unloading)
{}

std::string ClientAdmin::kickCommand(const std::string& slotField, const std::string& nameField)
{
    const std::string_view slot = trimBlanks(slotField);
    const bool slotKnown = !slot.empty() && slot.find_first_not_of("0123456789") == std::string_view::npos;
    if (NameFieldNeedsCleaning(nameField) && slotKnown)
        return "clientkick " + std::string(slot);
    return "Kick " + SafeNameField(nameField);
}

// The name field's own double quotes become single ones inside the Say
// text; the look (name in colour 2, text in colour 1) stays.
std::string ClientAdmin::banMessage(const std::string& nameField)
{
    return "^2" + SafeArgument(nameField) + kBanMessage;
}

bool ClientAdmin::selectedRow(const char* noSelection, std::string& slot, std::string& name)
{
    const int index = m_rosterView ? m_rosterView->selectedClient() : -1;
    if (index < 0 || index >= static_cast<int>(m_roster.rows().size())) {
        m_dialogs.messageBox(noSelection, Dialogs::Buttons::Ok, Dialogs::Icon::Critical, kAppTitle);
        return false;
    }
    const std::vector<std::string> fields = ClientRoster::fieldsOf(m_roster.rows()[static_cast<std::size_t>(index)]);
    if (fields.size() < 4) {
        m_dialogs.messageBox(kNoPlayerName, Dialogs::Buttons::Ok, Dialogs::Icon::Critical, kAppTitle);
        return false;
    }
    slot = fields[0];
    name = fields[3];
    return true;
}

void ClientAdmin::cmdKickClient_Click()
{
    std::string slot, name;
    if (selectedRow(kSelectToKick, slot, name))
        m_bridge.SendConsoleCommand(kickCommand(slot, name));
}

std::optional<std::int64_t> ClientAdmin::askDuration(const std::string& current)
{
    for (;;) {
        const std::optional<std::string> text = m_dialogs.prompt(kBanDurationPrompt, kAppTitle, current);
        if (!text)
            return std::nullopt;
        if (const std::optional<std::int64_t> seconds = BanList::parseDuration(*text))
            return seconds;
        m_dialogs.messageBox(kBadDuration, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation, kAppTitle);
    }
}

void ClientAdmin::cmdBan_Click()
{
    std::string slot, name;
    if (!selectedRow(kSelectToBan, slot, name))
        return;
    const std::optional<std::string> reason = m_dialogs.prompt(kBanReasonPrompt, kAppTitle, "");
    if (!reason)
        return;
    const std::optional<std::int64_t> seconds = askDuration("permanent");
    if (!seconds)
        return;
    m_bans.banPlayer(slot, name, *reason, *seconds);
    m_bridge.SendConsoleCommand(kickCommand(slot, name));
}

void ClientAdmin::cmdUnban_Click(std::uint64_t id)
{
    if (!m_bans.list().find(id)) {
        m_dialogs.messageBox(kSelectBan, Dialogs::Buttons::Ok, Dialogs::Icon::Critical, kAppTitle);
        return;
    }
    m_bans.unban(id);
}

void ClientAdmin::cmdBanDuration_Click(std::uint64_t id)
{
    if (!m_bans.list().find(id)) {
        m_dialogs.messageBox(kSelectBan, Dialogs::Buttons::Ok, Dialogs::Icon::Critical, kAppTitle);
        return;
    }
    // The new duration counts from now.
    if (const std::optional<std::int64_t> seconds = askDuration("permanent"))
        m_bans.changeDuration(id, *seconds);
}

void ClientAdmin::sweep()
{
    if (m_unloading)
        return;
    m_bans.sweep();
    if (m_unloading)
        return;
    const int count = m_banned->Count();
    for (int i = 0; i < count && !m_unloading && i < m_banned->Count(); ++i) {
        const std::string entry = m_banned->entry(i);
        const std::string reason = m_bans.reasonOfEntry(i);
        // The rows are read afresh for each entry: the Say below yields.
        std::string slot;
        bool found = false;
        for (const std::string& row : m_roster.rows()) {
            std::vector<std::string> fields = ClientRoster::fieldsOf(row);
            if (fields.size() >= 4 && fields[3] == entry) {
                slot = fields[0];
                found = true;
                break;
            }
        }
        if (!found)
            continue;
        m_bridge.ConsoleSay(banMessage(entry) + (reason.empty() ? "" : " ^7(" + SafeArgument(reason) + ")"));
        if (m_unloading)
            return;
        m_bridge.SendConsoleCommand(kickCommand(slot, entry));
    }
}

void ClientAdmin::chkLang_Click(bool checked)
{
    if (checked) {
        const Dialogs::Answer answer =
            m_dialogs.messageBox(kFilterPrompt, Dialogs::Buttons::YesNo, Dialogs::Icon::None, kFilterTitle);
        if (answer != Dialogs::Answer::Yes) {
            // Unticking the box runs the unchecked branch, as a click would.
            if (m_filterView)
                m_filterView->setLanguageFilterChecked(false);
            chkLang_Click(false);
            return;
        }
        if (m_filterView) {
            m_filterView->setLanguageOptionsEnabled(true);
            m_chatFilterMode = static_cast<int16_t>(m_filterView->selectedLanguageOption());
        } else {
            m_chatFilterMode = 0;
        }
        return;
    }
    if (m_filterView)
        m_filterView->setLanguageOptionsEnabled(false);
    m_chatFilterMode = -1;
}

void ClientAdmin::optLang_Click(int index) { m_chatFilterMode = static_cast<int16_t>(index); }

} // namespace ravelin
