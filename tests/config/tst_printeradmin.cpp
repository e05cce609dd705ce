#include "config/archive.h"
#include "config/printeradmin.h"
#include "printing/pendingprints.h"
#include "printing/printmonitor.h"
#include "support/testsupport.h"
#include "ui/options/printerspage.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

struct Fixture : test::CounterServices {
    test::ScriptedSpooler spooler;
    PendingPrints prints{store.db()};
    PrintMonitor monitor{{store.db(), spooler, prints, actions, clock}};
    PrinterAdmin admin{{store.db(), monitor, actions, prompts}};
    Archive archive{{store.store(), actions, prompts, clock}};

    // Impresoras rows as SQL values ("-": none); the spooler lists `installed` ("-": none).
    bool start(const QString& records, const QString& installed)
    {
        if (records != u"-"_s)
            store.exec(u"INSERT INTO Impresoras VALUES "_s + records);
        spooler.set(installed == u"-"_s ? QStringList() : installed.split(u','), {});
        QSignalSpy listed(&monitor, &PrintMonitor::printersListed);
        admin.refresh();
        return listed.wait(5000);
    }
    // The rows shown, "*" before a printer the spooler does not list, and the rows stored. The
    // tables write them ";" between the rows, ":" between the fields.
    static constexpr const char* shownColumns = "name | price | count | discount";
    test::Records shown() const
    {
        test::Records rows;
        for (const PrinterRow& r : admin.rows())
            rows << QStringList{(r.listed ? u""_s : u"*"_s) + r.name, r.price, r.count, r.discount};
        return rows;
    }
    static constexpr const char* recordColumns = "nombre | valorporprint | cantdest | pordesct";
    test::Records records()
    {
        return store.rows(u"SELECT nombre, valorporprint, cantdest, pordesct FROM Impresoras"_s);
    }
    QStringList folder() const
    {
        return QDir(store.dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
};

} // namespace

class TestPrinterAdmin : public QObject {
    Q_OBJECT
private slots:
    void rows_data()
    {
        // The boxes after a click on the first row.
        test::addRows("records | installed | shown | boxes", R"(
    none      | -                     | HP,Epson | HP:::;Epson::: | HP:0.00::
    priced    | ('HP',0.5,10,20)      | HP       | HP:0,50:10:20  | HP:0.50:10:20
    caseless  | ('hp',1.5,10,2.5),('HP',9,0,0) | HP | HP:1,50:10:2,5 | HP:1.50:10:2.5
    unicode   | ('IMPRESORA ÑANDÚ',12,null,null) | impresora ñandú | impresora ñandú:12,00:: | impresora ñandú:12.00::
    vanished  | ('Laser',1,5,null),('HP',0.5,null,null) | HP | HP:0,50::;*Laser:1,00:5: | HP:0.50::
    nospooler | ('Laser',1,null,null),('laser',2,0,0) | - | *Laser:1,00:: | Laser:1.00::
    )");
    }
    void rows()
    {
        QFETCH(test::Row, r);
        Fixture c;
        QVERIFY(c.start(r[u"records"], r[u"installed"]));
        COMPARE_RECORDS(c.shown(), c.shownColumns, test::records(r[u"shown"], u';', u':'));
        const auto boxes = c.admin.choose(0);
        QVERIFY(boxes && !c.admin.choose(int(c.admin.rows().size())));
        const QStringList shown{boxes->name, boxes->price, boxes->count, boxes->discount};
        COMPARE_RECORDS({shown}, c.shownColumns, test::records(r[u"boxes"], u';', u':'));
    }

