#include "ui/stations/chargedialog.h"

#include "core/numbers.h"
#include "ui/common/numerickeyfilter.h"
#include "ui/common/widgets.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

ChargeDialog::ChargeDialog(ChargeServices services, QWidget* parent)
    : QDialog(parent), m_charging({services.stations, services.actions, services.prints,
                                   services.commands, services.journal, services.prompts})
{
    setObjectName(u"frmCobrar"_s);
    setWindowTitle(u"Cobrar"_s);

    QLabel* heading = boldLabel(u"Cobrar y Bloquear"_s, this, 1.6);

    // The customer is shown so the operator can tell who is paying; empty for a session
    // nobody logged in to.
    m_customer = new QLabel(this);
    m_customer->setObjectName(u"lblcliente"_s);
    auto* customerRow = new QHBoxLayout;
    customerRow->addWidget(boldLabel(u"CLIENTE :"_s, this));
    customerRow->addWidget(m_customer, 1);

    m_services = new QTreeWidget(this);
    m_services->setObjectName(u"lstservicios"_s);
    m_services->setHeaderLabels({u"Cantidad"_s, u"Servicio"_s, u"Valor"_s});
    m_services->setRootIsDecorated(false);
    m_services->setUniformRowHeights(true);
    m_services->setSelectionMode(QAbstractItemView::NoSelection);
    m_services->setFocusPolicy(Qt::NoFocus);
    m_services->header()->setStretchLastSection(false);
    m_services->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_services->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_services->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    // Two lines at most: room for them and a little air, no more.
    const int rowHeight = m_services->fontMetrics().height() + 8;
    m_services->setFixedHeight(m_services->header()->sizeHint().height() + 3 * rowHeight);

    const QFont figureFont = boldFont(font(), 2.0);
    const auto currency = [&](const QString& name) {
        auto* label = new QLabel(services.currencySymbol, this);
        label->setObjectName(name);
        label->setFont(figureFont);
        return label;
    };
    const auto figure = [&](const QString& name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setFont(figureFont);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(180);
        return label;
    };
    m_total = figure(u"lbltotal"_s, formatAmount(0));
    m_change = figure(u"lblcambio"_s, u"0,00"_s);

    m_tendered = new QLineEdit(formatAmount(0), this);
    m_tendered->setObjectName(u"txtcantidad"_s);
    m_tendered->setFont(boldFont(font(), 1.6));
    m_tendered->setAlignment(Qt::AlignRight);
    m_tendered->setMinimumWidth(180);

    m_history = new QListWidget(this);
    m_history->setObjectName(u"lsthistorial"_s);
    m_history->setToolTip(u"Cantidades recibidas"_s);
    // Only looked at: a click in it must not take the focus from the tendered amount.
    m_history->setFocusPolicy(Qt::NoFocus);
    m_history->setSelectionMode(QAbstractItemView::NoSelection);
    m_history->setFixedWidth(110);
    m_history->setFixedHeight(3 * m_tendered->sizeHint().height());
    QSizePolicy keepRoom = m_history->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true); // the figures do not jump when it appears
    m_history->setSizePolicy(keepRoom);
    m_history->hide();

    auto* amounts = new QGridLayout;
    amounts->setHorizontalSpacing(10);
    amounts->setVerticalSpacing(8);
    amounts->addWidget(boldLabel(u"TOTAL:"_s, this, 1.3), 0, 0);
    amounts->addWidget(currency(u"lblmoneda1"_s), 0, 1);
    amounts->addWidget(m_total, 0, 2);
    amounts->addWidget(boldLabel(u"RECIBIDO:"_s, this, 1.3), 1, 0);
    amounts->addWidget(currency(u"lblmoneda2"_s), 1, 1);
    amounts->addWidget(m_tendered, 1, 2);
    amounts->addWidget(boldLabel(u"CAMBIO:"_s, this, 1.3), 2, 0);
    amounts->addWidget(currency(u"lblmoneda3"_s), 2, 1);
    amounts->addWidget(m_change, 2, 2);
    amounts->addWidget(m_history, 0, 3, 3, 1);
    amounts->setColumnMinimumWidth(3, 110);
    amounts->setColumnStretch(4, 1);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    m_cobrar = new QPushButton(u"COBRAR"_s, this);
    m_cobrar->setObjectName(u"cmdcobrar"_s);
    m_cancel = new QPushButton(u"Cancelar"_s, this);
    m_cancel->setObjectName(u"cmdcancelar"_s);
    // Enter belongs to the tendered box (it moves on), never to a default button.
    m_cobrar->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    m_cobrar->setMinimumHeight(36);
    m_cancel->setMinimumHeight(36);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cobrar);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(customerRow);
    layout->addWidget(boldLabel(u"SERVICIOS A COBRAR:"_s, this));
    layout->addWidget(m_services);
    layout->addSpacing(8);
    layout->addLayout(amounts);
    layout->addStretch(1);
    layout->addWidget(rule);
    layout->addLayout(buttons);
    setMinimumWidth(480);

    NumericKeyFilter::install(m_tendered);
    // Installed after the key rule, so it sees every key before the rule takes or drops it.
    m_tendered->installEventFilter(this);

    connect(m_tendered, &QLineEdit::textChanged, this, &ChargeDialog::CALCULATEC);
    connect(m_cobrar, &QPushButton::clicked, this, &ChargeDialog::cobrar);
    connect(m_cancel, &QPushButton::clicked, this, &ChargeDialog::reject);
}

