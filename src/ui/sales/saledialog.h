#pragma once

#include "products/sale.h"

#include <QDialog>

class QLineEdit;
class QTreeWidget;

namespace kestrel {

class ProductsWindow;
class Prompts;

// frmfact, "Vender Articulo": the counter sale. Its "Agregar" opens the catalogue with the
// picking panel; "OK - Vender" (or Enter in "Cliente Pago") sells. Not modal; "Cancelar" hides
// it and the lines wait for the next opening.
class SaleDialog final : public QDialog {
    Q_OBJECT
public:
    SaleDialog(Sale& sale, ProductsWindow& products, const QString& currencySymbol,
               QWidget* parent = nullptr);

    // Shows the dialog (not modal) with the lines it holds.
    void showSale();

signals:
    // A sale went through: the console refreshes what shows the journal.
    void sold();

private:
    void add(const Product& product, const QString& quantity);
    void showLines();
    // CALCULATER: the subtotal, tax and total of the lines in the list.
    void CALCULATER();
    // "Vender": sells the lines for the amount paid.
    void vender();
    // "Limpiar": empties the sale.
    void limpiar();

    Sale& m_sale;
    ProductsWindow& m_products;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_sub = nullptr;
    QLineEdit* m_iva = nullptr;
    QLineEdit* m_total = nullptr;
    QLineEdit* m_paid = nullptr;
};

} // namespace kestrel
