#include "ui/sales/productswindow.h"

#include "core/numbers.h"
#include "core/operatorsession.h"
#include "core/prompts.h"
#include "ui/common/numerickeyfilter.h"
#include "ui/common/widgets.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

ProductsWindow::ProductsWindow(Catalogue& catalogue, const OperatorSession& session,
                               Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_catalogue(catalogue), m_session(session), m_prompts(prompts)
{
    setObjectName(u"frmarticulos"_s);
    setWindowTitle(u"Articulos"_s);

    auto edit = [this](const QString& name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        return e;
    };
    m_articulo = edit(u"txtarticulo"_s);
    m_descripcion = edit(u"txtdescripcion"_s);
    m_stock = edit(u"txtstock"_s);
    m_pvp = edit(u"txtpvp"_s);
    m_costo = edit(u"txtcosto"_s);
    NumericKeyFilter::install(m_pvp, false);
    NumericKeyFilter::install(m_costo, false);
    auto* fields = new QFormLayout;
    fields->addRow(u"Articulo"_s, m_articulo);
    fields->addRow(u"Descripcion"_s, m_descripcion);
    fields->addRow(u"Stock"_s, m_stock);
    fields->addRow(u"PVP"_s, m_pvp);
    fields->addRow(u"Costo"_s, m_costo);

    m_nuevo = namedButton(this, u"Nuevo"_s, u"cmdnuevo"_s);
    m_guardar = namedButton(this, u"Guardar"_s, u"cmdguardar"_s);
    m_eliminar = namedButton(this, u"Eliminar"_s, u"cmdeliminar"_s);
    QPushButton* close = namedButton(this, u"Cerrar"_s, u"cmdcerrar"_s);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_nuevo, m_guardar, m_eliminar, close})
        buttons->addWidget(b);
    buttons->addStretch();

    // The picking panel: the current product, the quantity with its arrows, the line amount.
    m_panel = new QGroupBox(this);
    m_panel->setObjectName(u"fraventa"_s);
    m_pickName = new QLabel(m_panel);
    m_pickName->setObjectName(u"lblarticulo"_s);
    m_quantity = new QLineEdit(u"1"_s, m_panel);
    m_quantity->setObjectName(u"txtcantidad"_s);
    NumericKeyFilter::install(m_quantity, false);
    auto arrow = [this](Qt::ArrowType type, const QString& name) {
        auto* b = new QToolButton(m_panel);
        b->setArrowType(type);
        b->setObjectName(name);
        return b;
    };
    QToolButton* up = arrow(Qt::UpArrow, u"cmdsubir"_s);
    QToolButton* down = arrow(Qt::DownArrow, u"cmdbajar"_s);
    m_pickAmount = new QLabel(m_panel);
    m_pickAmount->setObjectName(u"lblpvp"_s);
    m_pickAmount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* add = namedButton(m_panel, u"Agregar"_s, u"cmdagregar"_s);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(up);
    arrows->addWidget(down);
    auto* quantity = new QHBoxLayout;
    quantity->addWidget(m_quantity);
    quantity->addLayout(arrows);
    auto* panel = new QFormLayout(m_panel);
    panel->addRow(u"Articulo"_s, m_pickName);
    panel->addRow(u"Cantidad"_s, quantity);
    panel->addRow(u"PVP"_s, m_pickAmount);
    panel->addRow(add);

    m_grid = new QTableWidget(0, 5, this);
    m_grid->setObjectName(u"grdarticulos"_s);
    m_grid->setHorizontalHeaderLabels(
        {u"Articulo"_s, u"Descripcion"_s, u"Stock"_s, u"PVP"_s, u"Costo"_s});
    readOnlyRows(m_grid);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setColumnWidth(0, 180);
    m_grid->setColumnWidth(1, 220);

    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(buttons);
    top->addWidget(m_panel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    resize(760, 480);

    connect(m_articulo, &QLineEdit::returnPressed, this, [this] {
        if (m_catalogue.find(m_articulo->text()))
            showCurrent();
        else if (const Product* p = m_catalogue.current(); p && !m_catalogue.adding())
            m_articulo->setText(p->articulo); // else "Guardar" would rename it to the search
    });
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (m_filling || row < 0)
            return;
        m_catalogue.setCurrent(row);
        showCurrent();
    });
    connect(m_nuevo, &QPushButton::clicked, this, &ProductsWindow::nuevo);
    connect(m_guardar, &QPushButton::clicked, this, &ProductsWindow::guardar);
    connect(m_eliminar, &QPushButton::clicked, this, &ProductsWindow::eliminar);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    connect(m_quantity, &QLineEdit::textChanged, this, [this] {
        if (const Product* p = m_catalogue.current())
            m_pickAmount->setText(Catalogue::lineAmount(*p, m_quantity->text()));
    });
    connect(add, &QPushButton::clicked, this, [this] {
        if (const Product* p = m_catalogue.current())
            emit addRequested(*p, m_quantity->text());
    });
}

