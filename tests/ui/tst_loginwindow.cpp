// The login dialog at start-up; the console's tests change the operator through it.
#include "support/testsupport.h"
#include "ui/operators/loginwindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestLoginWindow : public QObject {
    Q_OBJECT
private slots:
    void startUp();
};

// With an operator that has a password the dialog is shown, its focus in "Usuario"; Enter there
// moves on, Enter in "Contraseña" logs in under the stored spelling; "Salir" ends the program.
void TestLoginWindow::startUp()
{
    test::TempStore store;
    QVERIFY(store.addOperator(u"caja"_s, u"x"_s, {int(Right::ViewReports)}));
    for (const bool quit : {true, false}) {
        OperatorSession session;
        test::ScriptedPrompts prompts;
        LoginWindow login(LoginCheck(store.db()), session, prompts);
        QSignalSpy quitRequested(&login, &LoginWindow::quitRequested);
        QSignalSpy in(&login, &LoginWindow::loggedIn);
        login.startUp();
        QVERIFY(QTest::qWaitForWindowActive(&login));
        QCOMPARE(login.findChild<QPushButton*>(u"cmdsalir"_s)->text(), u"Salir"_s);
        QVERIFY(login.findChild<QLineEdit*>(u"txtusuario"_s)->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), u"CAJA"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), u"x"_s);
        if (quit)
            QTest::mouseClick(login.findChild<QPushButton*>(u"cmdsalir"_s), Qt::LeftButton);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!login.isVisible());
        QCOMPARE(quitRequested.count(), int(quit));
        QCOMPARE(in, quit ? QList<QVariantList>() : QList<QVariantList>{{false}});
        QCOMPARE(session.name(), quit ? u""_s : u"caja"_s);
        QVERIFY(prompts.told.isEmpty());
    }
}

QTEST_MAIN(TestLoginWindow)
#include "tst_loginwindow.moc"
