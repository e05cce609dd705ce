#include "config/tariffadmin.h"
#include "support/testsupport.h"
#include "ui/options/tariffeditor.h"
#include "ui/options/tariffpages.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <tuple>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

using Kind = TariffAdmin::Kind;
const char* const Lists = "list | 1st | 2nd | 3rd | 4th | 5th";

struct Fixture : test::CounterServices {
    TariffAdmin admin{{store.db(), actions, prompts}};

    // Every list as the pages show them, then the two tables as stored, each record after the
    // name of its list.
    test::Records lists()
    {
        test::Records all;
        for (const auto& [kind, list] : {std::pair{Kind::Standard, u"standard"_s},
                                         std::pair{Kind::Predefined, u"predefined"_s}}) {
            for (const auto& r : admin.rows(kind))
                all << QStringList{list, r.name, r.first, r.second};
        }
        for (const auto& c : admin.compounds())
            all << QStringList{u"compound"_s, QString::number(c.code), c.name};
        for (const auto& i : admin.intervals())
            all << QStringList{u"interval"_s, i.minutes, i.price};
        return all +
               store.rows(u"SELECT 'TARIFAS', CODIGO, NOMBRE, TARIFA, TARIF_MIN, TIPO FROM "
                          u"TARIFAS UNION ALL SELECT 'TAIFASC', CODIGO, VALUE, TARIF, NOMBRE, "
                          u"NULL FROM TAIFASC"_s);
    }
    // Puts a session of the compound tariff 1 on a station, as the open-station dialog does.
    void open(int index)
    {
        stations.update(index, [](Station& s) {
            std::tie(s.modo, s.TARIFM, s.TARFC, s.vartipex2) =
                std::tuple(StationMode::Counter, u"TC"_s, u"1"_s, u"0:15:59"_s);
        });
    }
};

void editorRules_data()
{
    // The box's text after the Enter release; two amounts, whether in order.
    test::addRows("box | after Enter | first | second | in order", R"(
    empty box     |     |0    |1.50|2    |n
    comma stops   |1,5  |1    |60  |0.60 |y
    point decimal |1.5  |1,5  |1,9 |1,5  |y
    no number     |abc  |0    |2   |2    |y
    )");
}

void accept_data()
{
    // TARIFA and TARIF_MIN are stored as numbers: what the console reads back is what was typed.
    test::addRows("mode | name | first | second | told | TARIFA | TARIF_MIN", R"(
    standard comma   |ADD    |Tarde|1,5 |0,5 |                                         |1.5|0.5
    keypad point     |ADD    |Tarde|1.5 |1   |                                         |1.5|1.0
    rate below min   |ADD    |Tarde|1.50|2   |Valores errones, Valor minimo incorrecto ||
    package refused  |ADDP   |Hora |15  |20  |Valores errones, Valor minimo incorrecto ||
    package accepted |ADDP   |Hora |60  |0.60|                                         |60.0|0.6
    modify order     |MODIFY |Base |1   |2   |Valores errones, Valor minimo incorrecto ||
    modify first     |MODIFY |NOCHE|4   |2   |                                         |4.0|2.0
    modify kind      |MODIFYP|noche|45  |1   |                                         |45.0|1.0
    empty name       |ADD    |    |1   |0   |Ingrese un nombre para la tarifa         ||
    no number        |ADD    |X    |1x  |0   |«Valor/Hora» debe ser un número entre 0 y 1.000.000.000.000.||
    beyond maximum   |ADDP   |X    |2e12|1   |«Minutos» debe ser un número entre 0 y 1.000.000.000.000.||
    modify gone      |MODIFY |Nadie|1   |0   |La tarifa «Nadie» ya no existe.          ||
    )");
}

