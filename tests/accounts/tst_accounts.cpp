#include "link/requests.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// PC01 is free; PC02 runs the session of "maria" (10 minutes used of a 40-minute credit).
struct Counter : test::CounterServices {
    explicit Counter()
    {
        store.exec(u"INSERT INTO CYBER (PC, MODALIDAD, LSTVARX, CLIENTE, TIEMPO, vartipex2, "
                   u"vartipex3) VALUES ('PC01', NULL, NULL, NULL, '0:00:00', NULL, NULL), "
                   u"('PC02', 'PREPAGO', '3', 'MARIA', '0:30:00', '0:10:00', '0:40:00')"_s);
        store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) VALUES "
                   u"('maria', '1234', '0:30:00', 1), ('muñoz', 'x', '0:50:10', 1)"_s);
        loadStations();
    }
    // The accounts and the journal as stored, "-" and "null" for a null.
    static constexpr const char* tableColumns = "USER | PASSWORD | TIMERES | LASTVISIT | TARIFBAS";
    test::Records table()
    {
        return store.rows(u"SELECT USER, ifnull(PASSWORD, '-'), TIMERES, ifnull(LASTVISIT, '-'), "
                          u"ifnull(TARIFBAS, '-') FROM CUENTAS"_s);
    }
    static constexpr const char* journalColumns = "FECHA | HORA | VALOR | USER | PC | DESCRIP | "
                                                  "OPERADOR";
    test::Records journal()
    {
        return store.rows(u"SELECT FECHA, ifnull(HORA, 'null'), VALOR, USER, PC, DESCRIP, "
                          u"ifnull(OPERADOR, 'null') FROM INFORMES"_s);
    }
};

const QString Before = u"maria | 1234 | 0:30:00 | - | 1.0 \n muñoz | x | 0:50:10 | - | 1.0"_s;

} // namespace

class TestAccounts : public QObject {
    Q_OBJECT
private slots:
    void creditCarriesMinutes_data()
    {
        test::addRows("credit | hours | minutes | after", R"(
    minutes carry      |0:50:10 |0 |20|1:10:10
    no carry at 59     |0:50:10 |0 |9 |0:59:10
    seconds stay       |0:59:59 |0 |1 |1:00:59
    empty is nothing   |        |1 |5 |1:05:00
    unreadable nothing |dos     |0 |30|0:30:00
    past a day, no wrap|23:30:00|1 |45|25:15:00
    )");
    }
    void creditCarriesMinutes()
    {
        QFETCH(test::Row, r);
        QCOMPARE(Accounts::creditAfter(r[u"credit"], r.number(u"hours"), r.number(u"minutes")),
                 r[u"after"]);
    }

    void searchIsAPrefixOfTheName_data()
    {
        test::addRows("typed | found", R"(
    prefix              |jo  |jose joan JOSÉ
    every letter's case |JOS |jose JOSÉ
    percent is literal  |50% |50%off
    underscore literal  |a_  |a_b
    star literal        |*   |*x
    quote literal       |o'h |o'hara
    empty lists all     |    |jose joan ajo JOSÉ 50%off a_b axb *x o'hara
    )");
    }
    void searchIsAPrefixOfTheName()
    {
        QFETCH(test::Row, r);
        test::CounterServices c;
        for (const char* user :
             {"jose", "joan", "ajo", "JOSÉ", "50%off", "a_b", "axb", "*x", "o'hara"})
            c.store.exec(u"INSERT INTO CUENTAS (USER) VALUES (?)"_s, {QString::fromUtf8(user)});
        QStringList found;
        const std::vector<Account> accounts = c.accounts.search(r[u"typed"]).value();
        for (const Account& a : accounts)
            found << a.user;
        QCOMPARE(found, r[u"found"].split(u' ', Qt::SkipEmptyParts));
    }

    void createWritesAccountAndJournalTogether()
    {
        Counter c;
        QVERIFY(c.accounts.create({u" ana "_s, u"pw"_s, false, 2, 5, u"2,10"_s, 1.0f}));
        COMPARE_RECORDS(c.table(), c.tableColumns,
                        QString(Before + u"\n ana | pw | 2:05:00 | 4/12/2026 | 1.0"_s));
        COMPARE_RECORDS(c.journal(), c.journalColumns,
                        "2026-12-04 | null | 2.1 | ana | | CUENTA NUEVA | null");

        // Refused: taken in any letter case, no name, an amount that is no number, a store that
        // refuses the journal row. Nothing of any of them is written.
        const struct {
            QString user, amount, told;
        } refused[] = {{u"MUÑOZ"_s, u"1"_s, u"Usuario ya existe"_s},
                       {u"  "_s, u"1"_s, u"Ingrese el usuario"_s},
                       {u"beto"_s, u"1,2,3"_s, u"La cantidad \"1,2,3\" no es un valor válido."_s}};
        for (const auto& r : refused) {
            QVERIFY(!c.accounts.create({r.user, {}, false, 1, 0, r.amount, 1.0f}));
            QCOMPARE(c.prompts.toldTexts().last(), r.told);
        }
        c.store.exec(u"CREATE TRIGGER full BEFORE INSERT ON INFORMES BEGIN SELECT RAISE(ABORT, "
                     u"'disco lleno'); END"_s);
        QVERIFY(!c.accounts.create({u"beto"_s, {}, false, 1, 0, u"1"_s, 1.0f}));
        QCOMPARE(c.store.scalar(u"SELECT count(*) FROM CUENTAS"_s).toInt(), 3);
        QCOMPARE(c.prompts.notified.size(), 1);
    }

