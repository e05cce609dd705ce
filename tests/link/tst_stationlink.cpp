// The station link over real loopback sockets, against the simulator's agent.
#include "stationagent.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

using sim::CrowdListener;
using sim::StationAgent;

namespace {

const QHostAddress Loopback(QHostAddress::LocalHost);

const auto address = [](quint16 port) -> QString {
    return u"127.0.0.1:"_s + QString::number(port);
};

// The counter PC's services, linked to stations at the given addresses through real sockets.
struct Console : test::LinkedCounter {
    using LinkedCounter::LinkedCounter;

    // Ticks, then waits until stations 0 and i are connected.
    bool connect(int i)
    {
        supervision.tick();
        return QTest::qWaitFor([&] { return sockets.isConnected(0) && sockets.isConnected(i); });
    }
};

// What an agent read from the console besides the statuses, one "keyword=field|field" a message.
QStringList readByAgent(const StationAgent& agent)
{
    QStringList texts;
    for (const StationAgent::Received& r : agent.received())
        if (r.keyword != u"SENDSTAT")
            texts << r.keyword + u'=' + r.fields.join(u'|');
    return texts;
}

} // namespace

class TestStationLink : public QObject {
    Q_OBJECT
private slots:
    void endpoints();
    void linkFollowsTheAgent();
    void requestsAndCommandsOverTheLink();
    void crowdTellsAgentsApartByTheDialledAddress();
    void unreadBytesWaitInOrderUpToALimit();
    void roundSlices();
};

// An address without a usable port is the agent's port on the host written, blanks trimmed.
void TestStationLink::endpoints()
{
    for (const QString& address : {u" caja-2 "_s, u"pc:0"_s, u"pc:70000"_s, u"pc:x1"_s, u"::1"_s}) {
        const StationSockets::Endpoint e = StationSockets::endpoint(address);
        QCOMPARE(e.host, address.trimmed());
        QCOMPARE(e.port, quint16(6969));
    }
}

// Never answered, connected, switched off, refused, back: a new attempt every second tick, and
// the link state, the icon and the status follow, without a word to the operator.
void TestStationLink::linkFollowsTheAgent()
{
    // A listener whose queue is full: the kernel drops the connection requests, so an attempt
    // stays "connecting" (where the kernel answers them all, the listener closes and refuses).
    QTcpServer silent;
    silent.setListenBacklogSize(0);
    QVERIFY(silent.listen(Loopback));
    silent.pauseAccepting();
    std::vector<std::unique_ptr<QTcpSocket>> queue;
    do {
        queue.push_back(std::make_unique<QTcpSocket>());
        queue.back()->connectToHost(Loopback, silent.serverPort());
    } while (queue.back()->waitForConnected(300) && queue.size() < 5);
    if (queue.back()->state() == QAbstractSocket::ConnectedState)
        silent.close();
    Console console({address(silent.serverPort())});
    console.stations.update(0, [](Station& s) {
        s.modo = StationMode::Waiting; // any session shows busy
        s.LSTCLWA = u"2"_s;
    });
    const Station& s = console.stations.at(0);
    const auto link = [&] { return test::Records{{s.LSTESTTUS, s.icon}}; };
    const auto state = [&] { return console.sockets.state(0); };
    QSignalSpy changed(&console.stations, &StationTable::stationChanged);
    for (int round = 0; round < 3; ++round) {
        console.supervision.tick(); // a new attempt
        QVERIFY(state() != StationSockets::State::Closed);
        QTRY_VERIFY(state() == StationSockets::State::Other);
        console.supervision.tick(); // noticed: closed, link state "0"
        COMPARE_RECORDS(link(), "LSTESTTUS | icon", "0 | imgdesconectado");
        QVERIFY(state() == StationSockets::State::Closed);
    }
    QCOMPARE(changed.count(), 1); // the row is told once, and its icon is not set again
    StationAgent agent(u"caja01"_s, u"00:16:3e:aa:bb:01"_s);
    agent.setMessageGapMs(5);
    QVERIFY(agent.listen(Loopback, 0));
    console.stations.update(0, [&](Station& st) { st.LSTIPS = address(agent.port()); });
    QVERIFY(console.connect(0));
    QTRY_COMPARE(s.pcnames, u"\\\\CAJA01"_s); // announced without being asked
    console.supervision.tick();
    QTRY_COMPARE(s.LSTMACS, u"00:16:3E:AA:BB:01"_s);
    COMPARE_RECORDS(link(), "LSTESTTUS | icon", "1 | imghabilitar");
    QTRY_COMPARE(agent.lastStatus(), QStringList({u"2"_s, u"0:00:00"_s, u"$ 0,00"_s,
                                                  address(agent.port()), QString()}));
    agent.close();
    QTRY_VERIFY(state() == StationSockets::State::Other);
    console.supervision.tick();
    COMPARE_RECORDS(link(), "LSTESTTUS | icon", "0 | imgdesconectado");
    console.supervision.tick(); // refused while the station is off
    QTRY_VERIFY(state() == StationSockets::State::Other);
    console.supervision.tick();
    QCOMPARE(s.LSTESTTUS, u"0"_s);
    QVERIFY(agent.listen(Loopback, agent.port()));
    QVERIFY(console.connect(0));
    QCOMPARE(s.LSTESTTUS, u"0"_s); // not yet told
    console.stations.update(0, [](Station& st) { st.modo.clear(); });
    console.supervision.tick();
    COMPARE_RECORDS(link(), "LSTESTTUS | icon", "1 | imgbloqueado");
    QTRY_COMPARE(agent.statusCount(), 1);
    QVERIFY(console.prompts.notified.isEmpty() && console.prompts.questions.isEmpty());
}

