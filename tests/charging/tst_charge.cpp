#include "charging/charge.h"
#include "printing/pendingprints.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Two jobs of PC01, its name in two letter cases, around one of PC02: "machine:pages:amount".
const QString UsualJobs = u"\\\\PC01:3:1,50 \\\\PC02:4:2,00 \\\\pc01:2:1,00"_s;

// PC01 has counted a minute for "ana": running charge 3,00, total 10,00. Print jobs
// "machine:pages:amount" separated by blanks are in the store, ids from 11 on.
struct Counter : test::CounterServices {
    PendingPrints prints{store.db()};
    Charging charging{{stations, actions, prints, commands, journal, prompts}};
    bool loaded = false;

    explicit Counter(const QString& jobs = {})
    {
        store.exec(u"INSERT INTO CYBER (PC, PCNAME, MODALIDAD, LSTVARX, TIEMPO, vartipex2, "
                   u"CLIENTE, TARIFA, vartipex, TOTAL) VALUES ('PC01', '\\\\PC01', 'CONTADOR', "
                   u"'1', '0:01:00', '0:01:00', 'ana', 3, 3, 10)"_s);
        int id = 11;
        for (const QString& job : jobs.split(u' ', Qt::SkipEmptyParts)) {
            const QStringList f = job.split(u':');
            store.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, valor, jobid) "
                       u"VALUES (?, 'HP', ?, ?, ?)"_s,
                       {f[0], f[1], f[2], id++});
        }
        loaded = loadStations() && prints.reload();
    }
};

} // namespace

class TestCharge : public QObject {
    Q_OBJECT
private slots:
    void bill_data()
    {
        // PC01's computer name and total, its jobs; the print line and the bill's total.
        test::addRows("name | total | jobs | print pages | print amount | bill total", R"(
    no jobs, total ungrouped|\\PC01|1.234,50|                           | |    |1234,50
    any letter case         |\\PC01|10,00   |usual                      |5|2,50|12,50
    single job formatted    |\\PC02|0,00    |\\PC02:4:2                 |4|2,00|2,00
    third decimal shown     |\\PC01|0,125   |\\PC01:1:1,50              |1|1,50|1,625
    sums stay at the cent   |\\PC01|        |\\PC01:1:0,10 \\PC01:1:0,20|2|0,30|0,30
    name not yet reported   |-     |10,00   |usual                      | |    |10,00
    empty name              |      |10,00   |:3:1,50                    | |    |10,00
    )");
    }

    void bill()
    {
        QFETCH(test::Row, r);
        Counter c(r[u"jobs"] == u"usual" ? UsualJobs : r[u"jobs"]);
        QVERIFY(c.loaded);
        c.stations.update(0, [&](Station& s) {
            std::tie(s.pcnames, s.total) = std::tuple(r[u"name"], r[u"total"]);
        });
        const std::optional<Charging::Bill> bill = c.charging.build(0);
        QVERIFY(bill);
        test::Records lines, expected;
        for (const Charging::ServiceLine& l : bill->lines)
            lines << QStringList{l.cantidad, l.servicio, l.valor};
        if (!r[u"print pages"].isEmpty())
            expected << QStringList{r[u"print pages"], u"SERVICIO DE IMPRESION"_s,
                                    r[u"print amount"]};
        expected << QStringList{u"1"_s, u"ALQUILER DE PC"_s, u"3,00"_s};
        COMPARE_RECORDS(lines, "cantidad | servicio | valor", expected);
        QCOMPARE(bill->total, r[u"bill total"]);
        QCOMPARE(bill->computerName, r[u"name"]);
        QCOMPARE(bill->customer, u"ana"_s);
        QVERIFY(!c.charging.build(1) && !c.charging.build(-1));
    }

    void change_data()
    {
        // The change shown; "-": left as it was.
        test::addRows("tendered | total | change", R"(
    one cent short      |2,49 |2,50 |-0,01
    three-decimal total |5    |1,625|3,37
    tendered to the cent|1,629|1,625|0,00
    empty               |     |2,50 |-
    not a number        |1,2,3|2,50 |-
    )");
    }

    void change()
    {
        QFETCH(test::Row, r);
        test::pinCafeLocale();
        QCOMPARE(Charging::CALCULATEC(r[u"tendered"], r[u"total"]).value_or(u"-"_s), r[u"change"]);
    }

