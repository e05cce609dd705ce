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

template <typename T, typename Text> QString joined(const std::vector<T>& items, Text text)
{
    QStringList texts;
    for (const T& item : items)
        texts << text(item);
    return texts.join(u' ');
}

struct Fixture : test::CounterServices {
    TariffAdmin admin{{store.db(), actions, prompts}};

    // Every list as the pages show them: "standard / predefined / compounds / intervals".
    QString lists() const
    {
        const auto row = [](const auto& r) -> QString {
            return r.name + u':' + r.first + u':' + r.second;
        };
        return QStringList{
            joined(admin.rows(Kind::Standard), row), joined(admin.rows(Kind::Predefined), row),
            joined(
                admin.compounds(),
                [](const auto& c) -> QString { return QString::number(c.code) + u':' + c.name; }),
            joined(admin.intervals(),
                   [](const auto& i) -> QString { return i.minutes + u':' + i.price; })}
            .join(u" / "_s);
    }
    QString dump()
    {
        return store
            .scalar(u"SELECT (SELECT group_concat(CODIGO||NOMBRE||ifnull(TARIFA,'-')||"
                    u"ifnull(TARIF_MIN,'-')||TIPO, ' ') FROM TARIFAS) || '/' || (SELECT "
                    u"group_concat(CODIGO||VALUE||TARIF||NOMBRE, ' ') FROM TAIFASC)"_s)
            .toString();
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
    // Box text | after the Enter release || first | second | in order.
    test::addRows(R"(
    empty box     |     |0    |1.50|2    |n
    comma stops   |1,5  |1    |60  |0.60 |y
    point decimal |1.5  |1,5  |1,9 |1,5  |y
    no number     |abc  |0    |2   |2    |y
    )");
}

void accept_data()
{
    // Mode | name | first | second | what the operator is told | TARIFA:TARIF_MIN stored, as
    // numbers: what the console reads back is what was typed.
    test::addRows(R"(
    standard comma   |ADD    |Tarde|1,5 |0,5 |                                         |1.5:0.5
    keypad point     |ADD    |Tarde|1.5 |1   |                                         |1.5:1.0
    rate below min   |ADD    |Tarde|1.50|2   |Valores errones, Valor minimo incorrecto |
    package refused  |ADDP   |Hora |15  |20  |Valores errones, Valor minimo incorrecto |
    package accepted |ADDP   |Hora |60  |0.60|                                         |60.0:0.6
    modify order     |MODIFY |Base |1   |2   |Valores errones, Valor minimo incorrecto |
    modify first     |MODIFY |NOCHE|4   |2   |                                         |4.0:2.0
    modify kind      |MODIFYP|noche|45  |1   |                                         |45.0:1.0
    empty name       |ADD    |    |1   |0   |Ingrese un nombre para la tarifa         |
    no number        |ADD    |X    |1x  |0   |«Valor/Hora» debe ser un número entre 0 y 1.000.000.000.000.|
    beyond maximum   |ADDP   |X    |2e12|1   |«Minutos» debe ser un número entre 0 y 1.000.000.000.000.|
    modify gone      |MODIFY |Nadie|1   |0   |La tarifa «Nadie» ya no existe.          |
    )");
}

void changeInterval_data()
{
    // Prices before | row | typed | what the operator is told | prices after.
    test::addRows(R"(
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
        QFETCH(QStringList, f);
        test::pinCafeLocale();
        QCOMPARE(TariffAdmin::normalizedOnEnter(f[0]), f[1]);
        QCOMPARE(TariffAdmin::amountsInOrder(f[2], f[3]), f[4] == u"y"_s);
    }

    void accept_data() { ::accept_data(); }
    void accept()
    {
        QFETCH(QStringList, f);
        Fixture c;
        QVERIFY(c.store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                             u"('Base', 1, 0.5, 'ST'), ('Noche', 30, 1, 'PR'), "
                             u"('noche', 2, 1, 'ST'), ('Noche', 3, 1, 'ST')"_s));
        QVERIFY(c.admin.load());
        const QString before = c.lists() + c.dump();
        const TariffAdmin::Mode mode = TariffAdmin::modeOfTag(f[0]).value();
        QCOMPARE(c.admin.accept(mode, f[1], f[2], f[3]), f[4].isEmpty());
        QCOMPARE(c.prompts.toldTexts().join(u'\n'), f[4]);
        if (!f[4].isEmpty()) {
            QCOMPARE(c.lists() + c.dump(), before);
            return;
        }
        const QString tipo = TariffAdmin::kindOf(mode) == Kind::Standard ? u"ST"_s : u"PR"_s;
        QCOMPARE(c.store
                     .scalar(u"SELECT TARIFA||':'||TARIF_MIN FROM TARIFAS WHERE NOMBRE = ? "
                             u"AND TIPO = ? ORDER BY rowid LIMIT 1"_s,
                             {f[1], tipo})
                     .toString(),
                 f[5]);
    }

