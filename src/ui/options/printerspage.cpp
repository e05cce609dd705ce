#include "ui/options/printerspage.h"

#include "config/printeradmin.h"
#include "core/prompts.h"
#include "ui/common/numerickeyfilter.h"
#include "ui/common/widgets.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

PrintersPage::PrintersPage(PrinterAdmin& admin, Prompts& /*prompts*/, QWidget* parent)
    : QWidget(parent), m_admin(admin)
{
    setObjectName(u"fraimpresiones"_s);
    m_list = rowList(this, u"lstimpresoras"_s,
                     {u"Nombre"_s, u"Valor/Impresion"_s, u"Cnt.x Desc"_s, u"Descuento(%)"_s});
    m_list->setColumnWidth(0, 220);
    m_status = new QLabel(u"Buscando las impresoras instaladas…"_s, this);
    m_status->setObjectName(u"lblestado"_s);

    auto box = [this](const QString& name) {
        auto* b = new QLineEdit(this);
        b->setObjectName(name);
        return b;
    };
    m_name = box(u"txtimpresora"_s);
    m_name->setReadOnly(true);
    m_price = box(u"txtvalor"_s);
    m_count = box(u"txtcantidad"_s);
    m_discount = box(u"txtdescuento"_s);
    for (QLineEdit* b : {m_price, m_count, m_discount})
        NumericKeyFilter::install(b);
    m_save = namedButton(this, u"Guardar"_s, u"cmdguardar"_s);
    m_save->setEnabled(false);

    auto* form = new QFormLayout;
    form->addRow(u"Impresora"_s, m_name);
    form->addRow(u"Valor/Impresion"_s, m_price);
    form->addRow(u"Cant desde:"_s, m_count);
    form->addRow(u"Descuento (%)"_s, m_discount);
    form->addRow(QString(), m_save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    layout->addLayout(form);

    connect(&m_admin, &PrinterAdmin::rowsChanged, this, &PrintersPage::showRows);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_filling && item)
            choose(m_list->indexOfTopLevelItem(item));
    });
    connect(m_list, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { choose(m_list->indexOfTopLevelItem(item)); });
    connect(m_save, &QPushButton::clicked, this, &PrintersPage::save);
    reload();
}

void PrintersPage::reload()
{
    m_admin.refresh();
}

void PrintersPage::showRows()
{
    m_filling = true;
    m_list->clear();
    const QColor absent = palette().color(QPalette::Disabled, QPalette::Text);
    const QString note = u"La cola de impresión no lista esta impresora; su precio se conserva."_s;
    const bool listing = m_admin.listing();
    for (const PrinterRow& r : m_admin.rows()) {
        auto* item = new QTreeWidgetItem(m_list, {r.name, r.price, r.count, r.discount});
        for (int c = 1; c < 4; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        if (!r.listed && !listing) {
            for (int c = 0; c < 4; ++c) {
                item->setForeground(c, absent);
                item->setToolTip(c, note);
            }
        }
        if (r.name == m_chosen)
            m_list->setCurrentItem(item);
    }
    m_status->setVisible(listing);
    m_filling = false;
}

void PrintersPage::choose(int row)
{
    const std::optional<PrinterAdmin::Boxes> boxes = m_admin.choose(row);
    if (!boxes)
        return;
    m_chosen = boxes->name;
    m_name->setText(boxes->name);
    m_price->setText(boxes->price);
    m_count->setText(boxes->count);
    m_discount->setText(boxes->discount);
    m_save->setEnabled(true);
}

void PrintersPage::save()
{
    if (m_chosen.isEmpty())
        return;
    m_admin.save(m_chosen, m_price->text(), m_count->text(), m_discount->text());
}

} // namespace kestrel
