#pragma once

#include "agentsettings.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace kestrel::agent {

class SystemActions;

// What the station's screen shows.
enum class Screen {
    Locked,  // the lock screen with the account login
    Waiting, // the lock screen with the start button: the session waits for the customer
    Running, // the customer's desktop, with the small session panel
};

// Everything the windows show, in one value.
struct AgentView {
    Screen screen = Screen::Locked;
    QString cafeName;
    QString stationName;           // as the console lists it ("GETNAMEX"); empty until it answers
    QString time;                  // the session's time, counting up or what is left
    QString amount;                // "$ 0,25"
    QString user;                  // the account of the session, empty for a walk-in customer
    bool prepaid = false;          // the time is what is left
    QString loginRefusal;          // the console's refusal of the last login ("MSGBOX3")
    bool serverLost = false;       // no status for a while: "Sin conexión con el servidor"
    bool consoleConfigured = true; // false: only this computer may connect, and the screen says so

    bool operator==(const AgentView&) const = default;
};

// The agent's rules: from what the console sends to what the screen shows and what the agent
// does. No windows and no sockets: the link hands messages in, the windows call the customer's
// actions, and what goes out goes through `send`.
//
// The agent keeps no money and no time of its own: the console's status is the only record. It
// starts locked and stays so until a status says otherwise.
class AgentCore final : public QObject {
    Q_OBJECT
public:
    // No status for this long: the server is lost.
    static constexpr qint64 ServerTimeoutMs = 10000;
    // "SHOWF" that follow one another closer than this are one warning.
    static constexpr qint64 WarningRepeatMs = 60000;

    using Send = std::function<void(const QString& keyword, const QStringList& fields)>;
    struct Services {
        AgentSettings& settings;
        QString optionsFile; // where the lock options are kept
        SystemActions& actions;
        Send send;
        bool consoleConfigured = true; // false: only this computer may connect
    };

    explicit AgentCore(Services services, QObject* parent = nullptr);

    const AgentView& view() const { return m_view; }

    // The link's events; `nowMs` is a steady clock in milliseconds.
    void connected();
    void received(const QString& keyword, const QStringList& fields, qint64 nowMs);
    // Called about once a second with the steady clock: finds a lost server.
    void checkServer(qint64 nowMs);

    // The customer's actions on the windows.
    void logIn(const QString& user, const QString& password);
    void pressStart();
    void logOut();
    void answer(const QString& text);

    // A customer's text as it may go on the wire: the link's separators cannot be escaped, so
    // they are taken out.
    static QString wireSafe(QString text);

signals:
    void viewChanged(const AgentView& view);
    // "SHOWF": the time is nearly over.
    void warned();
    // "MSGBOX" (no answer) or "MSGBOX2" (a chat the customer can answer).
    void operatorMessage(const QString& text, bool canAnswer);
    // "5": the operator closes the agent.
    void quitRequested();

private:
    void status(const QStringList& fields, qint64 nowMs);
    void finish();
    void lockOptions(const QStringList& fields);
    void setView(const AgentView& view);

    Services m_services;
    AgentView m_view;
    qint64 m_lastStatusMs = -1;
    qint64 m_lastWarningMs = -1;
};

} // namespace kestrel::agent