    void save_data()
    {
        // Typed: price:count:discount, saved twice.
        test::addRows("records | installed | printer | typed | outcome | records after | row after",
                      R"(
    creates   | -                | HP    | HP    | 0.50:10:20 | ok | HP:0.5:10.0:20.0   | HP:0.50:10:20
    comma     | -                | HP    | HP    | 0,50:3,5:1 | ok | HP:0.0:3.0:1.0     | HP:0,50:3,5:1
    edits     | ('HP',9,1,1)     | HP    | HP    | 2::        | ok | HP:2.0:0.0:0.0     | HP:2::
    caseless  | ('hp',9,null,null),('HP',7,null,null) | HP | HP | 1.25:0:0 | ok | hp:1.25:0.0:0.0;HP:7.0:: | HP:1.25:0:0
    vanished  | ('Laser',1,null,null) | HP | Laser | 3.5:2:10 | ok | Laser:3.5:2.0:10.0 | *Laser:3.5:2:10
    negative  | ('HP',9,1,1)     | HP    | HP    | -1::       | refused | HP:9.0:1.0:1.0 | HP:9,00:1:1
    huge      | ('HP',9,1,1)     | HP    | HP    | 2000000000000:: | refused | HP:9.0:1.0:1.0 | HP:9,00:1:1
    noprinter | ('HP',9,1,1)     | HP    |       | 1::        | refused | HP:9.0:1.0:1.0 | HP:9,00:1:1
    locked    | ('HP',9,1,1)     | HP    | HP    | 1::        | locked  | HP:9.0:1.0:1.0 | HP:9,00:1:1
    )");
    }
    void save()
    {
        QFETCH(test::Row, r);
        Fixture c;
        QVERIFY(c.start(r[u"records"], r[u"installed"]));
        const bool ok = r[u"outcome"] == u"ok"_s;
        if (r[u"outcome"] == u"locked"_s) // the store refuses: memory and store stay as they were
            c.store.exec(u"CREATE TRIGGER cerrada BEFORE UPDATE ON Impresoras BEGIN "
                         u"SELECT RAISE(ABORT, 'cerrada'); END"_s);
        const QStringList typed = r[u"typed"].split(u':');
        for (int twice = 0; twice < 2; ++twice)
            QCOMPARE(c.admin.save(r[u"printer"], typed[0], typed[1], typed[2]), ok);
        COMPARE_RECORDS(c.records(), c.recordColumns,
                        test::records(r[u"records after"], u';', u':'));
        QVERIFY(c.shown().contains(r[u"row after"].split(u':')));
        QCOMPARE(c.prompts.told.size() + c.prompts.notified.size(), ok ? 0 : 2);
    }

