#pragma once

#include "agent/agentcore.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace kestrel::agent {

class ChatWindow;
class LockScreen;
class SessionPanel;
class WarningWindow;

// The agent's windows, following the rules' view: the lock screens on every monitor (keyboard
// and pointer held by the main one) while the station is locked or waits for its customer; the
// session panel while it runs; the warning and the operator's messages above everything.
class AgentWindows final : public QObject {
    Q_OBJECT
public:
    // `grab`: hold the keyboard and the pointer while locked (not in the tests).
    AgentWindows(AgentCore& core, std::function<void()> sound, bool grab,
                 QObject* parent = nullptr);
    ~AgentWindows() override;

    void show(const AgentView& view);

    LockScreen* mainLockScreen() const { return m_locks.empty() ? nullptr : m_locks.front().get(); }
    SessionPanel* panel() const { return m_panel.get(); }
    WarningWindow* warning() const { return m_warning.get(); }
    ChatWindow* chat() const { return m_chat.get(); }

signals:
    // The screen the customer sees changed (for whoever times it).
    void screenShown(kestrel::agent::Screen screen);

private:
    void coverScreens();
    void tickClock();

    AgentCore& m_core;
    bool m_grab;
    std::vector<std::unique_ptr<LockScreen>> m_locks;
    std::unique_ptr<SessionPanel> m_panel;
    std::unique_ptr<WarningWindow> m_warning;
    std::unique_ptr<ChatWindow> m_chat;
    QTimer m_clock;
    bool m_shown = false;
    Screen m_screen = Screen::Locked;
};

} // namespace kestrel::agent
