#include "printing/pendingprints.h"
#include "printing/printmonitor.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Printers "HP" (0,50 a page; from 10 pages 20 % off), "Epson" (no price row) and "Laser" (1 a
// page, priced after the console started) on a scripted spooler.
struct Counter : test::CounterServices {
    test::ScriptedSpooler spooler;
    PendingPrints prints{store.db()};
    PrintMonitor monitor{{store.db(), spooler, prints, actions, clock}};

    Counter()
    {
        store.exec(u"INSERT INTO Impresoras (nombre, valorporprint, cantdest, pordesct) VALUES "
                   u"('hp', 0.5, 10, 20), ('HP', 9, 0, 0)"_s);
    }
    // One pass with these queues, waited for.
    bool pass(const QHash<QString, std::vector<SpoolJob>>& queues)
    {
        spooler.set({u"HP"_s, u"Epson"_s, u"Gone"_s, u"Laser"_s}, queues);
        QSignalSpy done(&monitor, &PrintMonitor::passFinished);
        monitor.Obtener_Impresoras2();
        return done.wait(5000);
    }
    test::Records listed() const { return test::fields(prints.rows()); }
    static constexpr const char* storedColumns =
        "impresora | PC | cantidad | pagimpres | valor | fecha | hora | jobid";
    test::Records stored()
    {
        return store.rows(u"SELECT impresora, PC, cantidad, pagimpres, valor, fecha, hora, jobid "
                          u"FROM Impresiones"_s);
    }
};

SpoolJob job(int id, std::uint32_t status, bool ownText = false, int pages = 3)
{
    return {id, u"\\\\PC03"_s, pages, 1, status, ownText};
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void recordingRule_data()
    {
        test::addRows("status | own text | recorded", R"(
    printing              |0x10 |0|1
    printing in error     |0x12 |0|1
    printing and paused   |0x11 |0|1
    printing, own text    |0x10 |1|0
    spooling              |0x08 |0|0
    printed between ticks |0x80 |0|0
    no status             |0x00 |0|0
    )");
    }
    void recordingRule()
    {
        QFETCH(test::Row, r);
        const SpoolJob j = job(1, r[u"status"].toUInt(nullptr, 16), r.yes(u"own text"));
        QCOMPARE(PrintMonitor::recordable(j), r.yes(u"recorded"));
    }

    void recordsEachJobOncePriced()
    {
        Counter c;
        const std::uint32_t printing = JobStatus::Printing;
        QVERIFY(c.pass({{u"HP"_s, {job(7, printing), job(8, JobStatus::Spooling)}},
                        {u"Epson"_s, {job(7, printing, false, 2)}}}));
        // The same job grows and is seen again; job 8 starts printing; a long job gets the
        // discount. "Gone" cannot be read and is skipped. A price set while the console runs
        // counts from the next job.
        QVERIFY(
            c.store.exec(u"INSERT INTO Impresoras (nombre, valorporprint) VALUES ('LASER', 1)"_s));
        QVERIFY(c.pass({{u"HP"_s, {job(7, printing, false, 9), job(8, printing, false, 10)}},
                        {u"Epson"_s, {job(7, printing, false, 2)}},
                        {u"Laser"_s, {job(4, printing, false, 2)}}}));
        COMPARE_RECORDS(c.listed(), test::printColumns,
                        u"HP:\\\\PC03:3:1,5:7 Epson:\\\\PC03:2:0:7 HP:\\\\PC03:10:4:8 "
                        u"Laser:\\\\PC03:2:2:4"_s,
                        u' ', u':');
        COMPARE_RECORDS(c.stored(), c.storedColumns,
                        u"HP|\\\\PC03|3|1|1,50|2026-12-04|09:05:03|7\n"
                        u"Epson|\\\\PC03|2|1|0,00|2026-12-04|09:05:03|7\n"
                        u"HP|\\\\PC03|10|1|4,00|2026-12-04|09:05:03|8\n"
                        u"Laser|\\\\PC03|2|1|2,00|2026-12-04|09:05:03|4"_s);
        // A restart reads the same jobs back, in table order, with the amounts as stored.
        QVERIFY(c.prints.reload());
        COMPARE_RECORDS(c.listed(), test::printColumns,
                        u"HP:\\\\PC03:3:1,50:7 Epson:\\\\PC03:2:0,00:7 HP:\\\\PC03:10:4,00:8 "
                        u"Laser:\\\\PC03:2:2,00:4"_s,
                        u' ', u':');
    }

    void removeTakesOneJobClearTakesAll()
    {
        Counter c;
        QVERIFY(c.pass({{u"HP"_s, {job(1, 0x10), job(2, 0x10)}}, {u"Epson"_s, {job(1, 0x10)}}}));
        QVERIFY(c.prints.remove(c.actions, 0));
        COMPARE_RECORDS(c.listed(), test::printColumns,
                        u"HP:\\\\PC03:3:1,5:2 Epson:\\\\PC03:3:0:1"_s, u' ', u':');
        COMPARE_RECORDS(c.store.rows(u"SELECT impresora, jobid FROM Impresiones"_s),
                        "impresora | jobid", "HP | 2 \n Epson | 1");
        QVERIFY(c.prints.clear(c.actions));
        QVERIFY(c.prints.count() == 0 && c.stored().isEmpty());
    }

    // A spooler that does not answer holds up neither the tick nor the next pass request: the
    // pass is recorded when the spooler comes back, and only one pass runs at a time.
    void hungSpoolerNeverHoldsTheTick()
    {
        Counter c;
        c.spooler.set({u"HP"_s}, {{u"HP"_s, {job(5, 0x10)}}});
        c.spooler.hang();
        QSignalSpy done(&c.monitor, &PrintMonitor::passFinished);
        c.monitor.Obtener_Impresoras2();
        for (int tick = 0; tick < 5; ++tick) {
            c.metering.tick();
            c.monitor.Obtener_Impresoras2();
            QVERIFY(c.monitor.passRunning());
        }
        QCOMPARE(c.prints.count(), 0);
        c.spooler.release();
        QVERIFY(done.wait(5000));
        QCOMPARE(done.size(), 1);
        COMPARE_RECORDS(c.listed(), test::printColumns, R"(HP | \\PC03 | 3 | 1,5 | 5)");
        c.monitor.cancel(u"HP"_s, 5);
        QSignalSpy cancelled(&c.monitor, &PrintMonitor::cancelled);
        QVERIFY(cancelled.wait(5000));
        QCOMPARE(c.spooler.cancelled(), QStringList{u"HP 5"_s});
    }
};

QTEST_GUILESS_MAIN(TestPrinting)
#include "tst_printing.moc"
