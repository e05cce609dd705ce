// The charge dialog on its own; the console's tests charge through it once.
#include "printing/pendingprints.h"
#include "support/testsupport.h"
#include "ui/common/numerickeyfilter.h"
#include "ui/stations/chargedialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// PC01 counts at 0,50 for "ana" and owes 15,30 and a print job of 1,50 sent under its name in
// lower case.
struct Counter : test::CounterServices {
    PendingPrints prints{store.db()};
    ChargeDialog dialog{{stations, actions, prints, commands, journal, prompts, u"$"_s}};
    QLineEdit* box = dialog.findChild<QLineEdit*>(u"txtcantidad"_s);

    bool load()
    {
        return store.exec(u"INSERT INTO CYBER (PC, PCNAME, TIEMPO, MODALIDAD, LSTVARX, CLIENTE, "
                          u"TARIFA, TOTAL) VALUES ('PC01', '\\\\PC01', '0:05:00', 'CONTADOR', "
                          u"'1', 'ana', 0.5, 15.3)"_s) &&
               store.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, valor, jobid) "
                          u"VALUES ('\\\\pc01', 'Laser', 3, '1,50', 12)"_s) &&
               prints.reload() && loadStations();
    }
    QString shown(const char* name) { return dialog.findChild<QLabel*>(name)->text(); }
};

} // namespace

class TestChargeDialog : public QObject {
    Q_OBJECT
private slots:
    void keysChangeAndButtons_data();
    void keysChangeAndButtons();
};

void TestChargeDialog::keysChangeAndButtons_data()
{
    // Keys typed into the amount tendered, ";" between them ("^X": Ctrl and that letter; "del",
    // "bs", "home", "end", "enter" those keys; else typed), the box's text, the keys refused, the
    // change, the button ("lleno": the store refuses, "No": not confirmed) and what is told.
    test::addRows("keys | box | refused | change | button | told", R"(
    no amount           |                  |     |0|-16,80|cmdcobrar   |Ingrese la cantidad
    a cent short        |16,79             |16,79|0|-0,01 |cmdcobrar   |Cantidad incorrecta
    letters, sign, blank and currency refused|1a-2 $b.5|12.5|5|-4,30||
    select all, delete, undo; answered No|125;^A;del;^Z|125|0|108,20|cmdcobrar No|
    home, end, backspace; store refuses|25;home;1;end;0;bs|125|0|108,20|cmdcobrar lleno|
    copy, cut, paste    |7;^A;^C;^X;^V;^V  |77   |0|60,20 |            |
    enter moves on; cancelled|5;enter;6    |5    |0|-11,80|cmdcancelar |
    )");
}

// The bill's customer, the amount box's keys, the change with two decimals and the buttons of a
// charge not made; the console's tests make one and open the dialog again for another station.
void TestChargeDialog::keysChangeAndButtons()
{
    QFETCH(test::Row, r);
    const QString button = r[u"button"], press = button.section(u' ', 0, 0);
    Counter c;
    QVERIFY(c.load());
    if (button.endsWith(u"lleno"_s))
        QVERIFY(c.store.exec(u"CREATE TRIGGER full BEFORE INSERT ON INFORMES "
                             u"BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s));
    QSignalSpy charged(&c.dialog, &ChargeDialog::charged);
    QVERIFY(!c.dialog.openFor(1) && !c.dialog.isVisible()); // no such station
    QVERIFY(c.dialog.openFor(0));
    QVERIFY(QTest::qWaitForWindowActive(&c.dialog));
    QCOMPARE(c.shown("lbltotal"), u"16,80"_s);
    QCOMPARE(c.shown("lblcliente"), u"ana"_s);
    QSignalSpy refused(c.box->findChild<NumericKeyFilter*>(), &NumericKeyFilter::refused);
    c.box->clear();
    for (const QString& key : r[u"keys"].split(u';', Qt::SkipEmptyParts)) {
        QWidget* focus = QApplication::focusWidget();
        const Qt::Key named[] = {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_End,
                                 Qt::Key_Return};
        if (key.startsWith(u'^')) // the letter as its text: only the Ctrl key lets it through
            QTest::sendKeyEvent(QTest::Click, focus, Qt::Key(key[1].unicode()), key[1].toLower(),
                                Qt::ControlModifier);
        else if (const int i = u"del bs home end enter"_s.split(u' ').indexOf(key); i >= 0)
            QTest::sendKeyEvent(QTest::Click, focus, named[i], i ? QString() : u"\x7f"_s, {});
        else
            QTest::keyClicks(focus, key);
    }
    QCOMPARE(c.box->text(), r[u"box"]);
    QCOMPARE(refused.count(), r.number(u"refused"));
    QCOMPARE(c.shown("lblcambio"), r[u"change"]);
    c.prompts.answerNext(!button.endsWith(u" No"_s));
    if (!press.isEmpty())
        c.dialog.findChild<QPushButton*>(press)->click();
    QCOMPARE(c.prompts.toldTexts(), r[u"told"].isEmpty() ? QStringList() : QStringList{r[u"told"]});
    QCOMPARE(c.prompts.notified.size(), int(button.endsWith(u"lleno"_s)));
    QCOMPARE(c.dialog.isVisible(), press != u"cmdcancelar"_s);
    QVERIFY(charged.isEmpty() && c.journalRows().isEmpty() && c.prints.count() == 1 &&
            c.stations.at(0).modo == u"CONTADOR"_s);
}

QTEST_MAIN(TestChargeDialog)
#include "tst_chargedialog.moc"
