// The station agent's rules: from what the console sends to the screen and the system action.
#include "agentfakes.h"
#include "support/testsupport.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

using test::AgentUnderTest;

namespace {

const char* const Screens[] = {"locked", "waiting", "running"};

// "SENDSTAT 3 0:59:10 ana" is SENDSTAT#LVX#3#LVX#0:59:10#LVX#$ 0,10#LVX#10.0.0.5#LVX#ana.
QStringList fieldsOf(const QString& message)
{
    QStringList words = message.split(u' ');
    const QString keyword = words.takeFirst();
    if (keyword != u"SENDSTAT")
        return words;
    const QString code = words.value(0) == u"-" ? QString() : words.value(0);
    return {code, words.value(1, u"0:00:00"_s), u"$ 0,10"_s, u"10.0.0.5"_s, words.value(2)};
}

} // namespace

class TestAgentCore : public QObject {
    Q_OBJECT
private slots:
    void messages_data();
    void messages();
    void lockOptionsAreKept();
    void lostServer_data();
    void lostServer();
    void customerActions();
};

void TestAgentCore::messages_data()
{
    // what the console sent, ";" between messages | the screen | what the agent did
    kestrel::test::addRows("messages | screen | actions", R"(
        nothing yet                 |                                         |locked |
        free                        |SENDSTAT -                               |locked |
        counting                    |SENDSTAT 1 0:01:05                       |running|
        waiting for the customer    |SENDSTAT 2                               |waiting|
        prepaid, waiting            |SENDSTAT 4 1:00:00                       |waiting|
        prepaid, running            |SENDSTAT 3 0:59:10                       |running|
        account logged out          |SENDSTAT 3 0:00:00                       |locked |
        account, no time left yet   |SENDSTAT 3 0:00:00 ana                   |running|
        unknown state locks         |SENDSTAT 9                               |locked |
        time up: lock and act       |SENDSTAT 3 0:00:01;BLOCKOPT 3 0 0;FINISHT|locked |inicio no,reiniciar
        a session after the end     |FINISHT;SENDSTAT 1                       |running|
        commands                    |6;7;8;9                                  |locked |apagar,reiniciar,cerrar sesion,cerrar programas
        volume within 0 to 100      |SETVOL 55;SETVOL 140;SETVOL -3;SETVOL x  |locked |volumen 55,volumen 100,volumen 0
        commands compare with case  |setvol 5;GETSTART2;5x                    |locked |
        a field too few: ignored    |BLOCKOPT 1 1;SETVOL;MSGBOX3;MSGBOX2      |locked |
    )");
}

// Each sequence from a fresh agent: where the screen ends, and what was done to the system.
void TestAgentCore::messages()
{
    QFETCH(kestrel::test::Row, r);
    AgentUnderTest a;
    for (const QString& message : r[u"messages"].split(u';', Qt::SkipEmptyParts)) {
        const QStringList fields = fieldsOf(message);
        a.core.received(message.section(u' ', 0, 0), fields, 0);
    }
    QCOMPARE(QString::fromLatin1(Screens[int(a.core.view().screen)]), r[u"screen"]);
    QCOMPARE(a.actions.done.join(u','), r[u"actions"]);
}

