#include "ui/options/tariffpages.h"

#include "ui/common/numerickeyfilter.h"
#include "ui/common/widgets.h"
#include "ui/options/tariffeditor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

TariffListPage::TariffListPage(TariffAdmin::Kind kind, TariffAdmin& admin, Prompts& /*prompts*/,
                               const QString& currencySymbol, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_admin(admin)
{
    const bool standard = kind == TariffAdmin::Kind::Standard;
    setObjectName(standard ? u"pagestandar"_s : u"pagepredefinidas"_s);
    m_list = rowList(this, u"lsttarifas"_s,
                     standard ? QStringList{u"Nombre"_s, u"Valor/Hora"_s, u"Valor Minimo"_s}
                              : QStringList{u"Nombre"_s, u"Minutos"_s, u"Valor"_s, u"Tipo"_s});
    QPushButton* add = namedButton(this, u"Añadir"_s, u"cmdanadir"_s);
    QPushButton* modify = namedButton(this, u"Modificar"_s, u"cmdmodificar"_s);
    m_remove = namedButton(this, u"Quitar"_s, u"cmdquitar"_s);
    m_editor = new TariffEditor(admin, currencySymbol, this);

    layOutListWithButtons(this, m_list, {add, modify, m_remove});

    connect(add, &QPushButton::clicked, this, [this] { openEditor(false); });
    connect(modify, &QPushButton::clicked, this, [this] { openEditor(true); });
    connect(m_remove, &QPushButton::clicked, this, &TariffListPage::removeChosen);
    connect(m_list, &QTreeWidget::itemClicked, this,
            [this] { m_remove->setEnabled(m_list->topLevelItemCount() > 0); });
    connect(m_editor, &QDialog::accepted, this, &TariffListPage::fill);
    m_admin.refresh();
    fill();
}

void TariffListPage::reload()
{
    m_admin.refresh();
    fill();
}

void TariffListPage::fill()
{
    m_list->clear();
    for (const TariffAdmin::Row& row : m_admin.rows(m_kind))
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{row.name, row.first, row.second}));
    m_remove->setEnabled(false);
}

int TariffListPage::chosenRow() const
{
    const int row = kestrel::chosenRow(m_list);
    return row < int(m_admin.rows(m_kind).size()) ? row : -1;
}

void TariffListPage::openEditor(bool modify)
{
    const bool standard = m_kind == TariffAdmin::Kind::Standard;
    if (!modify) {
        m_editor->setMode(standard ? TariffAdmin::Mode::Add : TariffAdmin::Mode::AddP);
    } else {
        const int row = chosenRow();
        if (row < 0)
            return;
        m_editor->setMode(standard ? TariffAdmin::Mode::Modify : TariffAdmin::Mode::ModifyP,
                          m_admin.rows(m_kind)[std::size_t(row)]);
    }
    m_editor->open();
}

void TariffListPage::removeChosen()
{
    const int row = chosenRow();
    if (row >= 0 && m_admin.remove(m_kind, row))
        fill();
}

CompoundTariffsPage::CompoundTariffsPage(TariffAdmin& admin, Prompts& /*prompts*/, QWidget* parent)
    : QWidget(parent), m_admin(admin)
{
    setObjectName(u"pagecompuestas"_s);
    m_name = new QLineEdit(this);
    m_name->setObjectName(u"txtnombre"_s);
    QPushButton* add = namedButton(this, u"Añadir"_s, u"cmdanadir"_s);
    m_compounds = rowList(this, u"lsttarifasc"_s, {u"CODIGO"_s, u"NOMBRE"_s});
    m_intervals = rowList(this, u"lstintervalos"_s, {u"Min"_s, u"Valor"_s});
    m_value = new QLineEdit(this);
    m_value->setObjectName(u"txtvalor"_s);
    NumericKeyFilter::install(m_value);
    QPushButton* change = namedButton(this, u"Cambiar"_s, u"cmdcambiar"_s);
    m_remove = namedButton(this, u"Quitar"_s, u"cmdquitar"_s);
    setTabOrder(m_value, change);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(u"Nombre"_s, this));
    top->addWidget(m_name, 1);
    top->addWidget(add);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(m_value, 1);
    valueRow->addWidget(change);
    auto* right = new QVBoxLayout;
    right->addWidget(m_intervals, 1);
    right->addLayout(valueRow);
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_compounds, 1);
    lists->addLayout(right, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_remove);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addLayout(lists, 1);
    layout->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, &CompoundTariffsPage::add);
    connect(change, &QPushButton::clicked, this, &CompoundTariffsPage::change);
    connect(m_remove, &QPushButton::clicked, this, &CompoundTariffsPage::removeChosen);
    connect(m_compounds, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        m_admin.chooseCompound(m_compounds->indexOfTopLevelItem(item));
        m_remove->setEnabled(m_admin.chosenCompound() >= 0);
        fillIntervals();
    });
    connect(m_intervals, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { m_value->setText(item->text(1)); });
    reload();
}

void CompoundTariffsPage::reload()
{
    m_admin.load();
    fillCompounds();
    fillIntervals();
    m_remove->setEnabled(false);
}

void CompoundTariffsPage::fillCompounds()
{
    m_compounds->clear();
    for (const TariffAdmin::Compound& c : m_admin.compounds())
        m_compounds->addTopLevelItem(
            new QTreeWidgetItem(QStringList{QString::number(c.code), c.name}));
    if (QTreeWidgetItem* chosen = m_compounds->topLevelItem(m_admin.chosenCompound()))
        chosen->setSelected(true);
}

void CompoundTariffsPage::fillIntervals()
{
    m_intervals->clear();
    for (const TariffAdmin::Interval& i : m_admin.intervals())
        m_intervals->addTopLevelItem(new QTreeWidgetItem(QStringList{i.minutes, i.price}));
}

void CompoundTariffsPage::add()
{
    if (!m_admin.addCompound(m_name->text()))
        return;
    // The new tariff comes chosen, its four intervals shown, ready for its prices.
    m_admin.chooseCompound(int(m_admin.compounds().size()) - 1);
    m_remove->setEnabled(m_admin.chosenCompound() >= 0);
    fillCompounds();
    fillIntervals();
}

void CompoundTariffsPage::change()
{
    const int row = kestrel::chosenRow(m_intervals);
    if (row < 0 || !m_admin.changeInterval(row, m_value->text()))
        return;
    fillIntervals();
    if (QTreeWidgetItem* item = m_intervals->topLevelItem(row))
        item->setSelected(true);
}

void CompoundTariffsPage::removeChosen()
{
    const int row = m_admin.chosenCompound();
    if (row < 0)
        return;
    m_remove->setEnabled(false);
    m_intervals->clear();
    const bool removed = m_admin.removeCompound(row);
    // A refused removal leaves the tariff, chosen, as it was.
    fillCompounds();
    fillIntervals();
    m_remove->setEnabled(!removed && m_admin.chosenCompound() >= 0);
}

} // namespace kestrel
