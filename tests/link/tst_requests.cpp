// What the station agents ask of the console, and what the operator does to a station.
#include "link/requests.h"
#include "stations/cyberstore.h"
#include "stations/display.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString Hostile = u"o'hara\"; DROP TABLE CUENTAS; --"_s;

// Three stored stations (PC02 with what an earlier session left) and the café's accounts; Marta
// (no rights) is the operator. `setup` runs on the store before the stations are loaded.
struct Counter : test::CounterServices {
    RequestDispatcher requests{{stations, actions, store.db(), sender, messages, clock}};

    explicit Counter(const QString& setup = {})
    {
        store.exec(u"INSERT INTO CYBER (PC, TIEMPO, TARIFA, TOTAL, TARIFM, vartipex) VALUES "
                   u"('PC01', '0:00:00', 0, 0, '', ''), ('PC02', '0:00:00', 0, 3, 'TC', '1,50'), "
                   u"('PC03', '0:00:00', 0, 0, '', '')"_s);
        store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) VALUES "
                   u"('ana', 'Clave', '1:00:00', 0.8), ('beto', NULL, '0:30:00', 1), "
                   u"('cero', 'x', '0:00:45', 1), ('nulo', 'x', NULL, 1), "
                   u"('muñoz', 'Ñu', '0:10:00', 1), (?, 'q', '2:05:00', 1.25), "
                   u"('ana', 'otra', '9:00:00', 2)"_s,
                   {Hostile});
        if (!setup.isEmpty())
            store.exec(setup);
        loadStations();
    }

    // PC02 as CYBER holds it; what the agent reports is kept in memory only.
    Station stored()
    {
        Station s = CyberStore(store.db()).load().value_or(std::vector<Station>(3)).at(1);
        s.pcnames = stations.at(1).pcnames;
        s.LSTMACS = stations.at(1).LSTMACS;
        return s;
    }
    test::Records accounts()
    {
        return store.rows(u"SELECT USER, PASSWORD, TIMERES FROM CUENTAS"_s);
    }
};

// A station with the changes "field=value|field=value" made.
Station changed(Station s, const QString& changes)
{
    static const QStringList names =
        u"name mac modo code usuario tiempo sub total rate tarifm vartipex vartipex2 vartipex3"_s
            .split(u' ');
    static const QList<QString Station::*> members{
        &Station::pcnames,   &Station::LSTMACS, &Station::modo,     &Station::LSTCLWA,
        &Station::usuario,   &Station::tiempo,  &Station::sub,      &Station::total,
        &Station::LSTTARBAS, &Station::TARIFM,  &Station::vartipex, &Station::vartipex2,
        &Station::vartipex3};
    for (const QString& change : changes.split(u'|', Qt::SkipEmptyParts))
        s.*members.at(names.indexOf(change.section(u'=', 0, 0))) = change.section(u'=', 1);
    return s;
}

// A request received from PC02: PC02's changes (see changed), the refreshes of the command
// enabling, what is sent to PC02, what runs on the store first, the messages list's first row,
// and whether the operator is told the store failed.
struct Request {
    QString text{}, after{};
    int refreshes = 0;
    QString sent{}, setup{}, listed{};
    bool fails = false;
};

} // namespace

class TestRequests : public QObject {
    Q_OBJECT
private slots:
    void requests_data();
    void requests();
    void commands_data();
    void commands();
    void sendingAndChat();
    void passwordGuessingHoldsTheAccount();
    void commandEnabling_data();
    void commandEnabling();
};

