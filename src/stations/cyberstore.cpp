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

bool isNumber(const QVariant& v)
{
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong ||
           v.typeId() == QMetaType::Int;
}

// A stored amount, shown with two decimals; null stays empty.
QString amount(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (isNumber(v))
        return formatAmount(v.toDouble());
    return normalizeAmount(v.toString());
}

// The hourly rate as a single-precision number; null or not a number counts as 0.
QString rate(const QVariant& v)
{
    float r = 0.0f;
    if (isNumber(v))
        r = float(v.toDouble());
    else if (!v.isNull())
        r = parseSingle(v.toString()).value_or(0.0f);
    return formatGeneralSingle(r);
}

QVariant stored(const QString& s)
{
    return s.isNull() ? QVariant(QString::fromLatin1("")) : QVariant(s);
}

// An amount text as the number stored: rounded to the two decimals it shows.
double storedAmount(const QString& s)
{
    return parseNumber(normalizeAmount(s)).value_or(0.0);
}

} // namespace

CyberStore::CyberStore(QSqlDatabase db) : m_db(std::move(db)), m_update(m_db) {}

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
        s.LSTTARBAS = rate(q.value(5));
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

CyberStore::PersistResult CyberStore::persist(Station& s)
{
    if (!m_prepared) {
        m_prepared = m_update.prepare(
            u"UPDATE CYBER SET TIEMPO = ?, MODALIDAD = ?, TARIFA = ?, CLIENTE = ?, TARIFBAS = ?, "
            u"LSTVARX = ?, vartipex = ?, vartipex2 = ?, vartipex3 = ?, TOTAL = ?, TARIFM = ?, "
            u"TARFC = ?, PCNAME = COALESCE(?, PCNAME), PCMAC = COALESCE(?, PCMAC) "
            u"WHERE rowid = (SELECT rowid FROM CYBER WHERE PC = ? ORDER BY rowid LIMIT 1)"_s);
        if (!m_prepared) {
            m_lastError = m_update.lastError().text();
            return PersistResult::Failed;
        }
    }
    if (s.sub.isEmpty())
        s.sub = formatAmount(0.0);
    if (s.total.isEmpty())
        s.total = formatAmount(0.0);

    m_update.addBindValue(stored(s.tiempo));
    m_update.addBindValue(stored(s.modo));
    m_update.addBindValue(storedAmount(s.sub));
    m_update.addBindValue(stored(s.usuario));
    m_update.addBindValue(double(parseSingle(s.LSTTARBAS).value_or(0.0f)));
    m_update.addBindValue(stored(s.LSTCLWA));
    m_update.addBindValue(stored(s.vartipex));
    m_update.addBindValue(stored(s.vartipex2));
    m_update.addBindValue(stored(s.vartipex3));
    m_update.addBindValue(storedAmount(s.total));
    m_update.addBindValue(stored(s.TARIFM));
    m_update.addBindValue(stored(s.TARFC));
    m_update.addBindValue(s.pcnames == u"-"_s ? QVariant() : stored(s.pcnames));
    m_update.addBindValue(s.LSTMACS.isEmpty() ? QVariant() : QVariant(s.LSTMACS));
    m_update.addBindValue(stored(s.pc));
    if (!m_update.exec()) {
        m_lastError = m_update.lastError().text();
        return PersistResult::Failed;
    }
    return m_update.numRowsAffected() > 0 ? PersistResult::Written : PersistResult::NotFound;
}

} // namespace kestrel
