#include "ui/stations/openstationdialog.h"

#include "accounts/accounts.h"
#include "core/numbers.h"
#include "stations/stationtable.h"
#include "ui/common/numerickeyfilter.h"
#include "ui/common/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

constexpr int ListTop = 59; // the hour and minute lists hold 0 to 59

struct QuickButton {
    const char* name;
    QString caption;
    int hours;
    int minutes;
};

const QuickButton QuickButtons[] = {
    {"cmdq5", u"&5"_s, 0, 5},    {"cmdq10", u"1&0"_s, 0, 10}, {"cmdq15", u"&15"_s, 0, 15},
    {"cmdq30", u"&30"_s, 0, 30}, {"cmdq45", u"&45"_s, 0, 45}, {"cmdq1h", u"1&h"_s, 1, 0},
    {"cmdq2h", u"&2h"_s, 2, 0},  {"cmdq3h", u"3h"_s, 3, 0},
};

QComboBox* numberList(QWidget* parent, const QString& name)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    for (int i = 0; i <= ListTop; ++i)
        list->addItem(QString::number(i));
    return list;
}

// A spin control as an up/down pair: the up arrow lowers the value, so the list beside it,
// which shows 59 minus the value, goes up.
QScrollBar* spinFor(QWidget* parent, const QString& name, const QComboBox* list)
{
    auto* spin = new QScrollBar(Qt::Vertical, parent);
    spin->setObjectName(name);
    spin->setRange(0, ListTop);
    spin->setPageStep(1);
    spin->setValue(ListTop);
    spin->setFocusPolicy(Qt::StrongFocus);
    spin->setFixedSize(18, list->sizeHint().height());
    return spin;
}

void uncheckAll(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

} // namespace

OpenStationDialog::OpenStationDialog(OpenStationServices services, QWidget* parent)
    : QDialog(parent), m_services(std::move(services)),
      m_core(m_services.stations, m_services.actions, m_services.settings, m_services.prompts)
{
    setObjectName(u"FRMOPEN"_s);
    buildControls();
    buildLayout();
    connectControls();
}