void TestRequests::requests_data()
{
    QTest::addColumn<Request>("r");
    const auto pc = [](const char* name, const QString& set) -> QString {
        return u"UPDATE CYBER SET "_s + set + u" WHERE PC = '"_s + name + u'\'';
    };
    const auto code = [&](const char* c) { return pc("PC02", u"LSTVARX = '"_s + c + u'\''); };
    // An account session begins: prepaid, the account's time and rate, nothing charged yet.
    const auto login = [](const QString& user, const char* credit, const char* rate) -> QString {
        return u"modo=PREPAGO|code=3|usuario="_s + user + u"|vartipex3="_s + credit + u"|rate="_s +
               rate + u"|vartipex2=0:00:00|total=0,00|vartipex=0,00|tarifm="_s;
    };
    const QString wrong = u"MSGBOX3#LVX#Usuario/Contraseña INCORRECTA#LVXF#"_s;
    const QString noCredit = u"MSGBOX3#LVX#Cuenta sin credito...#LVXF#"_s;
    const QString ana = login(u"ana"_s, "1:00:00", "0,8");
    const QString full = u"CREATE TRIGGER full BEFORE UPDATE ON CYBER BEGIN SELECT RAISE(ABORT, "
                         u"'disco lleno'); END"_s;
    const QString session = pc("PC02", "MODALIDAD = 'PREPAGO', LSTVARX = '3', CLIENTE = 'ana', "
                                       "TARIFA = 0.11, TIEMPO = '0:59:10', vartipex2 = '0:00:50', "
                                       "vartipex3 = '1:00:00'");
    const QString counting = pc("PC02", "MODALIDAD = 'CONTADOR', LSTVARX = '1', TARIFA = 2.5, "
                                        "TOTAL = 2.5, TIEMPO = '0:40:00', vartipex2 = '0:40:00'");
    const QString longText(MessageList::MaxTextLength + 1, u'x');
    using R = Request;
    QTest::newRow("name, upper case") << R{"GETNAME#LVX#pc1getmac#LVX#AA", "name=\\\\PC1GETMAC", 1};
    QTest::newRow("mac in upper case") << R{"GETMAC#LVX#aa:bb:0c", "mac=AA:BB:0C", 1};
    QTest::newRow("missing name") << R{"GETNAME"};
    QTest::newRow("missing mac") << R{"GETMAC"};
    QTest::newRow("missing message") << R{"MSGBOX"};
    QTest::newRow("missing password") << R{"GETSTART#LVX#ana"};
    QTest::newRow("display name asked") << R{"GETNAMEX#LVX#x", {}, 1, "GETNAMEX#LVX#PC02#LVXF#"};
    QTest::newRow("customer message") << R{"MSGBOX#LVX#¿Y el café?", {}, 1, {}, {}, "¿Y el café?"};
    QTest::newRow("long message is cut") << R{
        "MSGBOX#LVX#" + longText, {}, 1, {}, {}, longText.left(MessageList::MaxTextLength) + u'…'};
    QTest::newRow("counter start") << R{"GETSTART2", "code=1|modo=CONTADOR", 0, {}, code("2")};
    QTest::newRow("prepaid start") << R{"GETSTART2#LVX#", "code=3|modo=PREPAGO", 0, {}, code("4")};
    QTest::newRow("start press while running") << R{"GETSTART2", {}, 0, {}, code("1")};
    QTest::newRow("start press on a free station") << R{"GETSTART2"};
    QTest::newRow("terminator in the keyword") << R{"GETSTART2#LVXF#", {}, 1, {}, code("2")};
    QTest::newRow("keyword compared with case") << R{"getstart2", {}, 1, {}, code("2")};
    QTest::newRow("login, extra field") << R{"GETSTART#LVX#ana#LVX#Clave#LVX#x", ana, 1};
    QTest::newRow("login, every letter ignores case")
        << R{"GETSTART#LVX#MUÑOZ#LVX#Ñu", login(u"MUÑOZ"_s, "0:10:00", "1"), 1};
    QTest::newRow("password compared with case") << R{"GETSTART#LVX#ana#LVX#clave", {}, 0, wrong};
    QTest::newRow("later rows of a name unused") << R{"GETSTART#LVX#ana#LVX#otra", {}, 0, wrong};
    QTest::newRow("unknown user") << R{"GETSTART#LVX#nadie#LVX#x", {}, 0, wrong};
    QTest::newRow("seconds are no credit") << R{"GETSTART#LVX#cero#LVX#x", {}, 0, noCredit};
    QTest::newRow("no time is no credit") << R{"GETSTART#LVX#nulo#LVX#x", {}, 0, noCredit};
    QTest::newRow("no credit, before password") << R{"GETSTART#LVX#cero#LVX#mal", {}, 0, noCredit};
    QTest::newRow("no credit, before logged in elsewhere")
        << R{"GETSTART#LVX#cero#LVX#x", {}, 0, noCredit, pc("PC01", "CLIENTE = 'cero'")};
    QTest::newRow("logged in elsewhere: silence")
        << R{"GETSTART#LVX#ana#LVX#mal", {}, 0, {}, pc("PC01", "CLIENTE = 'ana'")};
    QTest::newRow("elsewhere in another case is not the same")
        << R{"GETSTART#LVX#ana#LVX#Clave", ana, 1, {}, pc("PC01", "CLIENTE = 'ANA'")};
    QTest::newRow("quotes and SQL are a name")
        << R{"GETSTART#LVX#" + Hostile + "#LVX#q", login(Hostile, "2:05:00", "1,25"), 1};
    QTest::newRow("accounts unreadable") << R{"GETSTART#LVX#ana#LVX#Clave",           {}, 0,   {},
                                              "ALTER TABLE CUENTAS RENAME TO VIEJAS", {}, true};
    // Refused as a whole: the first login's password is not kept either.
    QTest::newRow("not stored") << R{"GETSTART#LVX#beto#LVX#Nueva", {}, 0, {}, full, {}, true};
    QTest::newRow("logout: the state code and the times stay")
        << R{"GETOUT", "modo=|usuario=|tiempo=0:00:00|sub=0,00", 1, {}, session};
    // A session without an account keeps its time and charge whatever its agent says.
    QTest::newRow("login on a station in a session: silence")
        << R{"GETSTART#LVX#ana#LVX#Clave", {}, 0, {}, counting};
    QTest::newRow("logout without a customer") << R{"GETOUT", {}, 1, {}, counting};
}

