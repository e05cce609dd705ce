#include "catalogue.h"

#include "core/names.h"
#include "core/numbers.h"
#include "core/prompts.h"
#include "core/typednumber.h"
#include "stations/actionstore.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

QString text(const QSqlQuery& q, int column)
{
    return q.isNull(column) ? QString() : q.value(column).toString();
}

// A number field of the form: `what` names it in the refusal. An empty field is `empty` when
// that is given, else refused.
std::optional<double> numberField(const QString& typed, const QString& what, double low,
                                  std::optional<double> empty, Prompts& prompts)
{
    if (typed.trimmed().isEmpty() && empty)
        return empty;
    return numberInRange(parseNumber(typed), what, low, Catalogue::MaxPrice, prompts);
}

} // namespace

Catalogue::Catalogue(Services services) : m_services(std::move(services)) {}

bool Catalogue::reload(int current)
{
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    m_rows.clear();
    if (!q.exec(u"SELECT Codigo, Articulo, Descripcion, Stock, PVP, Costo FROM Articulos "
                u"ORDER BY Codigo"_s)) {
        m_current = -1;
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudo leer la tabla de artículos.\n"_s +
                                    q.lastError().text());
        return false;
    }
    while (q.next())
        m_rows.push_back({q.value(0).toLongLong(), text(q, 1), text(q, 2),
                          storedAmount(q.value(3)).value_or(0.0),
                          storedAmount(q.value(4)).value_or(0.0),
                          storedAmount(q.value(5)).value_or(0.0)});
    m_current = m_rows.empty() ? -1 : std::clamp(current, 0, int(m_rows.size()) - 1);
    return true;
}

const Product* Catalogue::current() const
{
    return m_current >= 0 ? &m_rows[std::size_t(m_current)] : nullptr;
}

void Catalogue::setCurrent(int index)
{
    if (index >= 0 && index < int(m_rows.size()))
        m_current = index;
}

// Compared in memory with the café's name keys, never as SQL: "%", "_" and quotes are letters.
bool Catalogue::find(QStringView typed)
{
    const QString key = nameKey(typed);
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const Product& p) {
        return nameKey(p.articulo).contains(key);
    });
    if (it == m_rows.end()) {
        m_services.prompts.tell(Prompts::Icon::Information,
                                u"No se encontró ningún artículo que contenga \""_s +
                                    typed.toString() + u"\"."_s);
        return false;
    }
    m_current = int(it - m_rows.begin());
    return true;
}

bool Catalogue::save(const Fields& f)
{
    if (!m_adding && !current())
        return false;
    Prompts& prompts = m_services.prompts;
    const QString name = f.articulo.trimmed();
    if (name.isEmpty()) {
        prompts.tell(Prompts::Icon::Exclamation, u"Ingrese el nombre del artículo."_s);
        return false;
    }
    // An empty stock or cost is nothing yet; a product without a price cannot be sold.
    const std::optional<double> stock =
        numberField(f.stock, u"El stock"_s, -MaxPrice, 0.0, prompts);
    if (!stock)
        return false;
    const std::optional<double> pvp = numberField(f.pvp, u"El PVP"_s, 0, std::nullopt, prompts);
    if (!pvp)
        return false;
    const std::optional<double> costo = numberField(f.costo, u"El costo"_s, 0, 0.0, prompts);
    if (!costo)
        return false;

    const QVariantList values{name, f.descripcion.trimmed(), *stock,
                              Money::fromDouble(*pvp).toDouble(),
                              Money::fromDouble(*costo).toDouble()};
    const bool adding = m_adding;
    const qint64 codigo = adding ? 0 : current()->codigo;
    const bool done = m_services.actions.run(
        (adding ? u"agregar el artículo "_s : u"modificar el artículo "_s) + name,
        [&](ActionStore::Action& a) {
            QSqlQuery q(a.db());
            if (a.exec(q,
                       adding ? u"INSERT INTO Articulos (Articulo, Descripcion, Stock, PVP, Costo) "
                                u"VALUES (?, ?, ?, ?, ?)"_s
                              : u"UPDATE Articulos SET Articulo = ?, Descripcion = ?, Stock = ?, "
                                u"PVP = ?, Costo = ? WHERE Codigo = ?"_s,
                       adding ? values : values + QVariantList{codigo}) &&
                q.numRowsAffected() != 1)
                a.fail(u"el artículo ya no existe."_s);
        });
    if (!done)
        return false;
    m_adding = false;
    reload(std::numeric_limits<int>::max());
    return true;
}

bool Catalogue::remove()
{
    const Product* p = current();
    if (!p)
        return false;
    if (!m_services.prompts.askYesNo(u"Desea eliminar ? "_s + p->articulo))
        return false;
    const qint64 codigo = p->codigo;
    const int at = m_current;
    const bool done = m_services.actions.run(
        u"eliminar el artículo "_s + p->articulo, [&](ActionStore::Action& a) {
            a.exec(u"DELETE FROM Articulos WHERE Codigo = ?"_s, {codigo});
        });
    if (done)
        reload(at); // the row that followed, or the new last one
    return done;
}

Catalogue::Fields Catalogue::fieldsOf(const Product& p)
{
    return {p.articulo, p.descripcion, formatGeneralDouble(p.stock), formatAmount(p.pvp),
            formatAmount(p.costo)};
}

QString Catalogue::stepQuantity(QStringView quantity, int step)
{
    const double q = parseNumber(quantity).value_or(0.0);
    if (step < 0 && q <= 0)
        return formatGeneralDouble(std::max(q, 0.0));
    return formatGeneralDouble(std::max(q + step, 0.0));
}

QString Catalogue::lineAmount(const Product& p, QStringView quantity)
{
    return formatAmount(p.pvp * parseNumber(quantity).value_or(0.0));
}

} // namespace kestrel
