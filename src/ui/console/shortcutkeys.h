#pragma once

#include "ui/console/consoleservices.h"

#include <QObject>

#include <functional>

class QAction;
class QKeyEvent;
class QWidget;

namespace kestrel {

class ConsoleDialogs;

// The console's shortcut keys: every key that goes down while the console is the active window
// is captured (KeyCapture), and a key that runs one of the operator's shortcuts is claimed
// before the menus' mnemonics and the focused control's own keys (Ctrl+C, Ctrl+A) can take it.
class ShortcutKeys final : public QObject {
    Q_OBJECT
public:
    // `addTime` is the toolbar's "Aumentar", whose state the shortcut follows.
    ShortcutKeys(ConsoleServices& services, ConsoleDialogs& dialogs,
                 std::function<int()> selectedStation, const QAction& addTime, QWidget& window);
    ~ShortcutKeys() override;

    // Loadteclas: the logged-in operator's shortcuts join those in force.
    void Loadteclas();
    // EvaluarKeys: runs the action the shortcuts bind to a key-code text ("17+65"); false when
    // none is bound.
    bool EvaluarKeys(const QString& keyCodes);

    Shortcuts& shortcuts() const { return m_services.shortcuts; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A key that went down while the console was the active window: captured, then evaluated.
    bool keyPressed(const QKeyEvent& event);
    // Whether a key about to go down would run a shortcut.
    bool runsShortcut(const QKeyEvent& event) const;
    // Carries out a ShortcutAction on the selected station.
    void run(int action);

    ConsoleServices& m_services;
    ConsoleDialogs& m_dialogs;
    std::function<int()> m_selectedStation;
    const QAction& m_addTime;
    QWidget& m_window;
};

} // namespace kestrel
