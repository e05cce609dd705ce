#include "link/wire.h"
#include "simcommands.h"
#include "stationagent.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::sim {

namespace {

const QHostAddress Loopback(QHostAddress::LocalHost);

// The console's end of one connection, with every read it gets: the console takes each read as
// one whole message.
struct Console {
    QTcpSocket socket;
    QList<QByteArray> reads;

    Console()
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket,
                         [this] { reads << socket.readAll(); });
    }
    bool connectTo(const StationAgent& agent)
    {
        socket.connectToHost(agent.address(), agent.port());
        return socket.waitForConnected(5000);
    }
    void write(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
};

QByteArray consoleMessage(const QString& keyword, const QStringList& fields)
{
    return Wire::encode(Wire::message(keyword, fields));
}

QByteArray status(const QString& code, const QString& user = {})
{
    return consoleMessage(u"SENDSTAT"_s, {code, u"0:10:00"_s, u"$ 0,25"_s, u"127.0.0.1"_s, user});
}

QString describe(const Command& c)
{
    using Kind = Command::Kind;
    static const char* const kinds[] = {"blank", "invalid", "send", "raw",   "stop",
                                        "start", "sleep",   "list", "stats", "quit"};
    QStringList parts{QString::fromLatin1(kinds[int(c.kind)])};
    if (c.kind != Kind::Invalid && !c.station.isEmpty())
        parts << c.station;
    if (c.kind == Kind::Send)
        parts << c.keyword << u'[' + c.fields.join(u'|') + u']';
    if (c.kind == Kind::SendRaw)
        parts << c.text;
    if (c.kind == Kind::Sleep)
        parts << QString::number(c.sleepMs);
    return parts.join(u' ');
}

} // namespace

class VigiloSimTest : public QObject {
    Q_OBJECT

private slots:
    void arguments_data();
    void arguments();
    void flagsAndIdentity();
    void commands_data();
    void commands();
    void selectors_data();
    void selectors();
    void reassembly_data();
    void reassembly();
    void messagesArriveAsSeparateReads();
    void autoStartAndReply_data();
    void autoStartAndReply();
    void screenLocked_data();
    void screenLocked();
    void reconnection();
    void statusGapCountsWithinOneConnection();
    void simulatorCommands();
};

void VigiloSimTest::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("stations"); // labels, or the start of the error
    QTest::newRow("listen, default port")
        << QStringList{u"--listen"_s, u"127.0.0.2"_s} << u"127.0.0.2:6969"_s;
    QTest::newRow("listen twice, in order")
        << QStringList{u"--listen"_s, u"127.0.0.3:7000"_s, u"--listen"_s, u"127.0.0.2"_s}
        << u"127.0.0.3:7000 127.0.0.2:6969"_s;
    QTest::newRow("range") << QStringList{u"--range"_s, u"127.0.0.2"_s, u"3"_s}
                           << u"127.0.0.2:6969 127.0.0.3:6969 127.0.0.4:6969"_s;
    QTest::newRow("range over an octet") << QStringList{u"--range"_s, u"10.0.0.254:7000"_s, u"3"_s}
                                         << u"10.0.0.254:7000 10.0.0.255:7000 10.0.1.0:7000"_s;
    QTest::newRow("range up to the last address")
        << QStringList{u"--range"_s, u"255.255.255.254"_s, u"2"_s}
        << u"255.255.255.254:6969 255.255.255.255:6969"_s;
    QTest::newRow("IPv6 with port")
        << QStringList{u"--listen"_s, u"[::1]:7000"_s} << u"[::1]:7000"_s;
    QTest::newRow("bad address") << QStringList{u"--listen"_s, u"127.0.0.300"_s}
                                 << u"not an IP address"_s;
    QTest::newRow("port too big") << QStringList{u"--listen"_s, u"127.0.0.2:70000"_s}
                                  << u"not a port"_s;
    QTest::newRow("port zero") << QStringList{u"--listen"_s, u"127.0.0.2:0"_s} << u"not a port"_s;
    QTest::newRow("no count") << QStringList{u"--range"_s, u"127.0.0.2"_s} << u"--range needs"_s;
    QTest::newRow("count zero") << QStringList{u"--range"_s, u"127.0.0.2"_s, u"0"_s}
                                << u"a range needs at least one"_s;
    QTest::newRow("count not a number")
        << QStringList{u"--range"_s, u"127.0.0.2"_s, u"x"_s} << u"not a station count"_s;
    QTest::newRow("range past the last address")
        << QStringList{u"--range"_s, u"255.255.255.254"_s, u"3"_s} << u"3 stations from"_s;
    QTest::newRow("range over IPv6")
        << QStringList{u"--range"_s, u"::1"_s, u"2"_s} << u"a range runs over IPv4"_s;
    QTest::newRow("unknown option")
        << QStringList{u"--port"_s, u"7000"_s} << u"unknown option: --port"_s;
    QTest::newRow("no stations") << QStringList{u"--auto-start"_s} << u"no stations"_s;
    QTest::newRow("same station twice")
        << QStringList{u"--listen"_s, u"127.0.0.3"_s, u"--range"_s, u"127.0.0.2"_s, u"2"_s}
        << u"127.0.0.3:6969 is given twice"_s;
}

