#include "operators/login.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void automaticLogin_data()
    {
        // The operators as "name:password" ("~" for a null password); who is logged in at once.
        test::addRows("operators | logged in", R"(
            single, no password   |admin:          |admin
            single, null password |caja:~          |caja
            single with password  |admin:x         |
            two without password  |admin: caja:   |
            nobody                |                |)");
    }
    void automaticLogin()
    {
        QFETCH(test::Row, r);
        test::TempStore t;
        QVERIFY(t.exec(u"DELETE FROM Operadores"_s));
        for (const QString& op : r[u"operators"].split(u' ', Qt::SkipEmptyParts)) {
            const QString password = op.section(u':', 1);
            QVERIFY(t.addOperator(op.section(u':', 0, 0),
                                  password == u"~" ? QVariant() : QVariant(password), {0}));
        }
        const auto who = LoginCheck(t.db()).automaticLogin();
        QCOMPARE(who ? who->name : QString(), r[u"logged in"]);
    }

    void check_data();
    void check()
    {
        QFETCH(test::Row, r);
        test::TempStore t;
        for (const auto& [name, password] : {std::pair{u"Maria"_s, u"Secreta"_s},
                                             {u"Begoña"_s, u"ñ"_s},
                                             {u"O'Hara"_s, u"q'uo\"te"_s},
                                             {u"dup"_s, u"uno"_s},
                                             {u"DUP"_s, u"dos"_s}})
            QVERIFY(t.addOperator(name, password, {0, 4, 6}));
        const auto result = LoginCheck(t.db()).check(r[u"user"], r[u"password"]);
        using O = LoginCheck::Outcome;
        const QStringList outcomes = {u"Accepted"_s, u"EmptyUser"_s, u"UnknownUser"_s,
                                      u"WrongPassword"_s, u"StoreError"_s};
        QCOMPARE(outcomes.value(int(result.outcome)), r[u"outcome"]);
        QCOMPARE(result.record.name, r[u"stored name"]);
        if (result.outcome != O::Accepted || r[u"stored name"] == u"admin")
            return;
        // The session gets the row's password and exactly its rights.
        QCOMPARE(result.record.password, r[u"password"]);
        OperatorSession session;
        session.logIn(result.record);
        for (int i = 0; i < RightCount; ++i)
            QCOMPARE(session.has(Right(i)), i == 0 || i == 4 || i == 6);
    }
};

// Outside the class: the code generator does not read quotes inside raw strings.
void TestLogin::check_data()
{
    // The stored name is the stored spelling when accepted.
    test::addRows("user | password | outcome | stored name", R"(
        empty user              |       |x      |EmptyUser    |
        unknown user            |nadie  |       |UnknownUser  |
        name in other case      |MARIA  |Secreta|Accepted     |Maria
        name with ñ, other case |BEGOÑA |ñ      |Accepted     |Begoña
        password in other case  |maria  |secreta|WrongPassword|
        missing password        |Maria  |       |WrongPassword|
        empty password          |admin  |       |Accepted     |admin
        quotes                  |O'Hara |q'uo"te|Accepted     |O'Hara
        sql in the name         |' OR '1'='1|   |UnknownUser  |
        duplicate: first wins   |dup    |uno    |Accepted     |dup
        duplicate: never second |dup    |dos    |WrongPassword|)");
}

QTEST_GUILESS_MAIN(TestLogin)
#include "tst_login.moc"
