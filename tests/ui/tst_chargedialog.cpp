#include "billing/journal.h"
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "operators/operatorsession.h"
#include "printing/pendingprints.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"
#include "ui/chargedialog.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

Station station(const QString& pc, const QString& modo, const QString& total)
{
    Station s;
    s.pc = pc;
    s.pcnames = u"\\\\"_s + pc;
    s.modo = modo;
    s.tiempo = u"0:05:00"_s;
    s.usuario = u"ana"_s;
    s.sub = u"3,00"_s;
    s.total = total;
    return s;
}

// PC01 owes 10,00 of rental and 2,50 of prints; PC02 owes 4,00.
struct Fixture : test::CounterServices {
    PendingPrints prints{store.db()};
    ChargeDialog dialog{{stations, prints, commands, journal, store.db(), prompts, u"$"_s}};

    Fixture()
    {
        stations.setStations({station(u"PC01"_s, u"CONTADOR"_s, u"10,00"_s),
                              station(u"PC02"_s, u"CONTADOR"_s, u"4,00"_s)});
        prints.append({u"HP"_s, u"\\\\PC01"_s, u"3"_s, u"1,5"_s, u"11"_s});
        prints.append({u"HP"_s, u"\\\\PC01"_s, u"2"_s, u"1"_s, u"12"_s});
    }

    template <typename T> T* child(const char* name)
    {
        return dialog.findChild<T*>(QLatin1String(name));
    }
    QLineEdit* tendered() { return child<QLineEdit>("txtcantidad"); }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    QListWidget* history() { return child<QListWidget>("lsthistorial"); }
    void retype(const QString& amount)
    {
        tendered()->clear();
        QTest::keyClicks(tendered(), amount);
    }
    int journalRows() { return store.scalar(u"SELECT COUNT(*) FROM INFORMES"_s).toInt(); }
};

} // namespace

class TestChargeDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void showsTheBillAndTheChange();
    void buttons_data();
    void buttons();
    void historyShowsOnlyAroundTheBox();
};

void TestChargeDialog::showsTheBillAndTheChange()
{
    Fixture f;
    QCOMPARE(f.text("lblcambio"), u"0,00"_s);
    QVERIFY(!f.dialog.openFor(2));
    QVERIFY(!f.dialog.isVisible());

    QVERIFY(f.dialog.openFor(0));
    QVERIFY(f.dialog.isVisible());
    auto* list = f.child<QTreeWidget>("lstservicios");
    QCOMPARE(list->topLevelItemCount(), 2);
    const QTreeWidgetItem* prints = list->topLevelItem(0);
    QCOMPARE((QStringList{prints->text(0), prints->text(1), prints->text(2)}),
             (QStringList{u"5"_s, u"SERVICIO DE IMPRESION"_s, u"2,50"_s}));
    QCOMPARE(list->topLevelItem(1)->text(1), u"ALQUILER DE PC"_s);
    QCOMPARE(f.text("lbltotal"), u"12,50"_s);
    QCOMPARE(f.text("lblcliente"), u"ana"_s);
    // The box starts at 0,00, so the change is the whole amount owed.
    QCOMPARE(f.text("lblcambio"), u"-12,5"_s);

    f.retype(u"2a0"_s); // the letter is refused by the key rule
    QCOMPARE(f.tendered()->text(), u"20"_s);
    QCOMPARE(f.text("lblcambio"), u"7,5"_s);
    f.tendered()->clear(); // empty: the change stays
    QCOMPARE(f.text("lblcambio"), u"7,5"_s);

    // Opened again for another station, list and change follow it.
    f.dialog.hide();
    f.tendered()->setText(u"5"_s);
    QVERIFY(f.dialog.openFor(1));
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(f.text("lbltotal"), u"4,00"_s);
    QCOMPARE(f.text("lblcambio"), u"1"_s);
}

void TestChargeDialog::buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<bool>("stays");
    QTest::addColumn<bool>("charged");

    const QString cobrar = u"cmdcobrar"_s;
    QTest::newRow("no amount") << cobrar << u"0"_s << true << QStringList{u"Ingrese la cantidad"_s}
                               << true << false;
    QTest::newRow("too little") << cobrar << u"12,49"_s << true
                                << QStringList{u"Cantidad incorrecta"_s} << true << false;
    QTest::newRow("answered No") << cobrar << u"12,50"_s << false << QStringList() << true << false;
    QTest::newRow("confirmed") << cobrar << u"12,50"_s << true << QStringList() << false << true;
    QTest::newRow("cancelled") << u"cmdcancelar"_s << u"20"_s << true << QStringList() << false
                               << false;
}

void TestChargeDialog::buttons()
{
    QFETCH(QString, button);
    QFETCH(QString, amount);
    QFETCH(bool, answer);
    QFETCH(QStringList, told);
    QFETCH(bool, stays);
    QFETCH(bool, charged);

    Fixture f;
    QVERIFY(f.dialog.openFor(0));
    f.retype(amount);
    f.prompts.answerNext(answer);
    QSignalSpy chargedSpy(&f.dialog, &ChargeDialog::charged);
    QTest::mouseClick(f.dialog.findChild<QPushButton*>(button), Qt::LeftButton);

    QCOMPARE(f.prompts.toldTexts(), told);
    QCOMPARE(f.dialog.isVisible(), stays);
    QCOMPARE(chargedSpy.count(), int(charged));
    QCOMPARE(f.stations.at(0).modo, charged ? u""_s : u"CONTADOR"_s);
    QCOMPARE(f.prints.count(), charged ? 0 : 2);
    QCOMPARE(f.journalRows(), charged ? 2 : 0);
    QCOMPARE(f.dialog.charging().history().size(), int(charged));
}

void TestChargeDialog::historyShowsOnlyAroundTheBox()
{
    Fixture f;
    QVERIFY(f.dialog.openFor(1));
    QTest::mouseClick(f.tendered(), Qt::LeftButton);
    QTest::keyClick(f.tendered(), Qt::Key_5);
    QVERIFY(!f.history()->isVisible()); // nothing charged yet

    f.retype(u"5"_s);
    f.prompts.answerNext(true);
    QTest::mouseClick(f.child<QPushButton>("cmdcobrar"), Qt::LeftButton);
    QVERIFY(!f.dialog.isVisible());

    QVERIFY(f.dialog.openFor(0));
    QCOMPARE(f.tendered()->text(), u"5"_s); // kept from the last charge
    QVERIFY(!f.history()->isVisible());
    QTest::keyClick(f.tendered(), Qt::Key_0);
    QVERIFY(f.history()->isVisible());
    QCOMPARE(f.history()->item(0)->text(), u"5"_s);
    QTest::mouseClick(f.tendered(), Qt::LeftButton);
    QVERIFY(!f.history()->isVisible());
    QTest::mouseClick(f.tendered(), Qt::LeftButton);
    QVERIFY(f.history()->isVisible());
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(f.tendered(), &out);
    QVERIFY(!f.history()->isVisible());
}

QTEST_MAIN(TestChargeDialog)
#include "tst_chargedialog.moc"
