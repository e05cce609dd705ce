#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kestrel {

class OperatorSession;
struct Station;

// The stations' connections as the senders see them: station i's connection is at index i.
class StationConnections {
public:
    virtual ~StationConnections() = default;
    virtual bool isConnected(int index) const = 0;
    virtual void write(int index, const QByteArray& bytes) = 0;
};

// Everything the console sends to a station agent goes out here. A station whose connection is
// not open gets nothing: no queue, no retry, nothing reported.
class LinkSender {
public:
    LinkSender(StationConnections& connections, const OperatorSession& session);

    // Sends one message, keyword and payload ("keyword#LVX#payload#LVXF#"), to station index.
    void SENDGEN(int index, const QString& keyword, const QString& payload);
    // Sends the operator's chat line: "MSGBOX2" for an operator with the chat right, else "MSGBOX".
    void SENDMENSAJE(int index, const QString& text);
    // A message with several fields.
    void send(int index, const QString& keyword, const QStringList& fields);

    // The five fields of the periodic status message: state code, time, currency symbol and
    // running charge, address, customer.
    static QStringList statusFields(const Station& station, const QString& currencySymbol);

private:
    StationConnections& m_connections;
    const OperatorSession& m_session;
};

} // namespace kestrel
