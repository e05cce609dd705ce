#include "products/catalogue.h"
#include "products/sale.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// The counter with a catalogue and a sale over the same store.
struct Shop : test::CounterServices {
    Catalogue catalogue{{store.db(), actions, prompts}};
    Sale sale{{store.db(), actions, journal, prompts, settings}};

    // "name:price:stock" products, in this order (the store reads the numbers).
    void stock(const QString& products)
    {
        for (const QString& p : products.split(u' ', Qt::SkipEmptyParts))
            store.exec(u"INSERT INTO Articulos (Articulo, Descripcion, PVP, Stock, Costo) "
                       u"VALUES (?, 'd', ?, ?, 0.5)"_s,
                       {p.section(u':', 0, 0), p.section(u':', 1, 1), p.section(u':', 2)});
        catalogue.reload();
    }
    // "index:quantity" lines; false when one is refused.
    bool add(const QString& lines)
    {
        for (const QString& l : lines.split(u' ', Qt::SkipEmptyParts))
            if (!sale.add(catalogue.rows().at(l.section(u':', 0, 0).toUInt()), l.section(u':', 1)))
                return false;
        return true;
    }
    static constexpr const char* tableColumns =
        "Codigo | Articulo | Descripcion | Stock | PVP | Costo";
    test::Records table()
    {
        return store.rows(
            u"SELECT Codigo, Articulo, Descripcion, Stock, PVP, Costo FROM Articulos"_s);
    }
};

} // namespace

class TestProducts : public QObject {
    Q_OBJECT
private slots:

    void selling_data()
    {
        // Lines sold of the stock a:10:5 b:5:5 c:1:1 d:0.335:9; IMPUESTO "-": never set; paid
        // "lleno": the store refuses the journal row; the totals, stocks and journal row after.
        test::addRows("lines | IMPUESTO | paid | told | line subs | Sub | IVA | Total | stocks | "
                      "VALOR | USER | PC | DESCRIP | OPERADOR",
                      R"(
        exact payment  |0:1 1:1|-   |16,80   |Cambio: 0,00|10,00 5,00|15,00|1,80|16,80|4 4 1 9|16,80|ANONIMO||Venta de Articulo(s)|Marta
        decimal comma  |0:1 1:1|12,5|17      |Cambio: 0,12|10,00 5,00|15,00|1,88|16,88|4 4 1 9|16,88|ANONIMO||Venta de Articulo(s)|Marta
        half, no tax   |2:0,5  |0   |1       |Cambio: 0,50|0,50|0,50|0,00|0,50|5 5 0.5 9|0,50|ANONIMO||Venta de Articulo(s)|Marta
        line rounds up |3:3    |10  |2       |Cambio: 0,89|1,01|1,01|0,10|1,11|5 5 1 6|1,11|ANONIMO||Venta de Articulo(s)|Marta
        two lines pass stock|0:3 0:3|-|70    |Cambio: 2,80|30,00 30,00|60,00|7,20|67,20|-1 5 1 9|67,20|ANONIMO||Venta de Articulo(s)|Marta
        no payment     |0:1    |-   |        |Ingrese el valor|10,00|10,00|1,20|11,20|5 5 1 9|||||
        no number      |0:1    |-   |1,2,3   |Ingrese el valor|10,00|10,00|1,20|11,20|5 5 1 9|||||
        a cent short   |0:1    |-   |11,19   |Cantidad insuficiente|10,00|10,00|1,20|11,20|5 5 1 9|||||
        too much stock |2:2    |-   |5       |NO hay suficiente STOCK||0,00|0,00|0,00|5 5 1 9|||||
        no quantity    |0:0    |-   |5       |Ingrese una cantidad mayor que 0.||0,00|0,00|0,00|5 5 1 9|||||
        journal refused|0:1 1:2|-   |30 lleno|Cambio: 7,60|10,00 10,00|20,00|2,40|22,40|5 5 1 9|||||
        )");
    }
    void selling()
    {
        QFETCH(test::Row, r);
        const bool full = r[u"paid"].endsWith(u" lleno"_s);
        Shop s;
        if (r[u"IMPUESTO"] != u"-")
            s.settings.write(u"IMPUESTO"_s, r[u"IMPUESTO"]);
        s.stock(u"a:10:5 b:5:5 c:1:1 d:0.335:9"_s);
        const bool added = s.add(r[u"lines"]);
        QStringList subs;
        for (const SaleLine& l : s.sale.lines())
            subs << l.sub;
        QCOMPARE(subs, r[u"line subs"].split(u' ', Qt::SkipEmptyParts));
        const Sale::Totals t = s.sale.totals();
        COMPARE_FIELDS(r.fields(u"Sub | IVA | Total"_s).join(u'|'), "Sub | IVA | Total", t.sub,
                       t.iva, t.total);
        if (full)
            s.store.exec(u"CREATE TRIGGER full BEFORE INSERT ON INFORMES BEGIN SELECT RAISE(ABORT, "
                         u"'disco lleno'); END"_s);
        const Sale::Outcome outcome = s.sale.sell(r[u"paid"].section(u' ', 0, 0));
        QCOMPARE(s.prompts.toldTexts().value(0).trimmed(), r[u"told"]);
        COMPARE_RECORDS(s.store.rows(u"SELECT printf('%g', Stock) FROM Articulos"_s), "Stock",
                        test::records(r[u"stocks"], u' ', u'|'));
        const bool sold = !r[u"VALOR"].isEmpty();
        COMPARE_RECORDS(s.journalRows(), s.journalColumns,
                        sold ? test::Records{r.fields(s.journalColumns)} : test::Records());
        // Sold: the lines are gone; refused or failed: they wait; no line: nothing to sell.
        QCOMPARE(s.sale.lines().empty(), outcome == Sale::Outcome::Sold || !added);
        const char* outcomes[] = {"Empty", "Refused", "Failed", "Sold"};
        QCOMPARE(outcomes[int(outcome)], !added ? "Empty"
                                         : sold ? "Sold"
                                         : full ? "Failed"
                                                : "Refused");
        QCOMPARE(s.prompts.notified.size(), full ? 1 : 0);
    }