// A customer's requests sent back to back (each is one read) get their answers, the operator's
// commands reach the agent, and another agent's flood leaves the console going.
void TestStationLink::requestsAndCommandsOverTheLink()
{
    StationAgent agent(u"pc01"_s, u"aa"_s), flooder(u"pc02"_s, u"bb"_s);
    QVERIFY(agent.listen(Loopback, 0) && flooder.listen(Loopback, 0));
    QTcpServer off;
    off.listen(Loopback);
    Console console({address(agent.port()), address(flooder.port()), address(off.serverPort())});
    off.close();
    console.store.insert(u"CUENTAS"_s, {{u"USER"_s, u"muñoz"_s}, {u"TIMERES"_s, u"1:30:00"_s}});
    QVERIFY(console.connect(1));
    // Each message is one read: one sent before the console read the agent's name would join it.
    QTRY_COMPARE(console.stations.at(0).pcnames, u"\\\\PC01"_s);
    agent.send(u"GETNAMEX"_s);
    agent.send(u"GETSTART"_s, {u"nadie"_s, u"x"_s});
    agent.send(u"MSGBOX"_s, {u"¿Dónde imprimo?"_s});
    agent.send(u"GETSTART"_s, {u"MUÑOZ"_s, u"sol"_s}); // the first login sets the password
    QTRY_COMPARE(console.stations.at(0).usuario, u"MUÑOZ"_s);
    QCOMPARE(console.messages.rows().value(0).mensaje, u"¿Dónde imprimo?"_s);
    QCOMPARE(console.store.scalar(u"SELECT PASSWORD FROM CUENTAS"_s), QVariant(u"sol"_s));
    console.supervision.tick();
    QTRY_COMPARE(agent.statusCount(), 1);
    const QStringList status{u"3"_s, u"0:00:00"_s, u"$ 0,00"_s, address(agent.port())};
    QCOMPARE(agent.lastStatus(), status + QStringList{u"MUÑOZ"_s});
    QVERIFY(!agent.screenLocked());
    agent.send(u"GETOUT"_s);
    QTRY_COMPARE(console.stations.at(0).usuario, QString());
    console.supervision.tick();
    QTRY_COMPARE(agent.statusCount(), 2);
    QCOMPARE(agent.lastStatus(), status + QStringList{QString()});
    QVERIFY(agent.screenLocked()); // the code stays "3", but the session is over
    console.prompts.answerNext(true);
    console.remote.send(0, RemoteCommands::AgentCommand::ShutDown);
    console.remote.setVolume(0, 73);
    console.remote.chat(0, u"Cierro en 10 minutos"_s);
    console.remote.chat(2, u"No conectado"_s); // listed, not sent
    console.remote.Shutdownall();
    QTRY_COMPARE(readByAgent(agent),
                 u"GETNAMEX=PC01; MSGBOX3=Usuario/Contraseña INCORRECTA; 6=6; "
                 u"SETVOL=73; MSGBOX=Cierro en 10 minutos; 6=6"_s.split(u"; "_s));
    QCOMPARE(console.messages.rows().size(), 3);
    // A name made of SQL and megabytes of junk from another agent: the console goes on.
    flooder.sendRaw("GETSTART#LVX#x' OR 1=1 --#LVX#");
    QTRY_COMPARE(readByAgent(flooder),
                 u"6=6; MSGBOX3=Usuario/Contraseña INCORRECTA"_s.split(u"; "_s));
    flooder.sendRaw(QByteArray("GETNAME#LVX#\x00\x81\xff#LVX#", 20).repeated(150000));
    QTRY_VERIFY(console.stations.at(1).pcnames != u"\\\\PC02"_s);
    console.supervision.tick();
    QTRY_COMPARE(agent.statusCount(), 3);
    QCOMPARE(console.stations.at(0).LSTESTTUS, u"1"_s);
    QCOMPARE(console.stations.at(1).LSTESTTUS, u"1"_s);
}

