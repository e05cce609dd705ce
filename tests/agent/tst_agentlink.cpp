// The station agent against the console's own link, over loopback: two real agents (their link
// and rules, the system actions faked) and the console's sockets, supervision, requests,
// commands, metering and opening of stations on a data store.
#include "agent/agentlink.h"
#include "agentfakes.h"
#include "metering/metering.h"
#include "support/testsupport.h"
#include "tariffs/openstation.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

using agent::AgentCore;
using agent::AgentLink;
using agent::Screen;

namespace {

// A station's agent listening on a loopback address of its own; its steady clock is the test's.
struct Agent : agent::test::AgentUnderTest {
    int number;
    AgentLink link;
    qint64 nowMs = 0;

    explicit Agent(int n) : number(n), link({u"pc%1"_s.arg(n), u"aa:bb:cc:00:00:0%1"_s.arg(n)})
    {
        link.setConsoles({u"127.0.0.1"_s}); // where the console dials from
        onSend = [this](const QString& k, const QStringList& f) { link.send(k, f); };
        QObject::connect(&link, &AgentLink::connected, &core, &AgentCore::connected);
        QObject::connect(
            &link, &AgentLink::received, &core,
            [this](const QString& k, const QStringList& f) { core.received(k, f, nowMs); });
    }
    bool listen() { return link.listen(QHostAddress(u"127.0.3.%1"_s.arg(number)), 0); }
    QString address() const { return u"127.0.3.%1:%2"_s.arg(number).arg(link.port()); }
    Screen screen() const { return core.view().screen; }
};

// The counter PC, linked to its two stations through real sockets; Marta is the operator.
struct Cafe : test::LinkedCounter {
    Metering linkedMetering{{stations, rows, store.db(), settings, wire, journal, clock}};
    OpenStation open{stations, actions, settings, prompts};

    // Stations PC01, PC02... are the agents at these addresses.
    explicit Cafe(const QStringList& addresses) : LinkedCounter(addresses)
    {
        store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                   u"('Normal', 1.2, 0.1, 'ST')"_s);
        store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) VALUES "
                   u"('ana', 'Clave', '2:00:00', 0.6)"_s);
        memory.write(u"timetoend"_s, u"1"_s);
        open.loadTariffs(store.db());
        open.choose(0);
    }
    // A round of statuses, and the time for them to arrive.
    void round()
    {
        supervision.tick();
        QTest::qWait(20);
    }
    // One second of the café: the clock, the metering and a round of statuses.
    void second()
    {
        clock.set(clock.now().addSecs(1));
        linkedMetering.tick();
        round();
    }
};

} // namespace

class TestAgentLink : public QObject {
    Q_OBJECT
private slots:
    void aDayWithTwoAgents();
    void lostConsole_data();
    void lostConsole();
    void onlyTheConsoleMayConnect();
};

