// The console's station link parts, driven as the operator does, against in-process agents.
#include "app/startup.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "stationagent.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"
#include "ui/consolewindow.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// A café of two stations whose agents run in this process, with the console shown.
struct Cafe {
    sim::StationAgent pc01{u"pc01"_s, u"aa"_s};
    sim::StationAgent pc02{u"pc02"_s, u"bb"_s};
    test::TempStore store;
    test::MemorySettingsStore settingsStore;
    Settings settings{settingsStore};
    test::ScriptedPrompts prompts;
    std::unique_ptr<Startup> startup;
    ConsoleWindow* console = nullptr;

    bool open()
    {
        test::pinCafeLocale();
        pc01.setMessageGapMs(5);
        pc02.setMessageGapMs(5);
        if (!pc01.listen(QHostAddress::LocalHost, 0) || !pc02.listen(QHostAddress::LocalHost, 0))
            return false;
        const auto address = [](const sim::StationAgent& a) -> QString {
            return u"127.0.0.1:"_s + QString::number(a.port());
        };
        if (!store.exec(u"INSERT INTO CYBER (PC, PCIP, TIEMPO, vartipex2, MODALIDAD, LSTVARX, "
                        u"TARIFA) VALUES ('PC01', ?, '0:02:00', '0:02:00', 'CONTADOR', '1', 0.5), "
                        u"('PC02', ?, '0:00:00', NULL, NULL, NULL, 0)"_s,
                        QVariantList{address(pc01), address(pc02)}))
            return false;
        startup = std::make_unique<Startup>(store.store(), settings, prompts);
        QSignalSpy shown(startup.get(), &Startup::consoleShown);
        startup->begin();
        if (!shown.wait(5000))
            return false;
        console = startup->console();
        return true;
    }

    void select(int row)
    {
        QTreeView* list = console->stationList();
        list->setCurrentIndex(list->model()->index(row, 0));
    }
    template <typename T> T* find(const QString& name) { return console->findChild<T*>(name); }
    QAction* entry(const QString& name) { return find<QAction>(name); }

    // One round of the supervision, then until both agents are connected and told.
    bool connectAll()
    {
        ConnectionSupervision& supervision = startup->supervision();
        supervision.tick();
        StationSockets& sockets = startup->sockets();
        if (!QTest::qWaitFor([&] { return sockets.isConnected(0) && sockets.isConnected(1); },
                             5000))
            return false;
        supervision.tick();
        return QTest::qWaitFor([&] { return pc01.statusCount() && pc02.statusCount(); }, 5000);
    }
};

} // namespace

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void stationMenu();
    void supervisionRunsWithTheConsole();
    void chatBothWays();
    void volumeGoesToTheSelectedStation();
    void lockFromTheMenu();
};

void TestConsole::stationMenu()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    auto* menu = cafe.find<QMenu>(u"mnupuestos"_s);
    QVERIFY(menu);
    QCOMPARE(menu->title(), u"&Puestos"_s);
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << a->text();
    QCOMPARE(captions,
             (QStringList{u"1.       Habilitar"_s, u"2.       Bloquear"_s,
                          u"3.       Aumentar tiempo"_s, u"4.       Intercambiar"_s,
                          u"5.       Cerrar todos los programas"_s, u"6.       Cerrar Control"_s,
                          u"7.       Cerrar Sesion"_s, u"8.       Reiniciar"_s,
                          u"9.       Apagar"_s, u"10.     Apagar los puestos"_s}));

    // The lock follows the selected station.
    cafe.select(1);
    QVERIFY(!cafe.entry(u"smnucerrar"_s)->isEnabled());
    cafe.select(0);
    QVERIFY(cafe.entry(u"smnucerrar"_s)->isEnabled());

    // Asked first, sent only on Yes.
    QVERIFY(cafe.connectAll());
    cafe.prompts.answerNext(false);
    cafe.entry(u"smnureset"_s)->trigger();
    cafe.prompts.answerNext(true);
    cafe.entry(u"smnuapa"_s)->trigger();
    QCOMPARE(cafe.prompts.questions,
             (QStringList{u"Reiniciar Puesto PC01"_s, u"Apagar Puesto PC01"_s}));
    cafe.entry(u"smnuapaall"_s)->trigger();
    QTRY_COMPARE(cafe.pc02.receivedKeywords().count(u"6"_s), 1);
    QTRY_COMPARE(cafe.pc01.receivedKeywords().count(u"6"_s), 2);
    QCOMPARE(cafe.pc01.receivedKeywords().count(u"7"_s), 0);
}

