#include "linksender.h"

#include "core/operatorsession.h"
#include "stations/station.h"
#include "wire/wire.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

LinkSender::LinkSender(StationConnections& connections, const OperatorSession& session)
    : m_connections(connections), m_session(session)
{}

void LinkSender::SENDGEN(int index, const QString& keyword, const QString& payload)
{
    send(index, keyword, {payload});
}

void LinkSender::SENDMENSAJE(int index, const QString& text)
{
    send(index, m_session.has(Right::ChatWithServer) ? u"MSGBOX2"_s : u"MSGBOX"_s, {text});
}

void LinkSender::send(int index, const QString& keyword, const QStringList& fields)
{
    if (!m_connections.isConnected(index))
        return;
    m_connections.write(index, Wire::encode(Wire::message(keyword, fields)));
}

QStringList LinkSender::statusFields(const Station& station, const QString& currencySymbol)
{
    return {station.LSTCLWA, station.tiempo, currencySymbol + u' ' + station.sub, station.LSTIPS,
            station.usuario};
}

} // namespace kestrel
