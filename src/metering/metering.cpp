#include "metering.h"

#include "journal/journal.h"
#include "core/clock.h"
#include "core/numbers.h"
#include "core/settings.h"
#include "core/timetext.h"
#include "link/linksender.h"
#include "stations/stationrows.h"
#include "stations/stationtable.h"

#include <QSqlError>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString CompoundKind = u"TC"_s;

// A time text as the metering reads it: empty or unreadable counts as "0:00:00", so no station
// is ever left with a time that cannot be read.
TimeText::Fields timeFields(QStringView text)
{
    return TimeText::fields(text).value_or(TimeText::Fields{});
}

bool isTime(QStringView text)
{
    return TimeText::fields(text).has_value();
}

} // namespace

SteppedTime CNTTIMER(QStringView time, float rate)
{
    TimeText::Fields f = timeFields(time);
    if (f.seconds >= 59) {
        f.seconds = 0;
        if (f.minutes >= 59) {
            f.minutes = 0;
            ++f.hours;
        } else {
            ++f.minutes;
        }
    } else {
        ++f.seconds;
    }
    const double charge = double(f.hours) * double(rate) + (double(f.minutes) / 60.0) * rate;
    return {TimeText::format(f), float(charge)};
}

QString Minute2(QStringView time)
{
    const QStringView t = time.isEmpty() ? QStringView(TimeText::zero()) : time;
    const qsizetype first = t.indexOf(u':');
    if (first < 0)
        return {};
    const qsizetype second = t.indexOf(u':', first + 1);
    return (second < 0 ? t.mid(first + 1) : t.mid(first + 1, second - first - 1)).toString();
}

Metering::Metering(Services services, QObject* parent)
    : QObject(parent), m_services(services),
      m_steps(services.db,
              u"SELECT VALUE, TARIF, NOMBRE FROM TAIFASC WHERE CODIGO = ? ORDER BY rowid"_s),
      m_account(services.db, u"UPDATE CUENTAS SET TIMERES = ? WHERE rowid = "
                             u"(SELECT rowid FROM CUENTAS WHERE USER = ? ORDER BY rowid LIMIT 1) "
                             u"AND TIMERES IS NOT ?"_s)
{
    // A station freed between two ticks may be opened again before the next one: its new session
    // must not inherit the rows kept for the old.
    StationTable& stations = services.stations;
    connect(&stations, &StationTable::stationChanged, this, [this, &stations](int index) {
        if (stations.isValidIndex(index) && stations.at(index).modo.isEmpty())
            m_kept.remove(stations.at(index).pc);
    });
}

void Metering::tick()
{
    m_failures.clear();
    m_stepsThisTick.clear();
    ++m_ticks;
    m_memo.newRound();
    m_zero = formatAmount(0.0);
    StationRows& rows = m_services.rows;
    if (!rows.ensureLoaded())
        fail(u"leer los puestos"_s, rows.lastError());

    QSqlDatabase db = m_services.db;
    // Without a transaction every write still goes through, one by one.
    const bool inTransaction = db.transaction();
    if (inTransaction)
        m_services.journal.beginTransaction();
    m_services.journal.writeUnwritten();

    // Settings are read once per tick; only the options dialog changes them.
    const double warningMinutes = m_services.settings.timeToEndMinutes();
    const bool restoreCounters = m_services.settings.restoreCountersOnExpiry();

    int free = 0;
    int busy = 0;
    std::vector<int> ended;
    m_services.stations.updateAll([&](int index, Station& s) {
        (s.modo.isEmpty() ? free : busy)++;
        StationRows::Row* row = rows.find(s.pc);

        const bool counter = s.modo == StationMode::Counter;
        const bool prepaid = s.modo == StationMode::Prepaid;
        if (counter || prepaid) {
            if (s.TARIFM == CompoundKind)
                priceCompound(s);
            else
                priceStandard(s, row ? row->rate : 0.0f);
        }
        if (counter)
            s.tiempo = s.vartipex2;
        if (prepaid && countDown(index, s, warningMinutes, restoreCounters))
            ended.push_back(index);
        if (!isTime(s.tiempo))
            s.tiempo = TimeText::zero();
        if (row && !rows.write(*row, s))
            fail(u"guardar el puesto "_s + s.pc, rows.lastError());
        if (!s.usuario.isEmpty())
            mirrorAccount(s);
    });
    // Rows not used in this tick belong to sessions that ended or changed their tariff.
    m_kept.removeIf([this](QHash<QString, KeptSteps>::iterator it) { return it->tick != m_ticks; });

    if (inTransaction) {
        if (db.commit()) {
            m_services.journal.commitTransaction();
        } else {
            fail(u"guardar los puestos"_s, db.lastError().text());
            db.rollback();
            m_services.journal.rollbackTransaction();
            rows.forget();
        }
    }

    const QDateTime now = m_services.clock.now();
    m_stationsText =
        u"Puestos libres: "_s + QString::number(free) + u" Ocupados: "_s + QString::number(busy);
    m_dateText = u"%1/%2/%3"_s.arg(now.date().day()).arg(now.date().month()).arg(now.date().year());
    m_timeText = QString::number(now.time().hour()) + u':' +
                 u"%1"_s.arg(now.time().minute(), 2, 10, QChar(u'0'));

    if (m_failures.isEmpty()) {
        m_lastReported.clear();
    } else if (m_failures.first() != m_lastReported) {
        m_lastReported = m_failures.first();
        emit storeFailed(m_lastReported);
    }
    for (int index : ended)
        emit prepaidEnded(index);
    emit ticked();
}