    void cobrar_data()
    {
        // The outcome: 0 no amount, 1 too little, 2 not confirmed, 4 charged; the journal rows: 2
        // rental and prints, 1 prints.
        test::addRows("mode | time | tendered | answer | outcome | icon | told | journal rows", R"(
    below a cent  |CONTADOR|0:01:00|0,004|1|0|0|Ingrese la cantidad|0
    one cent short|CONTADOR|0:01:00|12,49|1|1|2|Cantidad incorrecta|0
    answered No   |CONTADOR|0:01:00|12,50|0|2| |                   |0
    exact amount  |CONTADOR|0:01:00|12,50|1|4| |                   |2
    under a minute|CONTADOR|0:00:59|20   |1|4| |                   |1
    prepaid       |PREPAGO |0:30:00|12,5 |1|4| |                   |1
    )");
    }

    void cobrar()
    {
        QFETCH(test::Row, r);
        Counter c(UsualJobs);
        QVERIFY(c.loaded);
        c.stations.update(0, [&](Station& s) {
            std::tie(s.modo, s.tiempo) = std::tuple(r[u"mode"], r[u"time"]);
        });
        const std::optional<Charging::Bill> bill = c.charging.build(0);
        QVERIFY(bill);
        c.prompts.answerNext(r.yes(u"answer"));
        QCOMPARE(int(c.charging.COBRAR(*bill, r[u"tendered"])), r.number(u"outcome"));
        test::Records told;
        for (const auto& t : c.prompts.told)
            told << QStringList{QString::number(int(t.icon)), t.text};
        const bool confirmed = r[u"told"].isEmpty();
        COMPARE_RECORDS(told, "icon | told",
                        confirmed ? test::Records() : test::Records{r.fields("icon | told")});
        QCOMPARE(c.prompts.questions.size(), int(confirmed)); // "Esta todo correcto ?"
        const test::Records journal{
            {u"3,00"_s, u"ana"_s, u"PC01"_s, u"CONTADOR"_s, u"Marta"_s},
            {u"2,50"_s, u"ANONIMO"_s, u"PC01"_s, u"5 IMPRESION(ES) "_s, u"Marta"_s}};
        COMPARE_RECORDS(c.journalRows(), c.journalColumns,
                        journal.mid(2 - r.number(u"journal rows")));
        // A charge frees PC01 and takes its jobs; a refusal leaves them.
        const bool charged = r.number(u"outcome") == 4;
        const Station& s = c.stations.at(0);
        COMPARE_FIELDS(charged ? u"| | 0:00:00 | | 0,00 | 0,00"_s
                               : u"%1 | 1 | %2 | ana | 3,00 | 10,00"_s.arg(r[u"mode"], r[u"time"]),
                       "modo | LSTCLWA | tiempo | usuario | sub | total", s.modo, s.LSTCLWA,
                       s.tiempo, s.usuario, s.sub, s.total);
        QStringList listed;
        for (const PendingPrint& p : c.prints.rows())
            listed << p.jobid;
        QCOMPARE(listed, charged ? QStringList{u"12"_s} : (QStringList{u"11"_s, u"12"_s, u"13"_s}));
        COMPARE_RECORDS(c.store.rows(u"SELECT jobid FROM Impresiones"_s), "jobid",
                        charged ? "12" : "11 \n 12 \n 13");
        QCOMPARE(c.charging.history(), charged ? QStringList{r[u"tendered"]} : QStringList());
    }

    void pendingJobsReload()
    {
        Counter c;
        c.prints.append({u"old"_s, u"x"_s, u"1"_s, u"1"_s, u"1"_s});
        QVERIFY(c.store.exec(u"INSERT INTO Impresiones (impresora) VALUES ('Epson')"_s));
        QVERIFY(c.prints.reload()); // the list is what the store holds, nulls as empty texts
        COMPARE_RECORDS(test::fields(c.prints.rows()), test::printColumns, "Epson | | | |");
        QVERIFY(c.store.exec(u"DROP TABLE Impresiones"_s));
        QVERIFY(!c.prints.reload() && c.prints.count() == 0 && !c.prints.lastError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCharge)
#include "tst_charge.moc"