// Open a station, run a prepaid one out, log an account in from the agent's form, chat.
void TestAgentLink::aDayWithTwoAgents()
{
    Agent first(1), second(2);
    QVERIFY(first.listen() && second.listen());
    Cafe cafe({first.address(), second.address()});
    cafe.round(); // connect
    QTRY_VERIFY(cafe.sockets.isConnected(0) && cafe.sockets.isConnected(1));
    cafe.round();
    QTRY_COMPARE(cafe.stations.at(1).pcnames, u"\\\\PC2"_s);
    QTRY_COMPARE(cafe.stations.at(1).LSTMACS, u"AA:BB:CC:00:00:02"_s);
    QTRY_COMPARE(first.core.view().stationName, u"PC01"_s); // GETNAMEX answered
    QCOMPARE(first.screen(), Screen::Locked);

    // Counting on PC01: the agent unlocks and shows the time.
    QCOMPARE(cafe.open.accept(OpenMode::Open, 0, {false, false, 0, 0}),
             OpenStation::Outcome::Written);
    cafe.second();
    QTRY_COMPARE(first.screen(), Screen::Running);
    QCOMPARE(first.core.view().time, u"0:00:01"_s);
    QCOMPARE(second.screen(), Screen::Locked);

    // Two prepaid minutes on PC02, which closes the programs when the time is up.
    cafe.wire.send(1, u"BLOCKOPT"_s, {u"1"_s, u"0"_s, u"0"_s});
    QCOMPARE(cafe.open.accept(OpenMode::Open, 1, {true, false, 0, 2}),
             OpenStation::Outcome::Written);
    QSignalSpy warned(&second.core, &AgentCore::warned);
    for (int s = 0; s < 125 && second.actions.done.size() < 2; ++s)
        cafe.second();
    QCOMPARE(warned.size(), 1);
    QTRY_COMPARE(second.screen(), Screen::Locked);
    QCOMPARE(second.actions.done, (QStringList{u"inicio no"_s, u"cerrar programas"_s}));

    // An account from the agent's login form: a session on the account.
    second.core.logIn(u"ana"_s, u"Clave"_s);
    QTRY_COMPARE(cafe.stations.at(1).usuario, u"ana"_s);
    cafe.round();
    QTRY_COMPARE(second.screen(), Screen::Running);
    QCOMPARE(second.core.view().user, u"ana"_s);
    second.core.logIn(u"ana"_s, u"otra"_s); // running: the form is gone, nothing goes out
    QCOMPARE(second.sent.filter(u"GETSTART"_s).size(), 1);

    // Chat both ways.
    QSignalSpy message(&first.core, &AgentCore::operatorMessage);
    QVERIFY(cafe.remote.chat(0, u"¿Todo bien?"_s));
    QTRY_COMPARE(message.size(), 1);
    QCOMPARE(message[0][0].toString(), u"¿Todo bien?"_s);
    first.core.answer(u"Sí, gracias"_s);
    QTRY_COMPARE(cafe.messages.rows().last().mensaje, u"Sí, gracias"_s);
    QCOMPARE(cafe.messages.rows().last().pc, u"PC01"_s);
}

void TestAgentLink::lostConsole_data()
{
    test::addRows("lock without server | screen", R"(
        keeps the session, says so |0|running
        locks                      |1|locked)");
}

// The console dies: the agent learns it from the silence, ten seconds of its own clock.
void TestAgentLink::lostConsole()
{
    QFETCH(test::Row, r);
    Agent agent(1);
    agent.settings.lockWithoutServer = r.yes(u"lock without server");
    QVERIFY(agent.listen());
    {
        auto cafe = std::make_unique<Cafe>(QStringList{agent.address()});
        cafe->round();
        QTRY_VERIFY(cafe->sockets.isConnected(0));
        QCOMPARE(cafe->open.accept(OpenMode::Open, 0, {false, false, 0, 0}),
                 OpenStation::Outcome::Written);
        cafe->round();
        QTRY_COMPARE(agent.screen(), Screen::Running);
        agent.core.checkServer(agent.nowMs);
    } // killed: its sockets close
    QTRY_VERIFY(!agent.link.isConnected());
    agent.core.checkServer(AgentCore::ServerTimeoutMs - 1);
    QVERIFY(!agent.core.view().serverLost);
    agent.core.checkServer(AgentCore::ServerTimeoutMs);
    QVERIFY(agent.core.view().serverLost);
    QCOMPARE(agent.screen(), r[u"screen"] == u"locked" ? Screen::Locked : Screen::Running);
}

// Another address is turned away at once; the console's connection replaces an old one.
void TestAgentLink::onlyTheConsoleMayConnect()
{
    Agent agent(1);
    QVERIFY(agent.listen());
    QSignalSpy refused(&agent.link, &AgentLink::refused);
    QTcpSocket intruder;
    QVERIFY(intruder.bind(QHostAddress(u"127.0.3.9"_s)));
    intruder.connectToHost(QHostAddress(u"127.0.3.1"_s), agent.link.port());
    QTRY_COMPARE(refused.size(), 1);
    QTRY_COMPARE(intruder.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(refused[0][0].value<QHostAddress>(), QHostAddress(u"127.0.3.9"_s));

    QTcpSocket old, console;
    for (QTcpSocket* s : {&old, &console}) {
        s->connectToHost(QHostAddress(u"127.0.3.1"_s), agent.link.port());
        QVERIFY(s->waitForConnected(5000));
        QTRY_VERIFY(s->bytesAvailable() > 0); // the name first, on each connection
        QVERIFY(s->readAll().startsWith("GETNAME#LVX#pc1"));
    }
    QTRY_COMPARE(old.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(console.state(), QAbstractSocket::ConnectedState);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestAgentLink)
#include "tst_agentlink.moc"