void Metering::priceStandard(Station& s, float rate)
{
    if (s.vartipex2.isEmpty())
        s.vartipex2 = TimeText::zero();
    const QString ahead =
        TimeText::add(TimeText::format(timeFields(s.vartipex2)), u"0:01:00").value_or(QString());
    SteppedTime stepped = CNTTIMER(s.vartipex2, rate);
    // In the last two minutes of every hour the charge is taken one minute ahead.
    if (Minute2(ahead) == u"59"_s)
        stepped.charge = CNTTIMER(ahead, rate).charge;
    s.vartipex2 = stepped.time;

    if (s.sub.isEmpty())
        s.sub = m_zero;
    const QString charge = m_memo.formatted(stepped.charge);
    if (m_memo.shown(charge) > m_memo.shown(s.sub))
        s.sub = charge;

    if (s.sub != s.vartipex) {
        if (s.vartipex.isEmpty())
            s.vartipex = m_zero;
        if (s.total.isEmpty())
            s.total = m_zero;
        s.total = m_memo.formatted(m_memo.shown(s.total) + m_memo.shown(s.sub) -
                                   m_memo.shown(s.vartipex));
        s.vartipex = s.sub;
    }
}

void Metering::priceCompound(Station& s)
{
    s.vartipex2 = CNTTIMER(s.vartipex2, 0.0f).time;
    auto kept = m_kept.find(s.pc);
    if (kept == m_kept.end() || kept->code != s.TARFC) {
        const Steps& steps = compoundSteps(s.TARFC);
        if (!steps)
            return; // the steps could not be read: the charge stays as it was until they can
        kept = m_kept.insert(s.pc, {s.TARFC, *steps, 0});
    }
    kept->tick = m_ticks;
    const std::vector<CompoundRow>& steps = kept->rows;

    Money hourPrice;
    Money partialPrice;
    double previous = 0;
    const int minutes = timeFields(s.vartipex2).minutes;
    for (const CompoundRow& step : steps) {
        if (step.value == u"60"_s && step.tarif)
            hourPrice = *step.tarif;
        const std::optional<double> value = parseNumber(step.value);
        if (value && minutes > previous && *value >= minutes && step.tarif)
            partialPrice = *step.tarif;
        if (value)
            previous = std::nearbyint(*value);
    }

    if (s.sub.isEmpty())
        s.sub = m_zero;
    const Money old = m_memo.shown(s.sub);
    s.sub = m_memo.formatted(hourPrice * double(timeFields(s.vartipex2).hours) + partialPrice);
    const Money now = m_memo.shown(s.sub);
    if (old != now)
        s.total = m_memo.formatted(m_memo.shown(s.total) + now - old);
}

bool Metering::countDown(int index, Station& s, double warningMinutes, bool restoreCounters)
{
    const QString remaining =
        TimeText::subtract(TimeText::format(timeFields(s.vartipex3)), s.vartipex2)
            .value_or(TimeText::zero());
    s.tiempo = remaining;
    const bool ranOut = remaining == TimeText::zero();
    if (!ranOut) {
        const TimeText::Fields left = timeFields(remaining);
        if (warningMinutes > 0 && left.hours == 0 && double(left.minutes) == warningMinutes &&
            left.seconds < 25)
            m_services.link.SENDGEN(index, u"SHOWF"_s, u"SHOWF"_s);
    } else {
        m_services.link.SENDGEN(index, u"FINISHT"_s, u"DOTHEM"_s);
        if (m_memo.shown(s.sub) > Money()) {
            JournalRecord record{QString(), QString(), s.sub, s.usuario, s.pc, s.modo, QString()};
            m_services.journal.ADDTOREG(record);
        }
        s.LSTCLWA.clear();
        s.modo.clear();
        s.usuario.clear();
        s.tiempo = TimeText::zero();
        s.vartipex2.clear();
        s.vartipex3.clear();
        if (restoreCounters) {
            s.sub.clear();
            s.vartipex.clear();
            s.total.clear();
        }
    }
    s.sub = s.sub.isEmpty() ? m_zero : m_memo.normalized(s.sub);
    return ranOut;
}

void Metering::mirrorAccount(const Station& s)
{
    if (!m_account.exec({s.tiempo, s.usuario, s.tiempo}))
        fail(u"guardar el tiempo de la cuenta "_s + s.usuario, m_account.lastError());
}

const Metering::Steps& Metering::compoundSteps(const QString& code)
{
    if (auto it = m_stepsThisTick.constFind(code); it != m_stepsThisTick.cend())
        return it.value();
    Steps steps;
    if (m_steps.exec({code})) {
        steps = readCompoundRows(m_steps.query());
        m_steps.query().finish();
    } else {
        fail(u"leer la tarifa compuesta "_s + code, m_steps.lastError());
    }
    return *m_stepsThisTick.insert(code, std::move(steps));
}

void Metering::fail(const QString& what, const QString& error)
{
    m_failures << u"No se pudo "_s + what + u".\n"_s + error;
}

} // namespace kestrel
