#include "ui/options/tariffeditor.h"

#include "ui/common/numerickeyfilter.h"
#include "ui/common/widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

bool isEnter(const QEvent* event)
{
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TariffEditor::TariffEditor(TariffAdmin& admin, const QString& currencySymbol, QWidget* parent)
    : QDialog(parent), m_admin(admin)
{
    setObjectName(u"frmaddtar"_s);
    setWindowTitle(u"Añadir Tarifa"_s);

    const auto box = [this](const QString& name) {
        auto* b = new QLineEdit(this);
        b->setObjectName(name);
        return b;
    };
    m_name = box(u"txtnombre"_s);
    m_first = box(u"txtvalor1"_s);
    m_second = box(u"txtvalor2"_s);
    m_firstCaption = new QLabel(this);
    m_firstCaption->setObjectName(u"lblvalor1"_s);
    m_secondCaption = new QLabel(this);
    m_secondCaption->setObjectName(u"lblvalor2"_s);
    auto* currency = new QLabel(currencySymbol, this);
    currency->setObjectName(u"lblmoneda"_s);
    auto* ok = new QPushButton(u"Aceptar"_s, this);
    ok->setObjectName(u"cmdaceptar"_s);
    auto* cancel = namedButton(this, u"Cancelar"_s, u"cmdcancelar"_s);

    // Enter in the name box moves to the first amount; in an amount box the key filter moves on.
    m_name->installEventFilter(this);
    for (QLineEdit* amount : {m_first, m_second}) {
        NumericKeyFilter::install(amount);
        amount->installEventFilter(this);
    }
    setTabOrder(m_name, m_first);
    setTabOrder(m_first, m_second);
    setTabOrder(m_second, ok);
    setTabOrder(ok, cancel);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(u"Nombre"_s, this), 0, 0);
    form->addWidget(m_name, 0, 1, 1, 2);
    form->addWidget(m_firstCaption, 1, 0);
    form->addWidget(m_first, 1, 1);
    form->addWidget(currency, 1, 2);
    form->addWidget(m_secondCaption, 2, 0);
    form->addWidget(m_second, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &TariffEditor::acceptTariff);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMode(TariffAdmin::Mode::Add);
}

void TariffEditor::setMode(TariffAdmin::Mode mode, const TariffAdmin::Row& row)
{
    m_mode = mode;
    m_firstCaption->setText(TariffAdmin::firstCaption(mode));
    m_secondCaption->setText(TariffAdmin::secondCaption(mode));
    const bool modify = TariffAdmin::modifies(mode);
    m_name->setText(modify ? row.name : QString());
    m_name->setEnabled(!modify);
    m_first->setText(modify ? row.first : QString());
    m_second->setText(modify ? row.second : QString());
    (modify ? m_first : m_name)->setFocus();
}

bool TariffEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_name && event->type() == QEvent::KeyPress && isEnter(event)) {
        m_first->setFocus();
        return true;
    }
    // The release of Enter reaches the box that has the focus by then: after Enter in the first
    // amount that is the second one.
    if ((watched == m_first || watched == m_second) && event->type() == QEvent::KeyRelease &&
        isEnter(event)) {
        auto* amount = static_cast<QLineEdit*>(watched);
        amount->setText(TariffAdmin::normalizedOnEnter(amount->text()));
        amount->setCursorPosition(int(amount->text().size()));
        amount->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TariffEditor::acceptTariff()
{
    if (!m_admin.accept(m_mode, m_name->text(), m_first->text(), m_second->text()))
        return;
    if (!TariffAdmin::modifies(m_mode)) {
        m_name->clear();
        m_first->clear();
        m_second->clear();
    }
    accept();
}

} // namespace kestrel
