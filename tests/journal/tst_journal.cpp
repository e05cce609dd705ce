#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void rowHoldsWhatTheCallerGave_data();
    void rowHoldsWhatTheCallerGave()
    {
        QFETCH(QStringList, f);
        test::CounterServices c;
        QSignalSpy failed(&c.journal, &Journal::writeFailed);
        // Date, time and operator are not the caller's: they are the moment's and the login's.
        JournalRecord record{{u"1/1/2000"_s, u"1:00:00"_s, f[0], f[1], f[2], f[3], u"otro"_s}};
        QCOMPARE(c.journal.ADDTOREG(record), !f[4].isEmpty());
        const QString row = u"%1|%2|%3|%4|Marta"_s.arg(f[4], f[5], f[2], f[3]);
        QCOMPARE(c.journalRows().join(u'\n'), f[4].isEmpty() ? u""_s : row);
        QCOMPARE(failed.size(), int(f[4].isEmpty()));
        QCOMPARE(c.journal.unwrittenCount(), 0);
        if (!f[4].isEmpty()) {
            QCOMPARE(record[JournalField::User], f[5]); // the caller's too
            QCOMPARE(c.store.scalar(u"SELECT FECHA || ' ' || HORA FROM INFORMES"_s).toString(),
                     u"2026-12-04 09:05:03"_s);
        }
    }

    void datesAsStoredAndShown()
    {
        test::pinCafeLocale();
        // Shown in the regional short format with a four-digit year.
        QCOMPARE(Journal::shownDate(Journal::dateText(QDate(2026, 1, 4))), u"4/1/2026"_s);
        // A later day compares greater as text, so a date range is a text range.
        QVERIFY(Journal::dateText(QDate(2027, 1, 1)) > Journal::dateText(QDate(2026, 12, 31)));
        QVERIFY(Journal::dateText(QDate(2026, 10, 1)) > Journal::dateText(QDate(2026, 9, 30)));
    }

    void failedRowIsKeptAndWrittenFirstLater()
    {
        test::CounterServices c;
        QSignalSpy failed(&c.journal, &Journal::writeFailed);
        QVERIFY(c.store.exec(u"ALTER TABLE INFORMES RENAME TO INFORMES_OLD"_s));
        JournalRecord first{{{}, {}, u"1,00"_s, u"a"_s, u"PC01"_s, u"CONTADOR"_s, {}}};
        QVERIFY(!c.journal.ADDTOREG(first));
        QVERIFY(!c.journal.writeUnwritten()); // still refused: kept, and told only once
        QCOMPARE(failed.size(), 1);
        QCOMPARE(c.journal.unwrittenCount(), 1);
        QVERIFY(c.store.exec(u"ALTER TABLE INFORMES_OLD RENAME TO INFORMES"_s));
        c.clock.set(c.clock.now().addSecs(5));
        JournalRecord second{{{}, {}, u"2,00"_s, u"b"_s, u"PC02"_s, u"CONTADOR"_s, {}}};
        QVERIFY(c.journal.ADDTOREG(second));
        QCOMPARE(c.journal.unwrittenCount(), 0);
        // The first is written first, with the time it was taken.
        QCOMPARE(
            c.store.scalar(u"SELECT group_concat(USER || HORA, ' ') FROM INFORMES"_s).toString(),
            u"a09:05:03 b09:05:08"_s);
    }
};

// amount | user | station | description given | VALOR and USER stored (none: refused)
void JournalTest::rowHoldsWhatTheCallerGave_data()
{
    test::addRows(R"(
    grouped amount             |1.234,56|x           |PC02|PREPAGO             |1.234,56|x
    three decimals round to two|2,675   |x           |    |Venta de Articulo(s)|2,68    |x
    quotes are just text       |3       |O'Brien "el"|PC'3|3 IMPRESION(ES)     |3,00    |O'Brien "el"
    no user is anonymous       |2,00    |            |PC01|CONTADOR            |2,00    |ANONIMO
    amount no number is refused|abc     |ana         |PC01|CONTADOR            |        |
    )");
}

QTEST_GUILESS_MAIN(JournalTest)
#include "tst_journal.moc"