void changeInterval_data()
{
    test::addRows("prices before | row | typed | told | prices after", R"(
    inside range    |.2 .4 .5 .6|1|0,45 |                   |0,20 0,45 0,50 0,60
    above next      |.2 .4 .5 .6|1|0,55 |de acuerdo al intervalo|0,20 0,40 0,50 0,60
    equal previous  |.2 .4 .5 .6|1|0,20 |                   |0,20 0,20 0,50 0,60
    equal next      |.2 .4 .5 .6|1|0,50 |                   |0,20 0,50 0,50 0,60
    two decimals    |.2 .4 .5 .6|1|0,504|                   |0,20 0,50 0,50 0,60
    first above     |.2 .4 .5 .6|0|0,45 |ingrese un valor menor|0,20 0,40 0,50 0,60
    last below      |.2 .4 .5 .6|3|0,49 |ingrese un valor menor|0,20 0,40 0,50 0,60
    last past nine  |3 6 9 9    |3|10,00|                   |3,00 6,00 9,00 10,00
    no number       |.2 .4 .5 .6|1|abc  |debe ser un número |0,20 0,40 0,50 0,60
    )");
}

} // namespace

class TariffAdminTest : public QObject {
    Q_OBJECT
private slots:
    void editorRules_data() { ::editorRules_data(); }
    void editorRules()
    {
        QFETCH(test::Row, r);
        test::pinCafeLocale();
        QCOMPARE(TariffAdmin::normalizedOnEnter(r[u"box"]), r[u"after Enter"]);
        QCOMPARE(TariffAdmin::amountsInOrder(r[u"first"], r[u"second"]), r[u"in order"] == u"y"_s);
    }

