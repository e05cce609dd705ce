#include "stationadmin.h"

#include "core/names.h"
#include "core/numbers.h"
#include "core/prompts.h"
#include "link/stationsockets.h"
#include "stations/actionstore.h"
#include "stations/display.h"
#include "stations/stationrows.h"
#include "stations/stationtable.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString BusyText = u"Para poder modificar/eliminar debe estar libre"_s;

bool isHostChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'_';
}

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// A name the resolver can look up (ASCII labels; "_" as café machines are often named), or four
// numbers from 0 to 255. Labels of digits only are taken as an IPv4 address, so "192.168.0"
// is refused rather than looked up as a name.
bool isValidHost(QStringView host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    const auto labels = host.split(u'.');
    bool numeric = true;
    for (QStringView label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.front() == u'-' || label.back() == u'-')
            return false;
        for (QChar c : label) {
            if (!isHostChar(c))
                return false;
        }
        numeric = numeric && allDigits(label);
    }
    if (!numeric)
        return true;
    if (labels.size() != 4)
        return false;
    for (QStringView label : labels) {
        if (label.size() > 3 || label.toInt() > 255)
            return false;
    }
    return true;
}

} // namespace

StationAdmin::StationAdmin(Services services) : m_services(std::move(services)) {}

bool StationAdmin::load()
{
    m_entries.clear();
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT PC, PCIP FROM CYBER ORDER BY rowid"_s)) {
        m_services.prompts.tell(Prompts::Icon::Critical, u"No se pudo leer la tabla de puestos."_s);
        return false;
    }
    while (q.next())
        m_entries.push_back({q.value(0).toString(), q.value(1).toString()}); // null reads empty
    return true;
}

bool StationAdmin::isBusy(int row) const
{
    const StationTable& stations = m_services.stations;
    return stations.isValidIndex(row) && !stations.at(row).modo.isEmpty();
}

bool StationAdmin::isFree(int row)
{
    if (row < 0 || row >= int(m_entries.size()))
        return false;
    if (isBusy(row)) {
        m_services.prompts.tell(Prompts::Icon::Exclamation, BusyText);
        return false;
    }
    return true;
}

bool StationAdmin::isValidAddress(QStringView address)
{
    // Read as the connection reads it: a port it would not take stays in the host, which a ':'
    // makes invalid.
    return isValidHost(StationSockets::endpoint(address.toString()).host);
}

std::optional<QString> StationAdmin::addressProblem(const QString& address, int except) const
{
    if (address.isEmpty())
        return u"Ingrese el nombre del equipo o su dirección IP."_s;
    if (!isValidAddress(address))
        return u"La dirección \"%1\" no es válida. Escriba el nombre del equipo o una dirección "
               u"IPv4, seguidos si hace falta de \":puerto\" (de 1 a 65535)."_s.arg(address);
    // The same host and port would be one agent for two stations.
    const StationSockets::Endpoint wanted = StationSockets::endpoint(address);
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const StationSockets::Endpoint other = StationSockets::endpoint(m_entries[size_t(i)].pcip);
        if (i != except && other.port == wanted.port && sameName(other.host, wanted.host))
            return u"La dirección \"%1\" ya es la del puesto \"%2\"."_s.arg(
                address, m_entries[size_t(i)].pc);
    }
    return std::nullopt;
}

bool StationAdmin::add(const QString& pc, const QString& typedAddress)
{
    const QString address = typedAddress.trimmed();
    if (const auto problem = addressProblem(address, -1)) {
        m_services.prompts.tell(Prompts::Icon::Exclamation, *problem);
        return false;
    }
    const bool added =
        m_services.actions.run(u"agregar el puesto "_s + pc, [&](ActionStore::Action& a) {
            a.exec(u"INSERT INTO CYBER (PC, PCIP) VALUES (?, ?)"_s, {pc, address});
        });
    if (!added)
        return false;

    Station station;
    station.pc = pc;
    station.sub = formatAmount(0);
    station.LSTIPS = address;
    station.LSTTARBAS = u"0"_s;
    station.pcnames = u" "_s;
    const int index = m_services.stations.count();
    // The socket first: whoever hears of the new station finds its connection in place.
    m_services.sockets.insert(index);
    m_services.stations.insert(index, std::move(station));
    m_services.rows.forget();
    m_entries.push_back({pc, address});
    return true;
}

namespace {

// Runs `statement` (an UPDATE or DELETE of CYBER; its values, then the station's id, bound in
// order) on the first CYBER row of the station as one action; a row that is gone fails it.
bool onFirstRow(ActionStore& actions, const QString& what, const QString& statement,
                const QVariantList& values)
{
    return actions.run(what, [&](ActionStore::Action& a) {
        QSqlQuery q(a.db());
        if (a.exec(q, statement + u" WHERE rowid = (SELECT min(rowid) FROM CYBER WHERE PC = ?)"_s,
                   values) &&
            q.numRowsAffected() != 1)
            a.fail(u"el puesto ya no está en la tabla."_s);
    });
}

} // namespace

bool StationAdmin::modify(int row, const QString& typedAddress)
{
    // The station may have been opened, by a customer's login, while the editor was shown.
    if (!isFree(row))
        return false;
    const QString address = typedAddress.trimmed();
    if (const auto problem = addressProblem(address, row)) {
        m_services.prompts.tell(Prompts::Icon::Exclamation, *problem);
        return false;
    }
    const QString pc = m_entries[size_t(row)].pc;
    if (!onFirstRow(m_services.actions, u"modificar el puesto "_s + pc,
                    u"UPDATE CYBER SET PCIP = ?"_s, {address, pc}))
        return false;

    StationEntry& entry = m_entries[size_t(row)];
    const bool changed = entry.pcip != address;
    entry.pcip = address;
    StationTable& stations = m_services.stations;
    if (!stations.isValidIndex(row))
        return true;
    stations.update(row, [&](Station& s) {
        s.LSTIPS = address;
        if (changed)
            s.LSTESTTUS.clear(); // not tried yet at the new address
    });
    if (changed && m_services.sockets.exists(row))
        m_services.sockets.close(row);
    UPDATEICONS(stations, row);
    return true;
}

bool StationAdmin::remove(int row)
{
    if (!isFree(row) || !m_services.prompts.askYesNo(u"Quitar puesto?"_s))
        return false;
    // The question let sockets and timers run: the station may be busy now.
    if (!isFree(row))
        return false;
    const QString pc = m_entries[size_t(row)].pc;
    if (!onFirstRow(m_services.actions, u"quitar el puesto "_s + pc, u"DELETE FROM CYBER"_s, {pc}))
        return false;

    m_services.sockets.remove(row);
    m_services.stations.remove(row);
    m_services.rows.forget();
    m_entries.erase(m_entries.begin() + row);
    return true;
}

} // namespace kestrel
