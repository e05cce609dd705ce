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
    QString table()
    {
        return store
            .scalar(u"SELECT group_concat(USER || ':' || ifnull(PASSWORD, '-') || ':' || "
                    u"TIMERES || ':' || ifnull(LASTVISIT, '-') || ':' || "
                    u"ifnull(TARIFBAS, '-'), ' ') FROM CUENTAS"_s)
            .toString();
    }
    QString journal()
    {
        return store
            .scalar(u"SELECT group_concat(FECHA || '|' || ifnull(HORA, 'null') || '|' || "
                    u"VALOR || '|' || USER || '|' || PC || '|' || DESCRIP || '|' || "
                    u"ifnull(OPERADOR, 'null'), ' ') FROM INFORMES"_s)
            .toString();
    }
};

const QString Before = u"maria:1234:0:30:00:-:1.0 muñoz:x:0:50:10:-:1.0"_s;

} // namespace

class TestAccounts : public QObject {
    Q_OBJECT
private slots:
    void creditCarriesMinutes_data()
    {
        // credit | hours | minutes | after
        test::addRows(R"(
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
        QFETCH(QStringList, f);
        QCOMPARE(Accounts::creditAfter(f[0], f[1].toInt(), f[2].toInt()), f[3]);
    }

    void searchIsAPrefixOfTheName_data()
    {
        test::addRows(R"(
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
        QFETCH(QStringList, f);
        test::CounterServices c;
        for (const char* user :
             {"jose", "joan", "ajo", "JOSÉ", "50%off", "a_b", "axb", "*x", "o'hara"})
            c.store.exec(u"INSERT INTO CUENTAS (USER) VALUES (?)"_s, {QString::fromUtf8(user)});
        QStringList found;
        const std::vector<Account> accounts = c.accounts.search(f[0]).value();
        for (const Account& a : accounts)
            found << a.user;
        QCOMPARE(found.join(u' '), f[1]);
    }

    void createWritesAccountAndJournalTogether()
    {
        Counter c;
        QVERIFY(c.accounts.create({u" ana "_s, u"pw"_s, false, 2, 5, u"2,10"_s, 1.0f}));
        QCOMPARE(c.table(), Before + u" ana:pw:2:05:00:4/12/2026:1.0"_s);
        QCOMPARE(c.journal(), u"2026-12-04|null|2.1|ana||CUENTA NUEVA|null"_s);

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
        QCOMPARE(c.table(), u"maria::2:15:00:-:1.0 muñoz:x:0:50:10:-:1.0"_s);
        QCOMPARE(c.journal(), u"2026-12-04|09:05:03|2.5|maria||AUMENTO DE SALDO|Marta"_s);
        // The session continues with the new credit and counts it down from there.
        QCOMPARE(c.stations.at(1).tiempo + u' ' + c.stations.at(1).vartipex3, u"2:15:00 2:25:00"_s);
        QVERIFY(c.stations.at(0).tiempo == u"0:00:00"_s);
        c.metering.tick();
        QCOMPARE(c.stations.at(1).tiempo, u"2:14:59"_s);

        // A journal that refuses leaves credit and session as they were.
        c.store.exec(u"CREATE TRIGGER full BEFORE INSERT ON INFORMES BEGIN SELECT RAISE(ABORT, "
                     u"'disco lleno'); END"_s);
        const Station before = c.stations.at(1);
        const QString table = c.table();
        QVERIFY(!c.accounts.addCredit({u"maria"_s, {}, false, 1, 0, u"1"_s}));
        QVERIFY(c.stations.at(1) == before && c.table() == table);
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
        QCOMPARE(s.modo + u' ' + s.usuario + u' ' + s.vartipex3, u"PREPAGO BEGOÑA 0:45:00"_s);
        // The empty password was set by that first login.
        QCOMPARE(c.store.scalar(u"SELECT PASSWORD FROM CUENTAS WHERE USER = 'Begoña'"_s),
                 QVariant(u"nueva"_s));
    }

    void editChecksEachField_data()
    {
        // field | typed | stored ("-": refused, unchanged)
        test::addRows(R"(
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
        QFETCH(QStringList, f);
        Counter c;
        static const char* const columns[] = {"PASSWORD", "TIMERES", "LASTVISIT", "TARIFBAS",
                                              "TIMECAD"};
        const int field = f[0].toInt();
        const QString sql = u"SELECT ifnull(%1, '-') FROM CUENTAS WHERE rowid = 1"_s.arg(
            QLatin1StringView(columns[field]));
        const QString before = c.store.scalar(sql).toString();
        QCOMPARE(c.accounts.edit(1, Accounts::Field(field), f[1]), f[2] != u"-"_s);
        QCOMPARE(c.store.scalar(sql).toString(), f[2] == u"-"_s ? before : f[2]);
    }
};

QTEST_GUILESS_MAIN(TestAccounts)
#include "tst_accounts.moc"
