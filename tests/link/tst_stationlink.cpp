// The station link over real loopback sockets, against the simulator's agent.
#include "billing/journal.h"
#include "core/clock.h"
#include "core/settings.h"
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "link/requests.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "operators/operatorsession.h"
#include "stationagent.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

using sim::StationAgent;

namespace {

const QHostAddress Loopback(QHostAddress::LocalHost);

// A port nobody listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(Loopback);
    return probe.serverPort();
}

// A listener whose queue is full: the kernel drops new connection requests, so a console's
// attempt stays "connecting" and is never answered.
class Unanswering {
public:
    Unanswering()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_fd, 0) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        // Fill the queue until an attempt hangs.
        for (int i = 0; i < 4; ++i) {
            auto& filler = m_fillers.emplace_back(std::make_unique<QTcpSocket>());
            filler->connectToHost(Loopback, m_port);
            if (!filler->waitForConnected(300))
                return;
        }
        m_port = 0; // the kernel kept answering
    }
    ~Unanswering() { ::close(m_fd); }
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::vector<std::unique_ptr<QTcpSocket>> m_fillers;
};

// The console's side of the link, for stations at the given addresses.
struct Console {
    test::TempStore store;
    OperatorSession session;
    StationTable stations;
    StationSockets sockets;
    LinkSender sender{sockets, session};
    ConnectionSupervision supervision{stations, sockets, sender};
    test::ManualClock clock;
    MessageList messages;
    RequestDispatcher requests{{stations, store.db(), sender, messages, clock}};
    test::MemorySettingsStore memory;
    Settings settings{memory};
    test::ScriptedPrompts prompts;
    Journal journal{store.db(), session, clock};
    RemoteCommands commands{{stations, sender, journal, settings, prompts, clock, messages}};

    explicit Console(const QStringList& addresses)
    {
        test::pinCafeLocale();
        std::vector<Station> list;
        for (const QString& address : addresses) {
            Station s;
            s.pc = u"PC%1"_s.arg(list.size() + 1, 2, 10, QChar(u'0'));
            s.LSTIPS = address;
            s.tiempo = u"0:00:00"_s;
            s.sub = s.total = u"0,00"_s;
            list.push_back(s);
        }
        stations.setStations(list);
        sockets.reset(stations.count());
        supervision.setCurrencySymbol(u"$"_s);
        QObject::connect(&sockets, &StationSockets::received, &requests,
                         &RequestDispatcher::dispatchBytes);
    }

    // Ticks, then waits until station index's socket is connected.
    bool connect(int index)
    {
        supervision.tick();
        return QTest::qWaitFor([&] { return sockets.isConnected(index); }, 5000);
    }
    bool connectAll()
    {
        supervision.tick();
        return QTest::qWaitFor(
            [&] {
                for (int i = 0; i < stations.count(); ++i)
                    if (!sockets.isConnected(i))
                        return false;
                return true;
            },
            5000);
    }
};

QString address(const StationAgent& agent)
{
    return u"127.0.0.1:"_s + QString::number(agent.port());
}

} // namespace

class TestStationLink : public QObject {
    Q_OBJECT
private slots:
    void endpoints_data();
    void endpoints();
    void statusBytes();
    void linkFollowsTheAgent();
    void unansweredConnectionRetriesEverySecondTick_data();
    void unansweredConnectionRetriesEverySecondTick();
    void requestsOverTheLink();
    void accountLoginsOverTheLink();
    void commandsReachTheAgent();
    void floodFromOneAgentLeavesTheOthersServed();
};

void TestStationLink::endpoints_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("plain address") << "192.168.0.13"
                                   << "192.168.0.13" << 6969;
    QTest::newRow("computer name") << " caja-2 "
                                   << "caja-2" << 6969;
    QTest::newRow("with port") << "127.0.0.2:7001"
                               << "127.0.0.2" << 7001;
    QTest::newRow("port zero is no port") << "pc:0"
                                          << "pc:0" << 6969;
    QTest::newRow("port too big") << "pc:70000"
                                  << "pc:70000" << 6969;
    QTest::newRow("port not a number") << "pc:x1"
                                       << "pc:x1" << 6969;
    QTest::newRow("IPv6 left whole") << "::1"
                                     << "::1" << 6969;
}