void OpenStationDialog::buildControls()
{
    m_heading = boldLabel(QString(), this, 1.5);
    m_heading->setObjectName(u"lbltitulo"_s);
    m_stationLabel = new QLabel(this);
    m_stationLabel->setObjectName(u"lblpuesto"_s);
    QFont bold = m_stationLabel->font();
    bold.setBold(true);
    m_stationLabel->setFont(bold);

    m_tariffs = new QComboBox(this);
    m_tariffs->setObjectName(u"cmbtarifa"_s);
    m_tariffs->setMinimumContentsLength(18);
    m_modeField = new QComboBox(this);
    m_modeField->setObjectName(u"cmbmodo"_s);
    m_modeField->addItems(modeFieldEntries());

    m_modeFrame = new QGroupBox(u" Modo "_s, this);
    m_modeFrame->setObjectName(u"framemodo"_s);
    m_counter = new QRadioButton(u"&Contador"_s, m_modeFrame);
    m_counter->setObjectName(u"optcontador"_s);
    m_counter->setToolTip(u"Abrir sin limite de tiempo"_s);
    m_prepaid = new QRadioButton(u"P&repago"_s, m_modeFrame);
    m_prepaid->setObjectName(u"optprepago"_s);
    m_prepaid->setToolTip(u"Abrir con limite de tiempo"_s);
    m_counter->setChecked(true);
    m_wait = new QCheckBox(u"&Esperar"_s, this);
    m_wait->setObjectName(u"chkesperar"_s);

    m_prepaidFrame = new QGroupBox(u"OPCIONES PREPAGO"_s, this);
    m_amount = new QLineEdit(m_prepaidFrame);
    m_amount->setObjectName(u"txtcantidad"_s);
    m_amount->setAlignment(Qt::AlignRight);
    m_amountLabel = new QLabel(m_prepaidFrame);
    m_amountLabel->setObjectName(u"lblcantidad"_s);
    m_amountLabel->setFont(bold);
    m_amountLabel->setMinimumWidth(90);
    m_hours = numberList(m_prepaidFrame, u"cmbhora"_s);
    m_minutes = numberList(m_prepaidFrame, u"cmbminutos"_s);
    m_hourSpin = spinFor(m_prepaidFrame, u"spinhora"_s, m_hours);
    m_minuteSpin = spinFor(m_prepaidFrame, u"spinminutos"_s, m_minutes);

    m_quickFrame = new QGroupBox(u"Prepago Rapido"_s, this);
    m_quickButtons = new QButtonGroup(this);
    for (const QuickButton& q : QuickButtons) {
        auto* b = new QPushButton(q.caption, m_quickFrame);
        b->setObjectName(QLatin1String(q.name));
        b->setCheckable(true);
        b->setAutoDefault(false);
        // The pressed button stands out in bold as well as pressed in.
        b->setStyleSheet(u"QPushButton:checked { font-weight: bold; }"_s);
        m_quickButtons->addButton(b);
    }

    m_userFrame = new QGroupBox(u"Usuario"_s, this);
    m_userFrame->setObjectName(u"frameusuario"_s);
    m_user = new QLineEdit(m_userFrame);
    m_user->setObjectName(u"txtusuario"_s);
    m_passwordCaption = new QLabel(u"Contraseña"_s, m_userFrame);
    m_password = new QLineEdit(m_userFrame);
    m_password->setObjectName(u"txtpassword"_s);
    m_password->setEchoMode(QLineEdit::Password);
    m_passwordCaption->setBuddy(m_password);
    m_passwordNext = new QCheckBox(u"Establecer contraseña en el proximo uso"_s, m_userFrame);
    m_passwordNext->setObjectName(u"chkpasswordnext"_s);

    m_accept = new QPushButton(u"Aceptar (F1)"_s, this);
    m_accept->setObjectName(u"cmdaceptar"_s);
    m_cancel = new QPushButton(u"Cancelar (F2)"_s, this);
    m_cancel->setObjectName(u"cmdcancelar"_s);
    // Enter belongs to the lists and the amount box (they convert), never to a default button.
    for (QPushButton* b : {m_accept, m_cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
}

void OpenStationDialog::buildLayout()
{
    auto* choice = new QFormLayout;
    auto* tariffCaption = new QLabel(u"TARIFA"_s, this);
    tariffCaption->setBuddy(m_tariffs);
    auto* modeCaption = new QLabel(u"MODO"_s, this);
    modeCaption->setBuddy(m_modeField);
    choice->addRow(tariffCaption, m_tariffs);
    choice->addRow(modeCaption, m_modeField);

    auto* radios = new QHBoxLayout(m_modeFrame);
    radios->addWidget(m_counter);
    radios->addWidget(m_prepaid);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(m_modeFrame, 1);
    modeRow->addWidget(m_wait, 0, Qt::AlignBottom);

    auto* prepaid = new QGridLayout(m_prepaidFrame);
    auto* amountCaption = new QLabel(u"CANTIDAD"_s, m_prepaidFrame);
    amountCaption->setBuddy(m_amount);
    prepaid->addWidget(amountCaption, 0, 0);
    prepaid->addWidget(m_amount, 0, 1, 1, 2);
    prepaid->addWidget(m_amountLabel, 0, 3, 1, 3);
    prepaid->addWidget(new QLabel(u"CANTIDAD (H:MM)"_s, m_prepaidFrame), 1, 0, 1, 6);
    auto* hourCaption = new QLabel(u"Hora"_s, m_prepaidFrame);
    hourCaption->setBuddy(m_hours);
    auto* minuteCaption = new QLabel(u"Minutos"_s, m_prepaidFrame);
    minuteCaption->setBuddy(m_minutes);
    prepaid->addWidget(hourCaption, 2, 0);
    prepaid->addWidget(m_hours, 2, 1);
    prepaid->addWidget(m_hourSpin, 2, 2);
    prepaid->addWidget(minuteCaption, 2, 3, Qt::AlignRight);
    prepaid->addWidget(m_minutes, 2, 4);
    prepaid->addWidget(m_minuteSpin, 2, 5);
    prepaid->setColumnStretch(1, 1);
    prepaid->setColumnStretch(4, 1);

    auto* quick = new QGridLayout(m_quickFrame);
    const QList<QAbstractButton*> buttons = m_quickButtons->buttons();
    for (int i = 0; i < buttons.size(); ++i)
        quick->addWidget(buttons[i], i / 4, i % 4);

    auto* account = new QFormLayout(m_userFrame);
    account->addRow(u"Usuario"_s, m_user);
    account->addRow(m_passwordCaption, m_password);
    account->addRow(m_passwordNext);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_accept);
    buttonRow->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_stationLabel);
    layout->addLayout(choice);
    layout->addLayout(modeRow);
    layout->addWidget(m_prepaidFrame);
    layout->addWidget(m_quickFrame);
    layout->addWidget(m_userFrame);
    layout->addStretch();
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    setMinimumWidth(440);
}

