// The station administration over real loopback sockets, against the simulator's agent.
#include "config/stationadmin.h"
#include "link/requests.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "stationagent.h"
#include "support/testsupport.h"
#include "ui/options/stationspage.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const char* const Cyber = "PC | PCIP";

// The counter PC with stations PC01, PC02, ... at the given addresses ("agent": a listening
// agent of its own), its sockets, supervision, request dispatcher and station administration.
struct Cafe : test::CounterServices {
    std::vector<std::unique_ptr<sim::StationAgent>> agents;
    StationSockets sockets;
    LinkSender wire{sockets, session};
    ConnectionSupervision supervision{stations, sockets, wire};
    RequestDispatcher requests{{stations, actions, store.db(), wire, messages, clock}};
    StationAdmin admin{{store.db(), stations, sockets, rows, actions, prompts}};

    explicit Cafe(QStringList addresses, int spareAgents = 0)
    {
        for (qsizetype i = 0; i < addresses.size() + spareAgents; ++i) {
            agents.push_back(std::make_unique<sim::StationAgent>(u"caja%1"_s.arg(i), u"aa"_s));
            agents.back()->setMessageGapMs(5);
            agents.back()->listen(QHostAddress::LocalHost, 0);
            if (i < addresses.size() && addresses[i] == u"agent")
                addresses[i] = agent(int(i));
            if (i < addresses.size())
                store.exec(u"INSERT INTO CYBER (PC, PCIP, TOTAL) VALUES (?, ?, ?)"_s,
                           {u"PC0%1"_s.arg(i + 1), addresses[i], i + 1});
        }
        loadStations();
        sockets.reset(stations.count());
        QObject::connect(&sockets, &StationSockets::received, &requests,
                         &RequestDispatcher::dispatchBytes);
        admin.load();
        admin.load(); // as the page reads it again: nothing listed twice
    }
    QString agent(int i) const { return u"127.0.0.1:%1"_s.arg(agents[size_t(i)]->port()); }
    // A tick, then until every station is connected and the console has read its agent's name:
    // the console's first status follows a tick after the connection, so the agent's answer to
    // it (its MAC address) never reaches the console together with the name.
    bool connectAll()
    {
        QSet<int> heard;
        const auto listening = QObject::connect(&sockets, &StationSockets::received,
                                                [&](int i, const QByteArray&) { heard.insert(i); });
        supervision.tick();
        const bool connected = QTest::qWaitFor([&] {
            for (int i = 0; i < stations.count(); ++i)
                if (!sockets.isConnected(i) || !heard.contains(i))
                    return false;
            return true;
        });
        QObject::disconnect(listening);
        return connected;
    }
    // CYBER's PC and PCIP ("PC=PCIP", blanks between the rows), checked against the page list:
    // where that differs, the page's rows and a mark.
    test::Records cyber()
    {
        test::Records listed;
        for (const StationEntry& e : admin.entries())
            listed << QStringList{e.pc, e.pcip};
        const test::Records stored = store.rows(u"SELECT PC, PCIP FROM CYBER"_s);
        return listed == stored ? stored : listed << QStringList{u"the page differs"_s};
    }
};

} // namespace

class TestStationAdmin : public QObject {
    Q_OBJECT
private slots:
    void addThenModifyConnects();
    void removeKeepsTheOthersAndTheirConnections();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void addressChecks_data();
    void addressChecks();
    void pageAndEditor();
};

// "7" at "pc_07": a CYBER row with PC and PCIP only and a new last station, free and not yet
// tried. Moved to an agent, the next tick connects it; a connected station given a new address
// is closed at once and connected there on the next tick.
void TestStationAdmin::addThenModifyConnects()
{
    Cafe cafe({u"agent"_s}, 2);
    QVERIFY(cafe.connectAll());
    QVERIFY(cafe.admin.add(u"7"_s, u"pc_07"_s));
    COMPARE_RECORDS(cafe.cyber(), Cyber, u"PC01=%1 7=pc_07"_s.arg(cafe.agent(0)), u' ', u'=');
    QCOMPARE(cafe.store.scalar(u"SELECT count(*) FROM CYBER WHERE TIEMPO IS NULL AND TARIFA IS "
                               u"NULL AND TOTAL IS NULL AND PCNAME IS NULL"_s),
             QVariant(1));
    Station added;
    added.pc = u"7"_s;
    added.sub = u"0,00"_s;
    added.LSTIPS = u"pc_07"_s;
    added.pcnames = u" "_s;
    added.LSTTARBAS = u"0"_s;
    QCOMPARE(cafe.stations.count(), 2);
    COMPARE_STATIONS(cafe.stations.at(1), added);
    QVERIFY(cafe.sockets.count() == 2 && cafe.sockets.state(1) == StationSockets::State::Closed);

    QVERIFY(cafe.admin.modify(1, cafe.agent(1)));
    COMPARE_RECORDS(cafe.cyber(), Cyber, u"PC01=%1 7=%2"_s.arg(cafe.agent(0), cafe.agent(1)), u' ',
                    u'=');
    QVERIFY(cafe.connectAll());
    QVERIFY(cafe.admin.modify(0, cafe.agent(2)));
    QVERIFY(cafe.sockets.state(0) == StationSockets::State::Closed);
    QVERIFY(cafe.connectAll());
    cafe.supervision.tick();
    QTRY_COMPARE(cafe.agents[2]->lastStatus().value(3), cafe.agent(2));
    QVERIFY(!cafe.agents[0]->isConnected() && cafe.agents[1]->isConnected());
    QVERIFY(cafe.prompts.told.isEmpty() && cafe.prompts.notified.isEmpty());
}

