#include "cyberstore.h"

#include "core/numbers.h"

#include <QSqlError>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

QString text(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// A stored amount, shown with two decimals; null stays empty, anything unreadable (or beyond
// MaxAmount) is 0.
QString amount(const QVariant& v)
{
    if (v.isNull())
        return {};
    return formatAmount(storedAmount(v).value_or(0.0));
}

// The hourly rate as a single-precision number; null, not a number or beyond MaxAmount counts
// as 0.
float rateValue(const QVariant& v)
{
    return float(storedAmount(v).value_or(0.0));
}

QVariant stored(const QString& s)
{
    return s.isNull() ? QVariant(QString::fromLatin1("")) : QVariant(s);
}

// An amount or rate text as the number stored: rounded to the two decimals it shows, never the
// single-precision value widened (0,6 is stored 0.6, not 0.6000000238418579).
double storedAmount(const QString& s)
{
    return parseNumber(normalizeAmount(s)).value_or(0.0);
}

} // namespace

namespace {

QString updateWhere(const QString& where)
{
    return u"UPDATE CYBER SET TIEMPO = ?, MODALIDAD = ?, TARIFA = ?, CLIENTE = ?, TARIFBAS = ?, "
           u"LSTVARX = ?, vartipex = ?, vartipex2 = ?, vartipex3 = ?, TOTAL = ?, TARIFM = ?, "
           u"TARFC = ?, PCNAME = COALESCE(?, PCNAME), PCMAC = COALESCE(?, PCMAC) WHERE "_s +
           where;
}

} // namespace

CyberStore::CyberStore(QSqlDatabase db)
    : m_db(db), m_updateByRowid(db, updateWhere(u"rowid = ?"_s)),
      m_updateTimes(db, u"UPDATE CYBER SET TIEMPO = ?, vartipex2 = ? WHERE rowid = ?"_s)
{}

std::optional<std::vector<Station>> CyberStore::load()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT PC, PCIP, TIEMPO, MODALIDAD, TARIFA, TARIFBAS, CLIENTE, TOTAL, LSTVARX, "
                u"vartipex, vartipex2, vartipex3, PCMAC, PCNAME, TARIFM, TARFC "
                u"FROM CYBER ORDER BY rowid"_s)) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    std::vector<Station> stations;
    while (q.next()) {
        Station s;
        s.pc = text(q.value(0));
        s.LSTIPS = text(q.value(1));
        s.tiempo = text(q.value(2));
        s.modo = text(q.value(3));
        s.sub = amount(q.value(4));
        s.LSTTARBAS = formatGeneralSingle(rateValue(q.value(5)));
        s.usuario = text(q.value(6));
        s.total = amount(q.value(7));
        s.LSTCLWA = text(q.value(8));
        s.vartipex = text(q.value(9));
        s.vartipex2 = text(q.value(10));
        s.vartipex3 = text(q.value(11));
        s.LSTMACS = text(q.value(12));
        const QString name = text(q.value(13));
        s.pcnames = name.isEmpty() ? u"-"_s : name;
        s.TARIFM = text(q.value(14));
        s.TARFC = text(q.value(15));
        stations.push_back(std::move(s));
    }
    return stations;
}

void CyberStore::fillEmptyAmounts(Station& s)
{
    if (s.sub.isEmpty())
        s.sub = formatAmount(0.0);
    if (s.total.isEmpty())
        s.total = formatAmount(0.0);
}

CyberStore::StoredChange CyberStore::storedChange(const Station& a, const Station& b)
{
    if (a.modo != b.modo || a.sub != b.sub || a.usuario != b.usuario ||
        a.LSTTARBAS != b.LSTTARBAS || a.LSTCLWA != b.LSTCLWA || a.vartipex != b.vartipex ||
        a.vartipex3 != b.vartipex3 || a.total != b.total || a.TARIFM != b.TARIFM ||
        a.TARFC != b.TARFC || a.pcnames != b.pcnames || a.LSTMACS != b.LSTMACS)
        return StoredChange::More;
    if (a.tiempo != b.tiempo || a.vartipex2 != b.vartipex2)
        return StoredChange::TimesOnly;
    return StoredChange::None;
}

QVariantList CyberStore::persistedValues(Station& s)
{
    fillEmptyAmounts(s);
    return {stored(s.tiempo),
            stored(s.modo),
            storedAmount(s.sub),
            stored(s.usuario),
            storedAmount(s.LSTTARBAS),
            stored(s.LSTCLWA),
            stored(s.vartipex),
            stored(s.vartipex2),
            stored(s.vartipex3),
            storedAmount(s.total),
            stored(s.TARIFM),
            stored(s.TARFC),
            s.pcnames == u"-"_s ? QVariant() : stored(s.pcnames),
            s.LSTMACS.isEmpty() ? QVariant() : QVariant(s.LSTMACS)};
}

bool CyberStore::run(PreparedStatement& statement, const QVariantList& values)
{
    if (statement.exec(values))
        return true;
    m_lastError = statement.lastError();
    return false;
}

bool CyberStore::write(qint64 rowid, const QVariantList& values)
{
    return run(m_updateByRowid, QVariantList(values) << rowid);
}

bool CyberStore::writeTimes(qint64 rowid, const Station& s)
{
    return run(m_updateTimes, {stored(s.tiempo), stored(s.vartipex2), rowid});
}

std::optional<std::vector<CyberStore::StoredRow>> CyberStore::storedRows()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT rowid, PC, TARIFBAS FROM CYBER ORDER BY rowid"_s)) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    std::vector<StoredRow> rows;
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), text(q.value(1)), rateValue(q.value(2))});
    return rows;
}

} // namespace kestrel
