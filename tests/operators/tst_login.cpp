#include "operators/login.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void automaticLogin_data();
    void automaticLogin();
    void check_data();
    void check();
    void rightsComeFromTheRow();
    void sessionKeepsTheLastLogin();
};

void TestLogin::automaticLogin_data()
{
    // Operators after the "admin" row of a new store is replaced: name, password ("null": NULL).
    QTest::addColumn<QStringList>("operators");
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QString>("expected"); // empty: the dialog is shown
    QTest::newRow("single, no password")
        << QStringList{u"admin"_s} << QStringList{u""_s} << u"admin"_s;
    QTest::newRow("single, null password")
        << QStringList{u"caja"_s} << QStringList{u"null"_s} << u"caja"_s;
    QTest::newRow("single with password")
        << QStringList{u"admin"_s} << QStringList{u"x"_s} << QString();
    QTest::newRow("two without password")
        << QStringList{u"admin"_s, u"caja"_s} << QStringList{u""_s, u""_s} << QString();
    QTest::newRow("nobody") << QStringList{} << QStringList{} << QString();
}

void TestLogin::automaticLogin()
{
    QFETCH(QStringList, operators);
    QFETCH(QStringList, passwords);
    QFETCH(QString, expected);
    test::TempStore t;
    QVERIFY(t.isValid());
    QVERIFY(t.exec(u"DELETE FROM Operadores"_s));
    for (qsizetype i = 0; i < operators.size(); ++i) {
        const QVariant pw = passwords[i] == u"null"_s ? QVariant() : QVariant(passwords[i]);
        QVERIFY(t.addOperator(operators[i], pw, {0}));
    }
    const auto who = LoginCheck(t.db()).automaticLogin();
    QCOMPARE(who ? who->name : QString(), expected);
}

void TestLogin::check_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("name"); // the stored spelling, when accepted
    using O = LoginCheck::Outcome;
    QTest::newRow("empty user") << u""_s << u"x"_s << int(O::EmptyUser) << QString();
    QTest::newRow("unknown user") << u"nadie"_s << u""_s << int(O::UnknownUser) << QString();
    QTest::newRow("name in other case")
        << u"MARIA"_s << u"Secreta"_s << int(O::Accepted) << u"Maria"_s;
    QTest::newRow("password in other case")
        << u"maria"_s << u"secreta"_s << int(O::WrongPassword) << QString();
    QTest::newRow("missing password") << u"Maria"_s << u""_s << int(O::WrongPassword) << QString();
    QTest::newRow("empty password") << u"admin"_s << u""_s << int(O::Accepted) << u"admin"_s;
    QTest::newRow("quotes in name and password")
        << u"O'Hara"_s << u"q'uo\"te"_s << int(O::Accepted) << u"O'Hara"_s;
    QTest::newRow("sql in the name")
        << u"' OR '1'='1"_s << u""_s << int(O::UnknownUser) << QString();
    QTest::newRow("duplicate name: first row wins")
        << u"dup"_s << u"uno"_s << int(O::Accepted) << u"dup"_s;
    QTest::newRow("duplicate name: second row never")
        << u"dup"_s << u"dos"_s << int(O::WrongPassword) << QString();
}

void TestLogin::check()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(int, outcome);
    QFETCH(QString, name);
    test::TempStore t;
    QVERIFY(t.isValid());
    QVERIFY(t.addOperator(u"Maria"_s, u"Secreta"_s, {0, 4}));
    QVERIFY(t.addOperator(u"O'Hara"_s, u"q'uo\"te"_s, {}));
    QVERIFY(t.addOperator(u"dup"_s, u"uno"_s, {}));
    QVERIFY(t.addOperator(u"DUP"_s, u"dos"_s, {}));

    const auto result = LoginCheck(t.db()).check(user, password);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.record.name, name);
}

void TestLogin::rightsComeFromTheRow()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QVERIFY(t.addOperator(u"Maria"_s, u"s"_s, {0, 4, 6}));
    const auto result = LoginCheck(t.db()).check(u"maria"_s, u"s"_s);
    QCOMPARE(result.outcome, LoginCheck::Outcome::Accepted);
    QCOMPARE(result.record.password, u"s"_s);
    for (int i = 0; i < RightCount; ++i)
        QCOMPARE(result.record.has(Right(i)), i == 0 || i == 4 || i == 6);
}

void TestLogin::sessionKeepsTheLastLogin()
{
    OperatorSession session;
    QSignalSpy changed(&session, &OperatorSession::changed);
    QVERIFY(!session.has(Right::ViewReports));
    OperatorRecord maria;
    maria.name = u"Maria"_s;
    maria.rights[std::size_t(Right::ViewReports)] = true;
    session.logIn(maria);
    QVERIFY(session.isLoggedIn());
    QVERIFY(session.has(Right::ViewReports));
    QVERIFY(!session.has(Right::ChatWithServer));
    session.logIn(OperatorRecord{u"caja"_s, {}, {}});
    QCOMPARE(session.name(), u"caja"_s);
    QVERIFY(!session.has(Right::ViewReports));
    QCOMPARE(changed.count(), 2);
}

QTEST_GUILESS_MAIN(TestLogin)
#include "tst_login.moc"
