#include "billing/journal.h"
#include "core/settings.h"
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "link/requests.h"
#include "link/wire.h"
#include "operators/operatorsession.h"
#include "stations/display.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString Wrong = u"Usuario/Contraseña INCORRECTA"_s;
const QString NoCredit = u"Cuenta sin credito..."_s;

Station station(const QString& pc, const QString& code = {}, const QString& modo = {},
                const QString& usuario = {})
{
    Station s;
    s.pc = pc;
    s.LSTIPS = u"10.0.0."_s + pc.right(1);
    s.LSTCLWA = code;
    s.modo = modo;
    s.usuario = usuario;
    s.tiempo = u"0:00:00"_s;
    s.sub = s.total = s.vartipex = u"0,00"_s;
    return s;
}

// Three stations, the accounts of the café, and the link's two sides as the console has them.
struct Counter : test::CounterServices {
    RequestDispatcher requests{{stations, store.db(), sender, messages, clock}};

    Counter()
    {
        stations.setStations({station(u"PC01"_s), station(u"PC02"_s), station(u"PC03"_s)});
        addAccount(u"ana"_s, u"Clave"_s, u"1:00:00"_s, 0.8);
        addAccount(u"beto"_s, QVariant(), u"0:30:00"_s, 1.0);
        addAccount(u"cero"_s, u"x"_s, u"0:00:45"_s, 1.0);
        addAccount(u"nulo"_s, u"x"_s, QVariant(), 1.0);
        addAccount(u"o'hara\"; DROP TABLE CUENTAS; --"_s, u"q"_s, u"2:05:00"_s, 1.25);
        addAccount(u"ana"_s, u"otra"_s, u"9:00:00"_s, 2.0); // a later row of the same name
    }

    void addAccount(const QString& user, const QVariant& password, const QVariant& time,
                    double rate)
    {
        QVERIFY(store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) "
                           u"VALUES (?, ?, ?, ?)"_s,
                           {user, password, time, rate}));
    }

    QString storedPassword(const QString& user)
    {
        return store.scalar(u"SELECT PASSWORD FROM CUENTAS WHERE USER = ? ORDER BY rowid"_s, {user})
            .toString();
    }

    int journalRows() { return store.scalar(u"SELECT COUNT(*) FROM INFORMES"_s).toInt(); }
};

} // namespace

class TestRequests : public QObject {
    Q_OBJECT
private slots:
    void simpleRequests_data();
    void simpleRequests();
    void accountLogin_data();
    void accountLogin();
    void firstLoginSetsThePassword();
    void logoutLeavesTheStateCode();
    void hostileInputLeavesTheStoreAlone();

    void lock_data();
    void lock();
    void toolbarLockAsksWhenConfigured_data();
    void toolbarLockAsksWhenConfigured();
    void agentCommands_data();
    void agentCommands();
    void shutdownAllSkipsClosedStations();
    void chatRows();
    void commandsNeedAStation();

    void icons_data();
    void icons();
    void commandEnabling_data();
    void commandEnabling();
};