void VigiloSimTest::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, stations);
    QString error;
    const auto options = parseArguments(arguments, &error);
    QStringList labels;
    if (options) {
        for (const Endpoint& endpoint : options->endpoints)
            labels << endpointLabel(endpoint);
    }
    QCOMPARE(options ? labels.join(u' ') : error.left(stations.size()), stations);
}

void VigiloSimTest::flagsAndIdentity()
{
    QString error;
    const auto options = parseArguments({u"--reply"_s, u"ya voy"_s, u"--listen"_s, u"127.0.0.2"_s,
                                         u"--changes-only"_s, u"--name-prefix"_s, u"caja"_s,
                                         u"--auto-start"_s, u"--script"_s, u"demo.txt"_s},
                                        &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->reply, u"ya voy"_s);
    QCOMPARE(options->endpoints.size(), 1);
    QVERIFY(options->changesOnly && options->autoStart && !options->help);
    QCOMPARE(options->namePrefix, u"caja"_s);
    QCOMPARE(options->scriptFile, u"demo.txt"_s);

    QCOMPARE(computerName(u"pc"_s, 1), u"pc01"_s);
    QCOMPARE(computerName(u"caja"_s, 300), u"caja300"_s);
    QCOMPARE(macAddress(12), u"00:16:3e:00:00:0c"_s);
    QCOMPARE(macAddress(300), u"00:16:3e:00:01:2c"_s);
}

void VigiloSimTest::commands_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("command");
    const QList<std::pair<const char*, QString>> rows = {
        {"3 GETSTART2", u"send 3 GETSTART2 []"_s},
        {"3 getstart2", u"send 3 GETSTART2 []"_s},
        {"2 GETSTART ana mi clave", u"send 2 GETSTART [ana|mi clave]"_s},
        {"2 GETSTART ana", u"send 2 GETSTART [ana|]"_s},
        {"127.0.0.2:6969 MSGBOX hola,  ¿hay café?",
         u"send 127.0.0.2:6969 MSGBOX [hola,  ¿hay café?]"_s},
        {"* GETOUT\r\n", u"send * GETOUT []"_s},
        {"1 GETNAME caja-1", u"send 1 GETNAME [caja-1]"_s},
        {"  1   raw GETSTART2#LVX#x", u"raw 1 GETSTART2#LVX#x"_s},
        {"4 stop", u"stop 4"_s},
        {"4 START", u"start 4"_s},
        {"sleep 250", u"sleep 250"_s},
        {"list", u"list"_s},
        {"stats", u"stats"_s},
        {"quit", u"quit"_s},
        {"# 1 GETOUT", u"blank"_s},
        {"   ", u"blank"_s},
        {"1 FOO", u"invalid"_s},
        {"1", u"invalid"_s},
        {"1 GETSTART", u"invalid"_s},
        {"1 GETNAME", u"invalid"_s},
        {"1 GETOUT now", u"invalid"_s},
        {"sleep -5", u"invalid"_s},
        {"sleep soon", u"invalid"_s},
        {"stats now", u"invalid"_s},
    };
    for (const auto& [line, command] : rows)
        QTest::newRow(line) << QString::fromUtf8(line) << command;
}

