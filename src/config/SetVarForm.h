// The logic of the "Set Variable" dialog (frmSetVar): the set command it
// sends and the current or default value it asks the server for.
//
// The command is the mode word, then the name and the value each in double
// quotes. The engine has no escape for a double quote, so a name or value
// holding one, or a `;` or a line break, would end the quoted argument and
// start a command of its own: such text is refused with a message and
// nothing is sent. Get Current and Get Default type the bare name, so there
// the name must also be free of blanks (a blank would turn the query into a
// set command).
#pragma once

#include "console/CvarProbe.h"
#include "platform/Dialogs.h"

#include <array>
#include <optional>
#include <string>

namespace ravelin {

class SetVarForm {
public:
    static constexpr std::array<const char*, 4> kModes = {"SetA", "SetS", "SetU", "Set"};
    static constexpr int kDefaultMode = 3;
    static constexpr const char* kUnsafeName =
        "The variable name cannot hold a double quote (\"), a semicolon (;) or a line break: "
        "the server would read the rest as a command of its own. Nothing was sent.";
    static constexpr const char* kUnsafeValue =
        "The value cannot hold a double quote (\"), a semicolon (;) or a line break: "
        "the server would read the rest as a command of its own. Nothing was sent.";
    static constexpr const char* kNoName = "Please enter a variable name.";
    static constexpr const char* kBadQueryName =
        "A variable name has no blanks, double quotes, semicolons or line breaks; the server was not asked.";

    SetVarForm(ConsoleBridge& bridge, CvarProbe& probe, Dialogs& dialogs, std::string strName, std::string strValue)
        : m_bridge(bridge), m_probe(probe), m_dialogs(dialogs), strName(std::move(strName)),
          strValue(std::move(strValue))
    {}

    // The command line Apply sends, or nothing (with the message said) when
    // the name or value could start another command.
    std::optional<std::string> applyLine(const std::string& mode, const std::string& name, const std::string& value);
    // Apply: sends the line; true when sent (the dialog then closes and the
    // table shows `value`).
    bool cmdApply_Click(const std::string& mode, const std::string& name, const std::string& value);
    // The value for the value box, or nothing when the name was refused.
    std::optional<std::string> cmdGetCurVal_Click(const std::string& name);
    std::optional<std::string> cmdDefault_Click(const std::string& name);

    bool applied() const { return m_applied; }
    const std::string& appliedValue() const { return m_appliedValue; }

private:
    std::optional<std::string> query(const std::string& name, bool current);

    ConsoleBridge& m_bridge;
    CvarProbe& m_probe;
    Dialogs& m_dialogs;
    bool m_applied = false;
    std::string m_appliedValue;

public:
    // What the window sets before showing the dialog.
    std::string strName;
    std::string strValue;
};

} // namespace ravelin
