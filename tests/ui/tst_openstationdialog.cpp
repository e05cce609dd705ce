#include "stations/stationtable.h"
#include "support/testsupport.h"
#include "ui/openstationdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// The console's side of the dialog: a store with a standard tariff of 1,50 per hour and a compound
// one (0,20 a quarter, 0,40 half an hour, 0,50, 0,60 the hour), and two stations, the second one
// running prepaid at 1,50.
struct Console {
    test::TempStore store;
    test::MemorySettingsStore settingsStore;
    Settings settings{settingsStore};
    test::ScriptedPrompts prompts;
    StationTable stations;
    std::unique_ptr<OpenStationDialog> dialog;

    explicit Console(bool withTariffs = true)
    {
        if (withTariffs) {
            const QString tariff =
                u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES (?,?,?,?)"_s;
            store.exec(tariff, {u"Normal"_s, 1.5, 0.25, u"ST"_s});
            store.exec(tariff, {u"Bloques"_s, 0, 0, u"TC"_s});
            for (const auto& [minutes, price] :
                 {std::pair{u"15"_s, 0.20}, {u"30"_s, 0.40}, {u"45"_s, 0.50}, {u"60"_s, 0.60}})
                store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) "
                           u"VALUES (2, ?, ?, 'Bloques')"_s,
                           {minutes, price});
        }
        Station free;
        free.pc = u"PC01"_s;
        Station running = free;
        running.pc = u"PC02"_s;
        running.modo = StationMode::Waiting;
        running.LSTCLWA = u"4"_s;
        running.tiempo = u"0:30:00"_s;
        running.vartipex3 = u"1:00:00"_s;
        running.LSTTARBAS = u"1,5"_s;
        stations.setStations({free, running});
        dialog = std::make_unique<OpenStationDialog>(
            OpenStationServices{store.db(), settings, stations, prompts, u"$"_s});
    }

    template <typename T> T* find(const char* name) const
    {
        return dialog->findChild<T*>(QLatin1String(name));
    }
    QComboBox* list(const char* name) const { return find<QComboBox>(name); }
    QPushButton* button(const char* name) const { return find<QPushButton>(name); }

    bool showActive(const QString& mode, int station, const QString& user = {},
                    const QString& rate = {})
    {
        if (!dialog->SHOWPC(mode, station, user, rate))
            return false;
        return QTest::qWaitForWindowActive(dialog.get());
    }
};

} // namespace

class TestOpenStationDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void eachModeHasItsSetUp_data();
    void eachModeHasItsSetUp();
    void stationModesNeedAStation();
    void enterRunsTheConversions();
    void quickButtonsChooseATime_data();
    void quickButtonsChooseATime();
    void counterDisablesThePrepaidInputs();
    void spinControlsFollowTheLists();
    void clickToStartDecidesTheWaitBox_data();
    void clickToStartDecidesTheWaitBox();
    void functionKeysAcceptAndCancel();
    void aceptarWritesTheStation();
    void accountModesAskForTheAccount();
};

void TestOpenStationDialog::eachModeHasItsSetUp_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("waitBox");
    QTest::addColumn<bool>("userFrame");
    QTest::addColumn<bool>("modeFrame");
    QTest::addColumn<bool>("tariffList");
    QTest::addColumn<bool>("prepaid");
    QTest::addColumn<QString>("tariff"); // preset by rate, empty: nothing chosen

    QTest::newRow("open") << u"OPEN"_s << u"HABILITAR"_s << u"HABILITAR PUESTO"_s << true << false
                          << true << true << false << QString();
    QTest::newRow("change mode") << u"MODO"_s << u"CAMBIAR MODO"_s << u"CAMBIAR MODO"_s << false
                                 << false << true << true << true << QString();
    QTest::newRow("add time") << u"INCREM"_s << u"AUMENTAR CREDITO"_s << u"AUMENTAR CREDITO"_s
                              << false << false << false << true << true << u"Normal"_s;
    QTest::newRow("new account") << u"CREATE"_s << u"Crear nueva cuenta:"_s << u"NUEVO USUARIO"_s
                                 << false << true << false << true << true << QString();
    QTest::newRow("account credit") << u"INCREMU"_s << u"Acreditar:"_s << u"AUMTENTAR"_s << false
                                    << true << false << false << true << u"Bloques"_s;
}

