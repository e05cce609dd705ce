// The station agent's windows, offscreen: they follow the rules' view and hand the customer's
// actions to them.
#include "agentfakes.h"
#include "agentui/agentwindows.h"
#include "agentui/lockscreen.h"
#include "agentui/notices.h"
#include "agentui/sessionpanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

namespace {

struct Station : test::AgentUnderTest {
    int sounds = 0;
    AgentWindows windows{core, [this] { ++sounds; }, AgentWindows::Presentation::Plain};

    Station() { windows.show(core.view()); }
    void status(const QString& code, const QString& time, const QString& user = {})
    {
        core.received(u"SENDSTAT"_s, {code, time, u"$ 1,25"_s, u"10.0.0.5"_s, user}, 0);
    }
};

} // namespace

class TestAgentWindows : public QObject {
    Q_OBJECT
private slots:
    void lockScreenLogsIn();
    void waitingScreenStarts();
    void panelShowsTheSession();
    void warningAndChat();
};

void TestAgentWindows::lockScreenLogsIn()
{
    Station s;
    LockScreen* lock = s.windows.mainLockScreen();
    QVERIFY(lock->isVisible() && lock->isFullScreen());
    QVERIFY(!s.windows.panel()->isVisible());
    s.core.received(u"GETNAMEX"_s, {u"PC07"_s}, 0);
    QVERIFY(lock->findChild<QLabel*>(u"lblpuesto"_s)->text().contains(u"PC07"_s));
    QTest::keyClicks(lock->userBox(), u"ana"_s);
    QTest::keyClick(lock->userBox(), Qt::Key_Return); // on to the password
    QTest::keyClicks(lock->passwordBox(), u"Clave"_s);
    QTest::keyClick(lock->passwordBox(), Qt::Key_Return);
    QCOMPARE(s.sent, QStringList{u"GETSTART#LVX#ana#LVX#Clave"_s});
    s.core.received(u"MSGBOX3"_s, {u"Usuario/Contraseña INCORRECTA"_s}, 0);
    QCOMPARE(lock->refusalLabel()->text(), u"Usuario/Contraseña INCORRECTA"_s);
    QVERIFY(lock->noticeLabel()->text().isEmpty());
    s.core.checkServer(0);
    s.core.checkServer(AgentCore::ServerTimeoutMs);
    QCOMPARE(lock->noticeLabel()->text(), u"Sin conexión con el servidor"_s);
}

void TestAgentWindows::waitingScreenStarts()
{
    Station s;
    s.status(u"2"_s, u"0:00:00"_s);
    LockScreen* lock = s.windows.mainLockScreen();
    QVERIFY(lock->isVisible() && lock->startButton()->isVisible());
    QVERIFY(!lock->userBox()->isVisible());
    QTest::mouseClick(lock->startButton(), Qt::LeftButton);
    QCOMPARE(s.sent, QStringList{u"GETSTART2"_s});
}

void TestAgentWindows::panelShowsTheSession()
{
    Station s;
    QSignalSpy shown(&s.windows, &AgentWindows::screenShown);
    s.status(u"1"_s, u"0:01:05"_s);
    SessionPanel* panel = s.windows.panel();
    QVERIFY(panel->isVisible() && !s.windows.mainLockScreen()->isVisible());
    QTRY_COMPARE(shown.size(), 1); // once it has painted
    QCOMPARE(shown[0][0].value<Screen>(), Screen::Running);
    QCOMPARE(panel->timeLabel()->text(), u"0:01:05"_s);
    QCOMPARE(panel->amountLabel()->text(), u"Importe: $ 1,25"_s);
    QVERIFY(!panel->logoutButton()->isVisible()); // no account
    panel->setCollapsed(true);
    QVERIFY(!panel->amountLabel()->isVisible());
    panel->setCollapsed(false);
    s.status(u"3"_s, u"0:40:00"_s, u"ana"_s);
    QVERIFY(panel->logoutButton()->isVisible());
    QTest::mouseClick(panel->logoutButton(), Qt::LeftButton);
    QCOMPARE(s.sent, QStringList{u"GETOUT"_s});
    s.status({}, u"0:00:00"_s); // charged: locked again
    QVERIFY(s.windows.mainLockScreen()->isVisible() && !panel->isVisible());
    QTRY_COMPARE(shown.size(), 2);
    QCOMPARE(shown[1][0].value<Screen>(), Screen::Locked);
}

void TestAgentWindows::warningAndChat()
{
    Station s;
    s.status(u"3"_s, u"0:05:00"_s);
    s.core.received(u"SHOWF"_s, {u"SHOWF"_s}, 0);
    QVERIFY(s.windows.warning()->isVisible());
    QVERIFY(s.windows.warning()->textLabel()->text().contains(u"0:05:00"_s));
    QCOMPARE(s.sounds, 1);
    s.core.received(u"FINISHT"_s, {u"DOTHEM"_s}, 0);
    QVERIFY(!s.windows.warning()->isVisible());

    ChatWindow* chat = s.windows.chat();
    s.core.received(u"MSGBOX"_s, {u"Cerramos a las 22:00"_s}, 0);
    QVERIFY(chat->isVisible() && !chat->answerBox()->isVisible());
    s.core.received(u"MSGBOX2"_s, {u"¿Desea un café?"_s}, 0);
    QVERIFY(chat->answerBox()->isVisible());
    QVERIFY(chat->history()->toPlainText().contains(u"¿Desea un café?"_s));
    chat->answerBox()->setText(u"Sí, gracias"_s);
    QTest::keyClick(chat->answerBox(), Qt::Key_Return);
    QCOMPARE(s.sent, QStringList{u"MSGBOX#LVX#Sí, gracias"_s});
    QVERIFY(chat->answerBox()->text().isEmpty());
}

} // namespace kestrel::agent

QTEST_MAIN(kestrel::agent::TestAgentWindows)
#include "tst_agentwindows.moc"