void TestRequests::simpleRequests_data()
{
    QTest::addColumn<QString>("code");     // station's state code before
    QTest::addColumn<QString>("text");     // received
    QTest::addColumn<QString>("pcnames");  // after
    QTest::addColumn<QString>("mac");      // after
    QTest::addColumn<QString>("newCode");  // after
    QTest::addColumn<QString>("modo");     // after
    QTest::addColumn<QStringList>("sent"); // to the station
    QTest::addColumn<int>("refreshes");    // of the command enabling

    const QString none = u"-"_s;
    QTest::newRow("name in upper case") << ""
                                        << "GETNAME#LVX#pc03" << u"\\\\PC03"_s << none << ""
                                        << "" << QStringList() << 1;
    QTest::newRow("two messages in one read are one")
        << ""
        << "GETNAME#LVX#PC1GETMAC#LVX#AA" << u"\\\\PC1GETMAC"_s << none << ""
        << "" << QStringList() << 1;
    QTest::newRow("mac in upper case") << ""
                                       << "GETMAC#LVX#aa:bb:0c" << none << "AA:BB:0C"
                                       << ""
                                       << "" << QStringList() << 1;
    QTest::newRow("missing field ignored") << ""
                                           << "GETMAC" << none << none << ""
                                           << "" << QStringList() << 0;
    QTest::newRow("display name asked") << ""
                                        << "GETNAMEX#LVX#extra" << none << none << ""
                                        << "" << QStringList{u"GETNAMEX#LVX#PC02#LVXF#"_s} << 1;
    QTest::newRow("counter start press") << "2"
                                         << "GETSTART2" << none << none << "1"
                                         << "CONTADOR" << QStringList() << 0;
    QTest::newRow("prepaid start press") << "4"
                                         << "GETSTART2#LVX#x" << none << none << "3"
                                         << "PREPAGO" << QStringList() << 0;
    QTest::newRow("start press while running") << "1"
                                               << "GETSTART2" << none << none << "1"
                                               << "" << QStringList() << 0;
    QTest::newRow("terminator is part of the keyword") << "2"
                                                       << "GETSTART2#LVXF#" << none << none << "2"
                                                       << "" << QStringList() << 1;
    QTest::newRow("keyword compared with case") << "2"
                                                << "getstart2" << none << none << "2"
                                                << "" << QStringList() << 1;
    QTest::newRow("login without password field ignored")
        << ""
        << "GETSTART#LVX#ana" << none << none << ""
        << "" << QStringList() << 0;
}

void TestRequests::simpleRequests()
{
    QFETCH(QString, code);
    QFETCH(QString, text);
    QFETCH(QString, pcnames);
    QFETCH(QString, mac);
    QFETCH(QString, newCode);
    QFETCH(QString, modo);
    QFETCH(QStringList, sent);
    QFETCH(int, refreshes);

    Counter c;
    c.stations.update(1, [&](Station& s) {
        s.LSTCLWA = code;
        s.pcnames = s.LSTMACS = u"-"_s;
    });
    QSignalSpy refreshed(&c.requests, &RequestDispatcher::stationCommandsChanged);
    c.requests.dispatch(1, text);

    const Station& s = c.stations.at(1);
    QCOMPARE(s.pcnames, pcnames);
    QCOMPARE(s.LSTMACS, mac);
    QCOMPARE(s.LSTCLWA, newCode);
    QCOMPARE(s.modo, modo);
    QCOMPARE(c.links.sentTo(1), sent);
    QCOMPARE(refreshed.count(), refreshes);
    QCOMPARE(c.stations.at(0), station(u"PC01"_s)); // the other stations are not touched
}

void TestRequests::accountLogin_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("elsewhere"); // "Usuario" shown at PC01
    QTest::addColumn<QString>("reply");     // MSGBOX3 text, "" for none
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("credit");

    QTest::newRow("accepted") << "GETSTART#LVX#ana#LVX#Clave"
                              << ""
                              << "" << true << "0,8"
                              << "1:00:00";
    QTest::newRow("name in another case finds the account") << "GETSTART#LVX#ANA#LVX#Clave"
                                                            << ""
                                                            << "" << true << "0,8"
                                                            << "1:00:00";
    QTest::newRow("password compared with case") << "GETSTART#LVX#ana#LVX#clave"
                                                 << "" << Wrong << false << ""
                                                 << "";
    QTest::newRow("second row of a name is never used") << "GETSTART#LVX#ana#LVX#otra"
                                                        << "" << Wrong << false << ""
                                                        << "";
    QTest::newRow("unknown user") << "GETSTART#LVX#nadie#LVX#x"
                                  << "" << Wrong << false << ""
                                  << "";
    QTest::newRow("seconds are no credit") << "GETSTART#LVX#cero#LVX#x"
                                           << "" << NoCredit << false << ""
                                           << "";
    QTest::newRow("no time is no credit") << "GETSTART#LVX#nulo#LVX#x"
                                          << "" << NoCredit << false << ""
                                          << "";
    QTest::newRow("no credit is told before a wrong password") << "GETSTART#LVX#cero#LVX#mal"
                                                               << "" << NoCredit << false << ""
                                                               << "";
    QTest::newRow("logged in elsewhere: silence") << "GETSTART#LVX#ana#LVX#mal"
                                                  << "ana"
                                                  << "" << false << ""
                                                  << "";
    QTest::newRow("elsewhere in another case is not the same") << "GETSTART#LVX#ana#LVX#Clave"
                                                               << "ANA"
                                                               << "" << true << "0,8"
                                                               << "1:00:00";
    QTest::newRow("quotes and SQL are a name")
        << "GETSTART#LVX#o'hara\"; DROP TABLE CUENTAS; --#LVX#q"
        << ""
        << "" << true << "1,25"
        << "2:05:00";
    QTest::newRow("extra fields ignored") << "GETSTART#LVX#ana#LVX#Clave#LVX#more"
                                          << ""
                                          << "" << true << "0,8"
                                          << "1:00:00";
}