    void creditContinuesRunningSessions()
    {
        Counter c;
        QVERIFY(c.accounts.addCredit({u"Maria"_s, {}, true, 1, 45, u"2,5"_s}));
        COMPARE_RECORDS(c.table(), c.tableColumns,
                        "maria | | 2:15:00 | - | 1.0 \n muñoz | x | 0:50:10 | - | 1.0");
        COMPARE_RECORDS(c.journal(), c.journalColumns,
                        "2026-12-04 | 09:05:03 | 2.5 | maria | | AUMENTO DE SALDO | Marta");
        // The session continues with the new credit and counts it down from there.
        QCOMPARE(c.stations.at(1).tiempo, u"2:15:00"_s);
        QCOMPARE(c.stations.at(1).vartipex3, u"2:25:00"_s);
        QVERIFY(c.stations.at(0).tiempo == u"0:00:00"_s);
        c.metering.tick();
        QCOMPARE(c.stations.at(1).tiempo, u"2:14:59"_s);

        // A journal that refuses leaves credit and session as they were.
        c.store.exec(u"CREATE TRIGGER full BEFORE INSERT ON INFORMES BEGIN SELECT RAISE(ABORT, "
                     u"'disco lleno'); END"_s);
        const Station before = c.stations.at(1);
        const test::Records table = c.table();
        QVERIFY(!c.accounts.addCredit({u"maria"_s, {}, false, 1, 0, u"1"_s}));
        COMPARE_STATIONS(c.stations.at(1), before);
        COMPARE_RECORDS(c.table(), c.tableColumns, table);
        QVERIFY(!c.accounts.addCredit({u"nadie"_s, {}, false, 1, 0, u"1"_s}));
    }

    void stationLogsInOnANewAccount()
    {
        Counter c;
        RequestDispatcher requests{
            {c.stations, c.actions, c.store.db(), c.sender, c.messages, c.clock}};
        QVERIFY(c.accounts.create({u"Begoña"_s, {}, false, 0, 45, u"0,75"_s, 1.0f}));
        requests.dispatch(0, u"GETSTART#LVX#BEGOÑA#LVX#nueva"_s);
        const Station& s = c.stations.at(0);
        COMPARE_FIELDS("PREPAGO | BEGOÑA | 0:45:00", "modo | usuario | vartipex3", s.modo,
                       s.usuario, s.vartipex3);
        // The empty password was set by that first login.
        QCOMPARE(c.store.scalar(u"SELECT PASSWORD FROM CUENTAS WHERE USER = 'Begoña'"_s),
                 QVariant(u"nueva"_s));
    }

    void editChecksEachField_data()
    {
        // Stored "-": refused, unchanged.
        test::addRows("field | typed | stored", R"(
    time          |1|1:5   |1:05:00
    time refused  |1|mucho |-
    date          |2|3/1/2027|3/1/2027
    date refused  |2|31/2/2027|-
    rate          |3|0,455 |0.46
    rate refused  |3|-1    |-
    expiry free   |4|nunca |nunca
    )");
    }
    void editChecksEachField()
    {
        QFETCH(test::Row, r);
        Counter c;
        static const char* const columns[] = {"PASSWORD", "TIMERES", "LASTVISIT", "TARIFBAS",
                                              "TIMECAD"};
        const int field = r.number(u"field");
        const QString sql = u"SELECT ifnull(%1, '-') FROM CUENTAS WHERE rowid = 1"_s.arg(
            QLatin1StringView(columns[field]));
        const QString before = c.store.scalar(sql).toString();
        const bool refused = r[u"stored"] == u"-"_s;
        QCOMPARE(c.accounts.edit(1, Accounts::Field(field), r[u"typed"]), !refused);
        QCOMPARE(c.store.scalar(sql).toString(), refused ? before : r[u"stored"]);
    }
};

QTEST_GUILESS_MAIN(TestAccounts)
#include "tst_accounts.moc"
