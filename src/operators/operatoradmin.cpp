#include "operatoradmin.h"

#include "core/names.h"
#include "core/prompts.h"
#include "stations/actionstore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

QStringList rightColumns()
{
    QStringList columns;
    for (int i = 0; i < RightCount; ++i)
        columns << rightColumn(Right(i));
    return columns;
}

} // namespace

OperatorAdmin::OperatorAdmin(Services services) : m_services(std::move(services)) {}

std::optional<std::vector<OperatorRow>> OperatorAdmin::read() const
{
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT rowid, Usuario, password, "_s + rightColumns().join(u", "_s) +
                u" FROM Operadores ORDER BY rowid"_s))
        return std::nullopt;
    std::vector<OperatorRow> rows;
    while (q.next()) {
        OperatorRow row;
        row.rowid = q.value(0).toLongLong();
        row.record.name = q.value(1).toString();
        row.record.password = q.value(2).toString(); // null reads as empty
        for (int i = 0; i < RightCount; ++i)
            row.record.rights[std::size_t(i)] = q.value(3 + i).toInt() != 0;
        rows.push_back(std::move(row));
    }
    return rows;
}

bool OperatorAdmin::load()
{
    std::optional<std::vector<OperatorRow>> rows = read();
    const bool ok = rows.has_value();
    if (!ok)
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudo leer la tabla de operadores."_s);
    m_rows = std::move(rows).value_or(std::vector<OperatorRow>{});
    m_mode = Mode::Browse;
    m_new = false;
    m_current = m_rows.empty() ? -1 : 0;
    show();
    return ok;
}

const OperatorRow* OperatorAdmin::current() const
{
    return m_current >= 0 && m_current < int(m_rows.size()) ? &m_rows[std::size_t(m_current)]
                                                            : nullptr;
}

void OperatorAdmin::selectRow(int row)
{
    if (m_mode != Mode::Browse || row < 0 || row >= int(m_rows.size()))
        return;
    m_current = row;
    show();
}

// The fields and boxes show the current row; with no row they are emptied.
void OperatorAdmin::show()
{
    const OperatorRow* row = current();
    m_form = row ? row->record : OperatorRecord{};
    lockbts(!isAdministrator(m_form.name));
}

// Browse mode after a change: the table read again, the row `rowid` (or the first) current.
void OperatorAdmin::browseAt(qint64 rowid)
{
    load();
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (m_rows[std::size_t(i)].rowid == rowid)
            m_current = i;
    }
    show();
}

void OperatorAdmin::clickRight(Right right, bool checked)
{
    m_form.rights[std::size_t(right)] = checked;
    if (m_mode == Mode::Browse && !m_form.name.isEmpty() && !isAdministrator(m_form.name))
        startModify();
}

void OperatorAdmin::invertRights()
{
    for (int i = 0; i < RightCount; ++i)
        clickRight(Right(i), !m_form.rights[std::size_t(i)]);
}

OperatorAdmin::Field OperatorAdmin::startNew()
{
    m_mode = Mode::Edit;
    m_new = true;
    lockbts(true);
    m_form.name.clear();
    m_form.password.clear();
    return Field::Name;
}

std::optional<OperatorAdmin::Field> OperatorAdmin::startModify()
{
    const OperatorRow* row = current();
    if (!row)
        return std::nullopt;
    m_mode = Mode::Edit;
    m_new = false;
    return isAdministrator(row->record.name) ? Field::Password : Field::Name;
}

bool OperatorAdmin::save()
{
    if (m_mode != Mode::Edit)
        return false;
    Prompts& prompts = m_services.prompts;
    const OperatorRow* editing = m_new ? nullptr : current();
    if (!m_new && !editing)
        return false;
    // The administrator keeps its name and rights whatever the fields hold.
    const bool administrator = editing && isAdministrator(editing->record.name);
    const QString name = administrator ? editing->record.name : m_form.name.trimmed();
    if (name.isEmpty()) {
        prompts.tell(Prompts::Icon::Information, u"Ingrese los datos"_s);
        return false;
    }
    // Logins look names up ignoring case: two operators "caja" and "CAJA" could not both log in.
    // A name kept as it was is not checked, so an older table's "admin" and "Admin" can both
    // still change their passwords.
    const bool renamed = !editing || editing->record.name != name;
    const std::optional<std::vector<OperatorRow>> stored =
        renamed ? read() : std::vector<OperatorRow>{};
    if (!stored) {
        prompts.tell(Prompts::Icon::Critical, u"No se pudo leer la tabla de operadores."_s);
        return false;
    }
    for (const OperatorRow& other : *stored) {
        if ((!editing || other.rowid != editing->rowid) && sameName(other.record.name, name)) {
            prompts.tell(Prompts::Icon::Exclamation, u"Ya existe un operador con el nombre \""_s +
                                                         other.record.name +
                                                         u"\". Escriba otro nombre."_s);
            return false;
        }
    }

    qint64 rowid = editing ? editing->rowid : 0;
    const OperatorRecord form = m_form;
    const bool saved = m_services.actions.run(u"guardar el operador "_s + name, [&](ActionStore::
                                                                                        Action& a) {
        if (administrator) {
            a.exec(u"UPDATE Operadores SET password = ? WHERE rowid = ?"_s, {form.password, rowid});
            return;
        }
        QSqlQuery q(a.db());
        QVariantList values{name, form.password};
        for (bool right : form.rights)
            values << int(right);
        if (m_new) {
            if (a.exec(q,
                       u"INSERT INTO Operadores (Usuario, password, "_s +
                           rightColumns().join(u", "_s) + u") VALUES (?, ?"_s +
                           u", ?"_s.repeated(RightCount) + u')',
                       values))
                rowid = q.lastInsertId().toLongLong();
            return;
        }
        values << rowid;
        if (a.exec(q,
                   u"UPDATE Operadores SET Usuario = ?, password = ?, "_s +
                       rightColumns().join(u" = ?, "_s) + u" = ? WHERE rowid = ?"_s,
                   values) &&
            q.numRowsAffected() != 1)
            a.fail(u"el operador ya no existe."_s);
    });
    if (saved)
        browseAt(rowid);
    return saved;
}

void OperatorAdmin::cancel()
{
    m_mode = Mode::Browse;
    m_new = false;
    show();
}

bool OperatorAdmin::remove()
{
    const OperatorRow* row = current();
    if (m_mode != Mode::Browse || !row)
        return false;
    Prompts& prompts = m_services.prompts;
    const QString name = row->record.name;
    if (isAdministrator(name)) {
        prompts.tell(Prompts::Icon::Exclamation, u"No puede eliminar la cuenta administrador"_s);
        return false;
    }
    // The console would go on working, and writing the journal, under an operator who no
    // longer exists.
    const OperatorSession& session = m_services.session;
    if (session.isLoggedIn() && sameName(session.name(), name)) {
        prompts.tell(Prompts::Icon::Exclamation,
                     u"No puede eliminar el operador con el que inició la sesión."_s);
        return false;
    }
    if (!prompts.askYesNo(u"Desea eliminar el operador: "_s + u"\n"_s + name))
        return false;
    const qint64 rowid = row->rowid;
    const bool removed =
        m_services.actions.run(u"eliminar el operador "_s + name, [&](ActionStore::Action& a) {
            a.exec(u"DELETE FROM Operadores WHERE rowid = ?"_s, {rowid});
        });
    if (removed)
        load();
    return removed;
}

} // namespace kestrel