void TestStationLink::endpoints()
{
    QFETCH(QString, address);
    QFETCH(QString, host);
    QFETCH(int, port);
    const StationSockets::Endpoint e = StationSockets::endpoint(address);
    QCOMPARE(e.host, host);
    QCOMPARE(int(e.port), port);
}

// What a station's agent reads, byte for byte.
void TestStationLink::statusBytes()
{
    QTcpServer agent;
    QVERIFY(agent.listen(Loopback));
    const QString target = u"127.0.0.1:"_s + QString::number(agent.serverPort());
    Console console({target});
    console.stations.update(0, [](Station& s) {
        s.LSTCLWA = u"1"_s;
        s.tiempo = u"0:01:05"_s;
        s.sub = u"0,25"_s;
        s.usuario = u"Ñandú"_s;
    });
    QVERIFY(console.connect(0));
    QTRY_VERIFY(agent.hasPendingConnections());
    QTcpSocket* peer = agent.nextPendingConnection();
    console.supervision.tick();
    QVERIFY(QTest::qWaitFor([&] { return peer->bytesAvailable() > 0; }, 5000));
    QCOMPARE(peer->readAll(), "SENDSTAT#LVX#1#LVX#0:01:05#LVX#$ 0,25#LVX#" + target.toLatin1() +
                                  "#LVX#\xd1"
                                  "and\xfa#LVXF#");
}

void TestStationLink::linkFollowsTheAgent()
{
    StationAgent agent(u"caja01"_s, u"00:16:3e:aa:bb:01"_s);
    agent.setMessageGapMs(5);
    QVERIFY(agent.listen(Loopback, 0));
    Console console({address(agent)});
    console.stations.update(0, [](Station& s) {
        s.modo = StationMode::Counter;
        s.LSTCLWA = u"1"_s;
    });
    const Station& s = console.stations.at(0);

    QVERIFY(console.connect(0));
    // The agent announces itself without being asked.
    QTRY_COMPARE(s.pcnames, u"\\\\CAJA01"_s);
    console.supervision.tick();
    QTRY_COMPARE(s.LSTMACS, u"00:16:3E:AA:BB:01"_s);
    QCOMPARE(s.LSTESTTUS, u"1"_s);
    QCOMPARE(s.icon, u"imghabilitar"_s);
    QTRY_COMPARE(agent.lastStatus(),
                 QStringList({u"1"_s, u"0:00:00"_s, u"$ 0,00"_s, address(agent), QString()}));

    agent.close(); // the station is switched off
    QTRY_VERIFY(console.sockets.state(0) == StationSockets::State::Other);
    console.supervision.tick();
    QCOMPARE(s.LSTESTTUS, u"0"_s);
    QCOMPARE(s.icon, u"imgdesconectado"_s);
    QVERIFY(console.sockets.state(0) == StationSockets::State::Closed);

    QVERIFY(agent.listen(Loopback, agent.port())); // and on again
    QVERIFY(console.connect(0));
    QCOMPARE(s.LSTESTTUS, u"0"_s); // not yet told
    console.stations.update(0, [](Station& st) { st.modo.clear(); });
    console.supervision.tick();
    QCOMPARE(s.LSTESTTUS, u"1"_s);
    QCOMPARE(s.icon, u"imgbloqueado"_s);
    QTRY_COMPARE(agent.statusCount(), 1);
}

void TestStationLink::unansweredConnectionRetriesEverySecondTick_data()
{
    QTest::addColumn<bool>("refused");
    QTest::newRow("agent not running") << true;
    QTest::newRow("agent never answers") << false;
}