// Agents sharing one listening socket: each connection goes to the agent at the address the
// console dialled; one to a stopped agent or to an address without one is closed at once.
void TestStationLink::crowdTellsAgentsApartByTheDialledAddress()
{
    CrowdListener crowd;
    QVERIFY(crowd.listen(0));
    StationAgent first(u"pc01"_s, u"aa"_s), second(u"pc02"_s, u"bb"_s), off(u"pc03"_s, u"cc"_s),
        twin(u"pc04"_s, u"dd"_s);
    const quint16 port = crowd.port();
    const QString at[] = {u"127.0.0.3"_s, u"127.0.0.2"_s, u"127.0.0.4"_s, u"127.0.0.5"_s};
    for (StationAgent* agent : {&first, &second, &off, &twin})
        agent->listenThrough(&crowd);
    QVERIFY(first.listen(QHostAddress(at[0]), port) && second.listen(QHostAddress(at[1]), 0));
    QVERIFY(off.listen(QHostAddress(at[2]), port));
    off.close();
    QVERIFY(!twin.listen(QHostAddress(at[0]), port));      // taken by another agent
    QVERIFY(!twin.listen(QHostAddress(u"10.1.2.3"_s), 0)); // not loopback
    QVERIFY(!twin.listen(QHostAddress(at[3]), quint16(port + 1)));
    QStringList addresses;
    for (const QString& a : at)
        addresses << a + u':' + QString::number(port);
    Console console(addresses);
    QVERIFY(console.connect(1));
    QTRY_COMPARE(console.stations.at(0).pcnames, u"\\\\PC01"_s);
    QTRY_COMPARE(console.stations.at(1).pcnames, u"\\\\PC02"_s);
    for (int i : {2, 3})
        QTRY_VERIFY(console.sockets.state(i) == StationSockets::State::Other);
    console.supervision.tick();
    QTRY_VERIFY(first.statusCount() == 1 && second.statusCount() == 1);
    QCOMPARE(first.lastStatus().value(3), addresses[0]);
    QCOMPARE(second.lastStatus().value(3), addresses[1]);
    QVERIFY(off.listen(off.address(), 0)); // started again: its next connection is kept
    console.supervision.tick();
    QTRY_VERIFY(console.sockets.isConnected(2));
    QTRY_COMPARE(console.stations.at(2).pcnames, u"\\\\PC03"_s);
    QVERIFY(!console.sockets.isConnected(3));
}

// An agent slow to read gets every byte, in order, once it reads; one that reads nothing while
// more than the limit waits has its connection taken as broken.
void TestStationLink::unreadBytesWaitInOrderUpToALimit()
{
    QTcpServer agent;
    QVERIFY(agent.listen(Loopback));
    StationSockets sockets;
    sockets.reset(2);
    QByteArray sent;
    for (int i : {0, 1}) {
        sockets.connectTo(i, address(agent.serverPort()));
        QTRY_VERIFY(sockets.isConnected(i));
    }
    QTRY_VERIFY(agent.hasPendingConnections());
    std::unique_ptr<QTcpSocket> slow(agent.nextPendingConnection());
    // More than the system's buffers hold: some of it waits in the console.
    for (int chunk = 0; chunk < 64; ++chunk) {
        const QByteArray bytes = QByteArray::number(chunk).repeated(4096);
        sent += bytes;
        sockets.write(0, bytes);
    }
    QVERIFY(sockets.isConnected(0));
    QByteArray read;
    QTRY_VERIFY_WITH_TIMEOUT((read += slow->readAll()).size() == sent.size(), 20000);
    QCOMPARE(read, sent);
    // Station 1's agent reads nothing.
    QTRY_VERIFY(agent.hasPendingConnections());
    const std::unique_ptr<QTcpSocket> deaf(agent.nextPendingConnection());
    deaf->setReadBufferSize(1);
    const QByteArray block(64 * 1024, 'x');
    for (qsizetype total = 0; total < 16 * StationSockets::MaxUnsent && sockets.isConnected(1);
         total += block.size()) {
        sockets.write(1, block);
        QCoreApplication::processEvents();
    }
    QCOMPARE(sockets.state(1), StationSockets::State::Other);
}

// A café of up to a thousand stations gets every status of a round at once; a larger one in
// slices spread over the interval, never more than ten.
void TestStationLink::roundSlices()
{
    using S = ConnectionSupervision;
    for (const auto& [stations, slices] : std::initializer_list<std::pair<int, int>>{
             {0, 1}, {1, 1}, {1000, 1}, {1001, 2}, {5000, 5}, {100000, 10}})
        QCOMPARE(S::slicesFor(stations), slices);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestStationLink)
#include "tst_stationlink.moc"
