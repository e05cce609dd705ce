#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// The counter PC with its stations in CYBER; every tick is one second later.
struct Cafe : test::CounterServices {
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            clock.set(clock.now().addSecs(1));
            metering.tick();
        }
    }
    // What the list shows of a station: its time, running charge and total.
    static constexpr const char* shownColumns = "tiempo | sub | total";
    QStringList shown(int i)
    {
        const Station& s = stations.at(i);
        return {s.tiempo, s.sub, s.total};
    }
    // A console started now loads every station as the last tick left it.
    bool reloadsAsItIs()
    {
        const std::vector<Station> ticked = stations.stations();
        return loadStations() && stations.stations() == ticked;
    }
    // CYBER rows PC01, PC02... from "rate|mode|elapsed|running charge|charge in total|total|
    // bought|customer|tariff kind|compound code" (fields left out or empty are null), loaded.
    bool open(const QStringList& rows)
    {
        static const QStringList columns = u"TARIFBAS MODALIDAD TIEMPO,vartipex2 TARIFA vartipex "
                                           u"TOTAL vartipex3 CLIENTE TARIFM TARFC"_s.split(u' ');
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QVariantMap row{{u"PC"_s, u"PC0%1"_s.arg(r + 1)}};
            const QStringList f = rows[r].split(u'|');
            for (qsizetype i = 0; i < f.size(); ++i)
                for (const QString& column : columns[i].split(u','))
                    row.insert(column, f[i].isEmpty() ? QVariant() : QVariant(f[i]));
            if (!store.insert(u"CYBER"_s, row))
                return false;
        }
        return loadStations();
    }
};

} // namespace

class MeteringTest : public QObject {
    Q_OBJECT
private slots:
    void minutesField()
    {
        // "00" for an empty time, nothing without a second field.
        COMPARE_FIELDS("00 | 07 |", "empty | 1:07:59 | 17", Minute2(u""), Minute2(u"1:07:59"),
                       Minute2(u"17"));
    }

    void pricing_data()
    {
        // The CYBER row, what the list shows after a tick, the code of a compound tariff. 7: 15
        // minutes 5, 30 minutes 8, an hour 12, with a row of another name among them.
        test::addRows("rate | mode | elapsed | charge | in total | total | bought | time after | "
                      "charge after | total after | code",
                      R"(
    below a minute    |60   |CONTADOR |0:00:58 |0,00 |0,00   |0,00 |       |0:00:59 |0,00 |0,00|
    first minute      |60   |CONTADOR |0:00:59 |0,00 |0,00   |0,00 |       |0:01:00 |1,00 |1,00|
    ahead from 58:01  |60   |CONTADOR |0:58:00 |58,00|58,00  |68,00|       |0:58:01 |59,00|69,00|
    next hour at 59:00|60   |CONTADOR |0:58:59 |59,00|59,00  |59,00|       |0:59:00 |60,00|60,00|
    61 at 1:01:00     |60   |CONTADOR |1:00:59 |60,00|60,00  |60,00|       |1:01:00 |61,00|61,00|
    minimum passed    |60   |CONTADOR |0:05:59 |5,00 |5,00   |5,00 |       |0:06:00 |6,00 |6,00|
    opening into total|60   |CONTADOR |0:00:00 |5,00 |0:00:00|10,00|       |0:00:01 |5,00 |15,00|
    past a day        |1    |CONTADOR |23:59:59|23   |23     |23   |       |24:00:00|24,00|24,00|
    prepaid resumes   |60   |PREPAGO  |0:10:00 |     |       |     |1:00:00|0:49:59 |10,00|10,00|
    all empty         |60   |CONTADOR |        |     |       |     |       |0:00:01 |0,00 |0,00|
    bad elapsed       |60   |CONTADOR |ab:cd:ef|3,00 |3,00   |3,00 |       |0:00:01 |3,00 |3,00|
    rate too large    |1e300|CONTADOR |0:59:59 |0,00 |0,00   |0,00 |       |1:00:00 |0,00 |0,00|
    waiting           |60   |EN ESPERA|0:12:00 |1,00 |1,00   |1,00 |       |0:12:00 |1,00 |1,00|
    free, bad time    |60   |         |99:99   |     |       |     |       |0:00:00 |0,00 |0,00|
    half a minute     |60   |CONTADOR |0:00:29 |     |       |     |       |0:00:30 |0,00 |0,00 |7
    first block       |60   |CONTADOR |0:00:59 |     |       |     |       |0:01:00 |5,00 |5,00 |7
    block end         |60   |CONTADOR |0:29:59 |     |       |     |       |0:30:00 |8,00 |8,00 |7
    hour and block    |60   |CONTADOR |1:19:59 |     |       |     |       |1:20:00 |20,00|20,00|7
    two hours         |60   |CONTADOR |1:59:59 |     |       |     |       |2:00:00 |24,00|24,00|7
    total by change   |60   |CONTADOR |0:15:59 |5,00 |5,00   |10,00|       |0:16:00 |8,00 |13,00|7
    no hour row       |60   |CONTADOR |1:19:59 |     |       |     |       |1:20:00 |3,00 |3,00 |1
    steps, no value   |60   |CONTADOR |0:20:00 |     |       |     |       |0:20:01 |0,00 |0,00 |2
    hour beyond amount|60   |CONTADOR |1:09:59 |     |       |     |       |1:10:00 |5,00 |5,00 |3
    no steps for code |60   |CONTADOR |0:20:00 |     |       |     |       |0:20:01 |0,00 |0,00 |x'; DROP TABLE CYBER; --
    )");
    }