void TestOpenStationDialog::eachModeHasItsSetUp()
{
    QFETCH(QString, mode);
    QFETCH(QString, heading);
    QFETCH(QString, title);
    QFETCH(bool, waitBox);
    QFETCH(bool, userFrame);
    QFETCH(bool, modeFrame);
    QFETCH(bool, tariffList);
    QFETCH(bool, prepaid);
    QFETCH(QString, tariff);

    Console c;
    // The dialog is shown again and again: a previous showing leaves nothing behind.
    QVERIFY(c.showActive(u"CREATE"_s, -1));
    c.find<QLineEdit>("txtusuario")->setText(u"old"_s);
    c.dialog->reject();

    QVERIFY(c.showActive(mode, 1, u"maria"_s, u"0"_s));
    QCOMPARE(c.dialog->mode(), mode);
    QCOMPARE(c.dialog->windowTitle(), title);
    QCOMPARE(c.find<QLabel>("lbltitulo")->text(), heading);
    QCOMPARE(c.find<QLabel>("lblpuesto")->text(), u"ABRIR PUESTO PC02"_s);
    QCOMPARE(c.find<QCheckBox>("chkesperar")->isVisible(), waitBox);
    QCOMPARE(c.find<QGroupBox>("frameusuario")->isVisible(), userFrame);
    QCOMPARE(c.find<QGroupBox>("framemodo")->isEnabled(), modeFrame);
    QCOMPARE(c.list("cmbtarifa")->isEnabled(), tariffList);
    QCOMPARE(c.find<QRadioButton>("optprepago")->isChecked(), prepaid);
    QCOMPARE(c.list("cmbtarifa")->currentText(), tariff);
    QCOMPARE(c.button("cmdaceptar")->isEnabled(), !tariff.isEmpty());
    QCOMPARE(c.list("cmbtarifa")->count(), 2);
    if (mode == u"INCREMU"_s) {
        QCOMPARE(c.find<QLineEdit>("txtusuario")->text(), u"maria"_s);
        QVERIFY(!c.find<QLineEdit>("txtpassword")->isVisible());
    } else if (mode == u"CREATE"_s) {
        QCOMPARE(c.find<QLineEdit>("txtusuario")->text(), QString());
        QVERIFY(c.find<QLineEdit>("txtpassword")->isVisible());
    } else if (mode != u"OPEN"_s) {
        // The station runs waiting: the mode field shows what the station list shows.
        const QComboBox* field = c.list("cmbmodo");
        QCOMPARE(field->currentIndex() < 0 ? field->placeholderText() : field->currentText(),
                 StationMode::Waiting);
    }
}

void TestOpenStationDialog::stationModesNeedAStation()
{
    Console c;
    for (const QString& mode : {u"OPEN"_s, u"MODO"_s, u"INCREM"_s}) {
        QVERIFY(!c.dialog->SHOWPC(mode, -1));
        QVERIFY(!c.dialog->SHOWPC(mode, 2));
    }
    QVERIFY(!c.dialog->SHOWPC(u"CERRAR"_s, 0));
    QVERIFY(!c.dialog->isVisible());
    QVERIFY(c.dialog->SHOWPC(u"CREATE"_s, -1));
    QVERIFY(c.dialog->isVisible());
    QCOMPARE(c.find<QLabel>("lblpuesto")->text(), u"ABRIR PUESTO "_s);
}

void TestOpenStationDialog::enterRunsTheConversions()
{
    Console c;
    QVERIFY(c.showActive(u"OPEN"_s, 0));
    c.list("cmbtarifa")->setCurrentIndex(0);
    QVERIFY(c.button("cmdaceptar")->isEnabled());
    QCOMPARE(c.find<QLineEdit>("txtcantidad")->text(), u"0"_s);

    c.find<QRadioButton>("optprepago")->click();
    c.list("cmbhora")->setCurrentIndex(2);
    c.list("cmbminutos")->setCurrentIndex(20);
    QTest::keyClick(c.list("cmbminutos"), Qt::Key_Return);
    QCOMPARE(c.find<QLineEdit>("txtcantidad")->text(), u"3,5"_s);

    QLineEdit* amount = c.find<QLineEdit>("txtcantidad");
    amount->clear();
    QTest::keyClicks(amount, u"0,75"_s);
    QTest::keyClick(amount, Qt::Key_Return);
    QCOMPARE(c.list("cmbhora")->currentText(), u"0"_s);
    QCOMPARE(c.list("cmbminutos")->currentText(), u"30"_s);
    QCOMPARE(c.find<QScrollBar>("spinminutos")->value(), 29);
    QCOMPARE(c.find<QLabel>("lblcantidad")->text(), u"0,75 $"_s);

    // Choosing another tariff starts the amount over and converts it: nothing to pay falls in
    // the compound tariff's first block.
    c.list("cmbtarifa")->setCurrentIndex(1);
    QCOMPARE(amount->text(), u"0"_s);
    QCOMPARE(c.list("cmbhora")->currentText(), u"0"_s);
    QCOMPARE(c.list("cmbminutos")->currentText(), u"15"_s);
}

