#include "stations/cyberstore.h"
#include "stations/stationrows.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestStations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }

    void loadReadsNullsAndNumbers_data()
    {
        // The columns as stored (the others null), then the station's fields as loaded.
        test::addRows("PC | TARIFA | TARIFBAS | TOTAL | PCNAME | pc | sub | total | LSTTARBAS "
                      "| pcnames",
                      R"(
    every column but PC null |'PC01'|NULL |NULL  |NULL    |NULL    |PC01|    |        |0    |-
    numbers and texts        |'PC01'|1.5  |'1,50'|'1234,5'|''      |PC01|1,50|1.234,50|1,5  |-
    texts that are no numbers|'PC01'|'abc'|'x'   |'--'    |'\\PC01'|PC01|0,00|0,00    |0    |\\PC01
    rate in single precision |'A'   |NULL |0.285 |NULL    |NULL    |A   |    |        |0,285|-
    rate beyond any amount   |'A'   |NULL |1e13  |NULL    |NULL    |A   |    |        |0    |-
    )");
    }

    void loadReadsNullsAndNumbers()
    {
        QFETCH(test::Row, r);
        test::TempStore t;
        const char* stored = "PC | TARIFA | TARIFBAS | TOTAL | PCNAME";
        QVERIFY(t.exec(u"INSERT INTO CYBER (%1) VALUES (%2)"_s.arg(
            QString::fromUtf8(stored).replace(u'|', u','), r.fields(stored).join(u", "_s))));
        const auto stations = CyberStore(t.db()).load().value_or(std::vector<Station>());
        QCOMPARE(stations.size(), std::size_t(1));
        Station expected; // the fields not stored are a new station's
        std::tie(expected.pc, expected.sub, expected.total, expected.LSTTARBAS, expected.pcnames) =
            std::tuple(r[u"pc"], r[u"sub"], r[u"total"], r[u"LSTTARBAS"], r[u"pcnames"]);
        COMPARE_STATIONS(stations.front(), expected);
    }

    void persistWritesWhatTheStationShows()
    {
        test::TempStore t;
        QCOMPARE(CyberStore(t.db()).load().value_or(std::vector<Station>(1)).size(),
                 std::size_t(0));
        for (const QString& id : {u"PC10"_s, u"PC'01"_s, u"pc'01"_s, u"A"_s})
            QVERIFY(t.insert(u"CYBER"_s, {{u"PC"_s, id}, {u"PCIP"_s, u"10.0.0.5"_s}}));
        const std::vector<Station> loaded = *CyberStore(t.db()).load();
        QCOMPARE(loaded[0].pc, u"PC10"_s); // table order
        QCOMPARE(loaded[3].pc, u"A"_s);
        // A free station goes to the first row of its id, whatever its case: empty amounts are
        // stored as zero, the computer name and MAC not at all.
        StationRows rows(t.db());
        Station s = loaded[2];
        QVERIFY(rows.write(*rows.find(s.pc), s));
        COMPARE_FIELDS("0,00 | 0,00", "sub | total", s.sub, s.total);
        COMPARE_RECORDS(t.rows(u"SELECT COALESCE(PCNAME, 'null'), PCMAC IS NULL, TARIFA, TOTAL "
                               u"FROM CYBER WHERE rowid IN (2, 3)"_s),
                        "PCNAME | no PCMAC | TARIFA | TOTAL",
                        "null | 1 | 0.0 | 0.0\n null | 1 | |");
        QVERIFY(!rows.find(u"PC99"_s));
        s = {u"PC'01"_s,    u"0:49:59"_s,  u"PREPAGO"_s,    u"José \"Pepe\" O'Neil"_s,
             u"1,25"_s,     u"1.234,50"_s, u"3"_s,          {},
             u"10.9.9.9"_s, u"00-1A-2B"_s, u"\\\\CAJA-3"_s, u"1,5"_s,
             u"TC"_s,       u"7"_s,        u"1,25"_s,       u"0:10:01"_s,
             u"1:00:00"_s};
        QVERIFY(rows.write(*rows.find(s.pc), s));
        Station back = CyberStore(t.db()).load()->at(1);
        QCOMPARE(back.LSTIPS, u"10.0.0.5"_s); // the address is the station administration's
        back.LSTIPS = s.LSTIPS;
        COMPARE_STATIONS(back, s);
        // The later row of the id: untouched.
        COMPARE_STATIONS(CyberStore(t.db()).load()->at(2), loaded[2]);
        // Amounts are stored as the numbers they show: another number format reads the same values.
        s.sub = u"2,555"_s;
        s.pcnames = u"-"_s; // a later "-" or empty MAC does not wipe what the agent reported
        s.LSTMACS.clear();
        QVERIFY(rows.write(*rows.find(s.pc), s));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        back = CyberStore(t.db()).load()->at(1);
        test::pinCafeLocale();
        COMPARE_FIELDS(R"(2.56 | 1,234.50 | 1.5 | \\CAJA-3 | 00-1A-2B)",
                       "sub | total | LSTTARBAS | pcnames | LSTMACS", back.sub, back.total,
                       back.LSTTARBAS, back.pcnames, back.LSTMACS);
    }
};

QTEST_GUILESS_MAIN(TestStations)
#include "tst_stations.moc"