    void search_data()
    {
        // The current row after, or "-": told, and still on the second row.
        test::addRows("typed | current", R"(
        every letter's case |PIÑA   |jugo de piña
        first of two        |o      |Coca-Cola
        percent is literal  |50%    |50% chocolate
        underscore literal  |a_b    |a_b
        quote literal       |o'h    |cafe o'hara
        no match stays      |x%     |-
        )");
    }

    void search()
    {
        QFETCH(test::Row, r);
        Shop s;
        s.store.exec(u"INSERT INTO Articulos (Articulo) VALUES ('Coca-Cola'), ('jugo de piña'), "
                     u"('50% chocolate'), ('axb'), ('a_b'), ('cafe o''hara')"_s);
        s.catalogue.reload(1);
        const bool found = r[u"current"] != u"-";
        QCOMPARE(s.catalogue.find(r[u"typed"]), found);
        QCOMPARE(s.catalogue.current()->articulo, found ? r[u"current"] : u"jugo de piña"_s);
        QCOMPARE(s.prompts.toldTexts().join(u'/').contains(u"\"x%\""_s), !found);
    }

    void saveAddsEditsAndRefuses_data()
    {
        // A new row or an edit of the first; the table after, when saved, as "Codigo:Articulo:...".
        test::addRows("mode | Articulo | Descripcion | Stock | PVP | Costo | told | table", R"(
        new row        |new |leche|entera|12 |1,25|1  ||1:pan:d:5.0:1.0:0.5 2:té:d:5.0:2.0:0.5 3:leche:entera:12.0:1.25:1.0
        edit, keep key |edit| PAN |      |-2 |1.5 |   ||1:PAN::-2.0:1.5:0.0 2:té:d:5.0:2.0:0.5
        empty stock    |new |x    |      |   |3,00004|1,23456||1:pan:d:5.0:1.0:0.5 2:té:d:5.0:2.0:0.5 3:x::0.0:3.0:1.2346
        no name        |new |  |x|1|1|1|Ingrese el nombre del artículo.|
        stock no number|new |x |x|a|1|1|El stock debe ser un número entre -1.000.000.000 y 1.000.000.000.|
        no price       |new |x |x|1| |1|El PVP debe ser un número entre 0 y 1.000.000.000.|
        price too high |edit|x |x|1|1000000001|1|El PVP debe ser un número entre 0 y 1.000.000.000.|
        cost negative  |new |x |x|1|1|-1|El costo debe ser un número entre 0 y 1.000.000.000.|
        )");
    }

    void saveAddsEditsAndRefuses()
    {
        QFETCH(test::Row, r);
        Shop s;
        s.stock(u"pan:1:5 té:2:5"_s);
        if (r[u"mode"] == u"new")
            s.catalogue.startNew();
        const test::Records before = s.table();
        const bool saved = r[u"told"].isEmpty();
        QCOMPARE(s.catalogue.save(
                     {r[u"Articulo"], r[u"Descripcion"], r[u"Stock"], r[u"PVP"], r[u"Costo"]}),
                 saved);
        QCOMPARE(s.prompts.toldTexts(), QStringList(!saved, r[u"told"]));
        COMPARE_RECORDS(s.table(), s.tableColumns,
                        saved ? test::records(r[u"table"], u' ', u':') : before);
        // Saved: the last row is current and "Nuevo" enabled again; refused: as it was.
        QCOMPARE(s.catalogue.adding(), !saved && r[u"mode"] == u"new");
        QCOMPARE(s.catalogue.currentIndex(), saved ? int(s.catalogue.rows().size()) - 1 : 0);
    }

    void deleteAsks()
    {
        Shop s;
        QVERIFY(!s.catalogue.remove() && s.prompts.questions.isEmpty()); // no rows: nothing asked
        s.stock(u"pan:1:5 té:2:5 ají:1:1"_s);
        s.catalogue.setCurrent(1);
        s.prompts.answerNext(false);
        s.prompts.answerNext(true);
        QVERIFY(!s.catalogue.remove() && s.catalogue.remove());
        QCOMPARE(s.prompts.questions, QStringList(2, u"Desea eliminar ? té"_s));
        COMPARE_RECORDS(s.table(), s.tableColumns, u"1:pan:d:5.0:1.0:0.5 3:ají:d:1.0:1.0:0.5"_s,
                        u' ', u':');
        QCOMPARE(s.catalogue.current()->articulo, u"ají"_s);
    }
};

QTEST_GUILESS_MAIN(TestProducts)
#include "tst_products.moc"