void VigiloSimTest::commands()
{
    QFETCH(QString, line);
    QFETCH(QString, command);
    const Command parsed = parseCommand(line);
    QCOMPARE(describe(parsed), command);
    QCOMPARE(parsed.error.isEmpty(), parsed.kind != Command::Kind::Invalid);
}

void VigiloSimTest::selectors_data()
{
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QList<int>>("chosen"); // empty: an error
    QTest::newRow("number") << u"2"_s << QList<int>{1};
    QTest::newRow("all") << u"*"_s << QList<int>{0, 1, 2};
    QTest::newRow("bare address") << u"127.0.0.2"_s << QList<int>{0};
    QTest::newRow("address and port") << u"127.0.0.3:7000"_s << QList<int>{2};
    QTest::newRow("address of two stations") << u"127.0.0.3"_s << QList<int>{};
    QTest::newRow("number zero") << u"0"_s << QList<int>{};
    QTest::newRow("number past the last") << u"4"_s << QList<int>{};
    QTest::newRow("no such address") << u"127.0.0.9"_s << QList<int>{};
    QTest::newRow("no such port") << u"127.0.0.2:7000"_s << QList<int>{};
    QTest::newRow("computer name") << u"pc01"_s << QList<int>{};
}

void VigiloSimTest::selectors()
{
    QFETCH(QString, selector);
    QFETCH(QList<int>, chosen);
    const QList<Endpoint> stations = {{QHostAddress(u"127.0.0.2"_s), 6969},
                                      {QHostAddress(u"127.0.0.3"_s), 6969},
                                      {QHostAddress(u"127.0.0.3"_s), 7000}};
    QString error;
    QCOMPARE(selectStations(selector, stations, &error), chosen);
    QCOMPARE(error.isEmpty(), !chosen.isEmpty());
}

void VigiloSimTest::reassembly_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QList<int>>("wholeAfterEach");
    QTest::addColumn<QStringList>("received"); // keyword:field|field

    QTest::newRow("one message") << QByteArrayList{"GETNAMEX#LVX#pc01#LVXF#"} << QList<int>{1}
                                 << QStringList{u"GETNAMEX:pc01"_s};
    QTest::newRow("three in one read")
        << QByteArrayList{"SHOWF#LVX#SHOWF#LVXF#SETVOL#LVX#40#LVXF#6#LVX#6#LVXF#"} << QList<int>{3}
        << QStringList{u"SHOWF:SHOWF"_s, u"SETVOL:40"_s, u"6:6"_s};
    QTest::newRow("cut inside the terminator")
        << QByteArrayList{"MSGBOX#LVX#hola#LVXF#MSGBOX2#LVX#qu#LV", "XF#FINISHT#LVX#DOTHEM#LVXF#"}
        << QList<int>{1, 3} << QStringList{u"MSGBOX:hola"_s, u"MSGBOX2:qu"_s, u"FINISHT:DOTHEM"_s};
    QTest::newRow("cut inside a separator, then a field")
        << QByteArrayList{"MSGBOX#LVX#a#LVXF#SENDSTAT#LV", "X#1#LVX#0:10:00#LVXF#MSGBOX2#LVX#b",
                          "c#LVXF#"}
        << QList<int>{1, 2, 3}
        << QStringList{u"MSGBOX:a"_s, u"SENDSTAT:1|0:10:00"_s, u"MSGBOX2:bc"_s};
    QTest::newRow("Windows-1252 text")
        << QByteArrayList{"MSGBOX3#LVX#Contrase\xF1"
                          "a INCORRECTA#LVXF#"}
        << QList<int>{1} << QStringList{u"MSGBOX3:Contraseña INCORRECTA"_s};
    QTest::newRow("empty fields kept") << QByteArrayList{"SENDSTAT#LVX##LVX##LVX##LVX##LVX##LVXF#"}
                                       << QList<int>{1} << QStringList{u"SENDSTAT:||||"_s};
}

