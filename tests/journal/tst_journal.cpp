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
        QFETCH(test::Row, r);
        test::CounterServices c;
        QSignalSpy failed(&c.journal, &Journal::writeFailed);
        // Date, time and operator are not the caller's: they are the moment's and the login's.
        JournalRecord record{{u"1/1/2000"_s, u"1:00:00"_s, r[u"amount"], r[u"user"], r[u"PC"],
                              r[u"DESCRIP"], u"otro"_s}};
        const bool refused = r[u"VALOR"].isEmpty();
        QCOMPARE(c.journal.ADDTOREG(record), !refused);
        const test::Records row{{r[u"VALOR"], r[u"USER"], r[u"PC"], r[u"DESCRIP"], u"Marta"_s}};
        COMPARE_RECORDS(c.journalRows(), c.journalColumns, refused ? test::Records() : row);
        QCOMPARE(failed.size(), int(refused));
        QCOMPARE(c.journal.unwrittenCount(), 0);
        if (!refused) {
            QCOMPARE(record[JournalField::User], r[u"USER"]); // the caller's too
            COMPARE_RECORDS(c.store.rows(u"SELECT FECHA, HORA FROM INFORMES"_s), "FECHA | HORA",
                            "2026-12-04 | 09:05:03");
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
        COMPARE_RECORDS(c.store.rows(u"SELECT USER, HORA FROM INFORMES"_s), "USER | HORA",
                        "a | 09:05:03\n b | 09:05:08");
    }
};

// What the caller gives, and VALOR and USER as stored (none: refused).
void JournalTest::rowHoldsWhatTheCallerGave_data()
{
    test::addRows("amount | user | PC | DESCRIP | VALOR | USER", R"(
    grouped amount             |1.234,56|x           |PC02|PREPAGO             |1.234,56|x
    three decimals round to two|2,675   |x           |    |Venta de Articulo(s)|2,68    |x
    quotes are just text       |3       |O'Brien "el"|PC'3|3 IMPRESION(ES)     |3,00    |O'Brien "el"
    no user is anonymous       |2,00    |            |PC01|CONTADOR            |2,00    |ANONIMO
    amount no number is refused|abc     |ana         |PC01|CONTADOR            |        |
    )");
}

QTEST_GUILESS_MAIN(JournalTest)
#include "tst_journal.moc"
