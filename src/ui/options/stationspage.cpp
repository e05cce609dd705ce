#include "ui/options/stationspage.h"

#include "config/stationadmin.h"
#include "ui/common/widgets.h"

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

QLabel* note(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

StationEditor::StationEditor(StationAdmin& admin, QWidget* parent) : QDialog(parent), m_admin(admin)
{
    setObjectName(u"frmaddpcs"_s);
    setWindowTitle(u"Puestos"_s);
    setModal(true);

    m_pc = new QLineEdit(this);
    m_pc->setObjectName(u"txtpc"_s);
    m_address = new QLineEdit(this);
    m_address->setObjectName(u"txtip"_s);
    QPushButton* ok = namedButton(this, u"Aceptar"_s, u"cmdaceptar"_s);
    QPushButton* cancel = namedButton(this, u"Cancelar"_s, u"cmdcancelar"_s);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(u"PUESTO"_s, this), 0, 0);
    fields->addWidget(m_pc, 0, 1);
    fields->addWidget(note(this, u"Identifica al equipo en la lista de control. Puede ser un "
                                 u"nombre como PC01 o simplemente un número."_s),
                      1, 1);
    fields->addWidget(note(this, u"Ej: 1, pc1"_s), 2, 1);
    fields->addWidget(new QLabel(u"NOMBRE / DIRECCION IP"_s, this), 3, 0);
    fields->addWidget(m_address, 3, 1);
    fields->addWidget(note(this, u"Nombre del equipo localizado en propiedades del sistem o "
                                 u"ingresar la direccion IP"_s),
                      4, 1);
    fields->addWidget(note(this, u"Ej: 192.168.0.2 ,  pc_01"_s), 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_pc, &QLineEdit::returnPressed, this, [this] { m_address->setFocus(); });
    connect(m_address, &QLineEdit::returnPressed, this, &StationEditor::aceptar);
    connect(ok, &QPushButton::clicked, this, &StationEditor::aceptar);
    connect(cancel, &QPushButton::clicked, this, &StationEditor::reject);
}

void StationEditor::startAdd()
{
    m_mode = Mode::Add;
    m_row = -1;
    m_pc->clear();
    m_pc->setEnabled(true);
    m_address->clear();
    m_pc->setFocus();
}

void StationEditor::startModify(int row)
{
    const auto& entries = m_admin.entries();
    if (row < 0 || row >= int(entries.size()))
        return;
    m_mode = Mode::Modify;
    m_row = row;
    m_pc->setText(entries[std::size_t(row)].pc);
    m_pc->setEnabled(false);
    m_address->setText(entries[std::size_t(row)].pcip);
    m_address->setFocus();
}

void StationEditor::aceptar()
{
    const bool done = m_mode == Mode::Add ? m_admin.add(m_pc->text(), m_address->text())
                                          : m_admin.modify(m_row, m_address->text());
    if (!done)
        return;
    m_pc->clear();
    m_address->clear();
    accept();
}

StationsPage::StationsPage(StationAdmin& admin, Prompts& /*prompts*/, QWidget* parent)
    : QWidget(parent), m_admin(admin)
{
    setObjectName(u"puestos"_s);
    m_list = rowList(this, u"lstpuestos"_s, {u"PC"_s, u"NAME/IP"_s});
    m_list->setAllColumnsShowFocus(true);
    m_editor = new StationEditor(admin, this);

    QPushButton* add = namedButton(this, u"Agregar"_s, u"cmdagregar"_s);
    QPushButton* modify = namedButton(this, u"Modificar"_s, u"cmdmodificar"_s);
    QPushButton* remove = namedButton(this, u"Quitar"_s, u"cmdquitar"_s);
    layOutListWithButtons(this, m_list, {add, modify, remove});

    connect(add, &QPushButton::clicked, this, [this] {
        m_editor->startAdd();
        if (m_editor->exec() == QDialog::Accepted)
            fill(int(m_admin.entries().size()) - 1);
    });
    connect(modify, &QPushButton::clicked, this, [this] {
        const int row = chosenRow();
        if (!m_admin.isFree(row))
            return;
        m_editor->startModify(row);
        if (m_editor->exec() == QDialog::Accepted)
            fill(row);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = chosenRow();
        if (m_admin.remove(row))
            fill(std::min(row, int(m_admin.entries().size()) - 1));
    });
    reload();
}

void StationsPage::reload()
{
    m_admin.load();
    fill(-1);
}

void StationsPage::fill(int current)
{
    m_list->clear();
    for (const StationEntry& e : m_admin.entries())
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{e.pc, e.pcip}));
    if (QTreeWidgetItem* item = m_list->topLevelItem(current))
        m_list->setCurrentItem(item);
}

int StationsPage::chosenRow() const
{
    return kestrel::chosenRow(m_list);
}

} // namespace kestrel