// Each request changes PC02 only, and what changes is in the store at once, without a tick.
void TestRequests::requests()
{
    QFETCH(Request, r);
    Counter c(r.setup);
    std::vector<Station> expected = c.stations.stations();
    const test::Records accounts = c.accounts();
    QSignalSpy refreshed(&c.requests, &RequestDispatcher::stationCommandsChanged);
    QSignalSpy failed(&c.requests, &RequestDispatcher::storeFailed);
    c.requests.dispatch(1, r.text);
    expected[1] = changed(expected[1], r.after);
    COMPARE_STATIONS(c.stations.stations(), expected);
    COMPARE_STATIONS(c.stored(), c.stations.at(1));
    // The rate is stored as it shows, without the noise of its single-precision value.
    QCOMPARE(c.store.scalar(u"SELECT TARIFBAS FROM CYBER WHERE PC = 'PC02'"_s).toDouble(),
             parseNumber(c.stations.at(1).LSTTARBAS).value_or(0.0));
    COMPARE_RECORDS(c.accounts(), "USER | PASSWORD | TIMERES", accounts);
    QCOMPARE(c.links.sentTo(1), r.sent.isEmpty() ? QStringList() : QStringList{r.sent});
    QCOMPARE(c.links.sent.size(), r.sent.isEmpty() ? 0 : 1);
    QCOMPARE(c.messages.rows().value(0).mensaje, r.listed);
    QCOMPARE(refreshed.count(), r.refreshes);
    QCOMPARE(failed.count() + c.prompts.notified.size(), r.fails ? 1 : 0);
}

