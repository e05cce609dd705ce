#include "stations/cyberstore.h"
#include "stations/display.h"
#include "support/testsupport.h"
#include "swap/swap.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// PC01 counts for two minutes; PC02 is free; PC03 runs 50 prepaid minutes of the account "ana"
// under compound tariff 4.
struct Cafe : test::CounterServices {
    Cafe()
    {
        store.exec(u"INSERT INTO CYBER (PC, PCIP, MODALIDAD, LSTVARX, TIEMPO, vartipex, vartipex2, "
                   u"vartipex3, TARIFA, TARIFBAS, CLIENTE, TOTAL, PCNAME, PCMAC, TARIFM, TARFC) "
                   u"VALUES ('PC01', '10.0.0.1', 'CONTADOR', '1', '0:02:00', '0', '0:02:00', NULL, "
                   u"2, 60, NULL, 2, '\\\\PC01', 'AA', NULL, NULL), "
                   u"('PC02', '10.0.0.2', NULL, NULL, '0:00:00', NULL, NULL, NULL, 0, 0, NULL, 0, "
                   u"'\\\\PC02', 'BB', NULL, NULL), "
                   u"('PC03', '10.0.0.3', 'PREPAGO', '3', '0:50:00', '0', '0:10:00', '1:00:00', "
                   u"0.5, 0, 'ana', 1, '\\\\PC03', 'CC', 'TC', '4')"_s);
        store.exec(u"INSERT INTO CUENTAS (USER, TIMERES) VALUES ('ana', '0:50:00')"_s);
        store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES (4, '60', 0.6, "
                   u"'Mix')"_s);
        loadStations();
    }

    // The session a station holds, as the swap moves it.
    static constexpr const char* sessionColumns = "modo | LSTCLWA | tiempo | sub | total | usuario "
                                                  "| LSTTARBAS | vartipex2 | vartipex3 | TARFC";
    test::Records session(int i) const
    {
        const Station& s = stations.at(i);
        return {{s.modo, s.LSTCLWA, s.tiempo, s.sub, s.total, s.usuario, s.LSTTARBAS, s.vartipex2,
                 s.vartipex3, s.TARFC}};
    }
    // What stays with each computer.
    test::Records computers() const
    {
        test::Records all;
        for (const Station& s : stations.stations())
            all << QStringList{s.pc, s.LSTIPS, s.pcnames, s.LSTMACS, s.LSTESTTUS};
        return all;
    }
};

} // namespace

class TestSwap : public QObject {
    Q_OBJECT
private slots:
    void exchange_data()
    {
        // The sessions after, "/" between their fields.
        const QString counting = u"CONTADOR/1/0:02:00/2,00/2,00//60/0:02:00//"_s;
        const QString freeOne = u"//0:00:00/0,00/0,00//0///"_s;
        const QString prepaid = u"PREPAGO/3/0:50:00/0,50/1,00/ana/0/0:10:00/1:00:00/4"_s;
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("destination");
        QTest::addColumn<bool>("hold");
        QTest::addColumn<QString>("sourceAfter");
        QTest::addColumn<QString>("destinationAfter");
        QTest::newRow("counting to a free one") << 0 << 1 << false << freeOne << counting;
        QTest::newRow("two sessions") << 0 << 2 << false << prepaid << counting;
        QTest::newRow("held, the free one stays free")
            << 1 << 0 << true << QString(counting).replace(u"CONTADOR/1"_s, u"EN ESPERA/2"_s)
            << freeOne;
        QTest::newRow("both held")
            << 2 << 0 << true << QString(counting).replace(u"CONTADOR/1"_s, u"EN ESPERA/2"_s)
            << QString(prepaid).replace(u"PREPAGO/3"_s, u"EN ESPERA/4"_s);
    }
    void exchange()
    {
        QFETCH(int, source);
        QFETCH(int, destination);
        QFETCH(bool, hold);
        QFETCH(QString, sourceAfter);
        QFETCH(QString, destinationAfter);
        Cafe cafe;
        const test::Records computers = cafe.computers();
        QVERIFY(Swap::exchange(cafe.actions, cafe.stations, source, destination, hold));
        COMPARE_RECORDS(cafe.session(source), cafe.sessionColumns, sourceAfter, u'\n', u'/');
        COMPARE_RECORDS(cafe.session(destination), cafe.sessionColumns, destinationAfter, u'\n',
                        u'/');
        COMPARE_RECORDS(cafe.computers(), "pc | LSTIPS | pcnames | LSTMACS | LSTESTTUS", computers);
        QCOMPARE(cafe.stations.at(destination).icon, iconKey(cafe.stations.at(destination)));

        // Both rows were stored by the swap itself.
        std::vector<Station> stored = *CyberStore(cafe.store.db()).load();
        for (int i : {source, destination}) {
            stored[std::size_t(i)].icon = cafe.stations.at(i).icon;
            COMPARE_STATIONS(stored[std::size_t(i)], cafe.stations.at(i));
        }
    }

    void anAccountSessionGoesOnOnItsNewStation()
    {
        Cafe cafe;
        QVERIFY(Swap::exchange(cafe.actions, cafe.stations, 2, 1, false));
        cafe.metering.tick();
        QCOMPARE(cafe.stations.at(1).tiempo, u"0:49:59"_s);
        QCOMPARE(cafe.stations.at(2).modo, QString());
        QCOMPARE(cafe.store.scalar(u"SELECT TIMERES FROM CUENTAS"_s).toString(), u"0:49:59"_s);
    }

    void aRefusedSwapChangesNeitherStation()
    {
        Cafe cafe;
        QVERIFY(
            cafe.store.exec(u"CREATE TRIGGER refuse BEFORE UPDATE ON CYBER WHEN NEW.PC = 'PC02' "
                            u"BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s));
        const std::vector<Station> before = cafe.stations.stations();
        QVERIFY(!Swap::exchange(cafe.actions, cafe.stations, 0, 1, true));
        COMPARE_STATIONS(cafe.stations.stations(), before);
        QCOMPARE(cafe.store.scalar(u"SELECT MODALIDAD FROM CYBER WHERE PC = 'PC01'"_s).toString(),
                 u"CONTADOR"_s);
        QCOMPARE(cafe.prompts.notified.size(), 1);
    }

    void destinationsAreTheOtherStationsWithTheirRows()
    {
        Cafe cafe;
        const auto list = Swap::destinations(cafe.stations, 1);
        QCOMPARE(list.size(), std::size_t(2));
        QCOMPARE(list[0].pc, u"PC01"_s);
        QCOMPARE(list[0].row, 1);
        QCOMPARE(list[1].pc, u"PC03"_s);
        QCOMPARE(list[1].row, 3);
    }
};

QTEST_GUILESS_MAIN(TestSwap)
#include "tst_swap.moc"
