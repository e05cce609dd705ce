#include "ui/console/journalpanel.h"

#include "core/numbers.h"
#include "core/prompts.h"
#include "journal/journal.h"
#include "journal/journalofday.h"
#include "printing/pendingprints.h"
#include "printing/printmonitor.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

JournalPanel::JournalPanel(Services services, QWidget* parent)
    : QWidget(parent), m_services(services)
{
    setObjectName(u"panelregistro"_s);

    // The two captions are the panel's tabs: the grid, or the pending print list over it.
    auto* tabs = new QHBoxLayout;
    tabs->setSpacing(2);
    auto tab = [&](const QString& caption, const QString& name) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setFlat(true);
        button->setStyleSheet(
            u"QPushButton { background: #8aa0ba; color: white; font-weight: bold; "
            u"padding: 3px 10px; text-align: left; border: none; } "
            u"QPushButton:checked { background: #2b4f7a; }"_s);
        tabs->addWidget(button, 1);
        return button;
    };
    m_journalTab = tab(u"  Registro de operaciones"_s, u"lblregistro"_s);
    m_printsTab = tab(u"  Impresiones a cobrar"_s, u"lblimpresiones"_s);
    m_journalTab->setChecked(true);
    connect(m_journalTab, &QPushButton::clicked, this, [this] { showTab(false); });
    connect(m_printsTab, &QPushButton::clicked, this, [this] { showTab(true); });

    m_grid = new QTreeWidget(this);
    m_grid->setObjectName(u"grdinformes"_s);
    m_grid->setHeaderLabels({u"FECHA"_s, u"HORA"_s, u"DESCRIP"_s, u"USER"_s, u"PC"_s, u"VALOR"_s});
    m_grid->setRootIsDecorated(false);
    m_grid->setUniformRowHeights(true);
    m_grid->setAlternatingRowColors(true);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    const int journalWidths[] = {90, 70, 200, 110, 70, 80};
    for (int c = 0; c < 6; ++c)
        m_grid->setColumnWidth(c, journalWidths[c]);

    m_printList = new QTreeWidget(this);
    m_printList->setObjectName(u"lstimpresiones"_s);
    m_printList->setHeaderLabels({u"Impresora"_s, u"Maquina"_s, u"Cantidad"_s, u"Valor"_s});
    m_printList->setRootIsDecorated(false);
    m_printList->setUniformRowHeights(true);
    m_printList->setColumnWidth(0, 200);
    m_printList->setColumnWidth(1, 140);
    m_printList->viewport()->installEventFilter(this);

    m_stack = new QStackedWidget(this);
    m_stack->addWidget(m_grid);
    m_stack->addWidget(m_printList);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 0, 4);
    layout->setSpacing(0);
    layout->addLayout(tabs);
    layout->addWidget(m_stack, 1);

    connect(&m_services.prints, &PendingPrints::changed, this, &JournalPanel::showPendingPrints);
}

JournalPanel::~JournalPanel() = default;

void JournalPanel::showTab(bool prints)
{
    m_stack->setCurrentWidget(prints ? static_cast<QWidget*>(m_printList) : m_grid);
    (prints ? m_printsTab : m_journalTab)->setChecked(true);
}

void JournalPanel::showJournal(std::unique_ptr<JournalOfDay> journal)
{
    m_journal = std::move(journal);
    refreshJournal();
}

void JournalPanel::refreshJournal()
{
    if (!m_journal)
        return;
    const auto rows = m_journal->rows();
    if (!rows) {
        m_services.prompts.notify(Prompts::Icon::Critical,
                                  u"No se pudo leer el registro de operaciones:\n"_s +
                                      m_journal->lastError());
        return;
    }
    m_grid->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(rows->size()));
    for (const JournalRow& r : *rows) {
        auto* item = new QTreeWidgetItem(
            {Journal::shownDate(r.fecha), r.hora, r.descrip, r.user, r.pc, formatAmount(r.valor)});
        item->setTextAlignment(5, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    m_grid->addTopLevelItems(items);
    m_grid->scrollToBottom();
}

void JournalPanel::showPendingPrints()
{
    m_printList->clear();
    for (const PendingPrint& p : m_services.prints.rows()) {
        auto* item =
            new QTreeWidgetItem(m_printList, {p.impresora, p.maquina, p.cantidad, p.valor});
        item->setData(0, Qt::UserRole, p.jobid);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void JournalPanel::removePrint()
{
    QTreeWidgetItem* item = m_printList->currentItem();
    if (m_services.prints.count() == 0 || !item)
        return;
    const int index = m_printList->indexOfTopLevelItem(item);
    if (m_services.prompts.askYesNo(u"Desea remover de la lista?"_s))
        m_services.prints.remove(m_services.actions, index);
}

void JournalPanel::clearPrints()
{
    if (m_services.prompts.askYesNo(u"Desea limpiar la lista?"_s))
        m_services.prints.clear(m_services.actions);
}

// The selected job is cancelled in the spooler (it stops printing); what it printed so far stays
// in the list to be charged.
void JournalPanel::cancelPrint()
{
    QTreeWidgetItem* item = m_printList->currentItem();
    if (!item)
        return;
    const PendingPrint& job =
        m_services.prints.rows()[std::size_t(m_printList->indexOfTopLevelItem(item))];
    if (m_services.prompts.askYesNo(u"Desea cancelar el trabajo "_s + job.jobid +
                                    u" de la impresora "_s + job.impresora + u'?'))
        m_services.monitor.cancel(job.impresora, job.jobid.toInt());
}

bool JournalPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_printList->viewport() && event->type() == QEvent::MouseButtonRelease &&
        m_printerMenu) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            m_printerMenu->popup(mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kestrel
