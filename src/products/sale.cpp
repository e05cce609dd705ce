#include "sale.h"

#include "journal/journal.h"
#include "catalogue.h"
#include "core/numbers.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "stations/actionstore.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

Sale::Sale(Services services) : m_services(std::move(services)) {}

bool Sale::add(const Product& product, const QString& quantity)
{
    Prompts& prompts = m_services.prompts;
    const std::optional<double> q = parseNumber(quantity);
    if (!q || *q <= 0) {
        prompts.tell(Prompts::Icon::Exclamation, u"Ingrese una cantidad mayor que 0."_s);
        return false;
    }
    // The stock as stored now: a sale made since the catalogue was read has lowered it.
    QSqlQuery read(m_services.db);
    read.prepare(u"SELECT Stock FROM Articulos WHERE Codigo = ?"_s);
    read.addBindValue(product.codigo);
    if (!read.exec() || !read.next()) {
        prompts.tell(Prompts::Icon::Exclamation,
                     u"El artículo \""_s + product.articulo + u"\" ya no existe."_s);
        return false;
    }
    if (*q > storedAmount(read.value(0)).value_or(0.0)) {
        prompts.tell(Prompts::Icon::Exclamation, u"NO hay suficiente STOCK"_s);
        return false;
    }
    const double amount = product.pvp * *q;
    if (amount > MaxAmount) {
        prompts.tell(Prompts::Icon::Exclamation,
                     u"El importe de la línea supera %1."_s.arg(formatAmount(MaxAmount)));
        return false;
    }
    m_lines.push_back({quantity, product.articulo, formatAmount(product.pvp), formatAmount(amount),
                       product.codigo});
    return true;
}

Sale::Totals Sale::totals() const
{
    Money sub;
    for (const SaleLine& line : m_lines)
        sub += Money::fromDouble(parseNumber(line.sub).value_or(0.0));
    Totals t;
    t.sub = sub.format(2);
    t.iva = formatAmount(sub.toDouble() * m_services.settings.taxPercent() / 100);
    // The total adds the two amounts as shown, in single precision.
    t.total =
        formatSingle(parseSingle(t.sub).value_or(0.0f) + parseSingle(t.iva).value_or(0.0f), 2);
    return t;
}

Sale::Outcome Sale::sell(const QString& paidText)
{
    if (m_lines.empty())
        return Outcome::Empty;
    Prompts& prompts = m_services.prompts;
    const std::optional<float> paid = parseSingle(paidText);
    if (paidText.trimmed().isEmpty() || !paid) {
        prompts.tell(Prompts::Icon::Exclamation, u"Ingrese el valor"_s);
        return Outcome::Refused;
    }
    const QString totalText = totals().total;
    const float total = parseSingle(totalText).value_or(0.0f);
    if (*paid < total) {
        prompts.tell(Prompts::Icon::Exclamation, u"Cantidad insuficiente"_s);
        return Outcome::Refused;
    }
    // Told before the action: nothing may wait on the operator inside it.
    prompts.tell(Prompts::Icon::Information,
                 u"  Cambio: "_s + formatAmount(double(*paid - total)) + u" "_s);

    const bool done =
        m_services.actions.run(u"vender los artículos"_s, [&](ActionStore::Action& a) {
            QSqlQuery q(a.db());
            q.prepare(u"UPDATE Articulos SET Stock = COALESCE(Stock, 0) - ? WHERE Codigo = ?"_s);
            for (const SaleLine& line : m_lines) {
                q.addBindValue(parseNumber(line.cant).value_or(0.0));
                q.addBindValue(line.codigo);
                if (!q.exec()) {
                    a.fail(q.lastError().text());
                    return;
                }
                if (q.numRowsAffected() != 1) {
                    a.fail(u"el artículo \""_s + line.articulo + u"\" ya no existe."_s);
                    return;
                }
            }
            JournalRecord row;
            row[JournalField::Valor] = totalText;
            row[JournalField::User] = QString();
            row[JournalField::Pc] = u""_s;
            row[JournalField::Descrip] = Description;
            if (!m_services.journal.ADDTOREG(row))
                a.fail(m_services.journal.lastError());
        });
    if (!done)
        return Outcome::Failed;
    clear();
    return Outcome::Sold;
}

} // namespace kestrel
