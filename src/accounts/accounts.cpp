#include "accounts.h"

#include "journal/journal.h"
#include "core/clock.h"
#include "core/names.h"
#include "core/numbers.h"
#include "core/prompts.h"
#include "core/timetext.h"
#include "stations/actionstore.h"
#include "stations/stationtable.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

QString text(const QSqlQuery& q, int column)
{
    return q.isNull(column) ? QString() : q.value(column).toString();
}

} // namespace

Accounts::Accounts(Services services) : m_services(std::move(services)) {}

std::optional<std::vector<Account>> Accounts::all() const
{
    return read({});
}

std::optional<std::vector<Account>> Accounts::search(QStringView prefix) const
{
    return read(prefix);
}

// The prefix is compared in memory with the café's name comparison, never spliced into SQL or
// read as a LIKE pattern. A café has hundreds of accounts, not millions: one table scan.
std::optional<std::vector<Account>> Accounts::read(QStringView prefix) const
{
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT rowid, USER, PASSWORD, TIMERES, LASTVISIT, TARIFBAS, TIMECAD FROM CUENTAS "
                u"ORDER BY rowid"_s))
        return std::nullopt;
    std::vector<Account> accounts;
    while (q.next()) {
        Account a{q.value(0).toLongLong(),
                  text(q, 1),
                  text(q, 2),
                  text(q, 3),
                  text(q, 4),
                  storedNumber(q.value(5)).value_or(0.0),
                  text(q, 6)};
        if (nameStartsWith(a.user, prefix))
            accounts.push_back(std::move(a));
    }
    return accounts;
}

std::optional<Account> Accounts::find(QStringView user) const
{
    std::optional<std::vector<Account>> accounts = read(user);
    if (accounts) {
        for (Account& a : *accounts) {
            if (sameName(a.user, user))
                return std::move(a);
        }
    }
    return std::nullopt;
}

std::optional<double> Accounts::paidAmount(const QString& amount) const
{
    std::optional<double> value = parseNumber(amount);
    if (!value || *value < 0) {
        m_services.prompts.tell(Prompts::Icon::Exclamation,
                                u"La cantidad \""_s + amount + u"\" no es un valor válido."_s);
        return std::nullopt;
    }
    return value;
}

QString Accounts::visitText(const QDate& date)
{
    return u"%1/%2/%3"_s.arg(date.day()).arg(date.month()).arg(date.year());
}

QString Accounts::creditAfter(QStringView timeres, int hours, int minutes)
{
    const TimeText::Fields old = TimeText::fields(timeres).value_or(TimeText::Fields{});
    TimeText::Fields f = old;
    f.minutes += minutes;
    if (f.minutes > 59) {
        f.minutes -= 60;
        f.hours += 1;
    }
    f.hours += hours;
    return TimeText::format(f);
}

bool Accounts::create(const Purchase& p)
{
    Prompts& prompts = m_services.prompts;
    const QString user = p.user.trimmed();
    if (user.isEmpty()) {
        prompts.tell(Prompts::Icon::Exclamation, u"Ingrese el usuario"_s);
        return false;
    }
    if (find(user)) {
        prompts.tell(Prompts::Icon::Exclamation, u"Usuario ya existe"_s);
        return false;
    }
    if (!paidAmount(p.amount))
        return false;

    const QDate today = m_services.clock.now().date();
    return m_services.actions.run(u"crear la cuenta "_s + user, [&](ActionStore::Action& a) {
        if (!a.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TARIFBAS, LASTVISIT, TIMERES) "
                    u"VALUES (?, ?, ?, ?, ?)"_s,
                    {user, p.password, parseNumber(formatSingle(p.tariffRate, 2)).value_or(0.0),
                     visitText(today), TimeText::format({p.hours, p.minutes, 0})}))
            return;
        if (!m_services.journal.addAccountRow(p.amount, user))
            a.fail(m_services.journal.lastError());
    });
}

bool Accounts::addCredit(const Purchase& p)
{
    const std::optional<Account> account = find(p.user);
    if (!account) {
        m_services.prompts.tell(Prompts::Icon::Exclamation,
                                u"No existe la cuenta \""_s + p.user + u"\"."_s);
        return false;
    }
    if (!paidAmount(p.amount))
        return false;

    const QString credit = creditAfter(account->timeres, p.hours, p.minutes);
    return m_services.actions.run(
        u"acreditar la cuenta "_s + account->user, [&](ActionStore::Action& a) {
            const QString sql =
                p.resetPassword ? u"UPDATE CUENTAS SET TIMERES = ?, PASSWORD = '' WHERE rowid = ?"_s
                                : u"UPDATE CUENTAS SET TIMERES = ? WHERE rowid = ?"_s;
            if (!a.exec(sql, {credit, account->rowid}))
                return;
            JournalRecord row;
            row[JournalField::Valor] = p.amount;
            row[JournalField::User] = account->user;
            row[JournalField::Pc] = u""_s; // stored as the empty text, not null
            row[JournalField::Descrip] = u"AUMENTO DE SALDO"_s;
            if (!m_services.journal.ADDTOREG(row)) {
                a.fail(m_services.journal.lastError());
                return;
            }
            // A session of this account continues with the new credit: its remaining time is the
            // credit, and its prepaid time the time used so far plus the credit.
            StationTable& stations = m_services.stations;
            for (int i = 0; i < stations.count(); ++i) {
                if (!sameName(stations.at(i).usuario, account->user))
                    continue;
                stations.update(i, [&](Station& s) {
                    s.tiempo = credit;
                    s.vartipex3 =
                        TimeText::add(s.vartipex2.isEmpty() ? TimeText::zero() : s.vartipex2,
                                      credit)
                            .value_or(credit);
                });
            }
        });
}

bool Accounts::edit(qint64 rowid, Field field, const QString& value)
{
    static const char* const columns[] = {"PASSWORD", "TIMERES", "LASTVISIT", "TARIFBAS",
                                          "TIMECAD"};
    QVariant stored = value;
    QString refusal;
    switch (field) {
    case Field::Timeres:
        if (!TimeText::fields(value))
            refusal = u"El tiempo debe escribirse h:mm:ss, por ejemplo 1:30:00."_s;
        else
            stored = TimeText::format(*TimeText::fields(value));
        break;
    case Field::LastVisit:
        if (!QDate::fromString(value, u"d/M/yyyy"_s).isValid())
            refusal = u"La fecha debe escribirse día/mes/año, por ejemplo 7/12/2026."_s;
        break;
    case Field::Rate:
        if (const std::optional<double> rate = parseNumber(value); !rate || *rate < 0)
            refusal = u"El valor por hora debe ser un número."_s;
        else
            stored = parseNumber(formatAmount(*rate)).value_or(0.0);
        break;
    case Field::Password:
    case Field::Timecad:
        break;
    }
    if (!refusal.isEmpty()) {
        m_services.prompts.tell(Prompts::Icon::Exclamation, refusal);
        return false;
    }
    return m_services.actions.run(u"modificar la cuenta"_s, [&](ActionStore::Action& a) {
        a.exec(u"UPDATE CUENTAS SET "_s + QLatin1StringView(columns[int(field)]) +
                   u" = ? WHERE rowid = ?"_s,
               {stored, rowid});
    });
}

} // namespace kestrel
