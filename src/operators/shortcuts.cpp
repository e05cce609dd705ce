#include "shortcuts.h"

#include "core/numbers.h"
#include "stations/actionstore.h"

#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

const std::vector<ShortcutChoice>& shortcutChoices()
{
    static const std::vector<ShortcutChoice> choices = {
        {u"Habilitar"_s, ShortcutAction::Habilitar},
        {u"Bloquear"_s, ShortcutAction::Bloquear},
        {u"Cobrar"_s, ShortcutAction::Cobrar},
        {u"Modo"_s, ShortcutAction::Modo},
        {u"Vender"_s, ShortcutAction::Vender},
        {u"Aumentar"_s, ShortcutAction::Aumentar},
        {u"Intercambiar"_s, ShortcutAction::Intercambiar},
        {u"Limpiar"_s, ShortcutAction::Limpiar},
        {u"Limpiar Todo"_s, ShortcutAction::LimpiarTodo},
    };
    return choices;
}

std::vector<Shortcut> defaultShortcuts()
{
    return {
        {u"Habilitar"_s, u"Ctrl+A"_s, u"17+65"_s, u"1"_s},
        {u"Bloquear"_s, u"Ctrl+B"_s, u"17+66"_s, u"2"_s},
        {u"Cambiar"_s, u"Ctrl+C"_s, u"17+67"_s, u"6"_s},
        {u"Limpiar Todo"_s, u"Ctrl+L"_s, u"17+76"_s, u"7"_s},
    };
}

void KeyCapture::press(int virtualKey)
{
    if (virtualKey < 20) {
        m_position = 0;
        m_codes[1] = 0;
    } else {
        m_position = 1;
    }
    if (virtualKey != m_codes[0] && virtualKey != m_codes[1])
        m_codes[m_position] = virtualKey;
}

QString KeyCapture::codeText() const
{
    return QString::number(m_codes[0]) + u'+' + QString::number(m_codes[1]);
}

QString KeyCapture::label() const
{
    QString text;
    switch (m_codes[0]) {
    case Shift:
        text = u"Shift"_s;
        break;
    case Ctrl:
        text = u"Ctrl"_s;
        break;
    case Alt:
        text = u"Alt"_s;
        break;
    default:
        break;
    }
    if (m_codes[1] > 0) {
        if (!text.isEmpty())
            text += u'+';
        text += QChar(char16_t(m_codes[1]));
    }
    return text;
}

Shortcuts::Shortcuts(QSqlDatabase db, ActionStore& actions)
    : m_db(std::move(db)), m_actions(actions)
{}

std::optional<std::vector<Shortcut>> Shortcuts::of(const QString& operatorName) const
{
    QSqlQuery q(m_db);
    q.prepare(u"SELECT Codigo, Accion, CodAsc, CodAcc FROM Teclado WHERE Operador = ? "
              u"ORDER BY rowid"_s);
    q.addBindValue(operatorName);
    if (!q.exec()) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    std::vector<Shortcut> rows;
    while (q.next()) {
        Shortcut s{q.value(1).toString(), q.value(0).toString(), q.value(2).toString(),
                   q.value(3).isNull() ? u" "_s : q.value(3).toString()};
        if (!s.event.isEmpty() && !s.combination.isEmpty())
            rows.push_back(std::move(s));
    }
    return rows;
}

bool Shortcuts::save(const QString& operatorName, const std::vector<Shortcut>& rows)
{
    return m_actions.run(u"guardar las combinaciones de teclas"_s, [&](ActionStore::Action& a) {
        if (!a.exec(u"DELETE FROM Teclado WHERE Operador = ?"_s, {operatorName}))
            return;
        for (const Shortcut& s : rows) {
            if (s.event.isEmpty() || s.combination.isEmpty())
                continue;
            if (!a.exec(u"INSERT INTO Teclado (Codigo, Accion, Operador, CodAsc, CodAcc) "
                        u"VALUES (?, ?, ?, ?, ?)"_s,
                        {s.combination, s.event, operatorName, s.keyCodes, s.actionCode}))
                return;
        }
    });
}

bool Shortcuts::load(const QString& operatorName)
{
    const std::optional<std::vector<Shortcut>> rows = of(operatorName);
    if (!rows)
        return false;
    for (const Shortcut& s : *rows) {
        m_keyCodes << s.keyCodes;
        m_actionCodes << s.actionCode;
    }
    return true;
}

int Shortcuts::evaluate(const QString& keyCodes) const
{
    const qsizetype at = m_keyCodes.lastIndexOf(keyCodes);
    if (at < 0)
        return 0;
    const QString& action = m_actionCodes.at(at);
    if (action.trimmed().isEmpty())
        return 0;
    const double code = leadingNumber(action);
    return code >= 1 && code <= 9 && code == std::floor(code) ? int(code) : 0;
}

} // namespace kestrel
