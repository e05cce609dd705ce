#include "tariffs.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <QtNumeric>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// The block row that prices a whole hour.
const QString HourBlock = u"60"_s;

// The largest amount the currency holds; anything beyond is out of range.
constexpr double CurrencyLimit = 922337203685477.0;

// A compound amount buys at most this many hours. It only bounds the walk through the blocks: an
// hour price that does not make the amount left smaller would otherwise never end it.
constexpr qint64 MaxCompoundHours = std::numeric_limits<qint16>::max();

std::optional<Money> currency(double value)
{
    if (!std::isfinite(value) || std::abs(value) > CurrencyLimit)
        return std::nullopt;
    return Money::fromDouble(value);
}

// A list text or a block end: a whole number; anything else (1,5 or abc) is no number.
std::optional<qint64> wholeNumber(QStringView text, const QLocale& locale)
{
    const auto value = parseNumber(text, locale);
    if (!value || std::floor(*value) != *value || std::abs(*value) > CurrencyLimit)
        return std::nullopt;
    return qint64(*value);
}

// A number as the dialog keeps it: formatted with two decimals and read back in single precision.
std::optional<float> twoDecimals(double value, const QLocale& locale)
{
    return parseSingle(formatDouble(value, 2, locale), locale);
}

std::optional<float> twoDecimals(float value, const QLocale& locale)
{
    return parseSingle(formatSingle(value, 2, locale), locale);
}

// The currency rounded to a whole number, ties to the even neighbour; nothing outside 16 bits.
std::optional<qint16> wholeSeconds(Money amount)
{
    qint64 whole = amount.units() / Money::Scale;
    const qint64 rest = amount.units() % Money::Scale;
    const qint64 half = Money::Scale / 2;
    if (rest > half || (rest == half && whole % 2 != 0))
        ++whole;
    else if (rest < -half || (rest == -half && whole % 2 != 0))
        --whole;
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(whole);
}

TimeChoice choiceOf(std::optional<int> hours, std::optional<int> minutes)
{
    TimeChoice c;
    c.hours = hours;
    c.minutes = minutes;
    if (hours)
        c.hourSpin = 59 - *hours;
    if (minutes)
        c.minuteSpin = 59 - *minutes;
    return c;
}

// Hours and minutes of a time text; the seconds are dropped.
TimeChoice choiceOfTimeText(const QString& text, const QLocale& locale)
{
    const QStringList parts = text.split(u':');
    std::optional<int> hours;
    std::optional<int> minutes;
    if (const auto h = wholeNumber(parts.value(0), locale))
        hours = int(*h);
    if (const auto m = wholeNumber(parts.value(1), locale))
        minutes = int(*m);
    return choiceOf(hours, minutes);
}

std::optional<QString> standardAmount(const Tariff& tariff, qint64 hours, qint64 minutes,
                                      const QLocale& locale)
{
    const double rate = hourlyRate(tariff);
    const auto amount = currency(double(hours) * rate + double(minutes) * rate / 60.0);
    if (!amount)
        return std::nullopt;
    const Money shown = Money::fromSingle(amount->toSingle());
    return formatGeneralSingle(shown.toSingle(), locale);
}

std::optional<QString> compoundAmount(const std::vector<CompoundRow>& rows, qint64 hours,
                                      qint64 minutes, const QLocale& locale)
{
    Money hourPrice;
    for (const CompoundRow& row : rows) {
        if (row.value == HourBlock) {
            if (row.tarif)
                hourPrice = *row.tarif;
            break;
        }
    }

    // The block the minutes end in. A block end that is not a whole number is never matched, and
    // the block after it starts where the last valid one ended.
    Money blockPrice;
    qint64 previousEnd = 0;
    for (const CompoundRow& row : rows) {
        const auto end = wholeNumber(row.value, locale);
        if (end && previousEnd < minutes && *end >= minutes) {
            if (row.tarif)
                blockPrice = *row.tarif;
            break;
        }
        if (end)
            previousEnd = *end;
    }

    if (!currency(hourPrice.toDouble() * double(hours)))
        return std::nullopt;
    const Money forHours = hourPrice * double(hours);
    qint64 total = 0;
    if (qAddOverflow(forHours.units(), blockPrice.units(), &total))
        return std::nullopt;
    return Money::fromUnits(total).format(2, locale);
}

TimeChoice standardTime(float rate, float amount)
{
    // A tariff without a price buys no defined time: the lists keep what they show.
    if (rate == 0.0f)
        return {};
    const float quotient = amount / rate * 3600.0f;
    if (!std::isfinite(quotient))
        return {};
    // The seconds are held in 16 bits, so an amount buys at most 9:06:07 of a standard tariff.
    // A larger amount is refused (the lists keep what they show) rather than cut down to that
    // limit: the operator sees nothing changed and sets the time himself, instead of the customer
    // silently getting less time than he paid for.
    const auto seconds = wholeSeconds(Money::fromSingle(quotient));
    if (!seconds)
        return {};
    qint16 s = *seconds;
    return choiceOfTimeText(secondsToTimeText(s), QLocale::c());
}

