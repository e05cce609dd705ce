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
        // PC, TARIFA, TARIFBAS, TOTAL, PCNAME as stored (the others null) | pc|sub|total|rate|name
        test::addRows(R"(
    every column but PC null |'PC01'|NULL |NULL  |NULL    |NULL    |PC01|    |        |0    |-
    numbers and texts        |'PC01'|1.5  |'1,50'|'1234,5'|''      |PC01|1,50|1.234,50|1,5  |-
    texts that are no numbers|'PC01'|'abc'|'x'   |'--'    |'\\PC01'|PC01|0,00|0,00    |0    |\\PC01
    rate in single precision |'A'   |NULL |0.285 |NULL    |NULL    |A   |    |        |0,285|-
    rate beyond any amount   |'A'   |NULL |1e13  |NULL    |NULL    |A   |    |        |0    |-
    )");
    }

    void loadReadsNullsAndNumbers()
    {
        QFETCH(QStringList, f);
        test::TempStore t;
        QVERIFY(t.exec(u"INSERT INTO CYBER (PC, TARIFA, TARIFBAS, TOTAL, PCNAME) VALUES (%1)"_s.arg(
            f.mid(0, 5).join(u", "_s))));
        const auto stations = CyberStore(t.db()).load().value_or(std::vector<Station>());
        QCOMPARE(stations.size(), std::size_t(1));
        const Station& s = stations.front();
        QCOMPARE(QStringList({s.pc, s.sub, s.total, s.LSTTARBAS, s.pcnames}), f.mid(5));
        QCOMPARE(s.icon + s.tiempo + s.modo + s.usuario + s.LSTCLWA + s.LSTESTTUS + s.LSTIPS +
                     s.LSTMACS + s.TARIFM + s.TARFC + s.vartipex + s.vartipex2 + s.vartipex3,
                 u"imgdesconectado"_s);
    }

    void persistWritesWhatTheStationShows()
    {
        test::TempStore t;
        QCOMPARE(CyberStore(t.db()).load().value_or(std::vector<Station>(1)).size(),
                 std::size_t(0));
        for (const QString& id : {u"PC10"_s, u"PC'01"_s, u"pc'01"_s, u"A"_s})
            QVERIFY(t.insert(u"CYBER"_s, {{u"PC"_s, id}, {u"PCIP"_s, u"10.0.0.5"_s}}));
        const std::vector<Station> loaded = *CyberStore(t.db()).load();
        QCOMPARE(loaded[0].pc + loaded[3].pc, u"PC10A"_s); // table order
        // A free station goes to the first row of its id, whatever its case: empty amounts are
        // stored as zero, the computer name and MAC not at all.
        StationRows rows(t.db());
        Station s = loaded[2];
        QVERIFY(rows.write(*rows.find(s.pc), s));
        QCOMPARE(s.sub + u'|' + s.total, u"0,00|0,00"_s);
        QCOMPARE(t.scalar(u"SELECT group_concat(COALESCE(PCNAME, 'null') || (PCMAC IS NULL) || '|' "
                          u"|| COALESCE(TARIFA, '') || '|' || COALESCE(TOTAL, ''), ' ') FROM CYBER "
                          u"WHERE rowid IN (2, 3)"_s),
                 QVariant(u"null1|0.0|0.0 null1||"_s));
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
        QCOMPARE(back, s);
        QCOMPARE(CyberStore(t.db()).load()->at(2), loaded[2]); // the later row of the id: untouched
        // Amounts are stored as the numbers they show: another number format reads the same values.
        s.sub = u"2,555"_s;
        s.pcnames = u"-"_s; // a later "-" or empty MAC does not wipe what the agent reported
        s.LSTMACS.clear();
        QVERIFY(rows.write(*rows.find(s.pc), s));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        back = CyberStore(t.db()).load()->at(1);
        test::pinCafeLocale();
        QCOMPARE(QStringList({back.sub, back.total, back.LSTTARBAS, back.pcnames, back.LSTMACS}),
                 QStringList({u"2.56"_s, u"1,234.50"_s, u"1.5"_s, u"\\\\CAJA-3"_s, u"00-1A-2B"_s}));
    }
};

QTEST_GUILESS_MAIN(TestStations)
#include "tst_stations.moc"
