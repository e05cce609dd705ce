#include "agentcore.h"

#include "systemactions.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

namespace {

// "0:00:00", however many digits the hours take.
bool isZeroTime(const QString& time)
{
    return !time.isEmpty() &&
           std::all_of(time.begin(), time.end(), [](QChar c) { return c == u'0' || c == u':'; });
}

} // namespace

AgentCore::AgentCore(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services))
{
    m_view.cafeName = m_services.settings.cafeName;
    m_view.consoleConfigured = m_services.consoleConfigured;
}

QString AgentCore::wireSafe(QString text)
{
    // Again until none is left: taking one out may join the pieces of another.
    while (text.contains(u"#LVX"_s))
        text.remove(u"#LVX"_s);
    return text;
}

void AgentCore::setView(const AgentView& view)
{
    if (view == m_view)
        return;
    m_view = view;
    emit viewChanged(m_view);
}

void AgentCore::connected()
{
    // The name the console lists the station under, for the lock screen.
    m_services.send(u"GETNAMEX"_s, {});
}

void AgentCore::received(const QString& keyword, const QStringList& fields, qint64 nowMs)
{
    // As the console does with what the agents send: a message without the fields its handler
    // reads is ignored as a whole.
    static const QHash<QString, int> needs = {
        {u"SENDSTAT"_s, 5}, {u"GETNAMEX"_s, 1}, {u"MSGBOX3"_s, 1}, {u"MSGBOX"_s, 1},
        {u"MSGBOX2"_s, 1},  {u"SETVOL"_s, 1},   {u"BLOCKOPT"_s, 3}};
    if (fields.size() < needs.value(keyword, 0))
        return;
    const QString first = fields.value(0);
    if (keyword == u"SENDSTAT") {
        status(fields, nowMs);
    } else if (keyword == u"GETNAMEX") {
        AgentView v = m_view;
        v.stationName = first;
        setView(v);
    } else if (keyword == u"MSGBOX3") {
        AgentView v = m_view;
        v.loginRefusal = first;
        setView(v);
    } else if (keyword == u"SHOWF") {
        // The console repeats the warning every second for a while: one warning for the run.
        if (m_lastWarningMs < 0 || nowMs - m_lastWarningMs > WarningRepeatMs)
            emit warned();
        m_lastWarningMs = nowMs;
    } else if (keyword == u"FINISHT") {
        finish();
    } else if (keyword == u"MSGBOX" || keyword == u"MSGBOX2") {
        emit operatorMessage(first, keyword == u"MSGBOX2");
    } else if (keyword == u"SETVOL") {
        bool ok = false;
        const int volume = first.toInt(&ok);
        if (ok) // the console's volume bar runs from 0 to 100: a percentage as it is
            m_services.actions.setVolume(std::clamp(volume, 0, 100));
    } else if (keyword == u"BLOCKOPT") {
        lockOptions(fields);
    } else if (keyword == u"5") {
        emit quitRequested();
    } else if (keyword == u"6") {
        m_services.actions.shutDown();
    } else if (keyword == u"7") {
        m_services.actions.restart();
    } else if (keyword == u"8") {
        m_services.actions.endSession();
    } else if (keyword == u"9") {
        m_services.actions.closePrograms();
    }
}

void AgentCore::status(const QStringList& fields, qint64 nowMs)
{
    m_lastStatusMs = nowMs;
    const QString code = fields.value(0);
    AgentView v = m_view;
    v.serverLost = false;
    v.time = fields.value(1);
    v.amount = fields.value(2);
    v.user = fields.value(4);
    v.prepaid = code == u"3" || code == u"4";
    if (code == u"1")
        v.screen = Screen::Running;
    else if (code == u"2" || code == u"4")
        v.screen = Screen::Waiting;
    else if (code == u"3")
        // An account that logged out leaves a prepaid state with no time and no customer.
        v.screen = isZeroTime(v.time) && v.user.isEmpty() ? Screen::Locked : Screen::Running;
    else
        v.screen = Screen::Locked;
    if (v.screen != Screen::Locked)
        v.loginRefusal.clear();
    else
        m_lastWarningMs = -1; // the next session is warned afresh
    setView(v);
}

void AgentCore::checkServer(qint64 nowMs)
{
    if (m_lastStatusMs < 0)
        m_lastStatusMs = nowMs; // from the agent's start
    if (nowMs - m_lastStatusMs < ServerTimeoutMs || m_view.serverLost)
        return;
    AgentView v = m_view;
    v.serverLost = true;
    if (m_services.settings.lockWithoutServer)
        v.screen = Screen::Locked;
    setView(v);
}

void AgentCore::finish()
{
    AgentView v = m_view;
    v.screen = Screen::Locked;
    setView(v);
    switch (m_services.settings.lockAction) {
    case LockAction::LockOnly:
        break;
    case LockAction::ClosePrograms:
        m_services.actions.closePrograms();
        break;
    case LockAction::EndSession:
        m_services.actions.endSession();
        break;
    case LockAction::Restart:
        m_services.actions.restart();
        break;
    case LockAction::ShutDown:
        m_services.actions.shutDown();
        break;
    }
}

void AgentCore::lockOptions(const QStringList& fields)
{
    AgentSettings& s = m_services.settings;
    s.lockAction = lockActionOf(fields.value(0)).value_or(LockAction::LockOnly);
    s.startWithSystem = fields.value(1) == u"1";
    s.lockWithoutServer = fields.value(2) == u"1";
    m_services.actions.setAutostart(s.startWithSystem);
    if (!s.saveLockOptions(m_services.optionsFile))
        qWarning("no se pudieron guardar las opciones de bloqueo en %s",
                 qPrintable(m_services.optionsFile));
}

void AgentCore::logIn(const QString& user, const QString& password)
{
    if (m_view.screen != Screen::Locked || user.trimmed().isEmpty())
        return;
    m_services.send(u"GETSTART"_s, {wireSafe(user.trimmed()), wireSafe(password)});
}

void AgentCore::pressStart()
{
    if (m_view.screen == Screen::Waiting)
        m_services.send(u"GETSTART2"_s, {});
}

void AgentCore::logOut()
{
    if (m_view.screen == Screen::Running && !m_view.user.isEmpty())
        m_services.send(u"GETOUT"_s, {});
}

void AgentCore::answer(const QString& text)
{
    if (!text.trimmed().isEmpty())
        m_services.send(u"MSGBOX"_s, {wireSafe(text)});
}

} // namespace kestrel::agent