// The second of three goes with its row and connection; the others keep every field and their
// open connections, and the third's agent is heard, and told, as station 2.
void TestStationAdmin::removeKeepsTheOthersAndTheirConnections()
{
    Cafe cafe({u"agent"_s, u"agent"_s, u"agent"_s});
    QVERIFY(cafe.connectAll());
    cafe.supervision.tick();
    QTRY_VERIFY(cafe.stations.at(0).LSTMACS == u"AA" && cafe.stations.at(2).LSTMACS == u"AA");
    const Station first = cafe.stations.at(0), third = cafe.stations.at(2);
    QCOMPARE(third.pcnames, u"\\\\CAJA2"_s);
    QCOMPARE(third.total, u"3,00"_s);

    cafe.prompts.answerNext(true);
    QVERIFY(cafe.admin.remove(1));
    QCOMPARE(cafe.prompts.questions, QStringList{u"Quitar puesto?"_s});
    COMPARE_RECORDS(cafe.cyber(), Cyber, u"PC01=%1 PC03=%2"_s.arg(cafe.agent(0), cafe.agent(2)),
                    u' ', u'=');
    QCOMPARE(cafe.sockets.count(), 2);
    COMPARE_STATIONS(cafe.stations.stations(), std::vector{first, third});
    QTRY_VERIFY(!cafe.agents[1]->isConnected());
    QVERIFY(cafe.agents[0]->isConnected() && cafe.agents[2]->isConnected());
    cafe.agents[2]->send(u"GETNAME"_s, {u"movida"_s});
    QTRY_COMPARE(cafe.stations.at(1).pcnames, u"\\\\MOVIDA"_s);
    const int statuses = cafe.agents[2]->statusCount();
    cafe.supervision.tick();
    QTRY_COMPARE(cafe.agents[2]->statusCount(), statuses + 1);
    QCOMPARE(cafe.agents[2]->lastStatus().value(3), cafe.agent(2));
}

void TestStationAdmin::refusalsChangeNothing_data()
{
    // The command in the row's name; station 2 busy, or the store full.
    test::addRows("state | told", R"(
    modify busy | busy | Para poder modificar/eliminar debe estar libre
    remove busy | busy | Para poder modificar/eliminar debe estar libre
    remove no   | free |
    add full    | full | No se pudo agregar el puesto 3: no se guardó nada.\ndisco lleno
    modify full | full | No se pudo modificar el puesto PC02: no se guardó nada.\ndisco lleno
    remove full | full | No se pudo quitar el puesto PC02: no se guardó nada.\ndisco lleno
    )");
}

