#include "support/testsupport.h"
#include "tariffs/openstation.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// PC01 runs a prepaid session. The tariffs: 0 "Normal" 1,505 an hour with a minimum of 0,30,
// 1 compound (TARIFA 5, yet no hourly rate; 15, 30, 45 and 60 minutes at 0,20 0,40 0,50 0,60),
// 2 a package of 30 minutes for 0,40, 3 "Noche" 0,80 with 0,10, 4 and 5 two tariffs of 1,50.
struct Cafe : test::CounterServices {
    OpenStation open{stations, actions, settings, prompts};

    Cafe()
    {
        store.exec(u"INSERT INTO CYBER (PC, TIEMPO, MODALIDAD, LSTVARX, TARIFA, TOTAL, vartipex, "
                   u"vartipex2, vartipex3, TARIFBAS, TARIFM, TARFC) VALUES ('PC01', '0:40:17', "
                   u"'PREPAGO', '3', 0.34, 2, '0,34', '0:19:43', '1:00:00', 1, 'ST', '9')"_s);
        loadStations();
        store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                   u"('Normal', 1.505, 0.3, 'ST'), ('Bloques', 5, 0, 'TC'), "
                   u"('Media hora', 30, 0.4, 'PR'), ('Noche', 0.8, 0.1, 'ST'), "
                   u"('Uno y medio', 1.5, 0.25, 'ST'), ('Otro', 1.5, 0, 'ST')"_s);
        store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES (2, '15', 0.2, "
                   u"'B'), (2, '30', 0.4, 'B'), (2, '45', 0.5, 'B'), (2, '60', 0.6, 'B')"_s);
        open.loadTariffs(store.db());
    }

    static constexpr const char* shown = "modo | LSTCLWA | tiempo | sub | LSTTARBAS | TARIFM | "
                                         "TARFC | vartipex | vartipex2 | vartipex3";
    QStringList station() const
    {
        const Station& s = stations.at(0);
        return {s.modo,   s.LSTCLWA, s.tiempo,   s.sub,       s.LSTTARBAS,
                s.TARIFM, s.TARFC,   s.vartipex, s.vartipex2, s.vartipex3};
    }
};

} // namespace

class TestOpenStation : public QObject {
    Q_OBJECT
private slots:
    void accept_data()
    {
        // The outcome: 0 written, 1 no tariff, 2 no station, 3 account's; then the station written.
        test::addRows(
            "mode | tariff | prepaid | wait | bought | clicktostart | station | outcome | "
            "modo | LSTCLWA | tiempo | sub | LSTTARBAS | TARIFM | TARFC | vartipex | "
            "vartipex2 | vartipex3",
            R"(
    counter           |OPEN   |0 |0|0|1:05 |0  |0 |0|CONTADOR |1|0:00:00 |0,30|1,51 |ST|1|       ||1:00:00
    counter, wait     |OPEN   |0 |0|1|1:05 |0  |0 |0|EN ESPERA|2|0:00:00 |0,30|1,51 |ST|1|       ||1:00:00
    counter, click    |OPEN   |0 |0|0|1:05 |1  |0 |0|EN ESPERA|2|0:00:00 |0,30|1,51 |ST|1|       ||1:00:00
    prepaid           |OPEN   |0 |1|0|1:05 |0  |0 |0|PREPAGO  |3|1:05:00 |0,30|1,51 |ST|1|0:00:00||1:05:00
    prepaid, wait     |OPEN   |0 |1|1|0:45 |abc|0 |0|EN ESPERA|4|0:45:00 |0,30|1,51 |ST|1|0:00:00||0:45:00
    prepaid, click    |OPEN   |0 |1|0|12:00|1  |0 |0|EN ESPERA|4|12:00:00|0,30|1,51 |ST|1|0:00:00||12:00:00
    change, counter   |MODO   |3 |0|0|0:00 |0  |0 |0|CONTADOR |1|0:00:00 |0,10|0,80 |ST|4|       ||1:00:00
    compound          |OPEN   |1 |0|0|0:00 |0  |0 |0|CONTADOR |1|0:00:00 |0,00|0,00 |TC|2|       ||1:00:00
    compound prepaid  |OPEN   |1 |1|0|0:30 |0  |0 |0|PREPAGO  |3|0:30:00 |0,00|0,00 |TC|2|0:00:00||0:30:00
    package           |OPEN   |2 |1|0|0:30 |0  |0 |0|PREPAGO  |3|0:30:00 |0,40|30,00|PR|3|0:00:00||0:30:00
    add time          |INCREM |3 |0|1|0:30 |1  |0 |0|PREPAGO  |3|0:40:17 |0,34|0,80 |ST|9|0,34   ||1:29:17
    account, no tariff|CREATE |99|1|0|1:00 |0  |0 |1|         | |        |    |     |  | |       ||
    credit            |INCREMU|0 |1|0|1:00 |0  |-1|3|         | |        |    |     |  | |       ||
    open, no station  |OPEN   |0 |1|0|1:00 |0  |1 |2|         | |        |    |     |  | |       ||
    add, no station   |INCREM |0 |1|0|1:00 |0  |-1|2|         | |        |    |     |  | |       ||
    )");
    }

