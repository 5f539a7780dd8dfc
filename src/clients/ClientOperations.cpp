// The players feature's rows of the operation table.
#include "clients/ClientsFeature.h"

namespace ravelin {

using vbs::Variant;

void ClientsFeature::registerOperations(OperationTable& table)
{
    using Args = OperationTable::Args;
    table.addProperty(
        "ServerPort", [this](Args) { return Variant::longInt(m_query.ServerPort()); },
        [this](const Variant& v) { m_query.setServerPort(v.toLong()); });
    table.addMethod("UpdateServerPort", 0, 0, [this](Args) {
        UpdateServerPort();
        return Variant();
    });
    table.addMethod("UpdateClients", 0, 0, [this](Args) {
        m_roster.UpdateClients();
        return Variant();
    });
    table.addMethod("UpdateClientID", 0, 0, [this](Args) {
        m_roster.UpdateClientID();
        return Variant();
    });
    table.addMethod("ClientCount", 0, 0, [this](Args) { return Variant::integer(m_roster.ClientCount()); });
    table.addMethod("AddClient", 1, 1, [this](Args a) {
        m_roster.AddClient(a[0].toText());
        return Variant();
    });
    table.addMethod("RemoveClient", 1, 1, [this](Args a) {
        m_roster.RemoveClient(a[0].toDouble());
        return Variant();
    });
    table.addMethod("DumpUser", 1, 1, [this](Args a) {
        m_roster.DumpUser(a[0].toText());
        return Variant();
    });
    // cBanned is the collection; cBanned(i) reads its entry i, as the
    // collection's default member would.
    table.addMethod("cBanned", 0, 1, [this](Args a) {
        if (a.empty())
            return Variant::object(m_admin.cBannedObject());
        return m_admin.cBannedObject()->invoke(vbs::DefaultMemberId, vbs::InvokeGet, a);
    });
    table.addProperty(
        "CHAT_FILTER_MODE", [this](Args) { return Variant::integer(m_admin.CHAT_FILTER_MODE()); },
        [this](const Variant& v) { m_admin.setChatFilterMode(v.toInteger()); });
}

} // namespace ravelin