    void changeInterval_data() { ::changeInterval_data(); }
    void changeInterval()
    {
        QFETCH(QStringList, f);
        Fixture c;
        QVERIFY(c.admin.addCompound(u"Noche"_s));
        for (int i = 0; i < 4; ++i)
            QVERIFY(c.store.exec(u"UPDATE TAIFASC SET TARIF = ? WHERE VALUE = ?"_s,
                                 {f[0].split(u' ')[i].toDouble(), QString::number(15 * (i + 1))}));
        QVERIFY(c.admin.load());
        QCOMPARE(c.admin.changeInterval(f[1].toInt(), f[2]), f[3].isEmpty());
        QVERIFY(c.prompts.toldTexts().join(u'\n').contains(f[3]));
        QCOMPARE(joined(c.admin.intervals(), [](const auto& i) -> QString { return i.price; }),
                 f[4]);
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
        QCOMPARE(c.lists(),
                 u"Noche:3,00:1,00 / Noche:30:1,00 / 7:B 4:B 5:Noche / 15:5,00 60:12,00"_s);
        c.admin.chooseCompound(2);
        QCOMPARE(c.lists().section(u" / "_s, 3), u"15:0,20 30:0,40 45:0,50 60:0,60"_s);
        QVERIFY(c.admin.removeCompound(2));
        QCOMPARE(c.lists().section(u" / "_s, 2), u"7:B 4:B / "_s);
        QCOMPARE(c.dump(), u"1Noche30.01.0PR 3Noche3.01.0ST 4B--TC/7155.0B 730100.0Otra 76012.0B "
                           u"4150.2B 4300.4B 4450.5B 4600.6B"_s);
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
            const QString before = c.lists() + c.dump();
            QVERIFY(!change(c.admin));
            QCOMPARE(c.lists() + c.dump(), before);
            QVERIFY(c.prompts.notified.size() == 1 &&
                    c.prompts.notified[0].text.contains(u"disco lleno"_s));
        }
    }

    void runningSessionsKeepTheirPrice()
    {
        Fixture c;
        QVERIFY(c.store.exec(u"INSERT INTO CYBER (PC) VALUES ('PC01'), ('PC02')"_s));
        QVERIFY(c.loadStations() && c.admin.addCompound(u"Noche"_s) && c.admin.load());
        const auto tick = [&c]() -> QString {
            c.clock.set(c.clock.now().addSecs(1));
            c.metering.tick();
            return c.stations.at(0).sub + u' ' + c.stations.at(1).sub;
        };
        c.open(0);
        QCOMPARE(tick(), u"0,40 0,00"_s); // 0:16:00, the block up to 30 minutes
        QVERIFY(c.admin.changeInterval(1, u"0,45"_s));
        c.open(1);
        QCOMPARE(tick(), u"0,40 0,45"_s); // only the session opened after the change
        // A restarted console prices with the rows then stored.
        Metering restarted{
            {c.stations, c.rows, c.store.db(), c.settings, c.sender, c.journal, c.clock}};
        restarted.tick();
        QCOMPARE(c.stations.at(0).sub, u"0,45"_s);
        // Freed and opened again before the next tick: a new session, at the new price.
        c.stations.update(0, [](Station& s) { s.modo.clear(); });
        c.open(0);
        QCOMPARE(tick(), u"0,45 0,45"_s);
        QVERIFY(c.admin.removeCompound(0));
        QCOMPARE(tick(), u"0,45 0,45"_s);
        c.stations.update(1, [](Station& s) { s.modo.clear(); });
        tick();
        c.open(1);
        QCOMPARE(tick(), u"0,45 0,00"_s); // the tariff is gone for the new session
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
        QCOMPARE(static_cast<QLineEdit*>(find("txtvalor1"))->text() + second->text() +
                     QString::number(second->cursorPosition()),
                 u"05"_s + u"01"_s); // the name's Enter was released in the first box: "0"
        enter();                     // on to "Aceptar", nothing normalised
        QCOMPARE(QApplication::focusWidget(), find("cmdaceptar"));
        QTest::mouseClick(find("cmdaceptar"), Qt::LeftButton);
        QVERIFY(!page.editor()->isVisible() && !find("cmdquitar")->isEnabled());
        auto* list = static_cast<QTreeWidget*>(find("lsttarifas"));
        QCOMPARE(list->topLevelItem(0)->text(1) + list->topLevelItem(0)->text(2), u"5,000,00"_s);
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