void TestRequests::accountLogin()
{
    QFETCH(QString, text);
    QFETCH(QString, elsewhere);
    QFETCH(QString, reply);
    QFETCH(bool, accepted);
    QFETCH(QString, rate);
    QFETCH(QString, credit);

    Counter c;
    c.stations.update(0, [&](Station& s) { s.usuario = elsewhere; });
    c.stations.update(1, [](Station& s) {
        s.TARIFM = u"TC"_s;
        s.vartipex = u"1,50"_s; // left by an earlier session
        s.total = u"3,00"_s;
    });
    const Station before = c.stations.at(1);
    QSignalSpy refreshed(&c.requests, &RequestDispatcher::stationCommandsChanged);
    c.requests.dispatch(1, text);

    QCOMPARE(c.links.sentTo(1), reply.isEmpty()
                                    ? QStringList()
                                    : QStringList{u"MSGBOX3#LVX#"_s + reply + u"#LVXF#"_s});
    QCOMPARE(refreshed.count(), accepted ? 1 : 0);
    QCOMPARE(c.store.scalar(u"SELECT COUNT(*) FROM CUENTAS"_s).toInt(), 6);
    const Station& s = c.stations.at(1);
    if (!accepted) {
        QCOMPARE(s, before);
        return;
    }
    QCOMPARE(s.LSTCLWA, u"3"_s);
    QCOMPARE(s.modo, u"PREPAGO"_s);
    QCOMPARE(s.usuario, Wire::split(text).at(1)); // as typed
    QCOMPARE(s.LSTTARBAS, rate);
    QCOMPARE(s.vartipex3, credit);
    QCOMPARE(s.vartipex2, u"0:00:00"_s);
    QCOMPARE(s.sub, u"0,00"_s);
    QCOMPARE(s.total, u"0,00"_s);
    QCOMPARE(s.vartipex, u"0,00"_s);
    QCOMPARE(s.TARIFM, QString());
}

void TestRequests::firstLoginSetsThePassword()
{
    Counter c;
    c.requests.dispatch(2, u"GETSTART#LVX#Beto#LVX#Nueva"_s);
    QCOMPARE(c.stations.at(2).usuario, u"Beto"_s);
    QCOMPARE(c.storedPassword(u"beto"_s), u"Nueva"_s);

    c.requests.dispatch(2, u"GETOUT"_s);
    c.requests.dispatch(0, u"GETSTART#LVX#beto#LVX#otra"_s);
    QCOMPARE(c.links.sentTo(0), QStringList{u"MSGBOX3#LVX#"_s + Wrong + u"#LVXF#"_s});
    QCOMPARE(c.storedPassword(u"beto"_s), u"Nueva"_s);
    c.requests.dispatch(0, u"GETSTART#LVX#beto#LVX#Nueva"_s);
    QCOMPARE(c.stations.at(0).LSTCLWA, u"3"_s);
}

