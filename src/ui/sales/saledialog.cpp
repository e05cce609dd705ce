#include "ui/sales/saledialog.h"

#include "ui/common/numerickeyfilter.h"
#include "ui/common/widgets.h"
#include "ui/sales/productswindow.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {
enum Column { Cant, Articulo, Vu, Sub, Codigo };
}

SaleDialog::SaleDialog(Sale& sale, ProductsWindow& products, const QString& currencySymbol,
                       QWidget* parent)
    : QDialog(parent), m_sale(sale), m_products(products)
{
    setObjectName(u"frmfact"_s);
    setWindowTitle(u"Vender Articulo"_s);

    QLabel* heading = boldLabel(u"Vender Articulos"_s, this, 1.5);
    heading->setObjectName(u"lbltitulo"_s);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"lstventa"_s);
    m_list->setHeaderLabels({u"Cant"_s, u"Articulo"_s, u"VU"_s, u"Sub"_s, u"Codigo"_s});
    m_list->setColumnHidden(Codigo, true);
    m_list->setRootIsDecorated(false);
    m_list->setColumnWidth(Articulo, 220);

    auto amount = [this](const QString& name, bool readOnly) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setReadOnly(readOnly);
        e->setAlignment(Qt::AlignRight);
        return e;
    };
    m_sub = amount(u"txtsub"_s, true);
    m_iva = amount(u"txtiva"_s, true);
    m_total = amount(u"txttotal"_s, true);
    m_paid = amount(u"txtpago"_s, false);
    NumericKeyFilter* paidKeys = NumericKeyFilter::install(m_paid, false);
    auto* totals = new QGridLayout;
    int row = 0;
    for (auto [caption, box] :
         {std::pair{u"Sub"_s, m_sub}, std::pair{u"IVA"_s, m_iva}, std::pair{u"Total"_s, m_total}}) {
        totals->addWidget(new QLabel(caption, this), row, 0);
        totals->addWidget(box, row, 1);
        totals->addWidget(new QLabel(currencySymbol, this), row++, 2);
    }
    totals->addWidget(new QLabel(u"Cliente Pago"_s, this), row, 0);
    totals->addWidget(m_paid, row, 1);

    QPushButton* add = namedButton(this, u"Agregar"_s, u"cmdagregar"_s);
    QPushButton* sell = namedButton(this, u"OK - Vender"_s, u"cmdvender"_s);
    QPushButton* clear = namedButton(this, u"Limpiar"_s, u"cmdlimpiar"_s);
    QPushButton* cancel = namedButton(this, u"Cancelar"_s, u"cmdcancelar"_s);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, sell, clear, cancel})
        buttons->addWidget(b);

    auto* bottom = new QHBoxLayout;
    bottom->addLayout(buttons, 1);
    bottom->addLayout(totals);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    resize(640, 400);

    connect(add, &QPushButton::clicked, &m_products, &ProductsWindow::showForSale);
    connect(&m_products, &ProductsWindow::addRequested, this, &SaleDialog::add);
    connect(sell, &QPushButton::clicked, this, &SaleDialog::vender);
    connect(paidKeys, &NumericKeyFilter::enterPressed, this, &SaleDialog::vender);
    connect(clear, &QPushButton::clicked, this, &SaleDialog::limpiar);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void SaleDialog::showSale()
{
    show();
    raise();
    activateWindow();
}

void SaleDialog::add(const Product& product, const QString& quantity)
{
    if (!m_sale.add(product, quantity))
        return;
    showLines();
    m_products.picked();
    CALCULATER();
}

void SaleDialog::showLines()
{
    m_list->clear();
    for (const SaleLine& line : m_sale.lines()) {
        auto* item = new QTreeWidgetItem(
            m_list, {line.cant, line.articulo, line.vu, line.sub, QString::number(line.codigo)});
        for (int c : {Cant, Vu, Sub})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void SaleDialog::CALCULATER()
{
    const Sale::Totals t = m_sale.totals();
    m_sub->setText(t.sub);
    m_iva->setText(t.iva);
    m_total->setText(t.total);
}

void SaleDialog::vender()
{
    switch (m_sale.sell(m_paid->text())) {
    case Sale::Outcome::Empty:
        hide();
        return;
    case Sale::Outcome::Refused:
        m_paid->setFocus();
        return;
    case Sale::Outcome::Failed:
        return;
    case Sale::Outcome::Sold:
        limpiar();
        emit sold();
        return;
    }
}

void SaleDialog::limpiar()
{
    m_sale.clear();
    showLines();
    for (QLineEdit* e : {m_sub, m_iva, m_total, m_paid})
        e->clear();
}

} // namespace kestrel
