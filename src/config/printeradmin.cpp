#include "printeradmin.h"

#include "core/names.h"
#include "core/numbers.h"
#include "core/prompts.h"
#include "core/typednumber.h"
#include "printing/printmonitor.h"
#include "stations/actionstore.h"

#include <QHash>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// A stored count or discount as the page shows it: the number as it is, in the regional format.
QString storedText(const QVariant& value)
{
    const std::optional<double> number = storedNumber(value);
    if (number)
        return formatGeneralDouble(*number);
    return value.isNull() ? QString() : value.toString();
}

} // namespace

PrinterAdmin::PrinterAdmin(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services))
{
    connect(&m_services.monitor, &PrintMonitor::printersListed, this,
            [this](const QStringList& printers) {
                m_listing = false;
                setInstalled(printers);
            });
}

void PrinterAdmin::refresh()
{
    m_listing = true;
    setInstalled({});
    m_services.monitor.listPrinters();
}

bool PrinterAdmin::setInstalled(const QStringList& printers)
{
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT nombre, valorporprint, cantdest, pordesct FROM Impresoras "
                u"ORDER BY rowid"_s)) {
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudo leer la tabla de impresoras."_s);
        return false;
    }
    // The first record of each name, ignoring case, in table order.
    std::vector<PrinterRow> stored;
    QHash<QString, std::size_t> byKey;
    while (q.next()) {
        const QString name = q.value(0).toString();
        const QString key = nameKey(name);
        if (byKey.contains(key))
            continue;
        const std::optional<double> price = storedNumber(q.value(1));
        byKey.insert(key, stored.size());
        stored.push_back({name, price ? formatAmount(*price) : QString(), storedText(q.value(2)),
                          storedText(q.value(3)), false});
    }

    std::vector<PrinterRow> rows;
    QHash<QString, bool> shown;
    for (const QString& printer : printers) {
        const QString key = nameKey(printer);
        if (shown.contains(key))
            continue; // one row per printer, whatever the case of a repeated name
        shown.insert(key, true);
        PrinterRow row{printer, {}, {}, {}, true};
        if (const auto it = byKey.constFind(key); it != byKey.cend()) {
            const PrinterRow& s = stored[*it];
            row.price = s.price;
            row.count = s.count;
            row.discount = s.discount;
        }
        rows.push_back(row);
    }
    for (const PrinterRow& s : stored) {
        if (!shown.contains(nameKey(s.name)))
            rows.push_back(s);
    }
    m_rows = std::move(rows);
    emit rowsChanged();
    return true;
}

std::optional<PrinterAdmin::Boxes> PrinterAdmin::choose(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return std::nullopt;
    const PrinterRow& r = m_rows[std::size_t(row)];
    // The boxes are stored by their leading number, which reads the full stop only: a column
    // shown with the decimal comma ("0,50") goes into its box written with the full stop, so that
    // saving the row again keeps its price instead of cutting it to 0.
    const auto box = [](const QString& shown, int decimals) {
        if (shown.isEmpty())
            return decimals ? formatDouble(0.0, decimals, QLocale::c()) : QString();
        const double value = parseNumber(shown).value_or(leadingNumber(shown));
        return decimals ? formatDouble(value, decimals, QLocale::c())
                        : formatGeneralDouble(value, QLocale::c());
    };
    return Boxes{r.name, box(r.price, 2), box(r.count, 0), box(r.discount, 0)};
}

bool PrinterAdmin::save(const QString& name, const QString& price, const QString& count,
                        const QString& discount)
{
    Prompts& prompts = m_services.prompts;
    if (name.isEmpty()) {
        prompts.tell(Prompts::Icon::Exclamation, u"Elija una impresora de la lista."_s);
        return false;
    }
    const QString captions[] = {u"Valor/Impresion"_s, u"Cant desde:"_s, u"Descuento (%)"_s};
    const QString texts[] = {price, count, discount};
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        // The boxes take digits, comma and full stop only, but a pasted text may carry a sign
        // or a run of digits no price has.
        const std::optional<double> value = numberInRange(
            leadingNumber(texts[i]), u"«"_s + captions[i] + u'»', 0, MaxAmount, prompts);
        if (!value)
            return false;
        values[i] = *value;
    }

    const bool done = m_services.actions.run(
        u"guardar el precio de la impresora "_s + name, [&](ActionStore::Action& a) {
            const std::vector<PrinterRow> before = m_rows;
            a.onRollback([this, before] { m_rows = before; });
            // The row shows the texts as typed until the page is filled again.
            for (PrinterRow& r : m_rows) {
                if (r.name == name) {
                    r.price = price;
                    r.count = count;
                    r.discount = discount;
                }
            }
            QSqlQuery q(a.db());
            if (!a.exec(q,
                        u"SELECT rowid FROM Impresoras WHERE nombre = ? ORDER BY rowid LIMIT 1"_s,
                        {name}))
                return;
            if (q.next())
                a.exec(u"UPDATE Impresoras SET valorporprint = ?, cantdest = ?, pordesct = ? "
                       u"WHERE rowid = ?"_s,
                       {values[0], values[1], values[2], q.value(0)});
            else
                a.exec(u"INSERT INTO Impresoras (nombre, valorporprint, cantdest, pordesct) "
                       u"VALUES (?, ?, ?, ?)"_s,
                       {name, values[0], values[1], values[2]});
        });
    emit rowsChanged();
    return done;
}

} // namespace kestrel
