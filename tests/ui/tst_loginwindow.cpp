#include "app/startup.h"
#include "operators/operatorsession.h"
#include "stations/metering.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"
#include "ui/aboutwindow.h"
#include "ui/consolewindow.h"
#include "ui/loginwindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

struct Fixture {
    test::TempStore store;
    test::MemorySettingsStore settingsStore;
    Settings settings{settingsStore};
    test::ScriptedPrompts prompts;
    Startup startup{store.store(), settings, prompts};

    LoginWindow& login() { return *startup.loginWindow(); }
    QLineEdit* field(const char* name)
    {
        return login().findChild<QLineEdit*>(QLatin1String(name));
    }
    QPushButton* button(const char* name)
    {
        return login().findChild<QPushButton*>(QLatin1String(name));
    }
    void type(const QString& user, const QString& password)
    {
        field("txtusuario")->setText(user);
        field("txtpassword")->setText(password);
    }
};

bool menuVisible(QWidget* console, const QString& name)
{
    auto* menu = console->findChild<QMenu*>(name);
    return menu && menu->menuAction()->isVisible();
}

} // namespace

class TestLoginWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void singleOperatorWithoutPasswordGoesStraightToTheConsole();
    void consoleMetersEverySecond();
    void dialogRefusals_data();
    void dialogRefusals();
    void enterInUserMovesToPassword();
    void salirAtStartUpEndsTheProgram();
    void changeOfOperatorAppliesRightsAtOnce();
    void closeAsksFirst();
};

void TestLoginWindow::singleOperatorWithoutPasswordGoesStraightToTheConsole()
{
    Fixture f;
    QVERIFY(f.store.isValid());
    QVERIFY(f.store.exec(u"INSERT INTO CYBER (PC, TIEMPO, MODALIDAD) VALUES ('PC01', "
                         u"'0:10:00', 'CONTADOR'), ('PC02', NULL, NULL)"_s));
    QSignalSpy shown(&f.startup, &Startup::consoleShown);
    f.startup.begin();
    QVERIFY(!f.login().isVisible());
    QCOMPARE(f.startup.session().name(), u"admin"_s);
    QVERIFY(f.startup.splash() && f.startup.splash()->isVisible());
    QVERIFY(!f.startup.console());

    QVERIFY(shown.wait(5000));
    ConsoleWindow* console = f.startup.console();
    QVERIFY(console->isVisible());
    QVERIFY(!f.startup.splash()->isVisible());
    QCOMPARE(console->windowTitle(), u"KESTREL 2009  [ SERVER ] "_s);
    QCOMPARE(console->statusPanel(2)->text(), u"Operador: admin"_s);
    QCOMPARE(console->currencySymbol(), u"$"_s);
    QAbstractItemModel* model = console->stationList()->model();
    QCOMPARE(model->rowCount(), 2);
    QStringList headers;
    for (int c = 0; c < model->columnCount(); ++c)
        headers << model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers,
             (QStringList{u"PC"_s, u"Tiempo"_s, u"Modo"_s, u"Usuario"_s, u"Sub"_s, u"Total"_s}));
    QCOMPARE(model->index(0, 1).data().toString(), u"0:10:00"_s);
    QCOMPARE(model->index(1, 0).data().toString(), u"PC02"_s);
    QVERIFY(f.prompts.told.isEmpty());
}

void TestLoginWindow::consoleMetersEverySecond()
{
    Fixture f;
    QVERIFY(f.store.exec(u"INSERT INTO CYBER (PC, MODALIDAD, LSTVARX, vartipex2, vartipex3, "
                         u"TARIFBAS) VALUES ('PC01', 'PREPAGO', '3', '0:10:00', '1:00:00', 60),"
                         u"('PC02', NULL, NULL, NULL, NULL, NULL)"_s));
    QSignalSpy shown(&f.startup, &Startup::consoleShown);
    f.startup.begin();
    QVERIFY(shown.wait(5000));
    ConsoleWindow* console = f.startup.console();
    QVERIFY(console->meteringTimer()->isActive());
    QCOMPARE(console->meteringTimer()->interval(), 1000);

    // The timer's work, without waiting for it.
    f.startup.metering().tick();
    f.startup.metering().tick();

    QAbstractItemModel* model = console->stationList()->model();
    QCOMPARE(model->index(0, 1).data().toString(), u"0:49:58"_s);
    QCOMPARE(f.store.scalar(u"SELECT TIEMPO FROM CYBER WHERE PC = 'PC01'"_s).toString(),
             u"0:49:58"_s);
    QCOMPARE(console->statusPanel(1)->text(), u"Puestos libres: 1 Ocupados: 1"_s);
    QVERIFY(!console->statusPanel(3)->text().isEmpty());
    QVERIFY(console->statusPanel(4)->text().contains(u':'));
}

void TestLoginWindow::dialogRefusals_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("passwordLeft");
    QTest::newRow("no user") << u""_s << u"x"_s << u"Ingrese el usuario"_s
                             << int(Prompts::Icon::Exclamation) << u"x"_s;
    QTest::newRow("unknown user") << u"nadie"_s << u"x"_s << u"Usuario incorrecto"_s
                                  << int(Prompts::Icon::Critical) << u"x"_s;
    QTest::newRow("wrong password") << u"caja"_s << u"X"_s << u"Contraseña incorrecta"_s
                                    << int(Prompts::Icon::Critical) << QString();
    QTest::newRow("quote in the name") << u"ca'ja"_s << u"x"_s << u"Usuario incorrecto"_s
                                       << int(Prompts::Icon::Critical) << u"x"_s;
}

