#include "support/testsupport.h"
#include "tariffs/tariffs.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Compound rows "end=price" separated by blanks, "-" for a price without value; "B" stands for
// the usual blocks 15, 30, 45 and 60 at 0,20 0,40 0,50 0,60.
std::vector<CompoundRow> rows(const QString& text)
{
    std::vector<CompoundRow> result;
    const QString items = text == u"B" ? u"15=0.20 30=0.40 45=0.50 60=0.60"_s : text;
    for (const QString& item : items.split(u' ', Qt::SkipEmptyParts)) {
        result.push_back({item.section(u'=', 0, 0), std::nullopt});
        if (!item.endsWith(u"=-"))
            result.back().tarif = Money::fromDouble(item.section(u'=', 1).toDouble());
    }
    return result;
}

} // namespace

class TestTariffs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }

    void storeOffersReadableTariffsAndFiltersCompoundRows()
    {
        test::TempStore t;
        QVERIFY(t.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                       u"('Zeta', 1.5, 0.25, 'ST'), ('Texto', '2,75', 'abc', 'ST'), "
                       u"('Alfa', '2,75', NULL, 'PR'), ('Cara', 1e300, 1, 'ST'), "
                       u"('Minimo caro', 1, 1e300, 'ST'), (NULL, NULL, NULL, NULL)"_s));
        TariffStore store(t.db());
        const std::vector<Tariff> list = store.tariffs().value_or(std::vector<Tariff>());
        test::Records offered; // amounts that cannot be read (no number, too large): not offered
        for (const Tariff& x : list)
            offered << QStringList{x.name, QString::number(x.tarifa), QString::number(x.tarifMin),
                                   x.tipo};
        COMPARE_RECORDS(offered, "name | tarifa | tarifMin | tipo",
                        "Zeta | 1.5 | 0.25 | ST \n Alfa | 2.75 | 0 | PR \n | 0 | 0 |");
        QCOMPARE(selectedTariff(list, -1), &list[0]); // no selection: the first
        QVERIFY(!selectedTariff(list, 3));
        // Rows of another name are skipped wherever they are; a price too large has no value.
        QVERIFY(t.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES "
                       u"(7, '30', 0.4, 'Noche'), (8, '15', 9, 'Noche'), (7, '15', NULL, 'Noche'), "
                       u"(7, '45', 0.5, 'Otra'), (7, 'abc', 'abc', 'Noche'), "
                       u"(7, '45', '0,55', 'Noche'), (7, '60', 1e300, 'Noche')"_s));
        test::Records kept;
        for (const CompoundRow& r : store.compoundRows(7).value_or(std::vector<CompoundRow>()))
            kept << QStringList{r.value, r.tarif ? r.tarif->format(2) : u"-"_s};
        COMPARE_RECORDS(kept, "VALUE | TARIF", "30|0,40 \n 15|- \n abc|- \n 45|0,55 \n 60|-");
        QCOMPARE(store.compoundRows(99).value_or(rows(u"B"_s)).size(), std::size_t(0));
        QVERIFY(t.exec(u"DROP TABLE TAIFASC"_s));
        QVERIFY(t.exec(u"DROP TABLE TARIFAS"_s));
        QVERIFY(!store.compoundRows(1) && !store.lastError().isEmpty() && !store.tariffs());
    }

    void conversions_data()
    {
        // Time to money (">") or money to time ("<"); an amount, hours or minutes "-": the amount
        // box or the lists keep what they show.
        test::addRows("way | kind | TARIFA | compound rows | hours | minutes | amount", R"(
    four decimals         |>|ST|1.13   |                        |0           |7  |0,1318
    single precision      |>|ST|1000.01|                        |9999        |0  |9999100
    rate of two decimals  |>|ST|1.505  |                        |1           |0  |1,51
    hours no number       |>|ST|1.5    |                        |abc         |0  |-
    minutes not whole     |>|ST|1.5    |                        |1           |1,5|-
    beyond the currency   |>|ST|1e9    |                        |999999999999|0  |-
    hour and block        |>|TC|5      |B                       |1           |20 |1,00
    block end             |>|TC|0      |B                       |0           |45 |0,50
    past a block end      |>|TC|0      |B                       |0           |46 |0,60
    beyond every block    |>|TC|0      |B                       |0           |61 |0,00
    bad block end skipped |>|TC|0      |15=0.20 abc=0.30 45=0.50|0           |20 |0,50
    hour without price    |>|TC|0      |30=0.40 60=-            |2           |0  |0,00
    block without price   |>|TC|0      |30=- 60=0.60            |1           |10 |0,60
    hours beyond currency |>|TC|0      |60=1000000000000        |999999      |0  |-
    36 seconds            |<|ST|1      |                        |0           |0  |0,01
    rounded down first    |<|ST|60     |                        |0           |0  |0,994
    keypad full stop      |<|ST|1.5    |                        |1           |30 |2.25
    longest time          |<|ST|3600   |                        |9           |6  |32767
    beyond the longest    |<|ST|3600   |                        |-           |-  |32768
    no rate               |<|ST|0      |                        |-           |-  |1
    no number buys nothing|<|ST|1      |                        |0           |0  |abc
    negative amount       |<|ST|1.5    |                        |0           |0  |-0,75
    hour and a half       |<|TC|0      |B                       |1           |30 |1,00
    a block's price       |<|TC|0      |B                       |0           |15 |0,20
    within a block        |<|TC|0      |B                       |0           |30 |0,35
    between block and hour|<|TC|0      |B                       |1           |0  |0,55
    three hours, a block  |<|TC|0      |B                       |3           |15 |2,00
    free hour             |<|TC|0      |15=0.20 60=0            |1           |0  |5
    unpriced hour, to time|<|TC|0      |15=0.20 60=-            |1           |0  |5
    bad block end taken   |<|TC|0      |15=0.20 abc=0.40 60=0.60|0           |0  |0,30
    block past the hour   |<|TC|0      |90=0.80                 |1           |30 |0,50
    too many hours        |<|TC|0      |60=0.0001               |-           |-  |5
    )");
    }

    void conversions()
    {
        QFETCH(test::Row, r);
        const Tariff tariff{1, u"T"_s, r[u"TARIFA"].toDouble(), 0, r[u"kind"]};
        const std::vector<CompoundRow> compound = rows(r[u"compound rows"]);
        if (r[u"way"] == u">") {
            QCOMPARE(CALCULATEA(tariff, compound, r[u"hours"], r[u"minutes"]).value_or(u"-"_s),
                     r[u"amount"]);
            return;
        }
        const TimeChoice c = CALCULATEB(tariff, compound, r[u"amount"]);
        const auto shown = [](std::optional<int> v) { return v ? QString::number(*v) : u"-"_s; };
        QCOMPARE(shown(c.hours), r[u"hours"]);
        QCOMPARE(shown(c.minutes), r[u"minutes"]);
        const auto spin = [](QString v) { return v == u"-" ? v : QString::number(59 - v.toInt()); };
        QCOMPARE(shown(c.hourSpin), spin(r[u"hours"]));
        QCOMPARE(shown(c.minuteSpin), spin(r[u"minutes"]));
    }

    void secondsToTimeText()
    {
        for (const int seconds : {59, 60, 3725, 32767}) {
            qint16 s = qint16(seconds);
            QCOMPARE(QTime::fromString(kestrel::secondsToTimeText(s), u"HH:mm:ss"_s),
                     QTime(0, 0).addSecs(seconds));
            QCOMPARE(int(s), seconds % 60);
        }
    }
};

QTEST_GUILESS_MAIN(TestTariffs)
#include "tst_tariffs.moc"