void TestRequests::logoutLeavesTheStateCode()
{
    Counter c;
    c.requests.dispatch(1, u"GETSTART#LVX#ana#LVX#Clave"_s);
    c.stations.update(1, [](Station& s) {
        s.tiempo = u"0:59:10"_s;
        s.vartipex2 = u"0:00:50"_s;
        s.sub = u"0,11"_s;
    });
    QSignalSpy refreshed(&c.requests, &RequestDispatcher::stationCommandsChanged);
    c.requests.dispatch(1, u"GETOUT"_s);

    const Station& s = c.stations.at(1);
    QCOMPARE(s.modo, QString());
    QCOMPARE(s.usuario, QString());
    QCOMPARE(s.tiempo, u"0:00:00"_s);
    QCOMPARE(s.sub, u"0,00"_s);
    QCOMPARE(s.LSTCLWA, u"3"_s);
    QCOMPARE(s.vartipex2, u"0:00:50"_s);
    QCOMPARE(s.vartipex3, u"1:00:00"_s);
    QCOMPARE(refreshed.count(), 1);
    QCOMPARE(c.store.scalar(u"SELECT TIMERES FROM CUENTAS WHERE USER = 'ana' ORDER BY rowid"_s),
             QVariant(u"1:00:00"_s));
}

// Whatever an agent sends, the console goes on, the store keeps its rows and the other stations
// are left alone.
void TestRequests::hostileInputLeavesTheStoreAlone()
{
    Counter c;
    const QString accounts =
        u"SELECT group_concat(USER || PASSWORD || TIMERES, '|') FROM CUENTAS"_s;
    const QVariant before = c.store.scalar(accounts);

    QList<QByteArray> inputs{QByteArray(),
                             QByteArray("#LVX#").repeated(1000),
                             QByteArray("GETNAME#LVX#") + QByteArray(4 << 20, 'x'),
                             QByteArray("MSGBOX#LVX#\x81\x8d\x8f\x90\x9d\xff\x00z", 20),
                             QByteArray("GETSTART#LVX#' OR '1'='1#LVX#' OR '1'='1"),
                             QByteArray("GETSTART#LVX#%#LVX#_")};
    QRandomGenerator random(20261206);
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes(random.bounded(64), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(256));
        // Valid keywords with random fields reach the handlers.
        static const char* const keywords[] = {"GETNAME", "GETMAC",    "GETSTART", "MSGBOX",
                                               "GETOUT",  "GETSTART2", "GETNAMEX"};
        inputs << QByteArray(keywords[i % 7]) + "#LVX#" + bytes << bytes;
    }
    for (const QByteArray& input : inputs)
        c.requests.dispatchBytes(1, input);
    c.requests.dispatchBytes(7, "GETNAME#LVX#fuera"); // not a listed station

    QCOMPARE(c.store.scalar(accounts), before);
    QCOMPARE(c.stations.at(0), station(u"PC01"_s));
    QCOMPARE(c.stations.at(2), station(u"PC03"_s));
    QVERIFY(c.stations.at(1).pcnames.startsWith(u"\\\\"_s));
}

void TestRequests::lock_data()
{
    QTest::addColumn<QString>("modo");
    QTest::addColumn<QString>("tiempo");
    QTest::addColumn<QString>("restore");
    QTest::addColumn<int>("journalRows");
    QTest::addColumn<QString>("total");

    QTest::newRow("counter under a minute") << "CONTADOR"
                                            << "0:00:59"
                                            << "1" << 0 << "0,00";
    QTest::newRow("counter of a minute") << "CONTADOR"
                                         << "0:01:00"
                                         << "1" << 1 << "0,00";
    QTest::newRow("counter of an hour") << "CONTADOR"
                                        << "1:00:05"
                                        << "1" << 1 << "0,00";
    QTest::newRow("prepaid is not journalled") << "PREPAGO"
                                               << "0:20:00"
                                               << "1" << 0 << "0,00";
    QTest::newRow("waiting") << "EN ESPERA"
                             << "0:00:00"
                             << "1" << 0 << "0,00";
    QTest::newRow("counters kept") << "CONTADOR"
                                   << "0:05:00"
                                   << "0" << 1 << "7,25";
}