void TestRequests::commands_data()
{
    // An operator's command on PC02: "lock", "toolbar" or an agent command's token, sent only on
    // Yes. "_" is a blank; a total after "" leaves the station unchanged. The menu's lock never
    // asks, the toolbar's may.
    test::addRows("command | answer | mode | time | questitolock | restorecounters | journalled | "
                  "total after | question",
                  R"(
    counter under a minute |lock   | |CONTADOR|0:00:59|1 |1 |0|0,00|
    counter of a minute    |lock   | |CONTADOR|0:01:00|1 |1 |1|0,00|
    counter of an hour     |lock   | |CONTADOR|1:00:05|1 |1 |1|0,00|
    prepaid not journalled |lock   | |PREPAGO |0:20:00|1 |1 |0|0,00|
    counters kept          |lock   | |CONTADOR|0:05:00|1 |0 |1|7,25|
    only exactly 1 restores|lock   | |CONTADOR|0:05:00|1 |1_|1|7,25|
    toolbar, not configured|toolbar| |CONTADOR|0:05:00|0 |1 |1|0,00|
    toolbar, asked, yes    |toolbar|y|CONTADOR|0:05:00|1 |1 |1|0,00|Desea bloquear ? \nPuesto :PC02
    toolbar, asked, no     |toolbar|n|CONTADOR|0:05:00|1 |1 |0|    |Desea bloquear ? \nPuesto :PC02
    toolbar, only 1 asks   |toolbar| |CONTADOR|0:05:00|1_|1 |1|0,00|
    close programs         |9      |y|        |       |  |  |0|    |Cerrar programas abiertos ? en PC02
    close agent            |5      |y|        |       |  |  |0|    |Cerrar Vigilo en PC02
    close session          |8      |y|        |       |  |  |0|    |Cerrar sesion PC02
    restart                |7      |y|        |       |  |  |0|    |Reiniciar Puesto PC02
    shut down              |6      |y|        |       |  |  |0|    |Apagar Puesto PC02
    shut down, answered no |6      |n|        |       |  |  |0|    |Apagar Puesto PC02
    )");
}

void TestRequests::commands()
{
    QFETCH(test::Row, r);
    Counter c;
    c.memory.write(u"questitolock"_s, r[u"questitolock"].replace(u'_', u' '));
    c.memory.write(u"restorecounters"_s, r[u"restorecounters"].replace(u'_', u' '));
    c.prompts.answerNext(r[u"answer"] == u"y"); // asked only when the row has a question
    c.stations.update(1, [&](Station& s) {
        s = changed(s, u"code=1|vartipex3=1:00:00|usuario=luis|sub=1,25|vartipex=1,25|total=7,25|"
                       u"modo=%1|tiempo=%2|vartipex2=%2"_s.arg(r[u"mode"], r[u"time"]));
    });
    const Station before = c.stations.at(1);
    static const QStringList tokens{u"9"_s, u"5"_s, u"8"_s, u"7"_s, u"6"_s}; // as AgentCommand
    const QString command = r[u"command"];
    if (command == u"lock")
        QVERIFY(c.commands.LOCKPC(1));
    else if (command == u"toolbar")
        c.commands.LockPC2(1);
    else
        c.commands.send(1, RemoteCommands::AgentCommand(tokens.indexOf(command)));
    QCOMPARE(c.prompts.questions,
             QStringList(!r[u"answer"].isEmpty(), r[u"question"].replace(u"\\n"_s, u"\n"_s)));
    const QString sent = command + u"#LVX#"_s + command + u"#LVXF#"_s;
    QCOMPARE(c.links.sentTo(1),
             QStringList(tokens.contains(command) && r[u"answer"] == u"y", sent));
    COMPARE_RECORDS(c.journalRows(), c.journalColumns,
                    r.yes(u"journalled") ? "1,25 | luis | PC02 | CONTADOR | Marta" : "");
    const QString free = u"modo=|code=|usuario=|tiempo=0:00:00|sub=0,00|vartipex=0,00|"
                         u"vartipex2=0:00:00|vartipex3=0:00:00|total="_s;
    const QString total = r[u"total after"];
    COMPARE_STATIONS(c.stations.at(1), total.isEmpty() ? before : changed(before, free + total));
    if (!total.isEmpty())
        COMPARE_STATIONS(c.stored(), c.stations.at(1)); // with its journal row, at once
}