void TestStationLink::unansweredConnectionRetriesEverySecondTick()
{
    QFETCH(bool, refused);
    Unanswering silent;
    const quint16 port = refused ? closedPort() : silent.port();
    if (port == 0)
        QSKIP("this kernel answers every connection request");
    Console console({u"127.0.0.1:"_s + QString::number(port)});
    QSignalSpy changed(&console.stations, &StationTable::stationChanged);
    for (int round = 0; round < 3; ++round) {
        console.supervision.tick(); // a new attempt
        QVERIFY(console.sockets.state(0) != StationSockets::State::Closed);
        QTRY_VERIFY(console.sockets.state(0) == StationSockets::State::Other);
        console.supervision.tick(); // noticed: closed, link state "0"
        QCOMPARE(console.stations.at(0).LSTESTTUS, u"0"_s);
        QVERIFY(console.sockets.state(0) == StationSockets::State::Closed);
    }
    QCOMPARE(changed.count(), 1); // the row is told of the change once, not every round
}

void TestStationLink::requestsOverTheLink()
{
    StationAgent agent(u"pc01"_s, u"aa"_s);
    agent.setMessageGapMs(5);
    QVERIFY(agent.listen(Loopback, 0));
    Console console({address(agent)});
    QVERIFY(console.store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) "
                               u"VALUES ('luz', 'sol', '0:40:00', 1)"_s));
    QVERIFY(console.connect(0));
    console.supervision.tick();
    QTRY_COMPARE(console.stations.at(0).LSTMACS, u"AA"_s);

    agent.send(u"GETNAMEX"_s);
    QTRY_COMPARE(agent.receivedKeywords().count(u"GETNAMEX"_s), 1);
    QCOMPARE(agent.received().last().fields, QStringList{u"PC01"_s});

    agent.send(u"GETSTART"_s, {u"luz"_s, u"luna"_s});
    QTRY_COMPARE(agent.receivedKeywords().count(u"MSGBOX3"_s), 1);
    QCOMPARE(agent.received().last().fields, QStringList{u"Usuario/Contraseña INCORRECTA"_s});

    agent.send(u"MSGBOX"_s, {u"¿Dónde imprimo?"_s});
    QTRY_COMPARE(console.messages.rows().size(), 1);
    QCOMPARE(console.messages.rows().first().mensaje, u"¿Dónde imprimo?"_s);

    agent.send(u"GETSTART"_s, {u"luz"_s, u"sol"_s});
    QTRY_COMPARE(console.stations.at(0).usuario, u"luz"_s);
    console.supervision.tick();
    QTRY_COMPARE(agent.lastStatus().value(0), u"3"_s);
    QCOMPARE(agent.lastStatus().value(4), u"luz"_s);
    QVERIFY(!agent.screenLocked());

    agent.send(u"GETOUT"_s);
    QTRY_COMPARE(console.stations.at(0).usuario, QString());
    console.supervision.tick();
    QTRY_COMPARE(agent.lastStatus().value(4), QString());
    QVERIFY(agent.screenLocked()); // the code stays "3", but the session is over
}