void TestRequests::lock()
{
    QFETCH(QString, modo);
    QFETCH(QString, tiempo);
    QFETCH(QString, restore);
    QFETCH(int, journalRows);
    QFETCH(QString, total);

    Counter c;
    c.memory.write(u"restorecounters"_s, restore);
    c.stations.update(1, [&](Station& s) {
        s.modo = modo;
        s.LSTCLWA = u"1"_s;
        s.tiempo = s.vartipex2 = tiempo;
        s.vartipex3 = u"1:00:00"_s;
        s.usuario = u"luis"_s;
        s.sub = s.vartipex = u"1,25"_s;
        s.total = u"7,25"_s;
    });
    QSignalSpy journalChanged(&c.commands, &RemoteCommands::journalChanged);
    c.commands.LOCKPC(1);

    const Station& s = c.stations.at(1);
    QCOMPARE(s.modo, QString());
    QCOMPARE(s.LSTCLWA, QString());
    QCOMPARE(s.usuario, QString());
    QCOMPARE(s.tiempo, u"0:00:00"_s);
    QCOMPARE(s.vartipex2, u"0:00:00"_s);
    QCOMPARE(s.vartipex3, u"0:00:00"_s);
    QCOMPARE(s.sub, u"0,00"_s);
    QCOMPARE(s.vartipex, u"0,00"_s);
    QCOMPARE(s.total, total);
    QCOMPARE(c.journalRows(), journalRows);
    QCOMPARE(journalChanged.count(), 1);
    if (journalRows) {
        QCOMPARE(c.store.scalar(u"SELECT VALOR || USER || PC || DESCRIP || OPERADOR "
                                u"FROM INFORMES"_s),
                 QVariant(u"1.25luisPC02CONTADORMarta"_s));
    }
    QVERIFY(c.links.sent.isEmpty()); // the agent learns it from the next status
}

void TestRequests::toolbarLockAsksWhenConfigured_data()
{
    QTest::addColumn<QString>("questitolock");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("locked");

    QTest::newRow("not configured") << "0" << QList<bool>() << true;
    QTest::newRow("asked, yes") << "1" << QList<bool>{true} << true;
    QTest::newRow("asked, no") << "1" << QList<bool>{false} << false;
    QTest::newRow("only exactly 1 asks") << "1 " << QList<bool>() << true;
}

void TestRequests::toolbarLockAsksWhenConfigured()
{
    QFETCH(QString, questitolock);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, locked);

    Counter c;
    c.memory.write(u"questitolock"_s, questitolock);
    c.stations.update(2, [](Station& s) { s.modo = StationMode::Counter; });
    for (bool answer : answers)
        c.prompts.answerNext(answer);
    c.commands.LockPC2(2);
    QCOMPARE(c.stations.at(2).modo.isEmpty(), locked);
    QCOMPARE(c.prompts.questions.size(), answers.size());
    if (!answers.isEmpty())
        QCOMPARE(c.prompts.questions.first(), u"Desea bloquear ? \nPuesto :PC03"_s);

    // The menu's lock never asks.
    c.stations.update(2, [](Station& s) { s.modo = StationMode::Counter; });
    c.commands.LOCKPC(2);
    QCOMPARE(c.stations.at(2).modo, QString());
    QCOMPARE(c.prompts.questions.size(), answers.size());
}

void TestRequests::agentCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("bytes");

    using C = RemoteCommands::AgentCommand;
    QTest::newRow("close programs")
        << int(C::ClosePrograms) << "Cerrar programas abiertos ? en PC02"
        << "9#LVX#9#LVXF#";
    QTest::newRow("close agent") << int(C::CloseAgent) << "Cerrar Vigilo en PC02"
                                 << "5#LVX#5#LVXF#";
    QTest::newRow("close session") << int(C::CloseSession) << "Cerrar sesion PC02"
                                   << "8#LVX#8#LVXF#";
    QTest::newRow("restart") << int(C::Restart) << "Reiniciar Puesto PC02"
                             << "7#LVX#7#LVXF#";
    QTest::newRow("shut down") << int(C::ShutDown) << "Apagar Puesto PC02"
                               << "6#LVX#6#LVXF#";
}