void VigiloSimTest::reassembly()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QList<int>, wholeAfterEach);
    QFETCH(QStringList, received);
    StationAgent agent(u"pc07"_s, u"00:16:3e:00:00:07"_s);
    QVERIFY(agent.listen(Loopback, 0));
    Console console;
    QVERIFY(console.connectTo(agent));
    // Each read completes a message, so the next one cannot be sent before it is taken apart.
    for (qsizetype i = 0; i < reads.size(); ++i) {
        console.write(reads[i]);
        QTRY_COMPARE(agent.received().size(), wholeAfterEach[i]);
    }
    QStringList seen;
    for (const StationAgent::Received& message : agent.received())
        seen << message.keyword + u':' + message.fields.join(u'|');
    QCOMPARE(seen, received);
}

void VigiloSimTest::messagesArriveAsSeparateReads()
{
    StationAgent agent(u"pc07"_s, u"00:16:3e:00:00:07"_s);
    agent.send(u"GETSTART2"_s); // no console yet: dropped
    QVERIFY(agent.listen(Loopback, 0));
    Console console;
    QVERIFY(console.connectTo(agent));
    QTRY_VERIFY(agent.isConnected());
    agent.send(u"MSGBOX"_s, {u"¿me ayuda?"_s});
    agent.send(u"GETOUT"_s);
    agent.sendRaw("GETSTART#LVX#ana#LVX#");
    QTRY_COMPARE(console.reads.size(), 4);
    console.write(status(u""_s)); // the first status brings the MAC address, once
    console.write(status(u""_s));
    QTRY_COMPARE(console.reads.size(), 5);
    QTest::qWait(50);
    QCOMPARE(console.reads,
             (QByteArrayList{"GETNAME#LVX#pc07", "MSGBOX#LVX#\xBFme ayuda?", "GETOUT",
                             "GETSTART#LVX#ana#LVX#", "GETMAC#LVX#00:16:3e:00:00:07"}));
}

void VigiloSimTest::autoStartAndReply_data()
{
    QTest::addColumn<bool>("autoStart");
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<int>("presses");
    QTest::newRow("waiting on several statuses") << true << QStringList{u""_s, u"2"_s, u"2"_s} << 1;
    QTest::newRow("prepaid waiting") << true << QStringList{u"4"_s, u"4"_s} << 1;
    QTest::newRow("counter waiting, then prepaid waiting")
        << true << QStringList{u"2"_s, u"4"_s} << 1;
    QTest::newRow("waiting again after running")
        << true << QStringList{u"2"_s, u"1"_s, u"1"_s, u"2"_s} << 2;
    QTest::newRow("never waiting") << true << QStringList{u"1"_s, u"3"_s, u""_s} << 0;
    QTest::newRow("auto start off") << false << QStringList{u"2"_s, u"4"_s} << 0;
}

void VigiloSimTest::autoStartAndReply()
{
    QFETCH(bool, autoStart);
    QFETCH(QStringList, states);
    QFETCH(int, presses);
    StationAgent agent(u"pc07"_s, u"00:16:3e:00:00:07"_s);
    agent.setAutoStart(autoStart);
    agent.setChatReply(u"ya voy"_s);
    QVERIFY(agent.listen(Loopback, 0));
    Console console;
    QVERIFY(console.connectTo(agent));
    QByteArray bytes;
    for (const QString& state : states)
        bytes += status(state);
    // The answer to the chat goes out after any press, so once it is in, every press is.
    bytes += consoleMessage(u"MSGBOX2"_s, {u"¿todo bien?"_s});
    console.write(bytes);
    QTRY_VERIFY(console.reads.contains("MSGBOX#LVX#ya voy"));
    QCOMPARE(console.reads.count("GETSTART2"), presses);
}

