#include "billing/journal.h"
#include "operators/operatorsession.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

class JournalTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void init();
    void cleanup();

    void rowHoldsWhatTheCallerGave_data();
    void rowHoldsWhatTheCallerGave();
    void emptyUserBecomesAnonymousInTheCallersRecordToo();
    void dateAndTimeTexts_data();
    void dateAndTimeTexts();
    void amountThatIsNoNumberIsRefused();
    void failedRowIsKeptAndWrittenFirstLater();
    void rowsOfARolledBackTransactionAreWrittenAgain();

private:
    int rowCount() { return m_store->scalar(u"SELECT COUNT(*) FROM INFORMES"_s).toInt(); }

    std::unique_ptr<test::TempStore> m_store;
    OperatorSession m_session;
    test::ManualClock m_clock;
    std::unique_ptr<Journal> m_journal;
};

void JournalTest::init()
{
    m_store = std::make_unique<test::TempStore>();
    QVERIFY(m_store->isValid());
    m_session.logIn({u"Marta"_s, {}, {}});
    m_clock.set(QDateTime(QDate(2026, 12, 4), QTime(9, 5, 3)));
    m_journal = std::make_unique<Journal>(m_store->db(), m_session, m_clock);
}

void JournalTest::cleanup()
{
    m_journal.reset();
    m_store.reset();
}

void JournalTest::rowHoldsWhatTheCallerGave_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("pc");
    QTest::addColumn<QString>("descrip");
    QTest::addColumn<double>("valor");

    QTest::newRow("counter charge") << u"1,50"_s << u"ana"_s << u"PC01"_s << u"CONTADOR"_s << 1.5;
    QTest::newRow("grouped amount")
        << u"1.234,56"_s << u"x"_s << u"PC02"_s << u"PREPAGO"_s << 1234.56;
    QTest::newRow("three decimals round to two")
        << u"2,675"_s << u"x"_s << u""_s << u"Venta de Articulo(s)"_s << 2.68;
    QTest::newRow("quotes are just text")
        << u"3"_s << u"O'Brien \"el\""_s << u"PC'3"_s << u"3 IMPRESION(ES) "_s << 3.0;
}

void JournalTest::rowHoldsWhatTheCallerGave()
{
    QFETCH(QString, amount);
    QFETCH(QString, user);
    QFETCH(QString, pc);
    QFETCH(QString, descrip);
    QFETCH(double, valor);

    // Date, time and operator of the record are not taken: they are the moment's and the login's.
    JournalRecord record{{u"1/1/2000"_s, u"1:00:00"_s, amount, user, pc, descrip, u"otro"_s}};
    QVERIFY(m_journal->ADDTOREG(record));

    QSqlQuery q(m_store->db());
    QVERIFY(q.exec(u"SELECT FECHA, HORA, VALOR, USER, PC, DESCRIP, OPERADOR FROM INFORMES"_s));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), u"2026-12-04"_s);
    QCOMPARE(q.value(1).toString(), u"09:05:03"_s);
    QCOMPARE(q.value(2).toDouble(), valor);
    QCOMPARE(q.value(3).toString(), user);
    QCOMPARE(q.value(4).toString(), pc);
    QCOMPARE(q.value(5).toString(), descrip);
    QCOMPARE(q.value(6).toString(), u"Marta"_s);
    QVERIFY(!q.next());
}

void JournalTest::emptyUserBecomesAnonymousInTheCallersRecordToo()
{
    JournalRecord record{{{}, {}, u"2,00"_s, {}, u"PC01"_s, u"CONTADOR"_s, {}}};
    QVERIFY(m_journal->ADDTOREG(record));
    QCOMPARE(record[JournalField::User], u"ANONIMO"_s);
    QCOMPARE(m_store->scalar(u"SELECT USER FROM INFORMES"_s).toString(), u"ANONIMO"_s);
}

void JournalTest::dateAndTimeTexts_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("shown");

    QTest::newRow("4 December 2026") << QDateTime(QDate(2026, 12, 4), QTime(9, 5, 3))
                                     << u"2026-12-04"_s << u"09:05:03"_s << u"4/12/26"_s;
    QTest::newRow("last second of the year") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))
                                             << u"2026-12-31"_s << u"23:59:59"_s << u"31/12/26"_s;
}

void JournalTest::dateAndTimeTexts()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, shown);
    QCOMPARE(Journal::dateText(moment.date()), date);
    QCOMPARE(Journal::timeText(moment.time()), time);
    QCOMPARE(Journal::shownDate(date), shown);
    // A later day compares greater as text, so a date range is a text range.
    QVERIFY(Journal::dateText(moment.date().addDays(1)) > date);
}

void JournalTest::amountThatIsNoNumberIsRefused()
{
    QSignalSpy failed(m_journal.get(), &Journal::writeFailed);
    JournalRecord record{{{}, {}, u"abc"_s, u"ana"_s, u"PC01"_s, u"CONTADOR"_s, {}}};
    QVERIFY(!m_journal->ADDTOREG(record));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(rowCount(), 0);
    QCOMPARE(m_journal->unwrittenCount(), 0);
}

void JournalTest::failedRowIsKeptAndWrittenFirstLater()
{
    QSignalSpy failed(m_journal.get(), &Journal::writeFailed);
    QVERIFY(m_store->exec(u"ALTER TABLE INFORMES RENAME TO INFORMES_OLD"_s));

    JournalRecord first{{{}, {}, u"1,00"_s, u"a"_s, u"PC01"_s, u"CONTADOR"_s, {}}};
    QVERIFY(!m_journal->ADDTOREG(first));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(m_journal->unwrittenCount(), 1);
    QVERIFY(!m_journal->writeUnwritten()); // still refused: kept, and told only once
    QCOMPARE(failed.size(), 1);

    QVERIFY(m_store->exec(u"ALTER TABLE INFORMES_OLD RENAME TO INFORMES"_s));
    m_clock.set(m_clock.now().addSecs(5));
    JournalRecord second{{{}, {}, u"2,00"_s, u"b"_s, u"PC02"_s, u"CONTADOR"_s, {}}};
    QVERIFY(m_journal->ADDTOREG(second));
    QCOMPARE(m_journal->unwrittenCount(), 0);

    QSqlQuery q(m_store->db());
    QVERIFY(q.exec(u"SELECT USER, HORA FROM INFORMES ORDER BY rowid"_s));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), u"a"_s);
    QCOMPARE(q.value(1).toString(), u"09:05:03"_s); // the time it was taken, not written
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), u"b"_s);
}

void JournalTest::rowsOfARolledBackTransactionAreWrittenAgain()
{
    QSignalSpy written(m_journal.get(), &Journal::written);
    QSqlDatabase db = m_store->db();
    QVERIFY(db.transaction());
    m_journal->beginTransaction();
    JournalRecord record{{{}, {}, u"4,00"_s, u"a"_s, u"PC01"_s, u"PREPAGO"_s, {}}};
    QVERIFY(m_journal->ADDTOREG(record));
    QCOMPARE(written.size(), 0); // not before the caller commits
    QVERIFY(db.rollback());
    m_journal->rollbackTransaction();
    QCOMPARE(rowCount(), 0);
    QCOMPARE(m_journal->unwrittenCount(), 1);

    QVERIFY(m_journal->writeUnwritten());
    QCOMPARE(rowCount(), 1);
    QCOMPARE(written.size(), 1);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::JournalTest)
#include "tst_journal.moc"
