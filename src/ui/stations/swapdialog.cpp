#include "ui/stations/swapdialog.h"

#include "core/prompts.h"
#include "stations/stationtable.h"
#include "swap/swap.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

SwapDialog::SwapDialog(StationTable& stations, ActionStore& actions, Prompts& prompts,
                       QWidget* parent)
    : QDialog(parent), m_stations(stations), m_actions(actions), m_prompts(prompts)
{
    setObjectName(u"frmintercambiar"_s);
    setWindowTitle(u"Intercambiar puesto"_s);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(u"Puesto:"_s, this), 0, 0);
    m_source = new QLabel(this);
    m_source->setObjectName(u"lblpuesto"_s);
    QFont bold = m_source->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    m_source->setFont(bold);
    grid->addWidget(m_source, 0, 1);
    grid->addWidget(new QLabel(u"Con el puesto:"_s, this), 1, 0, Qt::AlignTop);
    m_destinations = new QListWidget(this);
    m_destinations->setObjectName(u"lstpuesto"_s);
    grid->addWidget(m_destinations, 1, 1);
    m_hold = new QCheckBox(u"Con &Espera"_s, this);
    m_hold->setObjectName(u"chkespera"_s);
    grid->addWidget(m_hold, 2, 1);
    auto* swap = new QPushButton(u"&Intercambiar"_s, this);
    swap->setObjectName(u"cmdintercambiar"_s);
    swap->setDefault(true);
    auto* cancel = new QPushButton(u"&Cancelar"_s, this);
    cancel->setObjectName(u"cmdcancelar"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(swap);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(swap, &QPushButton::clicked, this, &SwapDialog::intercambiar);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_destinations, &QListWidget::itemDoubleClicked, this, &SwapDialog::intercambiar);
}

bool SwapDialog::Interchangepues(int source)
{
    m_destinations->clear();
    if (m_stations.count() < 2 || !m_stations.isValidIndex(source)) {
        if (m_stations.count() == 1)
            m_prompts.tell(Prompts::Icon::Exclamation, u"SOLO HAY 1 PUESTO"_s);
        return false;
    }
    m_sourceIndex = source;
    for (const Swap::Destination& d : Swap::destinations(m_stations, source)) {
        auto* item = new QListWidgetItem(d.pc, m_destinations);
        item->setData(Qt::UserRole, d.row);
    }
    m_source->setText(m_stations.at(source).pc);
    m_destinations->setCurrentRow(0);
    exec();
    return true;
}

bool SwapDialog::intercambiar()
{
    QListWidgetItem* chosen = m_destinations->currentItem();
    if (!chosen) {
        m_prompts.tell(Prompts::Icon::Exclamation, u"Seleccione el destino"_s);
        return false;
    }
    const int destination = StationTable::indexOfRow(chosen->data(Qt::UserRole).toInt());
    const bool swapped =
        Swap::exchange(m_actions, m_stations, m_sourceIndex, destination, m_hold->isChecked());
    // A refused swap has been reported; the dialog goes either way, both stations as they are.
    done(swapped ? Accepted : Rejected);
    return swapped;
}

} // namespace kestrel
