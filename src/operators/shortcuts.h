#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;

// One shortcut of an operator: the combination as shown ("Ctrl+A"), the event it runs as shown
// ("Habilitar"), the combination as virtual-key codes ("17+65", modifier first, 0 for none) and
// the action's code ("1" .. "9"; blank when the stored row has none).
// Each is stored in the Teclado column named beside it.
struct Shortcut {
    QString event;       // Accion
    QString combination; // Codigo
    QString keyCodes;    // CodAsc
    QString actionCode;  // CodAcc

    bool operator==(const Shortcut&) const = default;
};

// The console actions a shortcut can run, named as the options offer them, with the codes they
// are stored under (CodAcc).
namespace ShortcutAction {
enum : int {
    Habilitar = 1,    // open the station; a beep when it is busy
    Bloquear = 2,     // lock the busy station, asking first under "questitolock"
    Cobrar = 3,       // charge the station
    Modo = 4,         // change the station's mode
    Aumentar = 5,     // add prepaid time, when the toolbar's "Aumentar" is enabled
    Intercambiar = 6, // move the session to another station
    Limpiar = 7,      // clear the station's time and amounts
    LimpiarTodo = 8,  // clear the counters of every free station
    Vender = 9,       // sell products at the counter
};
}

// The list the options offer, in its order: the name shown and the action code.
struct ShortcutChoice {
    QString name;
    int code = 0;
};
const std::vector<ShortcutChoice>& shortcutChoices();

// The set "Predeterminada" restores. Its fourth row is named "Limpiar Todo" but clears the one
// chosen station (code 7), as the console always has.
std::vector<Shortcut> defaultShortcuts();

// The modifier and key that went down last. Both start at 0 and are never cleared, so once Ctrl
// has gone down a later A alone still reads "17+65".
class KeyCapture {
public:
    static constexpr int Shift = 16;
    static constexpr int Ctrl = 17;
    static constexpr int Alt = 18;

    void press(int virtualKey);
    int modifier() const { return m_codes[0]; }
    int key() const { return m_codes[1]; }
    // "17+65".
    QString codeText() const;
    // "Ctrl+A", "Alt+5", "A": the capture dialog's label.
    QString label() const;

private:
    int m_codes[2] = {0, 0};
    int m_position = 0;
};

// Every operator's shortcuts, in table Teclado, and the set in force on the console.
class Shortcuts {
public:
    Shortcuts(QSqlDatabase db, ActionStore& actions);

    // The operator's complete rows (event and combination both given) in table order; the
    // operator's name compares as names do. Nothing when the table cannot be read.
    std::optional<std::vector<Shortcut>> of(const QString& operatorName) const;

    // Replaces the operator's rows by the complete ones of `rows`, in one action. False when the
    // store refused: the stored rows are then as they were.
    bool save(const QString& operatorName, const std::vector<Shortcut>& rows);

    // Loadteclas: appends the operator's rows to the set in force. The set is never emptied, so
    // rows saved later follow the old ones and, the last match winning, take their place.
    bool load(const QString& operatorName);

    // EvaluarKeys: the action code bound to a key-code text by the last matching row; 0 when no
    // row matches or its action is blank or not a number.
    int evaluate(const QString& keyCodes) const;

    QString lastError() const { return m_lastError; }

private:
    QSqlDatabase m_db;
    ActionStore& m_actions;
    QStringList m_keyCodes;
    QStringList m_actionCodes;
    mutable QString m_lastError;
};

} // namespace kestrel
