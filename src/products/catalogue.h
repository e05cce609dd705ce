#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringView>

#include <vector>

namespace kestrel {

class ActionStore;
class Prompts;

// One row of Articulos: the small goods sold at the counter. The fields are named after the
// columns.
struct Product {
    qint64 codigo = 0;   // Codigo: the key, given by the store
    QString articulo;    // Articulo: the product's name
    QString descripcion; // Descripcion: its description
    double stock = 0;    // Stock: units in stock
    double pvp = 0;      // PVP: the selling price per unit
    double costo = 0;    // Costo: the cost per unit
};

// The catalogue as its window works on it: the products in store order with a current row, the
// "Nuevo" mode of a product being typed in, and the operator's saves and deletions, each one
// action.
class Catalogue final {
public:
    struct Services {
        QSqlDatabase db;
        ActionStore& actions;
        Prompts& prompts;
    };

    // The five edit fields as typed, named as Product's.
    struct Fields {
        QString articulo;
        QString descripcion;
        QString stock;
        QString pvp;
        QString costo;
    };

    // The largest price or cost taken, and the largest stock either way.
    static constexpr double MaxPrice = 1e9;

    explicit Catalogue(Services services);

    // Reads every product again, in store order; the current row becomes `current` (kept inside
    // the rows; -1: none). False, with the operator told, when the table cannot be read.
    bool reload(int current = 0);

    const std::vector<Product>& rows() const { return m_rows; }
    int currentIndex() const { return m_current; }
    const Product* current() const;
    void setCurrent(int index);

    // "Nuevo" was pressed and the new product not saved yet ("Nuevo" is disabled meanwhile).
    bool adding() const { return m_adding; }
    void startNew() { m_adding = true; }
    // The window opens again: a product typed in and never saved is dropped.
    void dropNew() { m_adding = false; }

    // Moves to the first row whose name contains `text`, ignoring case for every letter; the text
    // is plain (no pattern). Without a match the operator is told and the row stays.
    bool find(QStringView text);

    // "Guardar": appends the fields as a new product while adding, else writes them over the
    // current row; then the current row is the last one and "Nuevo" enabled again. Fields that
    // cannot be stored are refused with a message and nothing is written.
    bool save(const Fields& fields);

    // "Eliminar": asks, then deletes the current product. Nothing without rows.
    bool remove();

    // The fields showing a product.
    static Fields fieldsOf(const Product& product);
    // The quantity after the up (+1) or down (-1) arrow: down stops at 0. A text that is no
    // number counts as 0.
    static QString stepQuantity(QStringView quantity, int step);
    // The amount of a sale line: price times quantity, with two decimals.
    static QString lineAmount(const Product& product, QStringView quantity);

private:
    Services m_services;
    std::vector<Product> m_rows;
    int m_current = -1;
    bool m_adding = false;
};

} // namespace kestrel
