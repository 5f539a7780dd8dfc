// The host object "Ravelin": the session's operation table put before the
// script engine, with its members global so scripts call them by bare name
// (ConsoleOut "status"). The four operations every session has are added by
// addRavelinOperations; features add their own rows to the same table.
#pragma once

#include "scripting/OperationTable.h"
#include "scripting/RavelinOperations.h"
#include "vbscript/ScriptControl.h"

namespace ravelin {

// ConsoleOut, DebugPrint, InitScripts and sGetComputerName.
void addRavelinOperations(OperationTable& table, RavelinOperations& operations);

class RavelinObject final : public vbs::Object {
public:
    explicit RavelinObject(const OperationTable& table) : m_table(table) {}

    std::string typeName() const override { return "frmMain"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override { return &m_table; }
    vbs::Variant invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;
    std::vector<std::string> memberNames() const override { return m_table.names(); }

private:
    const OperationTable& m_table;
};

} // namespace ravelin