void VigiloSimTest::screenLocked_data()
{
    QTest::addColumn<QStringList>("status");
    QTest::addColumn<bool>("locked");
    const auto row = [](const char* name, const QString& code, const QString& time,
                        const QString& user, bool locked) {
        QTest::newRow(name) << QStringList{code, time, u"$ 0,00"_s, u"127.0.0.1"_s, user} << locked;
    };
    QTest::newRow("no status yet") << QStringList{} << true;
    row("free", u""_s, u"0:00:00"_s, u""_s, true);
    row("counter running", u"1"_s, u"0:05:00"_s, u""_s, false);
    row("counter waiting for start", u"2"_s, u"0:00:00"_s, u""_s, true);
    row("prepaid running, account", u"3"_s, u"1:00:00"_s, u"ana"_s, false);
    row("prepaid running, no account", u"3"_s, u"0:30:00"_s, u""_s, false);
    row("account logged out", u"3"_s, u"0:00:00"_s, u""_s, true);
    row("prepaid at zero, account still in", u"3"_s, u"0:00:00"_s, u"ana"_s, false);
    row("prepaid waiting for start", u"4"_s, u"0:30:00"_s, u""_s, true);
}

void VigiloSimTest::screenLocked()
{
    QFETCH(QStringList, status);
    QFETCH(bool, locked);
    StationAgent agent(u"pc07"_s, u"00:16:3e:00:00:07"_s);
    QVERIFY(agent.listen(Loopback, 0));
    Console console;
    QVERIFY(console.connectTo(agent));
    if (!status.isEmpty()) {
        console.write(consoleMessage(u"SENDSTAT"_s, status));
        QTRY_COMPARE(agent.statusCount(), 1);
    }
    QCOMPARE(agent.lastStatus(), status);
    QCOMPARE(agent.screenLocked(), locked);
}

