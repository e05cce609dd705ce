// The open-station dialog on its own; the console's tests open, change and add time through it.
#include "support/testsupport.h"
#include "ui/stations/openstationdialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// A standard tariff of 1,50 per hour and a compound one (0,20 a quarter, 0,40 half an hour, 0,50,
// 0,60 the hour); PC01 is free and PC02 runs prepaid at 1,50, waiting, with an hour bought.
struct Console : test::CounterServices {
    std::unique_ptr<OpenStationDialog> dialog;

    bool load()
    {
        dialog = std::make_unique<OpenStationDialog>(OpenStationServices{
            store.db(), settings, stations, actions, prompts, u"$"_s, &accounts});
        return store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                          u"('Normal', 1.5, 0.25, 'ST'), ('Bloques', 0, 0, 'TC')"_s) &&
               store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES (2, 15, "
                          u"0.2, 'Bloques'), (2, 30, 0.4, 'Bloques'), (2, 45, 0.5, 'Bloques'), "
                          u"(2, 60, 0.6, 'Bloques')"_s) &&
               store.exec(u"INSERT INTO CYBER (PC, TIEMPO, MODALIDAD, LSTVARX, vartipex3, "
                          u"TARIFBAS) VALUES ('PC01', '0:00:00', NULL, NULL, NULL, 0), "
                          u"('PC02', '0:30:00', 'EN ESPERA', '4', '1:00:00', 1.5)"_s) &&
               loadStations();
    }
    template <typename T = QWidget> T* find(const char* n) const
    {
        return dialog->findChild<T*>(n);
    }
    QComboBox* list(const char* name) const { return find<QComboBox>(name); }
    // The texts of the amount box, the hour and minute lists and the amount label.
    static constexpr const char* shown = "txtcantidad | cmbhora | cmbminutos | lblcantidad";
    QStringList amounts() const
    {
        return {find<QLineEdit>("txtcantidad")->text(), list("cmbhora")->currentText(),
                list("cmbminutos")->currentText(), find<QLabel>("lblcantidad")->text()};
    }
    void click(const QString& buttons) const
    {
        for (const QString& name : buttons.split(u' '))
            dialog->findChild<QAbstractButton*>(name)->click();
    }
    bool show(const QString& mode, int station, const QString& user = {}, const QString& rate = {})
    {
        return dialog->SHOWPC(mode, station, user, rate) &&
               QTest::qWaitForWindowActive(dialog.get());
    }
};

} // namespace

class TestOpenStationDialog : public QObject {
    Q_OBJECT
private slots:
    void eachModeHasItsSetUp_data();
    void eachModeHasItsSetUp();
    void keysAndButtons();
    void accountsAndARefusedStore();
};

void TestOpenStationDialog::eachModeHasItsSetUp_data()
{
    // The mode, the setting "clicktostart", then what the dialog shows on PC02 (given the user
    // "maria" and the rate 0): the heading, the title, what is shown, enabled or chosen, the
    // tariff preset by the rate and the user box.
    test::addRows("mode | clicktostart | heading | title | shown | tariff | user", R"(
    OPEN   |OPEN   |  |HABILITAR|HABILITAR PUESTO|wait modeFrame modeField tariffs||
    OPEN 3x|OPEN   |3x|HABILITAR|HABILITAR PUESTO|wait locked modeFrame modeField tariffs||
    MODO   |MODO   |  |CAMBIAR MODO|CAMBIAR MODO|modeFrame modeField tariffs prepaid||
    INCREM |INCREM |  |AUMENTAR CREDITO|AUMENTAR CREDITO|tariffs prepaid|Normal|
    CREATE |CREATE |  |Crear nueva cuenta:|NUEVO USUARIO|user password tariffs prepaid||
    INCREMU|INCREMU|  |Acreditar:|AUMTENTAR|user prepaid|Bloques|maria
    )");
}

void TestOpenStationDialog::eachModeHasItsSetUp()
{
    QFETCH(test::Row, r);
    const QString mode = r[u"mode"];
    Console c;
    QVERIFY(c.load());
    // A station mode is refused without a station; a showing leaves nothing to the next one.
    QCOMPARE(c.dialog->SHOWPC(mode, 2), mode == u"CREATE"_s || mode == u"INCREMU"_s);
    c.find<QLineEdit>("txtusuario")->setText(u"old"_s);
    c.find<QCheckBox>("chkesperar")->setChecked(true);
    c.dialog->reject();
    c.settings.write(u"clicktostart"_s, r[u"clicktostart"]);
    QVERIFY(c.show(mode, 1, u"maria"_s, u"0"_s));
    QStringList flags;
    for (const auto& [flag, on] : {std::pair{"wait", c.find("chkesperar")->isVisible()},
                                   {"locked", !c.find("chkesperar")->isEnabled() &&
                                                  c.find<QCheckBox>("chkesperar")->isChecked()},
                                   {"user", c.find("frameusuario")->isVisible()},
                                   {"password", c.find("txtpassword")->isVisible()},
                                   {"modeFrame", c.find("framemodo")->isEnabled()},
                                   {"modeField", c.find("cmbmodo")->isEnabled()},
                                   {"tariffs", c.list("cmbtarifa")->isEnabled()},
                                   {"prepaid", c.find<QRadioButton>("optprepago")->isChecked()}})
        if (on)
            flags << QString::fromLatin1(flag);
    const char* shown = "heading | title | shown | tariff | user";
    COMPARE_FIELDS(r.fields(shown).join(u'|'), shown, c.find<QLabel>("lbltitulo")->text(),
                   c.dialog->windowTitle(), flags.join(u' '), c.list("cmbtarifa")->currentText(),
                   c.find<QLineEdit>("txtusuario")->text());
    QCOMPARE(c.list("cmbtarifa")->count(), 2);
    QCOMPARE(c.find("cmdaceptar")->isEnabled(), !r[u"tariff"].isEmpty());
}

