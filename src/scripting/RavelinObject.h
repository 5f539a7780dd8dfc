// The host object "Ravelin": the main window's public operations, added to
// the script engine with its members global so scripts call them by bare
// name (ConsoleOut "status"). Which operation a name reaches, and with how
// many arguments, is one table in RavelinObject.cpp; operations join it as
// the parts of the window that own them are built.
#pragma once

#include "scripting/RavelinOperations.h"
#include "vbscript/ScriptControl.h"

namespace ravelin {

class RavelinObject final : public vbs::Object {
public:
    explicit RavelinObject(RavelinOperations& operations) : m_operations(operations) {}

    std::string typeName() const override { return "frmMain"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override;
    vbs::Variant invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;
    std::vector<std::string> memberNames() const override;

private:
    RavelinOperations& m_operations;
};

} // namespace ravelin