// Every branch of an account login, as the customers at two stations see it.
void TestStationLink::accountLoginsOverTheLink()
{
    StationAgent first(u"pc01"_s, u"aa"_s);
    StationAgent second(u"pc02"_s, u"bb"_s);
    for (StationAgent* agent : {&first, &second}) {
        agent->setMessageGapMs(5);
        QVERIFY(agent->listen(Loopback, 0));
    }
    Console console({address(first), address(second)});
    QVERIFY(console.store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) VALUES "
                               u"('eva', NULL, '1:30:00', 1), ('leo', 'x', '0:00:50', 1)"_s));
    QVERIFY(console.connectAll());

    const auto replies = [](const StationAgent& agent) {
        QStringList texts;
        for (const StationAgent::Received& r : agent.received())
            if (r.keyword == u"MSGBOX3")
                texts << r.fields.value(0);
        return texts;
    };
    first.send(u"GETSTART"_s, {u"nadie"_s, u"x"_s});
    first.send(u"GETSTART"_s, {u"leo"_s, u"x"_s});
    QTRY_COMPARE(replies(first),
                 (QStringList{u"Usuario/Contraseña INCORRECTA"_s, u"Cuenta sin credito..."_s}));
    first.send(u"GETSTART"_s, {u"EVA"_s, u"nueva"_s}); // first login: sets the password
    QTRY_COMPARE(console.stations.at(0).usuario, u"EVA"_s);
    second.send(u"GETSTART"_s, {u"EVA"_s, u"nueva"_s}); // already at PC01: no answer at all
    second.send(u"GETSTART"_s, {u"eva"_s, u"otra"_s});  // another case is another user here
    QTRY_COMPARE(replies(second), QStringList{u"Usuario/Contraseña INCORRECTA"_s});
    console.supervision.tick();
    QTRY_COMPARE(first.lastStatus().value(0), u"3"_s);
    QTRY_COMPARE(second.statusCount(), 1);
    QCOMPARE(second.lastStatus().value(0), QString());
    QCOMPARE(replies(first).size(), 2);
}

// The bytes of each command, as the agent reads them.
void TestStationLink::commandsReachTheAgent()
{
    StationAgent agent(u"pc01"_s, u"aa"_s);
    QVERIFY(agent.listen(Loopback, 0));
    Console console({address(agent), u"127.0.0.1:"_s + QString::number(closedPort())});
    QVERIFY(console.connect(0));
    using C = RemoteCommands::AgentCommand;
    for (C command : {C::ClosePrograms, C::CloseAgent, C::CloseSession, C::Restart, C::ShutDown}) {
        console.prompts.answerNext(true);
        console.commands.send(0, command);
    }
    console.commands.setVolume(0, 73);
    console.commands.chat(0, u"Cierro en 10 minutos"_s);
    console.commands.chat(1, u"No conectado"_s); // listed, not sent
    console.commands.Shutdownall();

    QTRY_COMPARE(agent.received().size(), 8);
    QStringList got;
    for (const StationAgent::Received& r : agent.received())
        got << r.keyword + u'=' + r.fields.join(u'|');
    QCOMPARE(got, (QStringList{u"9=9"_s, u"5=5"_s, u"8=8"_s, u"7=7"_s, u"6=6"_s, u"SETVOL=73"_s,
                               u"MSGBOX=Cierro en 10 minutos"_s, u"6=6"_s}));
    QCOMPARE(console.messages.rows().size(), 2);
}

void TestStationLink::floodFromOneAgentLeavesTheOthersServed()
{
    StationAgent flooder(u"pc01"_s, u"aa"_s);
    StationAgent quiet(u"pc02"_s, u"bb"_s);
    QVERIFY(flooder.listen(Loopback, 0));
    QVERIFY(quiet.listen(Loopback, 0));
    Console console({address(flooder), address(quiet)});
    QVERIFY(console.connect(0));
    QVERIFY(QTest::qWaitFor([&] { return console.sockets.isConnected(1); }, 5000));

    QByteArray junk(3 << 20, '\0');
    for (qsizetype i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 7919) % 251);
    junk.replace(100, 5, "#LVX#");
    flooder.sendRaw(junk);
    flooder.sendRaw("#LVX##LVX##LVX#");
    flooder.sendRaw("GETSTART#LVX#x' OR 1=1 --#LVX#");

    for (int i = 0; i < 3; ++i) {
        console.supervision.tick();
        QTest::qWait(20);
    }
    QTRY_VERIFY(quiet.statusCount() >= 3);
    QCOMPARE(console.stations.at(1).LSTESTTUS, u"1"_s);
    QCOMPARE(console.store.scalar(u"SELECT COUNT(*) FROM CUENTAS"_s).toInt(), 0);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestStationLink)
#include "tst_stationlink.moc"