void TestConsole::supervisionRunsWithTheConsole()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QTimer* timer = cafe.console->supervisionTimer();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 900);
    // Left to its own timer, the console connects and keeps the agents told.
    QTRY_VERIFY_WITH_TIMEOUT(cafe.pc01.statusCount() >= 2, 10000);
    QCOMPARE(cafe.pc01.lastStatus().value(0), u"1"_s);
    QCOMPARE(cafe.pc01.lastStatus().value(2), u"$ 0,50"_s);
    QTRY_COMPARE(
        cafe.console->stationList()->model()->index(0, 0).data(Qt::DecorationRole).isNull(), false);
    QCOMPARE(cafe.startup->stations().at(0).icon, u"imghabilitar"_s);
    QCOMPARE(cafe.startup->stations().at(0).pcnames, u"\\\\PC01"_s);
}

void TestConsole::chatBothWays()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QVERIFY(cafe.connectAll());
    auto* messages = cafe.find<QTreeWidget>(u"lstmensajes"_s);
    auto* text = cafe.find<QLineEdit>(u"txtmensaje"_s);

    cafe.select(0);
    cafe.pc02.send(u"MSGBOX"_s, {u"Se trabó la impresora"_s});
    QTRY_COMPARE(messages->topLevelItemCount(), 1);
    QCOMPARE(messages->topLevelItem(0)->text(0), u"PC02"_s); // the sender, not the selection
    QCOMPARE(messages->currentItem(), messages->topLevelItem(0));

    cafe.select(1);
    text->setText(u"Ya la reviso"_s);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(text->text(), QString());
    QCOMPARE(messages->topLevelItemCount(), 2);
    QCOMPARE(messages->topLevelItem(1)->text(0), u"S > PC02"_s);
    QCOMPARE(messages->topLevelItem(1)->text(2), u"Ya la reviso"_s);
    // The operator, admin, has the chat right.
    QTRY_COMPARE(cafe.pc02.receivedKeywords().count(u"MSGBOX2"_s), 1);
    QCOMPARE(cafe.pc02.received().last().fields, QStringList{u"Ya la reviso"_s});

    text->setText(u"borrador"_s);
    cafe.find<QPushButton>(u"cmdlimpiarmensajes"_s)->click();
    QCOMPARE(messages->topLevelItemCount(), 0);
    QCOMPARE(text->text(), QString());
}

void TestConsole::volumeGoesToTheSelectedStation()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QVERIFY(cafe.connectAll());
    cafe.select(1);
    cafe.find<QScrollBar>(u"volumen"_s)->setValue(40);
    QTRY_COMPARE(cafe.pc02.receivedKeywords().count(u"SETVOL"_s), 1);
    QCOMPARE(cafe.pc02.received().last().fields, QStringList{u"40"_s});
    QCOMPARE(cafe.pc01.receivedKeywords().count(u"SETVOL"_s), 0);
}

void TestConsole::lockFromTheMenu()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QVERIFY(cafe.connectAll());
    cafe.settingsStore.write(u"questitolock"_s, u"1"_s);
    cafe.select(0);
    cafe.entry(u"smnucerrar"_s)->trigger(); // the menu's lock does not ask
    QVERIFY(cafe.prompts.questions.isEmpty());
    QCOMPARE(cafe.startup->stations().at(0).modo, QString());
    QCOMPARE(cafe.store.scalar(u"SELECT COUNT(*) FROM INFORMES"_s).toInt(), 1);
    QVERIFY(!cafe.entry(u"smnucerrar"_s)->isEnabled());

    cafe.startup->supervision().tick();
    QTRY_COMPARE(cafe.pc01.lastStatus().value(0), QString());
    QVERIFY(cafe.pc01.screenLocked());
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