void TestRequests::agentCommands()
{
    QFETCH(int, command);
    QFETCH(QString, question);
    QFETCH(QString, bytes);

    Counter c;
    c.prompts.answerNext(false);
    c.commands.send(1, RemoteCommands::AgentCommand(command));
    QVERIFY(c.links.sent.isEmpty());
    c.prompts.answerNext(true);
    c.commands.send(1, RemoteCommands::AgentCommand(command));
    QCOMPARE(c.prompts.questions, QStringList({question, question}));
    QCOMPARE(c.links.sentTo(1), QStringList{bytes});
}

void TestRequests::shutdownAllSkipsClosedStations()
{
    Counter c;
    c.links.closed << 1;
    c.commands.Shutdownall();
    QCOMPARE(c.links.sentTo(0), QStringList{u"6#LVX#6#LVXF#"_s});
    QCOMPARE(c.links.sentTo(1), QStringList());
    QCOMPARE(c.links.sentTo(2), QStringList{u"6#LVX#6#LVXF#"_s});
    QVERIFY(c.prompts.questions.isEmpty());

    c.commands.setVolume(2, 35);
    QCOMPARE(c.links.sentTo(2).last(), u"SETVOL#LVX#35#LVXF#"_s);
}

void TestRequests::chatRows()
{
    Counter c;
    c.clock.set(QDateTime(QDate(2026, 12, 4), QTime(9, 5, 3)));
    c.requests.dispatch(2, u"MSGBOX#LVX#¿Me trae un café?"_s);
    QVERIFY(c.commands.chat(0, u"Enseguida"_s));
    c.links.closed << 1;
    QVERIFY(c.commands.chat(1, u"Nadie escucha"_s));
    OperatorRecord chatter{u"Jefa"_s, {}, {}};
    chatter.rights[std::size_t(Right::ChatWithServer)] = true;
    c.session.logIn(chatter);
    c.clock.set(QDateTime(QDate(2026, 12, 4), QTime(23, 59, 10)));
    QVERIFY(c.commands.chat(2, u"Ya voy"_s));

    using Row = MessageList::Row;
    QCOMPARE(c.messages.rows(), (QList<Row>{{u"PC03"_s, u"9:5:3"_s, u"¿Me trae un café?"_s},
                                            {u"S > PC01"_s, u"9:5:3"_s, u"Enseguida"_s},
                                            {u"S > PC02"_s, u"9:5:3"_s, u"Nadie escucha"_s},
                                            {u"S > PC03"_s, u"23:59:10"_s, u"Ya voy"_s}}));
    QCOMPARE(c.links.sentTo(0), QStringList{u"MSGBOX#LVX#Enseguida#LVXF#"_s});
    QCOMPARE(c.links.sentTo(1), QStringList());
    QCOMPARE(c.links.sentTo(2), QStringList{u"MSGBOX2#LVX#Ya voy#LVXF#"_s});

    QSignalSpy cleared(&c.messages, &MessageList::cleared);
    c.commands.clearMessages();
    QVERIFY(c.messages.rows().isEmpty());
    QCOMPARE(cleared.count(), 1);
}

void TestRequests::commandsNeedAStation()
{
    Counter c;
    c.stations.update(0, [](Station& s) { s.modo = StationMode::Counter; });
    for (int index : {-1, 3}) {
        c.commands.LOCKPC(index);
        c.commands.LockPC2(index);
        c.commands.send(index, RemoteCommands::AgentCommand::ShutDown);
        c.commands.setVolume(index, 10);
        QVERIFY(!c.commands.chat(index, u"hola"_s));
    }
    QVERIFY(c.links.sent.isEmpty());
    QVERIFY(c.prompts.questions.isEmpty());
    QVERIFY(c.messages.rows().isEmpty());
    QCOMPARE(c.stations.at(0).modo, u"CONTADOR"_s);
}