    void accept()
    {
        QFETCH(test::Row, r);
        Cafe c;
        c.settings.write(u"clicktostart"_s, r[u"clicktostart"]);
        // Whatever was chosen before does not carry over.
        c.open.choose(r.number(u"tariff") == 1 ? 0 : 1);
        c.open.choose(r.number(u"tariff"));
        const QStringList before = c.station();
        const QStringList time = r[u"bought"].split(u':');
        const OpenChoice choice{r.yes(u"prepaid"), r.yes(u"wait"), time[0].toInt(),
                                time[1].toInt()};
        QCOMPARE(int(c.open.accept(*openModeOf(r[u"mode"]), r.number(u"station"), choice)),
                 r.number(u"outcome"));
        const bool written = r.number(u"outcome") == 0;
        COMPARE_RECORDS({c.station()}, c.shown, {written ? r.fields(c.shown) : before});
        QCOMPARE(c.prompts.toldTexts(),
                 QStringList(r.number(u"outcome") == 1, u"Seleccione la tarifa"_s));
        QVERIFY(c.prompts.told.isEmpty() || c.prompts.told[0].icon == Prompts::Icon::Information);
        // Written through at once, before any tick.
        COMPARE_RECORDS(c.store.rows(u"SELECT MODALIDAD, LSTVARX, vartipex3 FROM CYBER"_s),
                        "MODALIDAD | LSTVARX | vartipex3",
                        written ? r.fields("modo | LSTCLWA | vartipex3").join(u'|')
                                : u"PREPAGO | 3 | 1:00:00"_s);
    }

    void addedTimeStaysATime()
    {
        // Past a day; from a prepaid time or a time shown that is no time; never below nothing.
        QCOMPARE(OpenStation::extendedPrepaidTime(u"23:30:00", u"0:00:00", 2, 0), u"25:29:00"_s);
        QCOMPARE(OpenStation::extendedPrepaidTime(u"abc", u"0:20:05", 0, 30), u"0:29:05"_s);
        QCOMPARE(OpenStation::extendedPrepaidTime(u"1:00:00", u"x", 1, 10), u"2:09:00"_s);
        QCOMPARE(OpenStation::extendedPrepaidTime(u"0:00:00", u"0:00:30", 0, 0), u"0:00:00"_s);
    }

    void tariffChoiceAndPreset()
    {
        Cafe c;
        // Nothing chosen yet: the conversions price by the first tariff.
        QCOMPARE(c.open.amountFor(u"1", u"0").value_or(QString()), u"1,51"_s);
        c.open.choose(1); // a compound tariff brings its rows
        QCOMPARE(c.open.amountFor(u"1", u"20").value_or(QString()), u"1,00"_s);
        QCOMPARE(c.open.timeFor(u"1,00").minutes, 30);
        c.open.choose(4); // a standard one leaves none
        QVERIFY(c.open.compoundRows().empty());
        QCOMPARE(c.open.amountFor(u"1", u"0").value_or(QString()), u"1,5"_s); // quick button "1&h"
        // Adding time presets the first tariff at the station's rate however it is written, the
        // compound one at no rate.
        QList<int> found;
        for (const QString& rate : {u"1,50"_s, u"1,5"_s, u"1.5"_s, u"1,499"_s, u"1,51"_s, u"0,00"_s,
                                    u"3"_s, u"abc"_s, u""_s})
            found << c.open.presetIndex(rate);
        QCOMPARE(found, (QList<int>{4, 4, 4, 4, 0, 1, -1, -1, -1}));
        // A fresh load forgets the choice.
        c.open.loadTariffs(c.store.db());
        QVERIFY(!c.open.selected());
    }
};

QTEST_MAIN(TestOpenStation)
#include "tst_openstation.moc"