// Refused or given back: CYBER, the page list, the station table and the open connections are
// as they were, and the operator is told why.
void TestStationAdmin::refusalsChangeNothing()
{
    QFETCH(test::Row, r);
    const QString state = r[u"state"];
    Cafe cafe({u"agent"_s, u"agent"_s});
    QVERIFY(cafe.connectAll());
    if (state == u"busy")
        cafe.stations.update(1, [](Station& s) { s.modo = StationMode::Waiting; });
    for (const char* event : {"INSERT", "UPDATE", "DELETE"})
        QVERIFY(state != u"full" ||
                cafe.store.exec(u"CREATE TRIGGER full_%1 BEFORE %1 ON CYBER "
                                u"BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s.arg(event)));
    const std::vector<Station> before = cafe.stations.stations();
    const test::Records stored = cafe.cyber();
    const QString what = QString::fromUtf8(QTest::currentDataTag()).section(u' ', 0, 0);
    cafe.prompts.answerNext(state != u"free");
    QVERIFY(!(what == u"add"      ? cafe.admin.add(u"3"_s, u"caja-3"_s)
              : what == u"modify" ? cafe.admin.modify(1, u"caja-9"_s)
                                  : cafe.admin.remove(1)));
    QStringList told = cafe.prompts.toldTexts();
    for (const auto& notice : cafe.prompts.notified)
        told << notice.text;
    // The store's reason may go on with the driver's words.
    const QString expected = r[u"told"].replace(u"\\n"_s, u"\n"_s);
    QVERIFY2(told.size() == int(!expected.isEmpty()) &&
                 (told.isEmpty() || told[0].startsWith(expected)),
             qPrintable(told.join(u'|')));
    QCOMPARE(cafe.prompts.questions.size(), what == u"remove" && state != u"busy" ? 1 : 0);
    COMPARE_STATIONS(cafe.stations.stations(), before);
    COMPARE_RECORDS(cafe.cyber(), Cyber, stored);
    QVERIFY(cafe.sockets.isConnected(0) && cafe.sockets.isConnected(1) &&
            cafe.sockets.count() == 2);
}

void TestStationAdmin::addressChecks_data()
{
    // "stored", or the start of what the operator is told.
    test::addRows("typed | outcome", R"(
    name              | pc_07           | stored
    same host, port   | caja-1:7000     | stored
    same ip, port     | 10.0.0.2        | stored
    empty             |                 | Ingrese el nombre
    three numbers     | 192.168.0       | La dirección "192.168.0" no es válida
    not ascii         | cañón           | La dirección "cañón" no es válida
    port zero         | pc:0            | La dirección "pc:0" no es válida
    port with sign    | pc:+80          | La dirección "pc:+80" no es válida
    two colons        | pc:80:81        | La dirección "pc:80:81" no es válida
    used other case   | CAJA-1          | La dirección "CAJA-1" ya es la del puesto "PC01"
    used with port    | 10.0.0.2:7000   | La dirección "10.0.0.2:7000" ya es la del puesto "PC02"
    )");
}

// Checked on adding and on modifying, where a station's own address does not count as used.
void TestStationAdmin::addressChecks()
{
    QFETCH(test::Row, r);
    const QString typed = r[u"typed"];
    const bool stored = r[u"outcome"] == u"stored";
    const QString before = u"PC01=caja-1 PC02=10.0.0.2:7000 PC03=caja-3"_s;
    for (const bool modify : {false, true}) {
        Cafe cafe({u"caja-1"_s, u"10.0.0.2:7000"_s, u"caja-3"_s});
        QCOMPARE(modify ? cafe.admin.modify(2, typed) : cafe.admin.add(u"X"_s, typed), stored);
        const QString after = (modify ? before.chopped(6) : before + u" X=") + typed;
        COMPARE_RECORDS(cafe.cyber(), Cyber, stored ? after : before, u' ', u'=');
        QVERIFY(cafe.stations.count() == cafe.sockets.count());
        QVERIFY(stored || cafe.prompts.toldTexts().value(0).startsWith(r[u"outcome"]));
        QVERIFY(cafe.admin.modify(0, u" CAJA-1 "_s)); // its own, trimmed
        QCOMPARE(cafe.stations.at(0).LSTIPS, u"CAJA-1"_s);
    }
}

// The page lists CYBER; in the editor Enter moves from the identifier to the address and
// accepts there.
void TestStationAdmin::pageAndEditor()
{
    Cafe cafe({u"caja-1"_s, u"caja-2"_s});
    StationsPage page(cafe.admin, cafe.prompts);
    QCOMPARE(page.findChild<QTreeWidget*>(u"lstpuestos"_s)->topLevelItem(1)->text(1), u"caja-2"_s);
    StationEditor* editor = page.editor();
    editor->startAdd();
    editor->show();
    QTest::keyClicks(editor->findChild<QLineEdit*>(u"txtpc"_s), u"7"_s);
    QTest::keyClick(editor->focusWidget(), Qt::Key_Return);
    QTest::keyClicks(editor->focusWidget(), u"pc_07"_s);
    QTest::keyClick(editor->focusWidget(), Qt::Key_Return);
    COMPARE_RECORDS(cafe.cyber(), Cyber, u"PC01=caja-1 PC02=caja-2 7=pc_07"_s, u' ', u'=');
    QVERIFY(!editor->isVisible());
}

} // namespace kestrel

QTEST_MAIN(kestrel::TestStationAdmin)
#include "tst_stationadmin.moc"