// What goes out to the stations, the chat rows of both sides (MSGBOX or MSGBOX2 by the operator's
// right) and a flooding station.
void TestRequests::sendingAndChat()
{
    Counter c;
    for (int index : {-1, 3}) { // no station: nothing at all
        c.commands.send(index, RemoteCommands::AgentCommand::ShutDown);
        c.commands.LOCKPC(index);
        c.commands.LockPC2(index);
        c.commands.setVolume(index, 10);
        QVERIFY(!c.commands.chat(index, u"hola"_s));
        c.requests.dispatch(index, u"GETNAMEX"_s);
        UPDATEICONS(c.stations, index);
    }
    QVERIFY(c.links.sent.isEmpty() && c.prompts.questions.isEmpty() && c.messages.rows().isEmpty());
    c.links.closed << 1; // not connected: nothing goes out, nothing waits
    c.commands.setVolume(1, 35);
    c.sender.send(1, u"BLOCKOPT"_s, {u"0"_s, u"0"_s, u"0"_s});
    c.sender.send(0, u"BLOCKOPT"_s, {u"4"_s, u"1"_s, QString()});
    c.sender.SENDGEN(0, u"SHOWF"_s, QString());
    c.requests.dispatch(2, u"MSGBOX#LVX#¿Me trae un café?"_s);
    QVERIFY(c.commands.chat(0, u"Enseguida"_s));
    QVERIFY(c.commands.chat(1, u"Nadie escucha"_s)); // listed though not sent
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
    QCOMPARE(c.links.sentTo(0),
             QStringList({u"BLOCKOPT#LVX#4#LVX#1#LVX##LVXF#"_s, u"SHOWF#LVX##LVXF#"_s,
                          u"MSGBOX#LVX#Enseguida#LVXF#"_s}));
    QCOMPARE(c.links.sentTo(1), QStringList());
    QCOMPARE(c.links.sentTo(2), QStringList{u"MSGBOX2#LVX#Ya voy#LVXF#"_s});
    QSignalSpy dropped(&c.messages, &MessageList::rowsDropped);
    for (qsizetype i = 0; i < MessageList::MaxRows - 1; ++i)
        c.requests.dispatch(1, u"MSGBOX#LVX#"_s + QString::number(i));
    QCOMPARE(c.messages.rows().size(), MessageList::MaxRows);
    QCOMPARE(c.messages.rows().first().mensaje, u"Ya voy"_s); // the newest rows are kept
    QCOMPARE(c.messages.rows().last().mensaje, QString::number(MessageList::MaxRows - 2));
    QCOMPARE(dropped.count(), 3);
    c.commands.clearMessages();
    QVERIFY(c.messages.rows().isEmpty());
}

