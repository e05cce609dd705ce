#include "ui/console/shortcutkeys.h"

#include "core/operatorsession.h"
#include "core/prompts.h"
#include "core/virtualkeys.h"
#include "link/remotecommands.h"
#include "operators/shortcuts.h"
#include "stations/counters.h"
#include "stations/stationtable.h"
#include "tariffs/openstation.h"
#include "ui/console/consoledialogs.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// Keys typed into a text box (the chat line, the search box) are text: without Ctrl or Alt held
// they run no shortcut, even with a modifier remembered from before. `focus` is the console's own
// focused control, the one its keys go to: the application's may still be a dialog's that has
// just closed.
bool typedText(const QKeyEvent& event, const QWidget* focus)
{
    const bool textBox = qobject_cast<const QLineEdit*>(focus) ||
                         qobject_cast<const QTextEdit*>(focus) ||
                         qobject_cast<const QPlainTextEdit*>(focus);
    return textBox && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

ShortcutKeys::ShortcutKeys(ConsoleServices& services, ConsoleDialogs& dialogs,
                           std::function<int()> selectedStation, const QAction& addTime,
                           QWidget& window)
    : QObject(&window), m_services(services), m_dialogs(dialogs),
      m_selectedStation(std::move(selectedStation)), m_addTime(addTime), m_window(window)
{
    // The application's filter sees a key before any window or control does.
    qApp->installEventFilter(this);
}

ShortcutKeys::~ShortcutKeys()
{
    qApp->removeEventFilter(this);
}

void ShortcutKeys::Loadteclas()
{
    Shortcuts& shortcuts = m_services.shortcuts;
    if (!shortcuts.load(m_services.session.name()))
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudieron leer las combinaciones de teclas (Teclado):\n"_s +
                                    shortcuts.lastError());
}

bool ShortcutKeys::EvaluarKeys(const QString& keyCodes)
{
    const int action = m_services.shortcuts.evaluate(keyCodes);
    if (action < ShortcutAction::Habilitar || action > ShortcutAction::Vender)
        return false;
    run(action);
    return true;
}

// Shortcuts act like their buttons, with these differences: "Habilitar" beeps on a busy station,
// "Bloquear" only locks a busy one, and "Aumentar" follows its toolbar button's state.
void ShortcutKeys::run(int action)
{
    const int index = m_selectedStation();
    const bool valid = m_services.stations.isValidIndex(index);
    const bool busy = valid && !m_services.stations.at(index).modo.isEmpty();
    switch (action) {
    case ShortcutAction::Habilitar:
        if (valid && !busy)
            m_dialogs.SHOWPC(OpenMode::Open);
        else
            QApplication::beep();
        break;
    case ShortcutAction::Bloquear:
        if (busy)
            m_services.commands.LockPC2(index);
        break;
    case ShortcutAction::Cobrar:
        m_dialogs.showCharge();
        break;
    case ShortcutAction::Modo:
        if (valid)
            m_dialogs.SHOWPC(OpenMode::Modo);
        break;
    case ShortcutAction::Aumentar:
        if (valid && m_addTime.isEnabled())
            m_dialogs.SHOWPC(OpenMode::Increm);
        break;
    case ShortcutAction::Intercambiar:
        m_dialogs.Interchangepues();
        break;
    case ShortcutAction::Limpiar:
        clearStationCounters(m_services.stations, m_services.actions, index);
        break;
    case ShortcutAction::LimpiarTodo:
        clearFreeCounters(m_services.stations, m_services.actions);
        break;
    case ShortcutAction::Vender:
        m_dialogs.showSale();
        break;
    }
}

bool ShortcutKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // A shortcut of the operator's wins over the menus' and the focused control's use of it.
        if (m_window.isActiveWindow() && runsShortcut(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress && watched == m_window.windowHandle()) {
        // The window sees every key once, before the control with the focus does.
        return keyPressed(*static_cast<QKeyEvent*>(event));
    }
    return false;
}

bool ShortcutKeys::keyPressed(const QKeyEvent& event)
{
    const int code = virtualKeyCode(event.key());
    if (!code || event.isAutoRepeat())
        return false;
    m_services.capture.press(code);
    return !typedText(event, m_window.focusWidget()) && EvaluarKeys(m_services.capture.codeText());
}

bool ShortcutKeys::runsShortcut(const QKeyEvent& event) const
{
    const int code = virtualKeyCode(event.key());
    if (!code || typedText(event, m_window.focusWidget()))
        return false;
    KeyCapture next = m_services.capture;
    next.press(code);
    return m_services.shortcuts.evaluate(next.codeText()) != 0;
}

} // namespace kestrel
