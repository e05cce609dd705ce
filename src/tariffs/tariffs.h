#pragma once

#include "core/numbers.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

namespace kestrel {

// One row of TARIFAS, its fields named after the columns. The meaning of the two numbers depends
// on the kind.
struct Tariff {
    qint64 code = 0;     // CODIGO: the key, and the compound tariff's rows in TAIFASC
    QString name;        // NOMBRE: the name the tariff lists show
    double tarifa = 0;   // TARIFA: price per hour (standard), package minutes (predefined)
    double tarifMin = 0; // TARIF_MIN: minimum charge (standard), package price (predefined)
    QString tipo;        // TIPO: "ST" standard, "PR" predefined, "TC" compound

    bool isCompound() const { return tipo == QLatin1String("TC"); }
};

// One row of a compound tariff, from TAIFASC. The row "60" is the price of an hour. A price that
// is null or not a number has no value: every step that uses it is skipped.
struct CompoundRow {
    QString value;              // VALUE: end of the block, whole minutes within the hour
    std::optional<Money> tarif; // TARIF: price of a session part that ends in the block
};

// Reads tariffs from TARIFAS and TAIFASC.
class TariffStore {
public:
    explicit TariffStore(QSqlDatabase db);

    // Every tariff in table order; nothing when the table cannot be read.
    std::optional<std::vector<Tariff>> tariffs();

    // The rows of one compound tariff in stored order, only those whose NOMBRE is that of the
    // first row read (case as stored). Nothing when the table cannot be read.
    std::optional<std::vector<CompoundRow>> compoundRows(qint64 code);

    QString lastError() const { return m_lastError; }

private:
    QSqlDatabase m_db;
    QString m_lastError;
};

// The compound rows of a query that selects VALUE, TARIF and NOMBRE in stored order: the rows
// whose NOMBRE is that of the first row read. A price that is no number or beyond MaxAmount has
// no value.
std::vector<CompoundRow> readCompoundRows(QSqlQuery& query);
// The same walk for a reader that wants more of each row: `row` gets the query on each row named
// as the first one read (VALUE, TARIF and NOMBRE first, then whatever else it selects).
void forEachCompoundRow(QSqlQuery& query, const std::function<void(const QSqlQuery&)>& row);

// The tariff a selection index of the tariff list stands for: a negative index counts as the
// first tariff; none when the list is empty or the index is past its end.
const Tariff* selectedTariff(const std::vector<Tariff>& tariffs, int index);

// Working values of the open-station dialog: TARIFA and TARIF_MIN rounded to two decimals, in
// single precision. The hourly rate of a compound tariff is 0.
float hourlyRate(const Tariff& tariff);
float minimumCharge(const Tariff& tariff);

// Time to money: the amount box's text for whole hours and minutes given as the lists' texts.
// Nothing when the amount cannot be computed (a list text that is not a whole number): the box
// keeps its text.
std::optional<QString> CALCULATEA(const Tariff& tariff, const std::vector<CompoundRow>& rows,
                                  QStringView hours, QStringView minutes,
                                  const QLocale& locale = QLocale());

// The time an amount buys, for the dialog's lists and spin controls. Each field has no value when
// its step failed; the dialog then leaves that control as it was.
struct TimeChoice {
    std::optional<int> hours;
    std::optional<int> minutes;
    std::optional<int> hourSpin;   // 59 - hours
    std::optional<int> minuteSpin; // 59 - minutes
};
// Money to time: the hours and minutes the amount box's text buys.
TimeChoice CALCULATEB(const Tariff& tariff, const std::vector<CompoundRow>& rows,
                      QStringView amount, const QLocale& locale = QLocale());

// Seconds to "HH:MM:SS" (at least two digits each). The seconds are left below 60.
QString secondsToTimeText(qint16& seconds);

} // namespace kestrel
