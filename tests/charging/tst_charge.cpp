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
        // PC01's computer name | its total | jobs | print line's pages | its amount | bill total
        test::addRows(R"(
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
        QFETCH(QStringList, f);
        Counter c(f[2] == u"usual" ? UsualJobs : f[2]);
        QVERIFY(c.loaded);
        c.stations.update(0,
                          [&](Station& s) { std::tie(s.pcnames, s.total) = std::tie(f[0], f[1]); });
        const std::optional<Charging::Bill> bill = c.charging.build(0);
        QVERIFY(bill);
        QString got;
        for (const Charging::ServiceLine& l : bill->lines)
            got += l.cantidad + u'|' + l.servicio + u'|' + l.valor + u'|';
        const QString prints = f[3] + u"|SERVICIO DE IMPRESION|"_s + f[4] + u'|';
        QCOMPARE(got + bill->total + u'|' + bill->computerName + u'|' + bill->customer,
                 (f[3].isEmpty() ? u""_s : prints) + u"1|ALQUILER DE PC|3,00|"_s + f[5] + u'|' +
                     f[0] + u"|ana"_s);
        QVERIFY(!c.charging.build(1) && !c.charging.build(-1));
    }

    void change_data()
    {
        // tendered | total | change shown ("-": left as it was)
        test::addRows(R"(
    one cent short      |2,49 |2,50 |-0,01
    three-decimal total |5    |1,625|3,37
    tendered to the cent|1,629|1,625|0,00
    empty               |     |2,50 |-
    not a number        |1,2,3|2,50 |-
    )");
    }

    void change()
    {
        QFETCH(QStringList, f);
        test::pinCafeLocale();
        QCOMPARE(Charging::CALCULATEC(f[0], f[1]).value_or(u"-"_s), f[2]);
    }

    void cobrar_data()
    {
        // PC01's mode | time | tendered | answer | outcome (0 no amount, 1 too little, 2 not
        // confirmed, 4 charged) | icon and text told | journal rows (2 rental and prints, 1 prints)
        test::addRows(R"(
    below a cent  |CONTADOR|0:01:00|0,004|1|0|0 Ingrese la cantidad|0
    one cent short|CONTADOR|0:01:00|12,49|1|1|2 Cantidad incorrecta|0
    answered No   |CONTADOR|0:01:00|12,50|0|2|                     |0
    exact amount  |CONTADOR|0:01:00|12,50|1|4|                     |2
    under a minute|CONTADOR|0:00:59|20   |1|4|                     |1
    prepaid       |PREPAGO |0:30:00|12,5 |1|4|                     |1
    )");
    }

    void cobrar()
    {
        QFETCH(QStringList, f);
        Counter c(UsualJobs);
        QVERIFY(c.loaded);
        c.stations.update(0,
                          [&](Station& s) { std::tie(s.modo, s.tiempo) = std::tie(f[0], f[1]); });
        const std::optional<Charging::Bill> bill = c.charging.build(0);
        QVERIFY(bill);
        c.prompts.answerNext(f[3] == u"1");
        QCOMPARE(int(c.charging.COBRAR(*bill, f[2])), f[4].toInt());
        QStringList told;
        for (const auto& t : c.prompts.told)
            told << QString::number(int(t.icon)) + u' ' + t.text;
        QCOMPARE(told.join(u'\n'), f[5]);
        QCOMPARE(c.prompts.questions.size(), int(f[5].isEmpty())); // "Esta todo correcto ?"
        const QStringList journal{u"3,00|ana|PC01|CONTADOR|Marta"_s,
                                  u"2,50|ANONIMO|PC01|5 IMPRESION(ES) |Marta"_s};
        QCOMPARE(c.journalRows(), journal.mid(2 - f[6].toInt()));
        // A charge frees PC01 and takes its jobs; a refusal leaves them.
        const bool charged = f[4] == u"4";
        const Station& s = c.stations.at(0);
        QCOMPARE(QStringList({s.modo, s.LSTCLWA, s.tiempo, s.usuario, s.sub, s.total}).join(u' '),
                 charged ? u"  0:00:00  0,00 0,00"_s
                         : f[0] + u" 1 "_s + f[1] + u" ana 3,00 10,00"_s);
        QStringList jobs; // in the list and in the store
        for (const PendingPrint& p : c.prints.rows())
            jobs << p.jobid;
        jobs << c.store.scalar(u"SELECT group_concat(jobid, ' ') FROM Impresiones"_s).toString();
        QCOMPARE(jobs.join(u' '), charged ? u"12 12"_s : u"11 12 13 11 12 13"_s);
        QCOMPARE(c.charging.history(), charged ? QStringList{f[2]} : QStringList());
    }

    void pendingJobsReload()
    {
        Counter c;
        c.prints.append({u"old"_s, u"x"_s, u"1"_s, u"1"_s, u"1"_s});
        QVERIFY(c.store.exec(u"INSERT INTO Impresiones (impresora) VALUES ('Epson')"_s));
        QVERIFY(c.prints.reload()); // the list is what the store holds, nulls as empty texts
        QCOMPARE(c.prints.rows(), std::vector<PendingPrint>({{u"Epson"_s, {}, {}, {}, {}}}));
        QVERIFY(c.store.exec(u"DROP TABLE Impresiones"_s));
        QVERIFY(!c.prints.reload() && c.prints.count() == 0 && !c.prints.lastError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCharge)
#include "tst_charge.moc"