void VigiloSimTest::reconnection()
{
    StationAgent agent(u"pc07"_s, u"00:16:3e:00:00:07"_s);
    QVERIFY(agent.listen(Loopback, 0));
    const quint16 port = agent.port();
    QSignalSpy connected(&agent, &StationAgent::connected);
    QSignalSpy disconnected(&agent, &StationAgent::disconnected);

    // The console reconnects without waiting for the old connection to go: the new one wins.
    Console first;
    QVERIFY(first.connectTo(agent));
    QTRY_COMPARE(connected.size(), 1);
    Console second;
    QVERIFY(second.connectTo(agent));
    QTRY_COMPARE(connected.size(), 2);
    QCOMPARE(disconnected.size(), 1);
    QTRY_COMPARE(first.socket.state(), QAbstractSocket::UnconnectedState);
    second.write(status(u"1"_s));
    QTRY_COMPARE(agent.statusCount(), 1);

    // Switched off and on again at the same address.
    agent.close();
    QVERIFY(!agent.isListening());
    QCOMPARE(disconnected.size(), 2);
    QTRY_COMPARE(second.socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY2(agent.listen(Loopback, port), qPrintable(agent.errorString()));
    QCOMPARE(agent.statusCount(), 0);
    QVERIFY(agent.lastStatus().isEmpty());
    Console third;
    QVERIFY(third.connectTo(agent));
    QTRY_COMPARE(third.reads.size(), 1);
    QCOMPARE(third.reads.first(), QByteArray("GETNAME#LVX#pc07"));

    // The console goes away.
    third.socket.disconnectFromHost();
    QTRY_COMPARE(disconnected.size(), 3);
    QVERIFY(!agent.isConnected());
    QCOMPARE(connected.size(), 3);
}

void VigiloSimTest::statusGapCountsWithinOneConnection()
{
    StationAgent agent(u"pc07"_s, u"00:16:3e:00:00:07"_s);
    QVERIFY(agent.listen(Loopback, 0));
    Console first;
    QVERIFY(first.connectTo(agent));
    first.write(status(u"1"_s));
    QTRY_COMPARE(agent.statusCount(), 1);
    first.socket.disconnectFromHost();
    QTRY_VERIFY(!agent.isConnected());
    // Time passes before the console is back; that pause is not a late status.
    QTest::qWait(60);
    Console second;
    QVERIFY(second.connectTo(agent));
    second.write(status(u"1"_s));
    QTRY_COMPARE(agent.statusCount(), 2);
    QCOMPARE(agent.worstStatusGapMs(), 0);

    QElapsedTimer sinceSecond;
    sinceSecond.start();
    QTest::qWait(30);
    const qint64 atLeast = sinceSecond.elapsed();
    second.write(status(u"1"_s));
    QTRY_COMPARE(agent.statusCount(), 3);
    QVERIFY2(agent.worstStatusGapMs() >= atLeast, qPrintable(QString::number(atLeast)));
}

void VigiloSimTest::simulatorCommands()
{
    Options options;
    options.endpoints = {{Loopback, 0}, {Loopback, 0}};
    options.changesOnly = true;
    QStringList out;
    QStringList err;
    Simulator simulator(
        options, [&out](const QString& line) { out << line; },
        [&err](const QString& line) { err << line; });
    QVERIFY(simulator.start());
    StationAgent* first = simulator.stations().first();
    Console console;
    QVERIFY(console.connectTo(*first));
    QTRY_VERIFY(first->isConnected());

    // A repeated status is not printed; one that changes the state or the user is.
    console.write(status(u"1"_s) + status(u"1"_s) + status(u"1"_s, u"ana"_s) + status(u""_s));
    QTRY_COMPARE(first->statusCount(), 4);
    QCOMPARE(out.filter(u"  SENDSTAT  "_s).size(), 3);

    QCOMPARE(simulator.execute(u"stats"_s), 0);
    QCOMPARE(out.last(), u"stats stations=2 connected=1 statuses=4 worst_gap_ms=%1"_s.arg(
                             first->worstStatusGapMs()));
    simulator.execute(u"list"_s);
    QCOMPARE(out.mid(out.size() - 2),
             (QStringList{u"1  %1  pc01  connected  state=free  locked"_s.arg(first->label()),
                          u"2  %1  pc02  waiting  state=none  locked"_s.arg(
                              simulator.stations().last()->label())}));

    simulator.execute(u"1 GETSTART ana clave"_s);
    QTRY_VERIFY(console.reads.contains("GETSTART#LVX#ana#LVX#clave"));
    QVERIFY(out.last().endsWith(u"  >> GETSTART  ana | clave"_s));

    // Refused with a word on the error output.
    const qsizetype outLines = out.size();
    simulator.execute(u"127.0.0.1 GETOUT"_s);
    QVERIFY(err.last().contains(u"several stations"_s));
    simulator.execute(u"2 GETOUT"_s);
    QVERIFY(err.last().contains(u"no console connected"_s));
    simulator.execute(u"1 HELLO"_s);
    QVERIFY(err.last().contains(u"unknown message"_s));
    QCOMPARE(err.size(), 3);
    QCOMPARE(out.size(), outLines);

    simulator.execute(u"1 stop"_s);
    QVERIFY(!first->isListening());
    QTRY_COMPARE(console.socket.state(), QAbstractSocket::UnconnectedState);
    simulator.execute(u"1 start"_s);
    Console again;
    QVERIFY(again.connectTo(*first));
    QTRY_VERIFY(first->isConnected());

    // A sleep holds back the lines after it.
    CommandQueue queue(simulator);
    QSignalSpy quit(&simulator, &Simulator::quitRequested);
    queue.append({u"sleep 50"_s, u"quit"_s});
    QVERIFY(!queue.isIdle());
    QCOMPARE(quit.size(), 0);
    QVERIFY(quit.wait());
    QVERIFY(queue.isIdle());
}

} // namespace kestrel::sim

QTEST_GUILESS_MAIN(kestrel::sim::VigiloSimTest)
#include "tst_vigilosim.moc"
