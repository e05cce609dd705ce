#include "remotecommands.h"

#include "journal/journal.h"
#include "core/clock.h"
#include "core/numbers.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/timetext.h"
#include "linksender.h"
#include "messagelist.h"
#include "stations/actionstore.h"
#include "stations/stationtable.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

struct AgentCommandText {
    QString prompt;
    QString token;
};

AgentCommandText commandText(RemoteCommands::AgentCommand command)
{
    using C = RemoteCommands::AgentCommand;
    switch (command) {
    case C::ClosePrograms:
        return {u"Cerrar programas abiertos ? en "_s, u"9"_s};
    case C::CloseAgent:
        return {u"Cerrar Vigilo en "_s, u"5"_s};
    case C::CloseSession:
        return {u"Cerrar sesion "_s, u"8"_s};
    case C::Restart:
        return {u"Reiniciar Puesto "_s, u"7"_s};
    case C::ShutDown:
        break;
    }
    return {u"Apagar Puesto "_s, u"6"_s};
}

} // namespace

RemoteCommands::RemoteCommands(Services services, QObject* parent)
    : QObject(parent), m_services(services)
{}

bool RemoteCommands::LOCKPC(int index)
{
    StationTable& stations = m_services.stations;
    if (!stations.isValidIndex(index))
        return false;
    const bool done = m_services.actions.run(
        u"bloquear el puesto "_s + stations.at(index).pc, [&](ActionStore::Action&) {
            const Station& s = stations.at(index);
            const auto elapsed = TimeText::fields(s.tiempo);
            if (s.modo == StationMode::Counter && elapsed &&
                (elapsed->hours > 0 || elapsed->minutes > 0)) {
                JournalRecord record{
                    {QString(), QString(), s.sub, s.usuario, s.pc, s.modo, QString()}};
                m_services.journal.ADDTOREG(record);
            }
            const QString zero = formatAmount(0);
            const bool restoreCounters = m_services.settings.restoreCountersOnLock();
            stations.update(index, [&](Station& st) {
                st.modo = StationMode::Free;
                st.tiempo = TimeText::zero();
                st.usuario.clear();
                st.sub = zero;
                st.vartipex = zero;
                st.vartipex2 = TimeText::zero();
                st.vartipex3 = TimeText::zero();
                st.LSTCLWA.clear();
                if (restoreCounters)
                    st.total = zero;
            });
        });
    // Inside a larger action (a charge) the commands follow once that one is done.
    if (done && !m_services.actions.inAction())
        emit stationCommandsChanged();
    return done;
}

void RemoteCommands::LockPC2(int index)
{
    if (!m_services.stations.isValidIndex(index))
        return;
    if (m_services.settings.askBeforeLock() &&
        !m_services.prompts.askYesNo(u"Desea bloquear ? \nPuesto :"_s +
                                     m_services.stations.at(index).pc))
        return;
    LOCKPC(index);
}

void RemoteCommands::send(int index, AgentCommand command)
{
    if (!m_services.stations.isValidIndex(index))
        return;
    const AgentCommandText text = commandText(command);
    if (m_services.prompts.askYesNo(text.prompt + m_services.stations.at(index).pc))
        m_services.link.SENDGEN(index, text.token, text.token);
}

void RemoteCommands::Shutdownall()
{
    for (int i = 0; i < m_services.stations.count(); ++i)
        m_services.link.SENDGEN(i, u"6"_s, u"6"_s);
}

void RemoteCommands::setVolume(int index, int value)
{
    if (m_services.stations.isValidIndex(index))
        m_services.link.SENDGEN(index, u"SETVOL"_s, QString::number(value));
}

bool RemoteCommands::chat(int index, const QString& text)
{
    if (!m_services.stations.isValidIndex(index))
        return false;
    m_services.link.SENDMENSAJE(index, text);
    m_services.messages.add(MessageList::sentPrefix() + m_services.stations.at(index).pc,
                            m_services.clock.now().time(), text);
    return true;
}

void RemoteCommands::clearMessages()
{
    m_services.messages.clear();
}

} // namespace kestrel
