#pragma once

#include "products/catalogue.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kestrel {

class OperatorSession;
class Prompts;

// frmarticulos, "Articulos": the catalogue with its edit fields and grid, and the picking panel
// through which a sale takes a product. One window serves both: opened from the console's menu
// without the panel, from the sale's "Agregar" with it, modal over the sale.
class ProductsWindow final : public QDialog {
    Q_OBJECT
public:
    ProductsWindow(Catalogue& catalogue, const OperatorSession& session, Prompts& prompts,
                   QWidget* parent = nullptr);

    // "Articulos" > "Administrar": not modal, the picking panel hidden.
    void showForAdmin();
    // The sale's "Agregar": modal, the picking panel shown.
    void showForSale();
    // The sale took the picked line: the panel and the window go.
    void picked();

    QTableWidget* grid() const { return m_grid; }

signals:
    // The panel's "Agregar": `quantity` of the current product.
    void addRequested(const kestrel::Product& product, const QString& quantity);

private:
    void open(bool forSale);
    void showRows();
    void showCurrent();
    void applyRights();
    void step(int step);
    // "Nuevo": empties the fields for a new product.
    void nuevo();
    // "Guardar": stores the product shown.
    void guardar();
    // "Eliminar": removes the product shown.
    void eliminar();

    Catalogue& m_catalogue;
    const OperatorSession& m_session;
    Prompts& m_prompts;
    QLineEdit* m_articulo = nullptr;
    QLineEdit* m_descripcion = nullptr;
    QLineEdit* m_stock = nullptr;
    QLineEdit* m_pvp = nullptr;
    QLineEdit* m_costo = nullptr;
    QTableWidget* m_grid = nullptr;
    QPushButton* m_nuevo = nullptr;
    QPushButton* m_guardar = nullptr;
    QPushButton* m_eliminar = nullptr;
    QGroupBox* m_panel = nullptr;
    QLabel* m_pickName = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLabel* m_pickAmount = nullptr;
    bool m_filling = false;
};

} // namespace kestrel
