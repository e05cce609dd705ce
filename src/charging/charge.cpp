#include "charge.h"

#include "journal/journal.h"
#include "core/names.h"
#include "core/prompts.h"
#include "link/remotecommands.h"
#include "printing/pendingprints.h"
#include "stations/actionstore.h"
#include "stations/stationtable.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

float single(const QString& text)
{
    return parseSingle(text).value_or(0.0f);
}

// The total's pattern "#0.00#": at least one integer digit, two decimals and a third one only
// when it is not zero, regional decimal sign and no digit grouping.
QString formatTotal(float value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    QString text = formatSingle(value, 3, locale);
    if (text.endsWith(u'0'))
        text.chop(1);
    return text;
}

bool isJobOf(const PendingPrint& job, const QString& computerName)
{
    return sameName(job.maquina, computerName);
}

// The page count is a 16-bit figure; it stops at its largest value rather than wrapping to a
// negative count, which would leave the pages unjournalled.
qint16 addPages(qint16 sum, double pages)
{
    const double total = double(sum) + std::nearbyint(pages);
    if (total > std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (total < std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return qint16(total);
}

} // namespace

const QString Charging::PrintService = u"SERVICIO DE IMPRESION"_s;
const QString Charging::RentalService = u"ALQUILER DE PC"_s;

Charging::Charging(Services services) : m_services(std::move(services)) {}

std::optional<Charging::Bill> Charging::build(int stationIndex) const
{
    if (!m_services.stations.isValidIndex(stationIndex))
        return std::nullopt;
    return build(stationIndex, m_services.stations.at(stationIndex), m_services.prints);
}

Charging::Bill Charging::build(int stationIndex, const Station& station,
                               const PendingPrints& prints)
{
    Bill bill;
    bill.station = stationIndex;
    bill.computerName = station.pcnames;
    bill.customer = station.usuario;

    // The running sums are kept as the texts shown, each step re-read in single precision.
    QString total = formatAmount(0);
    std::optional<ServiceLine> printLine;
    if (!bill.computerName.isEmpty()) {
        for (const PendingPrint& job : prints.rows()) {
            if (!isJobOf(job, bill.computerName))
                continue;
            if (printLine) {
                printLine->cantidad =
                    formatGeneralSingle(single(printLine->cantidad) + single(job.cantidad));
                printLine->valor = formatSingle(single(printLine->valor) + single(job.valor), 2);
            } else {
                printLine = ServiceLine{job.cantidad, PrintService, normalizeAmount(job.valor)};
            }
            total = formatSingle(single(total) + single(job.valor), 2);
        }
    }
    if (printLine)
        bill.lines.push_back(*printLine);
    // The rental line shows the session's charge; the total takes the station's accumulated
    // total, which already holds that charge.
    bill.total = formatTotal(single(total) + single(station.total));
    bill.lines.push_back({u"1"_s, RentalService, station.sub});
    return bill;
}

std::optional<QString> Charging::CALCULATEC(const QString& tendered, const QString& total)
{
    if (tendered.isEmpty() || !parseNumber(tendered))
        return std::nullopt;
    // Both amounts count as shown with two decimals, so a three-decimal total is paid to the cent.
    const float given = single(normalizeAmount(tendered));
    const float due = single(normalizeAmount(total));
    // Worked out in single precision and shown to the cent: never "-0,01000023".
    return formatSingle(given - due, 2);
}

Charging::Outcome Charging::COBRAR(const Bill& bill, const QString& tendered)
{
    const double given = parseNumber(normalizeAmount(tendered)).value_or(0.0);
    if (given == 0.0) {
        m_services.prompts.tell(Prompts::Icon::None, u"Ingrese la cantidad"_s);
        return Outcome::NoAmount;
    }
    // The change is judged as the operator reads it, rounded to the cent.
    const std::optional<QString> change = CALCULATEC(tendered, bill.total);
    if (!change || parseNumber(normalizeAmount(*change)).value_or(0.0) < 0.0) {
        m_services.prompts.tell(Prompts::Icon::Exclamation, u"Cantidad incorrecta"_s);
        return Outcome::TooLittle;
    }
    if (!m_services.prompts.askYesNo(u"Esta todo correcto ?"_s))
        return Outcome::NotConfirmed;

    // The lock journals the rental and empties the customer, so the print row that follows is
    // anonymous. Lock, rows and prints are committed together.
    const StationTable& stations = m_services.stations;
    const QString pc =
        stations.isValidIndex(bill.station) ? stations.at(bill.station).pc : QString();
    const bool done =
        m_services.actions.run(u"cobrar el puesto "_s + pc, [&](ActionStore::Action&) {
            if (m_services.commands.LOCKPC(bill.station))
                chargePrints(bill.station, bill.computerName);
        });
    if (!done)
        return Outcome::Failed;
    m_history.append(tendered);
    return Outcome::Charged;
}

std::optional<Charging::PrintCharge> Charging::chargePrints(int stationIndex,
                                                            const QString& computerName)
{
    PrintCharge charge;
    // No station has an empty computer name, and the bill shows no jobs for one either.
    if (computerName.isEmpty())
        return charge;

    PendingPrints& prints = m_services.prints;
    const StationTable& stations = m_services.stations;
    const bool known = stations.isValidIndex(stationIndex);
    const bool done = m_services.actions.run(
        u"cobrar las impresiones de "_s + computerName, [&](ActionStore::Action& action) {
            const std::vector<PendingPrint> before = prints.rows();
            const auto firstJob = [&] {
                const auto& rows = prints.rows();
                const auto it =
                    std::find_if(rows.begin(), rows.end(), [&](const PendingPrint& job) {
                        return isJobOf(job, computerName);
                    });
                return it == rows.end() ? -1 : int(it - rows.begin());
            };
            bool removedAny = false;
            for (int i = firstJob(); i >= 0; i = firstJob()) {
                const PendingPrint& job = prints.rows()[std::size_t(i)];
                charge.pages = addPages(charge.pages, parseNumber(job.cantidad).value_or(0.0));
                charge.amount += Money::fromDouble(parseNumber(job.valor).value_or(0.0));
                prints.removeAt(i);
                removedAny = true;
            }
            if (!removedAny)
                return;
            action.onRollback([&prints, before] { prints.replaceAll(before); });

            if (charge.pages > 0) {
                JournalRecord record{{{},
                                      {},
                                      formatGeneralDouble(charge.amount.toDouble()),
                                      known ? stations.at(stationIndex).usuario : QString(),
                                      known ? stations.at(stationIndex).pc : QString(),
                                      QString::number(charge.pages) + u" IMPRESION(ES) "_s,
                                      {}}};
                m_services.journal.ADDTOREG(record);
            }
            // Every job taken off the list leaves the store as well (a page-less one too), or it
            // would come back at the next start. The list matches machine names ignoring case,
            // and so does this, so list and table stay in step.
            QSqlQuery q(action.db());
            if (!q.prepare(u"DELETE FROM Impresiones WHERE PC = ? COLLATE NOCASE"_s)) {
                action.fail(q.lastError().text());
                return;
            }
            q.addBindValue(computerName);
            if (!q.exec())
                action.fail(q.lastError().text());
        });
    if (!done)
        return std::nullopt;
    return charge;
}

} // namespace kestrel
