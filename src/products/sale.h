#pragma once

#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace kestrel {

class ActionStore;
class Journal;
class Prompts;
class Settings;
struct Product;

// One line of a counter sale, as the sale list shows it, the fields named after its columns.
struct SaleLine {
    QString cant;      // "Cant": the quantity as typed
    QString articulo;  // "Articulo": the product's name
    QString vu;        // "VU": the unit price, two decimals
    QString sub;       // "Sub": price times quantity, two decimals
    qint64 codigo = 0; // hidden key: the product's Codigo
};

// A counter sale of small goods: lines taken from the catalogue, the totals with the tax, and the
// sale itself, which lowers the stock of every line and writes its journal row in one action.
// The lines outlive the dialog being hidden, until sold or cleared.
class Sale final {
public:
    struct Services {
        QSqlDatabase db;
        ActionStore& actions;
        Journal& journal;
        Prompts& prompts;
        const Settings& settings;
    };

    // The totals' fields, two decimals each.
    struct Totals {
        QString sub;   // "Sub": the sum of the lines
        QString iva;   // "IVA": the tax on the sum
        QString total; // "Total": sum and tax
    };

    enum class Outcome {
        Empty,   // no lines: nothing to sell
        Refused, // the operator was told why (no payment, too little)
        Failed,  // the store refused; the lines stay
        Sold,
    };

    static inline const QString Description = QStringLiteral("Venta de Articulo(s)");

    explicit Sale(Services services);

    const std::vector<SaleLine>& lines() const { return m_lines; }

    // Adds `quantity` of a product when its stock (as the store holds it now) covers it. Refused,
    // with the operator told, for a quantity that is no number above 0, a stock too small, a
    // product no longer in the store, or a line amount beyond MaxAmount. Earlier lines of the
    // same product are not counted against the stock.
    bool add(const Product& product, const QString& quantity);

    // CALCULATER: the sum of the lines, the tax on it ("IMPUESTO" percent) and the total.
    Totals totals() const;

    // "OK - Vender" with the amount the customer paid: tells the change, then lowers the stocks
    // and writes the journal row as one action, and clears the sale.
    Outcome sell(const QString& paid);

    void clear() { m_lines.clear(); }

private:
    Services m_services;
    std::vector<SaleLine> m_lines;
};

} // namespace kestrel