// Enter in the lists turns the time into an amount, in the amount box the amount into a time; each
// quick button chooses its time, pressed alone; another tariff starts over; counting, the prepaid
// inputs wait. F1 without a tariff tells what is missing; F2 and Escape close without a change.
void TestOpenStationDialog::keysAndButtons()
{
    Console c;
    QVERIFY(c.load());
    QSignalSpy changed(c.dialog.get(), &OpenStationDialog::stationChanged);
    QVERIFY(!c.dialog->SHOWPC(u"CERRAR"_s, 0) && !c.dialog->isVisible()); // no such mode
    QVERIFY(c.show(u"OPEN"_s, 0));
    QTest::keyClick(c.list("cmbtarifa"), Qt::Key_F1);
    QCOMPARE(c.prompts.toldTexts(), QStringList{u"Seleccione la tarifa"_s});
    QVERIFY(c.dialog->isVisible());
    c.list("cmbtarifa")->setCurrentIndex(0);
    c.click(u"optprepago"_s);
    c.list("cmbhora")->setCurrentIndex(2);
    c.list("cmbminutos")->setCurrentIndex(20);
    QTest::keyClick(c.list("cmbminutos"), Qt::Key_Return);
    COMPARE_RECORDS({c.amounts()}, c.shown, "3,5 | 2 | 20 | 3,5 $");
    auto* amount = c.find<QLineEdit>("txtcantidad");
    amount->clear();
    QTest::keyClicks(amount, u"0,75"_s);
    QTest::keyClick(amount, Qt::Key_Return);
    COMPARE_RECORDS({c.amounts()}, c.shown, "0,75 | 0 | 30 | 0,75 $");

    for (const QString& quick :
         u"5=0|5 10=0|10 15=0|15 30=0|30 45=0|45 1h=1|0 2h=2|0 3h=3|0"_s.split(u' ')) {
        c.click(u"cmdq"_s + quick.section(u'=', 0, 0));
        COMPARE_RECORDS({c.amounts().mid(1, 2)}, "cmbhora | cmbminutos", quick.section(u'=', 1));
    }
    COMPARE_RECORDS({c.amounts()}, c.shown, "4,5 | 3 | 0 | 4,5 $");
    QVERIFY(c.find<QPushButton>("cmdq3h")->isChecked() &&
            !c.find<QPushButton>("cmdq2h")->isChecked());
    c.list("cmbtarifa")->setCurrentIndex(1); // nothing to pay falls in the first block
    COMPARE_RECORDS({c.amounts().mid(0, 3)}, c.shown, "0 | 0 | 15");
    c.click(u"cmdq2h"_s);
    COMPARE_RECORDS({c.amounts()}, c.shown, "1,20 | 2 | 0 | 1,20 $");
    c.click(u"optcontador"_s);
    QVERIFY(!amount->isEnabled() && !c.find("cmbhora")->isEnabled() &&
            !c.find("cmdq10")->isEnabled());

    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Escape}) {
        QVERIFY(c.show(u"OPEN"_s, 0));
        QTest::keyClick(c.list("cmbtarifa"), key);
        QVERIFY(!c.dialog->isVisible());
    }
    QVERIFY(changed.isEmpty() && c.stations.at(0).modo.isEmpty());
}

// "INCREMU" adds the hours chosen to the account passed in, then closes; a "CREATE" that is refused
// keeps the dialog open with what was typed, and so does a station the store refuses.
void TestOpenStationDialog::accountsAndARefusedStore()
{
    Console c;
    QVERIFY(c.load());
    QSignalSpy changed(c.dialog.get(), &OpenStationDialog::stationChanged);
    QVERIFY(c.store.exec(u"INSERT INTO CUENTAS (USER, TIMERES) VALUES ('maria', '0:10:00')"_s));
    QSignalSpy account(c.dialog.get(), &OpenStationDialog::accountChanged);
    const std::vector<Station> before = c.stations.stations();
    QVERIFY(c.show(u"INCREMU"_s, 0, u"maria"_s, u"1,5"_s));
    c.click(u"cmdq2h cmdaceptar"_s);
    QCOMPARE(account.takeFirst().value(0).toString(), u"maria"_s);
    QCOMPARE(c.store.scalar(u"SELECT TIMERES FROM CUENTAS"_s), QVariant(u"2:10:00"_s));
    QVERIFY(c.show(u"CREATE"_s, 0));
    c.list("cmbtarifa")->setCurrentIndex(0);
    c.find<QLineEdit>("txtusuario")->setText(u"MARIA"_s);
    c.click(u"cmdaceptar"_s);
    QVERIFY(c.dialog->isVisible() && account.isEmpty());
    QCOMPARE(c.prompts.toldTexts().last(), u"Usuario ya existe"_s);
    c.click(u"chkpasswordnext"_s);
    QVERIFY(!c.find("txtpassword")->isEnabled());

    QVERIFY(c.store.exec(u"CREATE TRIGGER full BEFORE UPDATE ON CYBER "
                         u"BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s));
    QVERIFY(c.show(u"INCREM"_s, 1));
    c.click(u"cmdq30 cmdaceptar"_s);
    QVERIFY(c.dialog->isVisible());
    QCOMPARE(c.prompts.notified.size(), 1);
    COMPARE_STATIONS(c.stations.stations(), before);
    QVERIFY(changed.isEmpty());
}

QTEST_MAIN(TestOpenStationDialog)
#include "tst_openstationdialog.moc"