// Five wrong passwords in ten minutes, from any station and in any letter case, hold the account
// for a minute, then two; the right password is refused alike meanwhile, other accounts are not
// held, and the operator is told once per hold.
void TestRequests::passwordGuessingHoldsTheAccount()
{
    Counter c;
    const QString wrong = u"MSGBOX3#LVX#Usuario/Contraseña INCORRECTA#LVXF#"_s;
    const auto login = [&](int station, const QString& user, const QString& password) {
        c.links.sent.clear();
        c.requests.dispatch(station, u"GETSTART#LVX#"_s + user + u"#LVX#"_s + password);
        return c.links.sentTo(station).value(0, c.stations.at(station).usuario);
    };
    const auto later = [&](int seconds) { c.clock.set(c.clock.now().addSecs(seconds)); };
    const auto guess = [&](int times) {
        for (int i = 0; i < times; ++i) {
            QCOMPARE(login(i % 2, i % 2 ? u"ANA"_s : u"ana"_s, u"%1"_s.arg(i, 4, 10, QChar(u'0'))),
                     wrong);
            later(10);
        }
    };
    guess(4);
    later(LoginGuard::WindowMs / 1000 - 30); // the first two guesses are out of the window
    guess(4);
    QVERIFY(c.messages.rows().isEmpty());
    guess(1);
    QCOMPARE(c.messages.rows().value(0),
             (MessageList::Row{u"PC01"_s, u"9:15:53"_s,
                               u"Cuenta «ana» retenida 1 min: 5 contraseñas incorrectas"_s}));
    QCOMPARE(login(1, u"ana"_s, u"Clave"_s), wrong);
    QCOMPARE(login(2, u"muñoz"_s, u"Ñu"_s), u"muñoz"_s); // another account is not held
    later(LoginGuard::FirstHoldMs / 1000 - 11);
    QCOMPARE(login(1, u"ana"_s, u"Clave"_s), wrong);
    later(1);
    guess(5); // the second hold lasts twice as long
    QCOMPARE(c.messages.rows().size(), 2);
    QVERIFY(c.messages.rows().last().mensaje.contains(u"retenida 2 min"_s));
    later(2 * LoginGuard::FirstHoldMs / 1000 - 11);
    QCOMPARE(login(1, u"ana"_s, u"Clave"_s), wrong);
    later(1);
    QCOMPARE(login(1, u"ana"_s, u"Clave"_s), u"ana"_s);
    QCOMPARE(c.messages.rows().size(), 2);
}

void TestRequests::commandEnabling_data()
{
    // The selected station's mode and customer, the operator's right to add credit, the number of
    // stations; what is enabled, one digit a command.
    test::addRows("mode | customer | right | stations | enabled", R"(
    free                          |         |   |1|3|100001 1001
    free, one station             |         |   |1|1|100000 1000
    counter                       |CONTADOR |   |1|3|011101 0101
    counter with customer         |CONTADOR |ana|1|3|010101 0101
    waiting                       |EN ESPERA|   |1|3|011101 0101
    prepaid with right            |PREPAGO  |   |1|3|011111 0111
    prepaid without right         |PREPAGO  |   |0|2|011101 0111
    account session               |PREPAGO  |ana|1|3|010011 0111
    account session without right |PREPAGO  |ana|0|3|010001 0111
    )");
}

void TestRequests::commandEnabling()
{
    QFETCH(test::Row, r);
    StationTable table;
    std::vector<Station> list(r.number(u"stations"));
    list[0] = changed(list[0], u"modo=%1|usuario=%2"_s.arg(r[u"mode"], r[u"customer"]));
    table.setStations(list);
    OperatorSession session;
    OperatorRecord op{u"Marta"_s, {}, {}};
    op.rights[std::size_t(Right::IncrementAccounts)] = r.yes(u"right");
    session.logIn(op);
    const StationCommands c = EnDisOpc(table, 0, session, StationCommands());
    QStringList got;
    for (bool b : {c.open, c.lock, c.charge, c.mode, c.addTime, c.swap, c.menuOpen, c.menuLock,
                   c.menuAddTime, c.menuSwap})
        got << QString::number(b);
    COMPARE_RECORDS({got},
                    "open | lock | charge | mode | add time | swap | menu open | menu lock | "
                    "menu add time | menu swap",
                    {r[u"enabled"].remove(u' ').split(QString(), Qt::SkipEmptyParts)});
    // No selection, or no station: nothing changes.
    const StationCommands mixed{true, false};
    QCOMPARE(EnDisOpc(table, -1, session, mixed), mixed);
    QCOMPARE(EnDisOpc(StationTable(), 0, session, mixed), mixed);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestRequests)
#include "tst_requests.moc"