void OpenStationDialog::connectControls()
{
    connect(m_tariffs, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            chooseTariff(index);
    });
    connect(m_modeField, &QComboBox::activated, this, &OpenStationDialog::modeFieldChosen);
    connect(m_prepaid, &QRadioButton::toggled, this, [this](bool on) {
        m_prepaidFrame->setEnabled(on);
        m_quickFrame->setEnabled(on);
    });
    // The operator's choice in the frame shows in the mode field too, where he may change it.
    for (QRadioButton* option : {m_counter, m_prepaid}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            if (m_modeField->isEnabled())
                m_modeField->setCurrentIndex(m_modeField->findText(
                    m_prepaid->isChecked() ? StationMode::Prepaid : StationMode::Counter));
        });
    }

    // Each list and its spin control move together: the spin holds 59 minus the list's value.
    for (auto [list, spin] : {std::pair{m_hours, m_hourSpin}, std::pair{m_minutes, m_minuteSpin}}) {
        connect(list, &QComboBox::currentIndexChanged, spin,
                [spin](int index) { spin->setValue(ListTop - index); });
        connect(spin, &QScrollBar::valueChanged, list,
                [list](int value) { list->setCurrentIndex(ListTop - value); });
        list->installEventFilter(this);
    }

    connect(NumericKeyFilter::install(m_amount, false), &NumericKeyFilter::enterPressed, this,
            &OpenStationDialog::runCalculateB);

    const QList<QAbstractButton*> buttons = m_quickButtons->buttons();
    for (int i = 0; i < buttons.size(); ++i) {
        const QuickButton& q = QuickButtons[i];
        connect(buttons[i], &QAbstractButton::clicked, this,
                [this, q] { quickPrepaid(q.hours, q.minutes); });
    }

    connect(m_passwordNext, &QCheckBox::toggled, m_password, &QWidget::setDisabled);
    connect(m_accept, &QPushButton::clicked, this, &OpenStationDialog::aceptar);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this,
            &OpenStationDialog::aceptar);
    connect(new QShortcut(Qt::Key_F2, this), &QShortcut::activated, this, &QDialog::reject);
}

bool OpenStationDialog::SHOWPC(const QString& modeTag, int station, const QString& user,
                               const QString& hourlyRate)
{
    const auto mode = openModeOf(modeTag);
    return mode && SHOWPC(*mode, station, user, hourlyRate);
}

bool OpenStationDialog::SHOWPC(OpenMode mode, int station, const QString& user,
                               const QString& hourlyRate)
{
    const OpenModeSetup setup = setupOf(mode);
    if (setup.needsStation && !m_services.stations.isValidIndex(station))
        return false;
    m_mode = mode;
    m_station = m_services.stations.isValidIndex(station) ? station : -1;
    reset(setup, user, hourlyRate);
    open();
    m_tariffs->setFocus();
    return true;
}

QString OpenStationDialog::mode() const
{
    return tagOf(m_mode);
}

void OpenStationDialog::reset(const OpenModeSetup& setup, const QString& user,
                              const QString& hourlyRate)
{
    const Station* station = m_station >= 0 ? &m_services.stations.at(m_station) : nullptr;

    setWindowTitle(setup.windowTitle);
    m_heading->setText(setup.heading);
    m_stationLabel->setText(u"ABRIR PUESTO "_s + (station ? station->pc : QString()));

    {
        const QSignalBlocker blocker(m_tariffs);
        m_core.loadTariffs(m_services.db);
        m_tariffs->clear();
        m_tariffs->addItems(m_core.tariffNames());
        m_tariffs->setCurrentIndex(-1);
    }
    m_tariffs->setEnabled(setup.tariffListEnabled);
    m_accept->setEnabled(false);
    if (setup.takesStationRate && station)
        m_core.setHourlyRate(parseSingle(station->LSTTARBAS).value_or(0.0f));

    m_amount->setText(u"0"_s);
    m_hourSpin->setValue(ListTop);
    m_minuteSpin->setValue(ListTop);
    uncheckAll(m_quickButtons);
    showAmount();

    const bool prepaid = startsPrepaid(m_mode, station);
    choosePrepaid(prepaid);
    m_modeFrame->setEnabled(setup.modeFrameEnabled);
    m_modeField->setEnabled(setup.modeFieldEnabled);
    // The station's mode may be one the list does not hold ("EN ESPERA", free): it is shown as
    // the list's placeholder then.
    const QString shownMode = setup.modeFieldShowsStation && station
                                  ? station->modo
                                  : (prepaid ? StationMode::Prepaid : StationMode::Counter);
    m_modeField->setPlaceholderText(shownMode);
    m_modeField->setCurrentIndex(m_modeField->findText(shownMode));

    m_wait->setVisible(setup.waitBoxShown);
    const bool locked = m_core.waitBoxLocked();
    m_wait->setChecked(locked);
    m_wait->setEnabled(!locked);

    m_userFrame->setVisible(setup.userFrameShown);
    // A credit goes to the account passed in; a new account starts empty.
    const bool givenAccount = m_mode == OpenMode::IncremU;
    m_user->setText(givenAccount ? user : QString());
    m_user->setReadOnly(givenAccount);
    m_password->clear();
    m_passwordNext->setChecked(false);
    m_password->setEnabled(true);
    m_password->setVisible(setup.passwordShown);
    m_passwordCaption->setVisible(setup.passwordShown);

    int preset = -1;
    if (setup.preset == OpenModeSetup::Preset::StationRate && station)
        preset = m_core.presetIndex(station->LSTTARBAS);
    else if (setup.preset == OpenModeSetup::Preset::GivenRate)
        preset = m_core.presetIndex(hourlyRate);
    // A preset is a choice like the operator's own; without a match nothing is chosen.
    if (preset >= 0)
        m_tariffs->setCurrentIndex(preset);

    adjustSize();
}

