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
    enum class Presentation {
        Kiosk,  // a lock screen on every monitor, keyboard and pointer held while locked
        Plain,  // full screen without holding anything (the tests, the pictures)
        Window, // one lock screen in a normal window, to try the agent beside the console
    };
    AgentWindows(AgentCore& core, std::function<void()> sound, Presentation presentation,
                 QObject* parent = nullptr);
    ~AgentWindows() override;

    void show(const AgentView& view);

    LockScreen* mainLockScreen() const { return m_locks.empty() ? nullptr : m_locks.front().get(); }
    SessionPanel* panel() const { return m_panel.get(); }
    WarningWindow* warning() const { return m_warning.get(); }
    ChatWindow* chat() const { return m_chat.get(); }

signals:
    // The screen the customer sees changed: its window has painted itself (for whoever times
    // it).
    void screenShown(kestrel::agent::Screen screen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void coverScreens();
    void tickClock();

    AgentCore& m_core;
    Presentation m_presentation;
    bool m_grab;
    std::vector<std::unique_ptr<LockScreen>> m_locks;
    std::unique_ptr<SessionPanel> m_panel;
    std::unique_ptr<WarningWindow> m_warning;
    std::unique_ptr<ChatWindow> m_chat;
    QTimer m_clock;
    bool m_shown = false;
    Screen m_screen = Screen::Locked;
    QObject* m_painting = nullptr; // the window whose first paint tells the new screen is up
};

} // namespace kestrel::agent