void TestOpenStationDialog::quickButtonsChooseATime_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tariff");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("amount");
    QTest::newRow("5") << u"cmdq5"_s << 0 << u"0"_s << u"5"_s << u"0,125"_s;
    QTest::newRow("45") << u"cmdq45"_s << 0 << u"0"_s << u"45"_s << u"1,125"_s;
    QTest::newRow("1h") << u"cmdq1h"_s << 0 << u"1"_s << u"0"_s << u"1,5"_s;
    QTest::newRow("3h") << u"cmdq3h"_s << 0 << u"3"_s << u"0"_s << u"4,5"_s;
    QTest::newRow("30, compound") << u"cmdq30"_s << 1 << u"0"_s << u"30"_s << u"0,40"_s;
    QTest::newRow("2h, compound") << u"cmdq2h"_s << 1 << u"2"_s << u"0"_s << u"1,20"_s;
}

void TestOpenStationDialog::quickButtonsChooseATime()
{
    QFETCH(QString, name);
    QFETCH(int, tariff);
    QFETCH(QString, hours);
    QFETCH(QString, minutes);
    QFETCH(QString, amount);
    Console c;
    QVERIFY(c.showActive(u"OPEN"_s, 0));
    c.list("cmbtarifa")->setCurrentIndex(tariff);
    QVERIFY(!c.button("cmdq10")->isEnabled()); // counting: no time to choose
    c.find<QRadioButton>("optprepago")->click();
    c.button("cmdq10")->click();

    QPushButton* pressed = c.button(name.toLatin1().constData());
    pressed->click();
    QVERIFY(c.find<QRadioButton>("optprepago")->isChecked());
    QCOMPARE(c.list("cmbhora")->currentText(), hours);
    QCOMPARE(c.list("cmbminutos")->currentText(), minutes);
    QCOMPARE(c.find<QLineEdit>("txtcantidad")->text(), amount);
    QCOMPARE(c.find<QLabel>("lblcantidad")->text(), amount + u" $"_s);
    QVERIFY(pressed->isChecked());
    QVERIFY(!c.button("cmdq10")->isChecked());
}

void TestOpenStationDialog::counterDisablesThePrepaidInputs()
{
    Console c;
    QVERIFY(c.showActive(u"MODO"_s, 1));
    QLineEdit* amount = c.find<QLineEdit>("txtcantidad");
    QVERIFY(amount->isEnabled()); // the station runs prepaid
    c.find<QRadioButton>("optcontador")->click();
    QCOMPARE(c.list("cmbmodo")->currentText(), u"CONTADOR"_s);
    for (QWidget* w : {static_cast<QWidget*>(amount), static_cast<QWidget*>(c.list("cmbhora")),
                       static_cast<QWidget*>(c.find<QScrollBar>("spinminutos")),
                       static_cast<QWidget*>(c.button("cmdq1h"))})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));

    // The mode field makes the same choice.
    QComboBox* field = c.list("cmbmodo");
    field->setCurrentIndex(field->findText(u"PREPAGO"_s));
    emit field->activated(field->currentIndex());
    QVERIFY(c.find<QRadioButton>("optprepago")->isChecked());
    QVERIFY(amount->isEnabled());
    field->setCurrentIndex(field->findText(u"CONTADOR"_s));
    emit field->activated(field->currentIndex());
    QVERIFY(c.find<QRadioButton>("optcontador")->isChecked());
    QVERIFY(!c.list("cmbminutos")->isEnabled());
}

void TestOpenStationDialog::spinControlsFollowTheLists()
{
    Console c;
    QVERIFY(c.showActive(u"INCREM"_s, 1));
    QComboBox* hours = c.list("cmbhora");
    QScrollBar* spin = c.find<QScrollBar>("spinhora");
    hours->setFocus();
    QTest::keyClick(hours, Qt::Key_Up);
    QVERIFY(spin->hasFocus());
    QCOMPARE(hours->currentIndex(), 0); // the arrow moved the focus, not the list

    spin->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(hours->currentText(), u"1"_s);
    hours->setCurrentIndex(7);
    QCOMPARE(spin->value(), 52);
}

void TestOpenStationDialog::clickToStartDecidesTheWaitBox_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("locked");
    QTest::newRow("on") << u"1"_s << true;
    QTest::newRow("leading number") << u"3x"_s << true;
    QTest::newRow("off") << u"0"_s << false;
}