void TestRequests::icons_data()
{
    QTest::addColumn<QString>("modo");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("icon");
    QTest::newRow("busy, connected") << "PREPAGO"
                                     << "1"
                                     << "imghabilitar";
    QTest::newRow("waiting, connected") << "EN ESPERA"
                                        << "1"
                                        << "imghabilitar";
    QTest::newRow("free, connected") << ""
                                     << "1"
                                     << "imgbloqueado";
    QTest::newRow("busy, lost") << "CONTADOR"
                                << "0"
                                << "imgdesconectado";
    QTest::newRow("free, never tried") << ""
                                       << ""
                                       << "imgdesconectado";
}

void TestRequests::icons()
{
    QFETCH(QString, modo);
    QFETCH(QString, link);
    QFETCH(QString, icon);
    StationTable table;
    Station s = station(u"PC01"_s, {}, modo);
    s.LSTESTTUS = link;
    table.setStations({s});
    QSignalSpy changed(&table, &StationTable::stationChanged);
    UPDATEICONS(table, 0);
    UPDATEICONS(table, 0);
    UPDATEICONS(table, 1);
    QCOMPARE(table.at(0).icon, icon);
    QCOMPARE(changed.count(), icon == s.icon ? 0 : 1); // an unchanged icon is not set again
}

void TestRequests::commandEnabling_data()
{
    QTest::addColumn<QString>("modo");
    QTest::addColumn<QString>("usuario");
    QTest::addColumn<bool>("right");
    QTest::addColumn<int>("count");
    // habilitar bloquear cobrar modo aumentar intercambiar; menu habilitar bloquear aumentar
    QTest::addColumn<QString>("enabled");

    QTest::newRow("free") << ""
                          << "" << true << 3 << "100001 100";
    QTest::newRow("free, one station") << ""
                                       << "" << true << 1 << "100000 100";
    QTest::newRow("counter") << "CONTADOR"
                             << "" << true << 3 << "011101 010";
    QTest::newRow("counter with customer") << "CONTADOR"
                                           << "ana" << true << 3 << "010101 010";
    QTest::newRow("waiting") << "EN ESPERA"
                             << "" << true << 3 << "011101 010";
    QTest::newRow("prepaid with right") << "PREPAGO"
                                        << "" << true << 3 << "011111 011";
    QTest::newRow("prepaid without right") << "PREPAGO"
                                           << "" << false << 2 << "011101 011";
    QTest::newRow("account session") << "PREPAGO"
                                     << "ana" << true << 3 << "010011 011";
    QTest::newRow("account session without right") << "PREPAGO"
                                                   << "ana" << false << 3 << "010001 011";
}

void TestRequests::commandEnabling()
{
    QFETCH(QString, modo);
    QFETCH(QString, usuario);
    QFETCH(bool, right);
    QFETCH(int, count);
    QFETCH(QString, enabled);

    StationTable table;
    std::vector<Station> list(std::size_t(count), station(u"PC09"_s));
    list[0] = station(u"PC01"_s, u"1"_s, modo, usuario);
    table.setStations(list);
    OperatorSession session;
    OperatorRecord op{u"Marta"_s, {}, {}};
    op.rights[std::size_t(Right::IncrementAccounts)] = right;
    session.logIn(op);

    const StationCommands c = EnDisOpc(table, 0, session, StationCommands());
    QString got;
    for (bool b : {c.habilitar, c.bloquear, c.cobrar, c.modo, c.aumentar, c.intercambiar})
        got += b ? u'1' : u'0';
    got += u' ';
    for (bool b : {c.menuHabilitar, c.menuBloquear, c.menuAumentar})
        got += b ? u'1' : u'0';
    QCOMPARE(got, enabled);
    QCOMPARE(c.menuIntercambiar, c.intercambiar);

    // No selection, or no station: nothing changes.
    StationCommands mixed;
    mixed.bloquear = false;
    QCOMPARE(EnDisOpc(table, -1, session, mixed), mixed);
    QCOMPARE(EnDisOpc(StationTable(), 0, session, mixed), mixed);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestRequests)
#include "tst_requests.moc"
