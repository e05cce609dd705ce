#include "requests.h"

#include "core/clock.h"
#include "core/numbers.h"
#include "core/timetext.h"
#include "linksender.h"
#include "messagelist.h"
#include "stations/actionstore.h"
#include "stations/stationtable.h"
#include "wire/wire.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString WrongLogin = u"Usuario/Contraseña INCORRECTA"_s;
const QString NoCredit = u"Cuenta sin credito..."_s;

// An account has credit when its time has an hour or a minute; seconds alone do not count.
std::optional<TimeText::Fields> credit(const QVariant& stored)
{
    if (stored.isNull())
        return std::nullopt;
    const auto time = TimeText::fields(stored.toString());
    if (!time || (time->hours == 0 && time->minutes == 0))
        return std::nullopt;
    return time;
}

} // namespace

RequestDispatcher::RequestDispatcher(Services services, QObject* parent)
    : QObject(parent), m_services(services),
      // The first matching account is the oldest row; USER compares without case.
      m_findAccount(services.db, u"SELECT rowid, PASSWORD, TIMERES, TARIFBAS FROM CUENTAS "
                                 u"WHERE USER = ? ORDER BY rowid LIMIT 1"_s),
      m_setPassword(services.db, u"UPDATE CUENTAS SET PASSWORD = ? WHERE rowid = ?"_s)
{}

void RequestDispatcher::dispatchBytes(int index, const QByteArray& bytes)
{
    dispatch(index, Wire::decode(bytes));
}

void RequestDispatcher::dispatch(int index, const QString& text)
{
    StationTable& stations = m_services.stations;
    if (!stations.isValidIndex(index))
        return;
    const QStringList parts = Wire::split(text);
    const QString& keyword = parts.first();
    const auto field = [&](int n) { return parts.value(n); };
    const auto needs = [&](int count) { return parts.size() > count; };

    if (keyword == u"GETNAME") {
        if (!needs(1))
            return;
        stations.update(index, [&](Station& s) { s.pcnames = u"\\\\"_s + field(1).toUpper(); });
    } else if (keyword == u"GETMAC") {
        if (!needs(1))
            return;
        stations.update(index, [&](Station& s) { s.LSTMACS = field(1).toUpper(); });
    } else if (keyword == u"GETNAMEX") {
        m_services.link.SENDGEN(index, u"GETNAMEX"_s, stations.at(index).pc);
    } else if (keyword == u"MSGBOX") {
        if (!needs(1))
            return;
        m_services.messages.add(stations.at(index).pc, m_services.clock.now().time(), field(1));
    } else if (keyword == u"GETSTART2") {
        startPress(index);
        return;
    } else if (keyword == u"GETSTART") {
        if (!needs(2) || !accountLogin(index, field(1), field(2)))
            return;
    } else if (keyword == u"GETOUT") {
        accountLogout(index);
    }
    emit stationCommandsChanged();
}

bool RequestDispatcher::startPress(int index)
{
    const QString code = m_services.stations.at(index).LSTCLWA;
    if (code != u"2" && code != u"4")
        return false;
    StationTable& stations = m_services.stations;
    return m_services.actions.run(
        u"empezar la sesión del puesto "_s + stations.at(index).pc, [&](ActionStore::Action&) {
            stations.update(index, [&](Station& s) {
                const bool counter = code == u"2";
                s.LSTCLWA = counter ? u"1"_s : u"3"_s;
                s.modo = counter ? StationMode::Counter : StationMode::Prepaid;
            });
        });
}

bool RequestDispatcher::accountLogin(int index, const QString& user, const QString& password)
{
    // Only a free station takes a login. An agent that asks on a station in a session (its
    // screen locked while the console was away) learns the session from the next status; the
    // session, its time and its charge stay.
    if (!m_services.stations.at(index).modo.isEmpty())
        return false;
    LinkSender& link = m_services.link;
    if (!m_findAccount.exec({user})) {
        emit storeFailed(u"No se pudo leer la cuenta "_s + user + u":\n"_s +
                         m_findAccount.lastError());
        return false;
    }
    QSqlQuery& q = m_findAccount.query();
    if (!q.next()) {
        link.SENDGEN(index, u"MSGBOX3"_s, WrongLogin);
        return false;
    }
    const qint64 rowid = q.value(0).toLongLong();
    const QVariant storedPassword = q.value(1);
    const auto time = credit(q.value(2));
    const QVariant rate = q.value(3);
    q.finish();

    // While the account is held every login is refused alike, the right password too, so a
    // guesser learns nothing.
    const QDateTime now = m_services.clock.now();
    if (m_guard.held(user, now)) {
        link.SENDGEN(index, u"MSGBOX3"_s, WrongLogin);
        return false;
    }

    if (!time) {
        link.SENDGEN(index, u"MSGBOX3"_s, NoCredit);
        return false;
    }
    // Already logged in at a station (as typed there): no answer at all.
    for (const Station& s : m_services.stations.stations())
        if (s.usuario == user)
            return false;
    if (!storedPassword.toString().isEmpty() && storedPassword.toString() != password) {
        link.SENDGEN(index, u"MSGBOX3"_s, WrongLogin);
        if (const qint64 hold = m_guard.failed(user, now))
            m_services.messages.add(
                m_services.stations.at(index).pc, now.time(),
                u"Cuenta «%1» retenida %2 min: %3 contraseñas incorrectas"_s.arg(user)
                    .arg(hold / 60000)
                    .arg(LoginGuard::MaxFailures));
        return false;
    }
    m_guard.succeeded(user);

    const QString zero = formatAmount(0);
    const float hourly = float(storedAmount(rate).value_or(0.0));
    StationTable& stations = m_services.stations;
    return m_services.actions.run(u"abrir la cuenta "_s + user, [&](ActionStore::Action&) {
        // The first login sets the password. Should it not be written, the customer still gets
        // the session; the next login sets the password again.
        if (storedPassword.toString().isEmpty() && !m_setPassword.exec({password, rowid}))
            emit storeFailed(u"No se pudo guardar la clave de la cuenta "_s + user + u":\n"_s +
                             m_setPassword.lastError());
        stations.update(index, [&](Station& s) {
            s.modo = StationMode::Prepaid;
            s.LSTTARBAS = formatGeneralSingle(hourly);
            s.vartipex3 = TimeText::format(*time);
            s.vartipex2 = TimeText::zero();
            s.total = zero;
            s.sub = zero;
            s.usuario = user;
            s.LSTCLWA = u"3"_s;
            // The account is priced at its own hourly rate, never by the steps of a compound tariff
            // the station had before, and none of an earlier charge counts as already added.
            s.TARIFM.clear();
            s.vartipex = zero;
        });
    });
}

void RequestDispatcher::accountLogout(int index)
{
    // The state code and the time texts stay: the station shows free in the console, and the
    // agent, seeing a prepaid state without time or customer, locks the workstation. The
    // account keeps the time the metering last wrote to it. A station without a customer has no
    // account to log out of: its session, and what it owes, stay.
    StationTable& stations = m_services.stations;
    if (stations.at(index).usuario.isEmpty())
        return;
    m_services.actions.run(u"cerrar la cuenta del puesto "_s + stations.at(index).pc,
                           [&](ActionStore::Action&) {
                               stations.update(index, [](Station& s) {
                                   s.sub = formatAmount(0);
                                   s.modo = StationMode::Free;
                                   s.tiempo = TimeText::zero();
                                   s.usuario.clear();
                               });
                           });
}

} // namespace kestrel
