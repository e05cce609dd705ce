#include "ui/console/stationpanel.h"

#include "stations/counters.h"
#include "stations/stationtable.h"
#include "ui/common/areacaption.h"
#include "ui/console/stationlistmodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

StationPanel::StationPanel(StationTable& stations, ActionStore& actions, QWidget* parent)
    : QWidget(parent), m_stations(stations)
{
    setObjectName(u"panelpuestos"_s);
    m_model = new StationListModel(stations, this);
    m_list = new QTreeView(this);
    m_list->setObjectName(u"LSTPCS"_s);
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setIconSize(QSize(20, 20));
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QTreeView::clicked, this, &StationPanel::selectionTouched);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &StationPanel::selectionTouched);

    auto* clear = new QPushButton(u"Limpiar"_s, this);
    clear->setObjectName(u"cmdlimpiar"_s);
    clear->setToolTip(u"Limpiar contadores , subtotales y totales"_s);
    connect(clear, &QPushButton::clicked, this,
            [this, store = &actions] { clearFreeCounters(m_stations, *store); });

    // The metering interval in milliseconds: a second is a second at 1000; lower values run the
    // café's clocks faster (demonstrations, trying a tariff out).
    m_speed = new QSlider(Qt::Horizontal, this);
    m_speed->setObjectName(u"sldvelocidad"_s);
    m_speed->setRange(10, 2000);
    m_speed->setSingleStep(10);
    m_speed->setPageStep(100);
    m_speed->setValue(1000);
    m_speed->setMaximumWidth(160);
    m_speed->setToolTip(u"Intervalo del contador (ms)"_s);
    connect(m_speed, &QSlider::valueChanged, this, &StationPanel::speedChanged);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 3, 0, 0);
    bottom->addWidget(clear);
    bottom->addStretch(1);
    bottom->addWidget(new QLabel(u"Velocidad"_s, this));
    bottom->addWidget(m_speed);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 0, 2);
    layout->setSpacing(0);
    layout->addWidget(areaCaption(u"  Puestos"_s, u"lblpuestos"_s, this));
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
}

int StationPanel::selectedStation() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return StationTable::indexOfRow(rows.first().row() + 1);
}

void StationPanel::resetColumns()
{
    QHeaderView* header = m_list->header();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(StationListModel::Pc, 130);
    header->resizeSection(StationListModel::Tiempo, 90);
    header->resizeSection(StationListModel::Modo, 110);
    header->resizeSection(StationListModel::Total, 100);
    header->setStretchLastSection(false);
    if (m_stations.count() > 0)
        m_list->setCurrentIndex(m_model->index(0, 0));
}

void StationPanel::showColumn(int column, int pixels)
{
    m_list->setColumnHidden(column, pixels == 0);
    if (pixels > 0)
        m_list->header()->resizeSection(column, pixels);
}

bool StationPanel::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_list->viewport() && type == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            emit selectionTouched();
            emit menuRequested(mouse->globalPosition().toPoint());
        }
    } else if (watched == m_list && type == QEvent::KeyRelease) {
        emit selectionTouched();
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Menu)
            emit menuRequested(m_list->mapToGlobal(QPoint(0, 0)));
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kestrel
