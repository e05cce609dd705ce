#include "agentwindows.h"

#include "lockscreen.h"
#include "notices.h"
#include "sessionpanel.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTime>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

AgentWindows::AgentWindows(AgentCore& core, std::function<void()> sound, Presentation presentation,
                           QObject* parent)
    : QObject(parent), m_core(core), m_presentation(presentation),
      m_grab(presentation == Presentation::Kiosk), m_panel(std::make_unique<SessionPanel>()),
      m_warning(std::make_unique<WarningWindow>(std::move(sound))),
      m_chat(std::make_unique<ChatWindow>())
{
    coverScreens();
    connect(&core, &AgentCore::viewChanged, this, &AgentWindows::show);
    connect(&core, &AgentCore::warned, this, [this] { m_warning->warn(m_core.view().time); });
    connect(&core, &AgentCore::operatorMessage, m_chat.get(), &ChatWindow::receive);
    connect(m_chat.get(), &ChatWindow::answered, &core, &AgentCore::answer);
    connect(m_panel.get(), &SessionPanel::logoutRequested, &core, &AgentCore::logOut);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this] {
        coverScreens();
        show(m_core.view());
    });
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &AgentWindows::tickClock);
    m_clock.start();
}

AgentWindows::~AgentWindows() = default;

// One lock screen on every monitor, the main one first (in a window: the main one alone).
void AgentWindows::coverScreens()
{
    QList<QScreen*> screens = QGuiApplication::screens();
    screens.removeOne(QGuiApplication::primaryScreen());
    screens.prepend(QGuiApplication::primaryScreen());
    const std::size_t wanted =
        m_presentation == Presentation::Window ? 1 : std::size_t(screens.size());
    while (m_locks.size() < wanted) {
        auto lock = std::make_unique<LockScreen>(m_locks.empty());
        if (m_locks.empty()) {
            connect(lock.get(), &LockScreen::loginRequested, &m_core, &AgentCore::logIn);
            connect(lock.get(), &LockScreen::startRequested, &m_core, &AgentCore::pressStart);
            if (m_presentation == Presentation::Window)
                lock->setWindowed();
        }
        m_locks.push_back(std::move(lock));
    }
    if (m_presentation != Presentation::Window)
        for (std::size_t i = 0; i < m_locks.size(); ++i)
            if (i < std::size_t(screens.size()) && screens[qsizetype(i)])
                m_locks[i]->setGeometry(screens[qsizetype(i)]->geometry());
    tickClock();
}

void AgentWindows::tickClock()
{
    const QString now = QTime::currentTime().toString(u"HH:mm"_s);
    for (const auto& lock : m_locks)
        lock->setClock(now);
}

void AgentWindows::show(const AgentView& view)
{
    const bool changed = !m_shown || m_screen != view.screen;
    const bool locked = view.screen != Screen::Running;
    if (locked) {
        for (const auto& lock : m_locks)
            lock->show(view);
        // A station's lock is put back above everything and held again at every status, in case
        // some window got above it; a lock in a window beside the console only when the screen
        // changes, so the console keeps the keyboard.
        if (changed || m_presentation == Presentation::Kiosk) {
            LockScreen* main = m_locks.front().get();
            main->raise();
            main->activateWindow();
            if (m_grab) {
                main->grabKeyboard();
                main->grabMouse();
            }
        }
        // The warning is about the session that just ended or changed: it goes with it.
        m_warning->hide();
        if (changed) {
            m_panel->hide();
            if (view.screen == Screen::Locked)
                m_locks.front()->userBox()->setFocus();
        }
    } else {
        if (changed) {
            if (m_grab) {
                m_locks.front()->releaseKeyboard();
                m_locks.front()->releaseMouse();
            }
            for (const auto& lock : m_locks) {
                lock->hide();
                lock->clearLogin();
            }
        }
        m_panel->show(view);
    }
    if (changed) {
        m_shown = true;
        m_screen = view.screen;
        if (m_painting)
            m_painting->removeEventFilter(this);
        m_painting = locked ? static_cast<QObject*>(m_locks.front().get()) : m_panel.get();
        m_painting->installEventFilter(this);
    }
}

bool AgentWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_painting && event->type() == QEvent::Paint) {
        m_painting->removeEventFilter(this);
        m_painting = nullptr;
        emit screenShown(m_screen);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kestrel::agent