    void accept_data() { ::accept_data(); }
    void accept()
    {
        QFETCH(test::Row, r);
        Fixture c;
        QVERIFY(c.store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                             u"('Base', 1, 0.5, 'ST'), ('Noche', 30, 1, 'PR'), "
                             u"('noche', 2, 1, 'ST'), ('Noche', 3, 1, 'ST')"_s));
        QVERIFY(c.admin.load());
        const test::Records before = c.lists();
        const TariffAdmin::Mode mode = TariffAdmin::modeOfTag(r[u"mode"]).value();
        const QString told = r[u"told"];
        QCOMPARE(c.admin.accept(mode, r[u"name"], r[u"first"], r[u"second"]), told.isEmpty());
        QCOMPARE(c.prompts.toldTexts(), told.isEmpty() ? QStringList() : QStringList{told});
        if (!told.isEmpty()) {
            COMPARE_RECORDS(c.lists(), Lists, before);
            return;
        }
        const QString tipo = TariffAdmin::kindOf(mode) == Kind::Standard ? u"ST"_s : u"PR"_s;
        COMPARE_RECORDS(c.store.rows(u"SELECT TARIFA, TARIF_MIN FROM TARIFAS WHERE NOMBRE = ? "
                                     u"AND TIPO = ? ORDER BY rowid LIMIT 1"_s,
                                     {r[u"name"], tipo}),
                        "TARIFA | TARIF_MIN", test::Records{r.fields("TARIFA | TARIF_MIN")});
    }

    void changeInterval_data() { ::changeInterval_data(); }
    void changeInterval()
    {
        QFETCH(test::Row, r);
        Fixture c;
        QVERIFY(c.admin.addCompound(u"Noche"_s));
        const QStringList before = r[u"prices before"].split(u' ');
        for (int i = 0; i < 4; ++i)
            QVERIFY(c.store.exec(u"UPDATE TAIFASC SET TARIF = ? WHERE VALUE = ?"_s,
                                 {before[i].toDouble(), QString::number(15 * (i + 1))}));
        QVERIFY(c.admin.load());
        QCOMPARE(c.admin.changeInterval(r.number(u"row"), r[u"typed"]), r[u"told"].isEmpty());
        QVERIFY(c.prompts.toldTexts().join(u'\n').contains(r[u"told"]));
        QStringList prices;
        for (const auto& i : c.admin.intervals())
            prices << i.price;
        QCOMPARE(prices, r[u"prices after"].split(u' '));
    }

    void removeAndCompounds()
    {
        Fixture c;
        QVERIFY(c.store.exec(
            u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
            u"('Noche', 30, 1, 'PR'), ('NOCHE', 2, 1, 'ST'), ('Noche', 3, 1, 'ST')"_s));
        QVERIFY(c.store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES "
                             u"(7, '15', 5, 'B'), (7, '30', 100, 'Otra'), (7, '60', 12, 'B')"_s));
        QVERIFY(!c.admin.addCompound(u"  "_s));
        QCOMPARE(c.prompts.told.value(0).icon, Prompts::Icon::None);
        QCOMPARE(c.prompts.toldTexts(), QStringList{u"Ingrese un nombre para la tarifa"_s});
        QVERIFY(c.admin.load() && c.admin.remove(Kind::Standard, 1)); // the first "noche" goes
        QVERIFY(c.admin.addCompound(u"B"_s) && c.admin.addCompound(u"Noche"_s));
        // Same names stay apart; the intervals are those the metering prices with.
        const QString kept = u"standard | Noche | 3,00 | 1,00 \n predefined | Noche | 30 | 1,00 \n"
                             u"compound | 7 | B \n compound | 4 | B \n"_s;
        COMPARE_RECORDS(
            c.lists().mid(0, 7), Lists,
            kept + u"compound | 5 | Noche \n interval | 15 | 5,00 \n interval | 60 | 12,00"_s);
        c.admin.chooseCompound(2);
        COMPARE_RECORDS(c.lists().mid(5, 4), Lists,
                        u"interval | 15 | 0,20 \n interval | 30 | 0,40 \n interval | 45 | 0,50 \n "
                        u"interval | 60 | 0,60"_s);
        QVERIFY(c.admin.removeCompound(2));
        COMPARE_RECORDS(
            c.lists(), Lists,
            kept +
                u"TARIFAS | 1 | Noche | 30.0 | 1.0 | PR \n TARIFAS | 3 | Noche | 3.0 | 1.0 | ST \n"
                u"TARIFAS | 4 | B | | | TC \n TAIFASC | 7 | 15 | 5.0 | B | \n"
                u"TAIFASC | 7 | 30 | 100.0 | Otra | \n TAIFASC | 7 | 60 | 12.0 | B | \n"
                u"TAIFASC | 4 | 15 | 0.2 | B | \n TAIFASC | 4 | 30 | 0.4 | B | \n"
                u"TAIFASC | 4 | 45 | 0.5 | B | \n TAIFASC | 4 | 60 | 0.6 | B |"_s);
    }

    void refusedWriteChangesNothing()
    {
        using Mode = TariffAdmin::Mode;
        // The statement the store refuses, the change.
        const std::vector<std::pair<QString, std::function<bool(TariffAdmin&)>>> changes = {
            {u"INSERT ON TARIFAS"_s,
             [](auto& a) { return a.accept(Mode::Add, u"X"_s, u"1"_s, u"0"_s); }},
            {u"UPDATE ON TARIFAS"_s,
             [](auto& a) { return a.accept(Mode::Modify, u"Base"_s, u"2"_s, u"0"_s); }},
            {u"DELETE ON TARIFAS"_s, [](auto& a) { return a.remove(Kind::Standard, 0); }},
            {u"INSERT ON TAIFASC"_s, [](auto& a) { return a.addCompound(u"Día"_s); }},
            {u"UPDATE ON TAIFASC"_s, [](auto& a) { return a.changeInterval(0, u"0,1"_s); }},
            {u"DELETE ON TAIFASC"_s, [](auto& a) { return a.removeCompound(0); }}};
        for (const auto& [refused, change] : changes) {
            Fixture c;
            QVERIFY(c.store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                                 u"('Base', 1, 0.5, 'ST')"_s));
            QVERIFY(c.admin.addCompound(u"Noche"_s) && c.admin.load());
            QVERIFY(c.store.exec(u"CREATE TRIGGER stop BEFORE "_s + refused +
                                 u" BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s));
            const test::Records before = c.lists();
            QVERIFY(!change(c.admin));
            COMPARE_RECORDS(c.lists(), Lists, before);
            QVERIFY(c.prompts.notified.size() == 1 &&
                    c.prompts.notified[0].text.contains(u"disco lleno"_s));
        }
    }

    void runningSessionsKeepTheirPrice()
    {
        Fixture c;
        QVERIFY(c.store.exec(u"INSERT INTO CYBER (PC) VALUES ('PC01'), ('PC02')"_s));
        QVERIFY(c.loadStations() && c.admin.addCompound(u"Noche"_s) && c.admin.load());
        // The running charges after a tick.
        const auto tick = [&c]() {
            c.clock.set(c.clock.now().addSecs(1));
            c.metering.tick();
            return test::Records{{c.stations.at(0).sub, c.stations.at(1).sub}};
        };
        const char* subs = "PC01 sub | PC02 sub";
        c.open(0);
        COMPARE_RECORDS(tick(), subs, "0,40 | 0,00"); // 0:16:00, the block up to 30 minutes
        QVERIFY(c.admin.changeInterval(1, u"0,45"_s));
        c.open(1);
        COMPARE_RECORDS(tick(), subs, "0,40 | 0,45"); // only the session opened after the change
        // A restarted console prices with the rows then stored.
        Metering restarted{
            {c.stations, c.rows, c.store.db(), c.settings, c.sender, c.journal, c.clock}};
        restarted.tick();
        QCOMPARE(c.stations.at(0).sub, u"0,45"_s);
        // Freed and opened again before the next tick: a new session, at the new price.
        c.stations.update(0, [](Station& s) { s.modo.clear(); });
        c.open(0);
        COMPARE_RECORDS(tick(), subs, "0,45 | 0,45");
        QVERIFY(c.admin.removeCompound(0));
        COMPARE_RECORDS(tick(), subs, "0,45 | 0,45");
        c.stations.update(1, [](Station& s) { s.modo.clear(); });
        tick();
        c.open(1);
        COMPARE_RECORDS(tick(), subs, "0,45 | 0,00"); // the tariff is gone for the new session
    }

    void editorAndPages()
    {
        Fixture c;
        QVERIFY(c.admin.addCompound(u"Noche"_s));
        StandardTariffsPage page(c.admin, c.prompts, u"$"_s);
        CompoundTariffsPage compound(c.admin, c.prompts);
        page.show();
        const auto find = [&](const char* name) {
            QWidget* w = page.findChild<QWidget*>(QString::fromLatin1(name));
            return w ? w : compound.findChild<QWidget*>(QString::fromLatin1(name));
        };
        const auto clickRow = [](QWidget* w, int row) {
            auto* list = static_cast<QTreeWidget*>(w);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(row)).center());
        };
        const auto enter = [] {
            QTest::keyPress(QApplication::focusWidget(), Qt::Key_Return);
            QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return); // where focus went
        };
        QTest::mouseClick(find("cmdanadir"), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(page.editor()));
        QTest::keyClicks(QApplication::focusWidget(), u"Tarde"_s);
        enter();
        QTest::keyClicks(QApplication::focusWidget(), u"5x"_s); // the x is refused
        enter();
        auto* second = static_cast<QLineEdit*>(find("txtvalor2"));
        QCOMPARE(QApplication::focusWidget(), second);
        // Each Enter was released in the next box: "0" there, before the 5 typed in the first.
        QCOMPARE(static_cast<QLineEdit*>(find("txtvalor1"))->text(), u"05"_s);
        QCOMPARE(second->text(), u"0"_s);
        QCOMPARE(second->cursorPosition(), 1);
        enter(); // on to "Aceptar", nothing normalised
        QCOMPARE(QApplication::focusWidget(), find("cmdaceptar"));
        QTest::mouseClick(find("cmdaceptar"), Qt::LeftButton);
        QVERIFY(!page.editor()->isVisible() && !find("cmdquitar")->isEnabled());
        auto* list = static_cast<QTreeWidget*>(find("lsttarifas"));
        QCOMPARE(list->topLevelItem(0)->text(1), u"5,00"_s);
        QCOMPARE(list->topLevelItem(0)->text(2), u"0,00"_s);
        clickRow(list, 0);
        QTest::mouseClick(find("cmdquitar"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 0);

        compound.show();
        static_cast<QTreeWidget*>(find("lstintervalos"))->clear();
        clickRow(find("lsttarifasc"), 0); // fills the intervals again
        clickRow(find("lstintervalos"), 2);
        QCOMPARE(static_cast<QLineEdit*>(find("txtvalor"))->text(), u"0,50"_s);
    }
};

QTEST_MAIN(TariffAdminTest)
#include "tst_tariffadmin.moc"