ChargeDialog::~ChargeDialog()
{
    // The box may lose the focus while the children go; the history is no longer there to hide.
    m_tendered->removeEventFilter(this);
}

bool ChargeDialog::openFor(int station)
{
    std::optional<Charging::Bill> bill = m_charging.build(station);
    if (!bill)
        return false;
    m_bill = std::move(*bill);
    showBill();
    open();
    m_tendered->setFocus();
    m_tendered->selectAll();
    return true;
}

void ChargeDialog::showBill()
{
    m_services->clear();
    for (const Charging::ServiceLine& line : m_bill.lines) {
        auto* item = new QTreeWidgetItem(m_services, {line.cantidad, line.servicio, line.valor});
        item->setData(0, Qt::UserRole, line.servicio); // the line's key
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_total->setText(m_bill.total);
    m_customer->setText(m_bill.customer);
    // The tendered amount is kept from the last charge; the change is worked out against this
    // bill, so it never shows the previous station's figure.
    m_change->setText(Charging::CALCULATEC(m_tendered->text(), m_bill.total).value_or(u"0,00"_s));
}

void ChargeDialog::CALCULATEC()
{
    if (const auto change = Charging::CALCULATEC(m_tendered->text(), m_total->text()))
        m_change->setText(*change);
}

void ChargeDialog::cobrar()
{
    switch (m_charging.COBRAR(m_bill, m_tendered->text())) {
    case Charging::Outcome::NoAmount:
    case Charging::Outcome::TooLittle:
        m_tendered->setFocus();
        return;
    case Charging::Outcome::NotConfirmed:
    case Charging::Outcome::Failed:
        return;
    case Charging::Outcome::Charged:
        // Newest first: the amount just taken is the one the operator looks for.
        m_history->insertItem(0, m_charging.history().constLast());
        accept();
        emit charged();
        return;
    }
}

void ChargeDialog::setHistoryVisible(bool visible)
{
    m_history->setVisible(visible && m_history->count() > 0);
}

bool ChargeDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tendered) {
        switch (event->type()) {
        case QEvent::KeyPress:
            setHistoryVisible(true);
            break;
        case QEvent::MouseButtonPress:
            setHistoryVisible(!m_history->isVisible());
            break;
        case QEvent::FocusOut:
            setHistoryVisible(false);
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kestrel