void TestOpenStationDialog::clickToStartDecidesTheWaitBox()
{
    QFETCH(QString, setting);
    QFETCH(bool, locked);
    Console c;
    QCheckBox* wait = c.find<QCheckBox>("chkesperar");
    QVERIFY(c.showActive(u"OPEN"_s, 0));
    wait->setChecked(true); // the operator's last choice is not kept
    c.dialog->reject();

    c.settings.write(u"clicktostart"_s, setting);
    QVERIFY(c.showActive(u"OPEN"_s, 0));
    QCOMPARE(wait->isChecked(), locked);
    QCOMPARE(wait->isEnabled(), !locked);
}

void TestOpenStationDialog::functionKeysAcceptAndCancel()
{
    Console c(false);
    QSignalSpy changed(c.dialog.get(), &OpenStationDialog::stationChanged);
    QVERIFY(c.showActive(u"OPEN"_s, 0));
    QVERIFY(!c.button("cmdaceptar")->isEnabled());
    QTest::keyClick(c.list("cmbtarifa"), Qt::Key_F1);
    QCOMPARE(c.prompts.toldTexts(), QStringList{u"Seleccione la tarifa"_s});
    QVERIFY(c.dialog->isVisible());

    QTest::keyClick(c.list("cmbtarifa"), Qt::Key_F2);
    QVERIFY(!c.dialog->isVisible());
    QCOMPARE(c.dialog->result(), int(QDialog::Rejected));
    QVERIFY(changed.isEmpty());
    QVERIFY(c.stations.at(0).modo.isEmpty());

    QVERIFY(c.showActive(u"OPEN"_s, 0));
    QTest::keyClick(c.list("cmbtarifa"), Qt::Key_Escape);
    QVERIFY(!c.dialog->isVisible());
}

void TestOpenStationDialog::aceptarWritesTheStation()
{
    Console c;
    QSignalSpy changed(c.dialog.get(), &OpenStationDialog::stationChanged);
    QSignalSpy account(c.dialog.get(), &OpenStationDialog::accountRequested);
    QVERIFY(c.showActive(u"OPEN"_s, 0));
    c.list("cmbtarifa")->setCurrentIndex(0);
    c.find<QCheckBox>("chkesperar")->setChecked(true);
    c.find<QRadioButton>("optprepago")->click();
    c.button("cmdq45")->click();
    QTest::keyClick(c.list("cmbtarifa"), Qt::Key_F1);

    QVERIFY(!c.dialog->isVisible());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toInt(), 0);
    QVERIFY(account.isEmpty());
    const Station& s = c.stations.at(0);
    QCOMPARE(s.modo, StationMode::Waiting);
    QCOMPARE(s.LSTCLWA, u"4"_s);
    QCOMPARE(s.vartipex3, u"0:45:00"_s);
    QCOMPARE(s.tiempo, u"0:45:00"_s);
    QCOMPARE(s.LSTTARBAS, u"1,50"_s);
    QCOMPARE(s.sub, u"0,25"_s);
    QVERIFY(c.prompts.told.isEmpty());

    // Adding time to the running station through the button.
    QVERIFY(c.showActive(u"INCREM"_s, 1));
    c.button("cmdq30")->click();
    c.button("cmdaceptar")->click();
    QCOMPARE(c.stations.at(1).vartipex3, u"1:29:00"_s);
    QCOMPARE(c.stations.at(1).modo, StationMode::Waiting);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed[1][0].toInt(), 1);
}

void TestOpenStationDialog::accountModesAskForTheAccount()
{
    Console c;
    QSignalSpy changed(c.dialog.get(), &OpenStationDialog::stationChanged);
    QSignalSpy account(c.dialog.get(), &OpenStationDialog::accountRequested);
    const std::vector<Station> before = c.stations.stations();
    QVERIFY(c.showActive(u"INCREMU"_s, 0, u"maria"_s, u"1,5"_s));
    c.button("cmdq2h")->click();
    c.button("cmdaceptar")->click();

    QCOMPARE(account.count(), 1);
    QCOMPARE(account[0][0].toString(), u"INCREMU"_s);
    QVERIFY(changed.isEmpty());
    QCOMPARE(c.stations.stations(), before);
    QVERIFY(c.dialog->isVisible()); // the account operation closes it when done
    QCOMPARE(c.list("cmbhora")->currentText(), u"2"_s);

    c.find<QCheckBox>("chkpasswordnext")->setChecked(true);
    QVERIFY(!c.find<QLineEdit>("txtpassword")->isEnabled());
}

QTEST_MAIN(TestOpenStationDialog)
#include "tst_openstationdialog.moc"