TimeChoice compoundTime(const std::vector<CompoundRow>& rows, float amount, const QLocale& locale)
{
    std::vector<std::optional<float>> roundedPrices;
    roundedPrices.reserve(rows.size());
    for (const CompoundRow& row : rows)
        roundedPrices.push_back(row.tarif ? twoDecimals(row.tarif->toDouble(), locale)
                                          : std::nullopt);

    float left = amount;
    qint64 hours = 0;
    qint64 minutes = 0;
    bool again = true;
    while (again) {
        again = false;
        const std::optional<float> leftRounded = twoDecimals(left, locale);
        Money previous;
        // Each row in turn; after the last one the walk ends (the empty row matches nothing).
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CompoundRow& row = rows[i];
            if (row.tarif && *row.tarif > previous && leftRounded && roundedPrices[i] &&
                *leftRounded <= *roundedPrices[i]) {
                // The amount left ends in this block. A block that ends at 60 or later (the hour
                // price when the amount left is above the last block within the hour) buys whole
                // hours: one more hour and 0 minutes, never "60 minutes".
                if (const auto end = wholeNumber(row.value, locale); end && *end >= 0) {
                    hours += *end / 60;
                    minutes = *end % 60;
                }
                break;
            }
            if (row.tarif)
                previous = *row.tarif;
            if (row.value == HourBlock) {
                ++hours;
                // Only an hour that costs something is taken off the amount left; a free or
                // negative hour price would make the walk endless, so the hour is counted and the
                // walk runs on to its end with minutes at 0.
                if (row.tarif && row.tarif->units() > 0 && row.tarif->toSingle() < left) {
                    left = float(double(left) - row.tarif->toDouble());
                    again = true;
                    break;
                }
            }
            if (hours > MaxCompoundHours)
                break;
        }
        // An amount that buys more hours than the console counts is refused: the lists keep what
        // they show.
        if (hours > MaxCompoundHours)
            return {};
    }
    return choiceOf(int(hours), int(minutes));
}

} // namespace

TariffStore::TariffStore(QSqlDatabase db) : m_db(std::move(db)) {}

std::optional<std::vector<Tariff>> TariffStore::tariffs()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT CODIGO, NOMBRE, TARIFA, TARIF_MIN, TIPO FROM TARIFAS ORDER BY rowid"_s)) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    std::vector<Tariff> tariffs;
    while (q.next()) {
        // An empty amount counts as 0. A tariff with an amount that cannot be read (no number,
        // or beyond MaxAmount) is not offered: nobody opens a session at a price nobody set.
        const auto amount = [&q](int column) {
            return q.isNull(column) ? std::optional<double>(0.0) : storedAmount(q.value(column));
        };
        const auto tarifa = amount(2);
        const auto tarifMin = amount(3);
        if (!tarifa || !tarifMin)
            continue;
        Tariff t;
        t.code = q.value(0).toLongLong();
        t.name = q.value(1).toString();
        t.tarifa = *tarifa;
        t.tarifMin = *tarifMin;
        t.tipo = q.value(4).toString();
        tariffs.push_back(std::move(t));
    }
    return tariffs;
}

std::optional<std::vector<CompoundRow>> TariffStore::compoundRows(qint64 code)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(u"SELECT VALUE, TARIF, NOMBRE FROM TAIFASC WHERE CODIGO = ? ORDER BY rowid"_s)) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    q.addBindValue(code);
    if (!q.exec()) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    return readCompoundRows(q);
}

void forEachCompoundRow(QSqlQuery& q, const std::function<void(const QSqlQuery&)>& row)
{
    QString name;
    bool first = true;
    while (q.next()) {
        const QString rowName = q.value(2).toString();
        if (first)
            name = rowName;
        first = false;
        if (rowName == name)
            row(q);
    }
}

std::vector<CompoundRow> readCompoundRows(QSqlQuery& q)
{
    std::vector<CompoundRow> rows;
    forEachCompoundRow(q, [&rows](const QSqlQuery& stored) {
        CompoundRow row;
        row.value = stored.value(0).isNull() ? QString() : stored.value(0).toString();
        if (const auto price = storedAmount(stored.value(1)))
            row.tarif = Money::fromDouble(*price);
        rows.push_back(std::move(row));
    });
    return rows;
}

const Tariff* selectedTariff(const std::vector<Tariff>& tariffs, int index)
{
    const std::size_t i = index < 0 ? 0 : std::size_t(index);
    return i < tariffs.size() ? &tariffs[i] : nullptr;
}

float hourlyRate(const Tariff& tariff)
{
    if (tariff.isCompound())
        return 0.0f;
    return twoDecimals(tariff.tarifa, QLocale()).value_or(0.0f);
}

float minimumCharge(const Tariff& tariff)
{
    return twoDecimals(tariff.tarifMin, QLocale()).value_or(0.0f);
}

std::optional<QString> CALCULATEA(const Tariff& tariff, const std::vector<CompoundRow>& rows,
                                  QStringView hours, QStringView minutes, const QLocale& locale)
{
    const auto h = wholeNumber(hours, locale);
    const auto m = wholeNumber(minutes, locale);
    if (!h || !m)
        return std::nullopt;
    return tariff.isCompound() ? compoundAmount(rows, *h, *m, locale)
                               : standardAmount(tariff, *h, *m, locale);
}

TimeChoice CALCULATEB(const Tariff& tariff, const std::vector<CompoundRow>& rows,
                      QStringView amount, const QLocale& locale)
{
    // A box that holds no number leaves the amount at 0.
    float value = 0.0f;
    if (const auto typed = parseNumber(amount, locale)) {
        if (const auto rounded = twoDecimals(*typed, locale))
            value = *rounded;
    }
    if (tariff.isCompound())
        return compoundTime(rows, value, locale);
    return standardTime(hourlyRate(tariff), value);
}

QString secondsToTimeText(qint16& seconds)
{
    int hours = 0;
    int minutes = 0;
    while (seconds >= 60) {
        seconds -= 60;
        if (minutes == 59) {
            minutes = 0;
            ++hours;
        } else {
            ++minutes;
        }
    }
    return u"%1:%2:%3"_s.arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

} // namespace kestrel