    // Another connection writes journal rows all along: the archive holds the rows up to its
    // snapshot, the live store exactly the others.
    void archiveWhileWriting()
    {
        Fixture c;
        c.store.exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     u"20000) INSERT INTO INFORMES (FECHA, VALOR, DESCRIP) SELECT '2026-12-03', 1, "
                     u"'antes' || i FROM n"_s);
        c.store.exec(u"INSERT INTO Impresiones (PC, jobid) VALUES ('PC01', 1), ('PC02', 2)"_s);
        std::atomic<bool> stop{false};
        std::atomic<int> written{0};
        std::thread writer([&] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"writer"_s);
                db.setDatabaseName(c.store.path());
                db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
                db.open();
                QSqlQuery q(db);
                // Pauses between rows, as a real writer leaves, let the archive's write in.
                for (; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(1)))
                    if (q.exec(u"INSERT INTO INFORMES (DESCRIP) VALUES ('w%1')"_s.arg(written + 1)))
                        ++written;
            }
            QSqlDatabase::removeDatabase(u"writer"_s);
        });
        QTRY_VERIFY(written > 20);
        c.prompts.answerNext(true);
        const Archive::Result r = c.archive.run();
        const int after = written;
        QTRY_VERIFY(written > after + 20);
        stop = true;
        writer.join();

        QCOMPARE(c.folder(), QStringList({u"Database.mdb"_s, u"Database.mdb-shm"_s,
                                          u"Database.mdb-wal"_s, u"Database_4_12_2026.mdb"_s}));
        QVERIFY(r.outcome == Archive::Outcome::Done && r.printRows == 2);
        QCOMPARE(
            c.prompts.toldTexts(),
            QStringList{u"Tarea Terminada, Cierre y vuelva abrir Kestrel para aplicar cambios"_s});
        DataStore copy; // a whole store, sound, with the rows up to the snapshot
        QCOMPARE(copy.open(r.path), std::nullopt);
        QSqlQuery q(copy.database());
        QVERIFY(q.exec(u"PRAGMA integrity_check"_s) && q.next() && q.value(0) == u"ok"_s);
        QStringList rows;
        for (q.exec(u"SELECT DESCRIP FROM INFORMES ORDER BY rowid"_s); q.next();)
            rows << q.value(0).toString();
        QVERIFY(r.journalRows == rows.size() && rows.size() > 20000);
        for (const QStringList& row : c.journalRows())
            rows << row[3]; // DESCRIP
        QCOMPARE(c.store.scalar(u"SELECT count(*) FROM Impresiones"_s).toInt(), 0);
        QStringList all;
        for (int i = 1; i <= 20000 + written; ++i)
            all << (i <= 20000 ? u"antes%1"_s.arg(i) : u"w%1"_s.arg(i - 20000));
        QCOMPARE(rows, all);
    }

    void archiveRefused_data()
    {
        // What is in the way: a file, or a folder ("/").
        test::addRows("answers | in the way | outcome | questions", R"(
    firstno    | n   | -                            | 0 | 1
    replaceno  | y n | Database_9_1_2027.mdb        | 0 | 2
    archivedir | y   | Database_9_1_2027.mdb/       | 1 | 1
    tempdir    | y   | Database_9_1_2027.mdb.nuevo/ | 1 | 1
    replaceyes | y y | Database_9_1_2027.mdb        | 3 | 2
    )");
    }
    void archiveRefused()
    {
        QFETCH(test::Row, r);
        Fixture c;
        c.clock.set(QDateTime(QDate(2027, 1, 9), QTime(8, 0)));
        JournalRecord row{{{}, {}, u"1,50"_s, u"ANA"_s, u"PC01"_s, u"ALQUILER"_s, {}}};
        QVERIFY(c.journal.ADDTOREG(row));
        c.store.exec(u"INSERT INTO Impresiones (PC, jobid) VALUES ('PC01', 1)"_s);
        const QString way = r[u"in the way"], inWay = c.store.dir() + u'/' + way;
        QFile old(inWay);
        QVERIFY(way == u"-"_s ||
                (way.endsWith(u'/') ? QDir().mkpath(inWay)
                                    : old.open(QIODevice::WriteOnly) && old.write("viejo") == 5));
        old.close();
        const QStringList before = c.folder();
        const test::Records journal = c.journalRows();
        for (const QString& a : r[u"answers"].split(u' '))
            c.prompts.answerNext(a == u"y"_s);
        const Archive::Result result = c.archive.run();
        QCOMPARE(int(result.outcome), r.number(u"outcome"));
        QCOMPARE(c.prompts.questions.size(), r.number(u"questions"));
        QCOMPARE(c.folder(), before); // no temporary copy left behind
        const bool done = result.outcome == Archive::Outcome::Done;
        COMPARE_RECORDS(c.journalRows(), c.journalColumns, done ? test::Records() : journal);
        QCOMPARE(c.store.scalar(u"SELECT count(*) FROM Impresiones"_s).toInt(), done ? 0 : 1);
        QVERIFY(!old.open(QIODevice::ReadOnly) || (old.readAll() == "viejo") != done);
        QVERIFY(r.number(u"outcome") != 1 ||
                c.prompts.toldTexts().join(u"").contains(u"Database_9_1_2027.mdb"_s));
    }

    // The page: the stored printers while the spooler does not answer, the installed ones when
    // it does; "Guardar" waits for a row, a click fills the boxes, refused keys stay out, the
    // saved price is stored and a printer no longer installed is marked.
    void pageWiring()
    {
        Fixture c;
        c.store.exec(u"INSERT INTO Impresoras (nombre, valorporprint) VALUES ('Laser', 1)"_s);
        c.spooler.set({u"HP"_s, u"Epson"_s}, {});
        c.spooler.hang();
        PrintersPage page(c.admin, c.prompts);
        auto* list = page.findChild<QTreeWidget*>(u"lstimpresoras"_s);
        auto* save = page.findChild<QPushButton*>(u"cmdguardar"_s);
        auto* price = page.findChild<QLineEdit*>(u"txtvalor"_s);
        QCOMPARE(list->topLevelItemCount(), 1);
        c.spooler.release();
        QTRY_COMPARE(list->topLevelItemCount(), 3);
        QVERIFY(!save->isEnabled() && list->topLevelItem(2)->toolTip(0).size() > 0);
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(page.findChild<QLineEdit*>(u"txtimpresora"_s)->text(), u"Epson"_s);
        price->clear();
        QTest::keyClicks(price, u"0x.7a5"_s);
        QVERIFY(save->isEnabled() && price->text() == u"0.75"_s);
        save->click();
        COMPARE_RECORDS(c.records(), c.recordColumns,
                        "Laser | 1.0 | | \n Epson | 0.75 | 0.0 | 0.0");
        QCOMPARE(list->topLevelItem(1)->text(1), u"0.75"_s);
    }
};

QTEST_MAIN(TestPrinterAdmin)
#include "tst_printeradmin.moc"
