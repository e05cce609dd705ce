#pragma once

#include "core/preparedstatement.h"
#include "link/loginguard.h"

#include <QByteArray>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace kestrel {

class ActionStore;
class Clock;
class LinkSender;
class MessageList;
class StationTable;

// Carries out what a station agent asks. Every receive event is one message: keyword and fields
// cut at the separator. Nothing the agent sends is trusted: a message with a missing field or
// from a station that is not listed is ignored as a whole, extra fields are ignored, and names
// reach the store only as bound values. A start press, an account login and a logout change the
// station's session: each is written at once as one action, like the operator's. Wrong account
// passwords are counted (LoginGuard): an account under guess is held, and the operator told.
class RequestDispatcher final : public QObject {
    Q_OBJECT
public:
    struct Services {
        StationTable& stations;
        ActionStore& actions;
        QSqlDatabase db;
        LinkSender& link;
        MessageList& messages;
        const Clock& clock;
    };

    explicit RequestDispatcher(Services services, QObject* parent = nullptr);

    void dispatch(int index, const QString& text);
    // The bytes of one read, in the wire's code page.
    void dispatchBytes(int index, const QByteArray& bytes);

signals:
    // The enabled state of the station commands may have changed (EnDisOpc).
    void stationCommandsChanged();
    // The accounts table could not be read or written; the text is for the operator.
    void storeFailed(const QString& message);

private:
    // True when the message was handled to the end (the commands are then refreshed).
    bool startPress(int index);
    bool accountLogin(int index, const QString& user, const QString& password);
    void accountLogout(int index);

    Services m_services;
    PreparedStatement m_findAccount;
    PreparedStatement m_setPassword;
    LoginGuard m_guard;
};

} // namespace kestrel
