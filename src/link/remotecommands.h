#pragma once

#include <QObject>
#include <QString>

namespace kestrel {

class ActionStore;
class Clock;
class Journal;
class LinkSender;
class MessageList;
class Prompts;
class Settings;
class StationTable;

// What the operator does to the selected station: lock it, the agent commands of "&Puestos",
// the volume and the chat. Each call takes the selected station's index; -1 (no selection) or
// an index past the table does nothing. Every command but the lock is a message to the agent;
// the lock changes the station, and the agent learns it from the next status message.
class RemoteCommands final : public QObject {
    Q_OBJECT
public:
    struct Services {
        StationTable& stations;
        ActionStore& actions;
        LinkSender& link;
        Journal& journal;
        Settings& settings;
        Prompts& prompts;
        const Clock& clock;
        MessageList& messages;
    };

    // The agent commands of "&Puestos", each asked first.
    enum class AgentCommand { ClosePrograms, CloseAgent, CloseSession, Restart, ShutDown };

    explicit RemoteCommands(Services services, QObject* parent = nullptr);

    // Locks the station: ends whatever session it has; a counter session of a minute or more is
    // journalled. Station and journal row are committed together; false (and the station as it
    // was) when they could not be.
    bool LOCKPC(int index);
    // Locks the station as the toolbar and the shortcuts do: asks first when "questitolock" is "1".
    void LockPC2(int index);
    void send(int index, AgentCommand command);
    // Sends the shut-down command to every station, without asking.
    void Shutdownall();
    void setVolume(int index, int value);
    // Sends the operator's text and lists it. False (nothing done) without a station.
    bool chat(int index, const QString& text);
    void clearMessages();

signals:
    void stationCommandsChanged();

private:
    Services m_services;
};

} // namespace kestrel