// "BLOCKOPT" is kept in the options' file and applied: a new agent reads it back.
void TestAgentCore::lockOptionsAreKept()
{
    AgentUnderTest a;
    a.core.received(u"BLOCKOPT"_s, {u"4"_s, u"1"_s, u"1"_s}, 0);
    const QString file = a.dir.filePath(u"opciones.conf"_s);
    QString error;
    const auto read = AgentSettings::load(a.dir.filePath(u"puesto.conf"_s), file, &error);
    QVERIFY2(read, qPrintable(error));
    QCOMPARE(int(read->lockAction), int(LockAction::ShutDown));
    QVERIFY(read->startWithSystem);
    QVERIFY(read->lockWithoutServer);
    QCOMPARE(a.actions.done, QStringList{u"inicio si"_s});
    // The entry it writes is the one the kiosk set-up of the package writes.
    QFile kiosk(u"" KESTREL_SOURCE_DIR "/packaging/agent/kiosk/autostart.desktop"_s);
    QVERIFY(kiosk.open(QIODevice::ReadOnly));
    QCOMPARE(DesktopActions::autostartEntry(true), QString::fromUtf8(kiosk.readAll()));
    a.core.received(u"BLOCKOPT"_s, {u"7"_s, u"0"_s, u"0"_s}, 0); // an action it does not know
    QCOMPARE(int(a.settings.lockAction), int(LockAction::LockOnly));
    QCOMPARE(QSettings(file, QSettings::IniFormat).value(u"LockOptions/action"_s).toString(),
             u"0"_s);
}

void TestAgentCore::lostServer_data()
{
    kestrel::test::addRows("lock without server | silence ms | screen | notice", R"(
        keeps the session          |0|9999 |running|no
        says the server is lost    |0|10000|running|yes
        locks                      |1|10000|locked |yes
        waits the whole time       |1|9999 |running|no)");
}

// A running session and then no status: after ten seconds the screen says so, or locks.
void TestAgentCore::lostServer()
{
    QFETCH(kestrel::test::Row, r);
    AgentUnderTest a;
    a.settings.lockWithoutServer = r.yes(u"lock without server");
    a.core.received(u"SENDSTAT"_s, fieldsOf(u"SENDSTAT 1 0:10:00"_s), 5000);
    a.core.checkServer(5000 + r.number(u"silence ms"));
    QCOMPARE(QString::fromLatin1(Screens[int(a.core.view().screen)]), r[u"screen"]);
    QCOMPARE(a.core.view().serverLost, r.yes(u"notice"));
    a.core.received(u"SENDSTAT"_s, fieldsOf(u"SENDSTAT 1 0:10:01"_s), 20000);
    QCOMPARE(a.core.view().screen, Screen::Running);
    QVERIFY(!a.core.view().serverLost);
}

// Login, start, logout and answers go out only where they make sense, without the separators
// a customer could type.
void TestAgentCore::customerActions()
{
    AgentUnderTest a;
    a.core.connected();
    a.core.logIn(u"  ana#LVX#x "_s, u"cl#LVXF#ave"_s);
    a.core.logIn(u"  "_s, u"x"_s); // no user
    a.core.pressStart();           // not waiting
    a.core.logOut();               // no session
    a.core.received(u"MSGBOX3"_s, {u"Cuenta sin credito..."_s}, 0);
    QCOMPARE(a.core.view().loginRefusal, u"Cuenta sin credito..."_s);
    a.core.received(u"SENDSTAT"_s, fieldsOf(u"SENDSTAT 4 1:00:00"_s), 0);
    QVERIFY(a.core.view().loginRefusal.isEmpty());
    a.core.logIn(u"ana"_s, u"x"_s); // not locked
    a.core.pressStart();
    a.core.received(u"SENDSTAT"_s, fieldsOf(u"SENDSTAT 3 0:59:59"_s), 0);
    a.core.logOut(); // no account
    a.core.received(u"SENDSTAT"_s, fieldsOf(u"SENDSTAT 3 0:59:58 ana"_s), 0);
    a.core.received(u"SENDSTAT"_s, {u""_s, u"0:00:00"_s}, 0); // cut short: ignored
    a.core.logOut();
    a.core.answer(u"  "_s);
    a.core.answer(u"ya #L#LVXVX#voy"_s);
    QCOMPARE(a.sent, (QStringList{u"GETNAMEX"_s, u"GETSTART#LVX#ana#x#LVX#clF#ave"_s,
                                  u"GETSTART2"_s, u"GETOUT"_s, u"MSGBOX#LVX#ya #voy"_s}));
}

} // namespace kestrel::agent

QTEST_GUILESS_MAIN(kestrel::agent::TestAgentCore)
#include "tst_agentcore.moc"