    void pricing()
    {
        QFETCH(test::Row, r);
        Cafe c;
        QVERIFY(c.store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES "
                             u"(7, '15', 5, 'B'), (7, '30', 100, 'Otra'), (7, '30', 8, 'B'), "
                             u"(7, '60', 12, 'B'), (1, '15', 2, 'a'), (1, '30', 3, 'a'), "
                             u"(2, 'abc', 4, 'b'), (2, '30', NULL, 'b'), (2, '60', 'x', 'b'), "
                             u"(3, '15', 5, 'c'), (3, '60', 1e300, 'c')"_s));
        const QString code = r[u"code"];
        QVERIFY(c.open({(r.fields("rate | mode | elapsed | charge | in total | total | bought")
                         << QString() << (code.isEmpty() ? u""_s : u"TC"_s) << code)
                            .join(u'|')}));
        c.tick();
        COMPARE_RECORDS({c.shown(0)}, c.shownColumns,
                        {r.fields("time after | charge after | total after")});
        if (r[u"mode"] == StationMode::Counter)
            QCOMPARE(c.stations.at(0).vartipex2, r[u"time after"]);
        QVERIFY(c.reloadsAsItIs());
    }

    void rateIsTheOneStoredByTheLastTick()
    {
        Cafe c;
        QVERIFY(c.open({u"60|CONTADOR|0:01:58|1,00|1,00|1,00"_s, u"60|CONTADOR|0:00:59|0|0|0"_s}));
        c.stations.update(0, [](Station& s) { s.LSTTARBAS = u"120"_s; });
        QVERIFY(c.store.exec(u"DELETE FROM CYBER WHERE PC = 'PC02'"_s));
        c.rows.forget();
        c.tick(); // 0:01:59, still at the stored 60
        QCOMPARE(c.stations.at(0).sub, u"1,00"_s);
        // No row: metered at no rate, not stored.
        COMPARE_RECORDS({c.shown(1)}, c.shownColumns, "0:01:00 | 0,00 | 0,00");
        c.tick();
        COMPARE_RECORDS({c.shown(0)}, c.shownColumns, "0:02:00 | 4,00 | 4,00"); // at 120
        // PC01's row only, as the second tick left it.
        COMPARE_RECORDS(c.store.rows(u"SELECT vartipex2, TARIFA FROM CYBER"_s),
                        "vartipex2 | TARIFA", "0:02:00 | 4.0");
    }

    void prepaidRunsOut_data()
    {
        // Settings left empty are not set; the ticks to the end, the warnings sent, the journal row
        // and the freed station's charge and total.
        test::addRows("rate | bought | elapsed | customer | timetoend | restorecounters | ticks | "
                      "warnings | VALOR | USER | charge and total",
                      R"(
    defaults            |60|0:06:00 |       |   | | |360|25|6,00 |ANONIMO|0,00
    counters kept       |60|0:06:00 |       |ana| |0|360|25|6,00 |ana    |6,00
    no warning          |60|0:06:00 |       |   |0| |360|0 |6,00 |ANONIMO|0,00
    two minutes warning |60|0:03:00 |       |   |2| |180|25|3,00 |ANONIMO|0,00
    nothing to charge   |0 |0:06:00 |       |   | |0|360|25|     |       |0,00
    bought unreadable   |60|una hora|0:10:00|   | | |1  |0 |10,00|ANONIMO|0,00
    bought below elapsed|0 |0:05:00 |0:10:00|   | | |1  |0 |     |       |0,00
    )");
    }

    void prepaidRunsOut()
    {
        QFETCH(test::Row, r);
        Cafe c;
        if (!r[u"timetoend"].isEmpty())
            c.memory.write(u"timetoend"_s, r[u"timetoend"]);
        if (!r[u"restorecounters"].isEmpty())
            c.memory.write(u"restorecounters"_s, r[u"restorecounters"]);
        QVERIFY(c.open({u"%1|PREPAGO|%2||||%3|%4"_s.arg(r[u"rate"], r[u"elapsed"], r[u"bought"],
                                                        r[u"customer"]),
                        u"60|CONTADOR|0:00:00|0,00|0,00|0,00"_s}));
        QSignalSpy ended(&c.metering, &Metering::prepaidEnded);
        const int ticks = r.number(u"ticks");
        c.tick(ticks - 1);
        QCOMPARE(ended.size(), 0);
        c.tick(4); // runs out, then three ticks of a free station
        QCOMPARE(c.links.sentTo(0).count(u"SHOWF#LVX#SHOWF#LVXF#"_s), r.number(u"warnings"));
        QCOMPARE(c.links.sentTo(0).count(u"FINISHT#LVX#DOTHEM#LVXF#"_s), 1);
        QCOMPARE(c.links.sentTo(1).size(), 0);
        QCOMPARE(c.stations.at(1).tiempo, QTime(0, 0).addSecs(ticks + 3).toString(u"H:mm:ss"_s));
        QCOMPARE(QList<QVariantList>(ended), QList<QVariantList>{{0}});
        COMPARE_RECORDS(c.journalRows(), c.journalColumns,
                        r[u"VALOR"].isEmpty()
                            ? QString()
                            : r[u"VALOR"] + u" | "_s + r[u"USER"] + u" | PC01 | PREPAGO | Marta"_s);
        const Station& s = c.stations.at(0);
        COMPARE_FIELDS(u"0:00:00 | %1 | %1 | | | | |"_s.arg(r[u"charge and total"]),
                       "tiempo | sub | total | modo | LSTCLWA | usuario | vartipex2 | vartipex3",
                       s.tiempo, s.sub, s.total, s.modo, s.LSTCLWA, s.usuario, s.vartipex2,
                       s.vartipex3);
        QVERIFY(c.reloadsAsItIs());
    }

    void accountsStatusTextsAndTheirFailures()
    {
        Cafe c;
        QVERIFY(c.store.exec(u"INSERT INTO CUENTAS (USER, TIMERES) VALUES ('ana', '1:00:00'), "
                             u"('muñoz', NULL), ('eva', '2:00:00')"_s));
        // Accounts are found whatever the case of their names.
        QVERIFY(c.open({u"0|PREPAGO|||||1:00:00|Ana"_s, u"0|PREPAGO|||||0:30:00|MUÑOZ"_s,
                        u"0|PREPAGO|||||0:30:00|sin cuenta"_s, u"0"_s, u"0|EN ESPERA"_s}));
        c.clock.set(QDateTime(QDate(2026, 3, 4), QTime(9, 4, 58)));
        c.tick(2);
        COMPARE_RECORDS(c.store.rows(u"SELECT USER, TIMERES FROM CUENTAS"_s), "USER | TIMERES",
                        "ana | 0:59:58 \n muñoz | 0:29:58 \n eva | 2:00:00");
        QCOMPARE(c.stations.at(2).tiempo, u"0:29:58"_s);
        QCOMPARE(c.metering.stationsText(), u"Puestos libres: 1 Ocupados: 4"_s);
        QCOMPARE(c.metering.dateText(), u"4/3/2026"_s);
        QCOMPARE(c.metering.timeText(), u"9:05"_s);
        // An account that cannot be written is reported once; the stations are stored all the same.
        QSignalSpy failed(&c.metering, &Metering::storeFailed);
        QVERIFY(c.store.exec(u"ALTER TABLE CUENTAS RENAME TO CUENTAS_OLD"_s));
        c.tick(3);
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed[0][0].toString().contains(u"Ana"_s));
        COMPARE_RECORDS(c.store.rows(u"SELECT TIEMPO, vartipex2 FROM CYBER LIMIT 1"_s),
                        "TIEMPO | vartipex2", "0:59:55 | 0:00:05");
        QVERIFY(c.store.exec(u"ALTER TABLE CUENTAS_OLD RENAME TO CUENTAS"_s));
        c.tick(); // again only after a tick went through
        QVERIFY(c.store.exec(u"ALTER TABLE CUENTAS RENAME TO CUENTAS_OLD"_s));
        c.tick();
        QCOMPARE(failed.size(), 2);
    }

    void failedCommitKeepsTheJournalRowAndWritesAgain()
    {
        Cafe c;
        QVERIFY(c.open({u"60|PREPAGO|0:01:58||||0:02:00"_s}));
        c.tick(); // a second left
        QSignalSpy failed(&c.metering, &Metering::storeFailed);
        QSignalSpy written(&c.journal, &Journal::written);
        // Every write of CYBER now breaks a deferred rule: the commit is refused.
        QVERIFY(c.store.exec(u"PRAGMA foreign_keys = ON"_s));
        QVERIFY(c.store.exec(u"CREATE TABLE owned (id INTEGER PRIMARY KEY, up INTEGER REFERENCES "
                             u"owned(id) DEFERRABLE INITIALLY DEFERRED)"_s));
        QVERIFY(c.store.exec(u"CREATE TRIGGER refuse AFTER UPDATE ON CYBER "
                             u"BEGIN INSERT INTO owned (up) VALUES (99); END"_s));
        c.tick(); // runs out
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed[0][0].toString().contains(u"guardar los puestos"_s));
        QCOMPARE(c.store.scalar(u"SELECT MODALIDAD FROM CYBER"_s).toString(), u"PREPAGO"_s);
        QVERIFY(c.journalRows().isEmpty());
        QCOMPARE(c.journal.unwrittenCount(), 1);
        QCOMPARE(written.size(), 0);
        QCOMPARE(c.stations.at(0).modo, QString()); // freed all the same
        QVERIFY(c.store.exec(u"DROP TRIGGER refuse"_s));
        c.tick();
        QCOMPARE(c.store.scalar(u"SELECT MODALIDAD FROM CYBER"_s).toString(), QString());
        COMPARE_RECORDS(c.journalRows(), c.journalColumns,
                        "2,00 | ANONIMO | PC01 | PREPAGO | Marta");
        QCOMPARE(c.journal.unwrittenCount(), 0);
        QCOMPARE(written.size(), 1);
        QCOMPARE(c.links.sentTo(0).count(u"FINISHT#LVX#DOTHEM#LVXF#"_s), 1);
    }
};

QTEST_GUILESS_MAIN(MeteringTest)
#include "tst_metering.moc"
