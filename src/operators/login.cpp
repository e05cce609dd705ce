#include "login.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

QString selectOperators()
{
    QStringList columns = {u"Usuario"_s, u"password"_s};
    for (int i = 0; i < RightCount; ++i)
        columns << rightColumn(Right(i));
    return u"SELECT "_s + columns.join(u", "_s) + u" FROM Operadores"_s;
}

OperatorRecord recordOf(const QSqlQuery& q)
{
    OperatorRecord r;
    r.name = q.value(0).toString();
    r.password = q.value(1).toString(); // null reads as empty
    for (int i = 0; i < RightCount; ++i)
        r.rights[std::size_t(i)] = q.value(2 + i).toInt() != 0;
    return r;
}

} // namespace

std::optional<OperatorRecord> LoginCheck::automaticLogin() const
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(selectOperators() + u" ORDER BY rowid LIMIT 2"_s))
        return std::nullopt;
    if (!q.next())
        return std::nullopt;
    OperatorRecord only = recordOf(q);
    if (q.next() || !only.password.isEmpty())
        return std::nullopt;
    return only;
}

LoginCheck::Result LoginCheck::check(const QString& user, const QString& password) const
{
    Result result;
    if (user.isEmpty()) {
        result.outcome = Outcome::EmptyUser;
        return result;
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(selectOperators() + u" WHERE Usuario = ? ORDER BY rowid LIMIT 1"_s);
    q.addBindValue(user);
    if (!q.exec()) {
        result.error = q.lastError().text();
        return result;
    }
    if (!q.next()) {
        result.outcome = Outcome::UnknownUser;
        return result;
    }
    OperatorRecord record = recordOf(q);
    if (record.password != password) {
        result.outcome = Outcome::WrongPassword;
        return result;
    }
    result.outcome = Outcome::Accepted;
    result.record = record;
    return result;
}

} // namespace kestrel