void ProductsWindow::showForAdmin()
{
    open(false);
}

void ProductsWindow::showForSale()
{
    open(true);
}

// The window is read again on every opening: sales lower the stock in between.
void ProductsWindow::open(bool forSale)
{
    hide(); // a change of modality takes effect on the next show
    setWindowModality(forSale ? Qt::ApplicationModal : Qt::NonModal);
    m_panel->setVisible(forSale);
    m_quantity->setText(u"1"_s);
    m_catalogue.dropNew();
    m_catalogue.reload();
    showRows();
    show();
    raise();
    activateWindow();
}

void ProductsWindow::picked()
{
    m_panel->hide();
    hide();
}

void ProductsWindow::applyRights()
{
    const bool admin = m_session.has(Right::AdminProducts);
    m_nuevo->setEnabled(admin && !m_catalogue.adding());
    m_guardar->setEnabled(admin && (m_catalogue.adding() || m_catalogue.current()));
    m_eliminar->setEnabled(admin);
}

void ProductsWindow::showRows()
{
    const std::vector<Product>& rows = m_catalogue.rows();
    m_filling = true;
    m_grid->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const Catalogue::Fields f = Catalogue::fieldsOf(rows[std::size_t(r)]);
        const QStringList cells{f.articulo, f.descripcion, f.stock, f.pvp, f.costo};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(r, c, item);
        }
    }
    m_filling = false;
    showCurrent();
}

void ProductsWindow::showCurrent()
{
    const Product* p = m_catalogue.current();
    if (p && m_grid->currentRow() != m_catalogue.currentIndex()) {
        m_filling = true;
        m_grid->setCurrentCell(m_catalogue.currentIndex(), qMax(0, m_grid->currentColumn()));
        m_filling = false;
    }
    if (p && !m_catalogue.adding()) {
        const Catalogue::Fields f = Catalogue::fieldsOf(*p);
        m_articulo->setText(f.articulo);
        m_descripcion->setText(f.descripcion);
        m_stock->setText(f.stock);
        m_pvp->setText(f.pvp);
        m_costo->setText(f.costo);
        m_pickName->setText(p->articulo);
        m_pickAmount->setText(Catalogue::lineAmount(*p, m_quantity->text()));
    } else if (!p && !m_catalogue.adding()) {
        for (QLineEdit* e : {m_articulo, m_descripcion, m_stock, m_pvp, m_costo})
            e->clear();
        m_pickName->clear();
        m_pickAmount->clear();
    }
    applyRights();
}

void ProductsWindow::step(int step)
{
    m_quantity->setText(Catalogue::stepQuantity(m_quantity->text(), step));
}

void ProductsWindow::nuevo()
{
    for (QLineEdit* e : {m_articulo, m_descripcion, m_stock, m_pvp, m_costo})
        e->clear();
    m_catalogue.startNew();
    applyRights();
    m_articulo->setFocus();
}

void ProductsWindow::guardar()
{
    if (m_catalogue.save({m_articulo->text(), m_descripcion->text(), m_stock->text(), m_pvp->text(),
                          m_costo->text()}))
        showRows();
}

void ProductsWindow::eliminar()
{
    if (m_catalogue.remove())
        showRows();
}

} // namespace kestrel
