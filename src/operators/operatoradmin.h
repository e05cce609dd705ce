#pragma once

#include "core/operatorsession.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class Prompts;

// One row of Operadores as the operator administration lists it.
struct OperatorRow {
    qint64 rowid = 0;
    OperatorRecord record;
};

// The operator administration (frmoperador) without its widgets: the operators of the table,
// the row the grid follows, browse or edit mode, what the fields and check boxes hold and
// whether they are unlocked. The window shows this state and forwards the operator's input.
//
// The operator named exactly "admin" is the administrator: it cannot be deleted and only its
// password can change, whatever the fields hold when it is saved. Changed rights take effect
// at the operator's next login, which reads them from the table.
class OperatorAdmin final {
public:
    struct Services {
        QSqlDatabase db;
        ActionStore& actions;
        Prompts& prompts;
        const OperatorSession& session; // its operator cannot be deleted
    };

    enum class Mode { Browse, Edit };
    enum class Field { Name, Password };

    explicit OperatorAdmin(Services services);

    // Exact, case included: "Admin" is an ordinary operator.
    static bool isAdministrator(QStringView name) { return name == u"admin"; }

    // Opening: every operator in table order, browse mode, the first row shown. False (and the
    // operator told) when the table cannot be read.
    bool load();
    const std::vector<OperatorRow>& rows() const { return m_rows; }
    // The grid's current row; -1 when the table is empty.
    int currentRow() const { return m_current; }
    // The grid moved to `row`: in browse mode the fields and boxes show it, locked for "admin".
    void selectRow(int row);

    Mode mode() const { return m_mode; }
    bool isNew() const { return m_new; }
    // Whether "Usuario", the eight boxes and "Todos" can be used.
    bool unlocked() const { return m_unlocked; }
    // Unlocks (true) or locks (false) "Usuario", the eight boxes and "Todos".
    void lockbts(bool enabled) { m_unlocked = enabled; }
    // What "Usuario", "Contraseña" and the boxes hold.
    const OperatorRecord& form() const { return m_form; }

    void setName(const QString& name) { m_form.name = name; }
    void setPassword(const QString& password) { m_form.password = password; }
    // A click on a box, which already shows `checked`. In browse mode, for an operator other
    // than "admin", it starts a modification as "Modificar" does.
    void clickRight(Right right, bool checked);
    // "Todos": every box inverted, as a click on each.
    void invertRights();

    // "Nuevo": an empty name and password, the boxes as they were; returns the field to focus.
    Field startNew();
    // "Modificar" on the current row; nothing when there is none.
    std::optional<Field> startModify();
    // "Guardar": one action writing the row. Refused, in edit mode, for an empty name or a name
    // another operator already has (ignoring case for every letter).
    bool save();
    // "Cancelar": browse mode, the current row shown again.
    void cancel();
    // "Eliminar": the current operator, after asking; refused for "admin" and for the operator
    // who is logged in. Afterwards the first row is current.
    bool remove();

private:
    std::optional<std::vector<OperatorRow>> read() const;
    void show();
    void browseAt(qint64 rowid);
    const OperatorRow* current() const;

    Services m_services;
    std::vector<OperatorRow> m_rows;
    int m_current = -1;
    Mode m_mode = Mode::Browse;
    bool m_new = false;
    bool m_unlocked = true;
    OperatorRecord m_form;
};

} // namespace kestrel