void OpenStationDialog::chooseTariff(int index)
{
    m_core.choose(index);
    m_accept->setEnabled(true);
    m_amount->setText(u"0"_s);
    m_hourSpin->setValue(ListTop);
    m_minuteSpin->setValue(ListTop);
    runCalculateB();
}

void OpenStationDialog::choosePrepaid(bool prepaid)
{
    (prepaid ? m_prepaid : m_counter)->setChecked(true);
    m_prepaidFrame->setEnabled(prepaid);
    m_quickFrame->setEnabled(prepaid);
}

// The mode field is another way to make the choice of the frame " Modo ", so that what the
// operator sees is what Aceptar writes. Predefined and compound tariffs are picked in the
// tariff list and sold by time like any prepaid session, so their entries choose prepaid.
void OpenStationDialog::modeFieldChosen(int index)
{
    choosePrepaid(m_modeField->itemText(index) != StationMode::Counter);
}

void OpenStationDialog::quickPrepaid(int hours, int minutes)
{
    choosePrepaid(true);
    m_hours->setCurrentIndex(hours);
    m_minutes->setCurrentIndex(minutes);
    runCalculateA();
}

void OpenStationDialog::runCalculateA()
{
    if (const auto amount = m_core.amountFor(m_hours->currentText(), m_minutes->currentText()))
        m_amount->setText(*amount);
    showAmount();
}

void OpenStationDialog::runCalculateB()
{
    applyTime(m_core.timeFor(m_amount->text()));
    showAmount();
}

void OpenStationDialog::applyTime(const TimeChoice& time)
{
    // A time beyond the lists (more than 59 hours) leaves them as they are.
    if (time.hours && *time.hours >= 0 && *time.hours <= ListTop)
        m_hours->setCurrentIndex(*time.hours);
    if (time.minutes && *time.minutes >= 0 && *time.minutes <= ListTop)
        m_minutes->setCurrentIndex(*time.minutes);
}

void OpenStationDialog::showAmount()
{
    m_amountLabel->setText(m_amount->text() + u' ' + m_services.currencySymbol);
}

void OpenStationDialog::aceptar()
{
    const OpenChoice choice{m_prepaid->isChecked(), m_wait->isChecked(), m_hours->currentIndex(),
                            m_minutes->currentIndex()};
    switch (m_core.accept(m_mode, m_station, choice)) {
    case OpenStation::Outcome::Written:
        emit stationChanged(m_station);
        accept();
        break;
    case OpenStation::Outcome::AccountRequested:
        acceptAccount(choice);
        break;
    case OpenStation::Outcome::NoTariff:
    case OpenStation::Outcome::NoStation:
    case OpenStation::Outcome::Failed:
        break;
    }
}

void OpenStationDialog::acceptAccount(const OpenChoice& choice)
{
    if (!m_services.accounts)
        return;
    const Accounts::Purchase purchase{
        m_user->text(), m_password->text(), m_passwordNext->isChecked(), choice.hours,
        choice.minutes, m_amount->text(),   m_core.hourlyRate()};
    const bool done = m_mode == OpenMode::Create ? m_services.accounts->create(purchase)
                                                 : m_services.accounts->addCredit(purchase);
    if (done) {
        emit accountChanged(purchase.user.trimmed());
        accept();
    }
}

bool OpenStationDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_hours || watched == m_minutes)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runCalculateA();
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            (watched == m_hours ? m_hourSpin : m_minuteSpin)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kestrel
