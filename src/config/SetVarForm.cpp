#include "config/SetVarForm.h"

namespace ravelin {

namespace {

bool breaksOut(const std::string& text) { return text.find_first_of("\";\r\n") != std::string::npos; }

} // namespace

std::optional<std::string> SetVarForm::applyLine(const std::string& mode, const std::string& name,
                                                 const std::string& value)
{
    if (name.empty()) {
        m_dialogs.messageBox(kNoName, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return std::nullopt;
    }
    if (breaksOut(name) || breaksOut(mode)) {
        m_dialogs.messageBox(kUnsafeName, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return std::nullopt;
    }
    if (breaksOut(value)) {
        m_dialogs.messageBox(kUnsafeValue, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return std::nullopt;
    }
    return mode + " \"" + name + "\" \"" + value + "\"";
}

bool SetVarForm::cmdApply_Click(const std::string& mode, const std::string& name, const std::string& value)
{
    auto line = applyLine(mode, name, value);
    if (!line)
        return false;
    m_bridge.SendConsoleCommand(*line);
    m_applied = true;
    m_appliedValue = value;
    return true;
}

std::optional<std::string> SetVarForm::query(const std::string& name, bool current)
{
    if (name.empty() || name.find_first_of(" \t\";\r\n") != std::string::npos) {
        m_dialogs.messageBox(kBadQueryName, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return std::nullopt;
    }
    const WindowHandle console = m_bridge.FindConsoleWindow();
    std::string answer = current ? m_probe.GetCvarValue(console, name) : m_probe.GetCvarDefault(console, name);
    m_bridge.loop().yield();
    return answer;
}

std::optional<std::string> SetVarForm::cmdGetCurVal_Click(const std::string& name) { return query(name, true); }

std::optional<std::string> SetVarForm::cmdDefault_Click(const std::string& name) { return query(name, false); }

} // namespace ravelin