void TestLoginWindow::dialogRefusals()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(int, icon);
    QFETCH(QString, passwordLeft);
    Fixture f;
    QVERIFY(f.store.addOperator(u"caja"_s, u"x"_s, {int(Right::ViewReports)}));
    f.startup.begin();
    QVERIFY(f.login().isVisible());
    QCOMPARE(f.login().windowTitle(), u"Ingreso de operador"_s);
    QCOMPARE(f.button("cmdsalir")->text(), u"Salir"_s);

    f.type(user, password);
    QTest::mouseClick(f.button("cmdingresar"), Qt::LeftButton);
    QCOMPARE(f.prompts.told.size(), 1);
    QCOMPARE(f.prompts.told[0].text, message);
    QCOMPARE(int(f.prompts.told[0].icon), icon);
    QCOMPARE(f.field("txtpassword")->text(), passwordLeft);
    QVERIFY(!f.startup.session().isLoggedIn());
    QVERIFY(f.login().isVisible());
}

void TestLoginWindow::enterInUserMovesToPassword()
{
    Fixture f;
    QVERIFY(f.store.addOperator(u"caja"_s, u"x"_s, {int(Right::ViewReports)}));
    f.startup.begin();
    f.login().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.login()));
    f.field("txtusuario")->setFocus();
    QTest::keyClicks(f.field("txtusuario"), u"Caja"_s);
    QTest::keyClick(f.field("txtusuario"), Qt::Key_Return);
    QVERIFY(f.field("txtpassword")->hasFocus());
    QTest::keyClicks(f.field("txtpassword"), u"x"_s);
    QTest::keyClick(f.field("txtpassword"), Qt::Key_Return);
    QCOMPARE(f.startup.session().name(), u"caja"_s); // the stored spelling
    QVERIFY(f.prompts.told.isEmpty());
}

void TestLoginWindow::salirAtStartUpEndsTheProgram()
{
    Fixture f;
    QVERIFY(f.store.addOperator(u"caja"_s, u"x"_s, {int(Right::ViewReports)}));
    QSignalSpy quit(&f.startup, &Startup::quitRequested);
    f.startup.begin();
    QTest::mouseClick(f.button("cmdsalir"), Qt::LeftButton);
    QCOMPARE(quit.count(), 1);
    QVERIFY(!f.startup.session().isLoggedIn());
}

void TestLoginWindow::changeOfOperatorAppliesRightsAtOnce()
{
    Fixture f;
    QVERIFY(f.store.addOperator(u"Lectora"_s, u"l"_s, {int(Right::ViewReports)}));
    QVERIFY(f.store.addOperator(u"Caja"_s, u"c"_s, {}));
    QSignalSpy shown(&f.startup, &Startup::consoleShown);
    f.startup.begin();
    f.type(u"admin"_s, u""_s);
    QTest::mouseClick(f.button("cmdingresar"), Qt::LeftButton);
    QSignalSpy quit(&f.startup, &Startup::quitRequested);
    QVERIFY(shown.wait(5000));
    ConsoleWindow* console = f.startup.console();
    QVERIFY(menuVisible(console, u"mnuinformes"_s));
    QVERIFY(menuVisible(console, u"mnuoperadores"_s));

    console->findChild<QAction*>(u"submenuchanop"_s)->trigger();
    QVERIFY(f.login().isVisible());
    QVERIFY(f.login().isChangeOfOperator());
    QCOMPARE(f.button("cmdsalir")->text(), u"Cancelar"_s);
    QCOMPARE(f.field("txtusuario")->text(), QString());

    f.type(u"caja"_s, u"c"_s);
    QTest::mouseClick(f.button("cmdingresar"), Qt::LeftButton);
    QVERIFY(!f.login().isVisible());
    QCOMPARE(console->statusPanel(2)->text(), u"Operador: Caja"_s);
    QVERIFY(!menuVisible(console, u"mnuinformes"_s));
    QVERIFY(!menuVisible(console, u"mnuoperadores"_s));
    QVERIFY(!console->findChild<QAction*>(u"mnucconfig"_s)->isVisible());
    QCOMPARE(shown.count(), 1); // no second splash or console

    console->findChild<QAction*>(u"submenuchanop"_s)->trigger();
    f.type(u"lectora"_s, u"l"_s);
    QTest::mouseClick(f.button("cmdingresar"), Qt::LeftButton);
    QVERIFY(menuVisible(console, u"mnuinformes"_s));

    // "Cancelar" keeps the operator in force, even with a valid name typed.
    f.login().openForChange();
    f.type(u"caja"_s, u"c"_s);
    QTest::mouseClick(f.button("cmdsalir"), Qt::LeftButton);
    QVERIFY(!f.login().isVisible());
    QCOMPARE(f.startup.session().name(), u"Lectora"_s);
    QCOMPARE(console->statusPanel(2)->text(), u"Operador: Lectora"_s);
    QVERIFY(menuVisible(console, u"mnuinformes"_s));
    QCOMPARE(quit.count(), 0);
}

void TestLoginWindow::closeAsksFirst()
{
    Fixture f;
    QSignalSpy shown(&f.startup, &Startup::consoleShown);
    f.startup.begin();
    QVERIFY(shown.wait(5000));
    ConsoleWindow* console = f.startup.console();
    f.prompts.answerNext(false);
    QVERIFY(!console->close());
    QVERIFY(console->isVisible());
    QCOMPARE(f.prompts.questions, QStringList{u"Desea cerrar el programa ?"_s});

    f.prompts.answerNext(true);
    QVERIFY(console->close());
    QVERIFY(f.prompts.unexpectedQuestions.isEmpty());
}

QTEST_MAIN(TestLoginWindow)
#include "tst_loginwindow.moc"
