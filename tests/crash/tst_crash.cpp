// The money survives the console dying at any moment.
//
// A child process runs the core (no window) on its own store through a stream of events
// (openings, changes of mode, start presses, added time, ticks, print jobs, locks, charges) and
// is killed with SIGKILL. Every session is opened under a tariff of hourly rate 0 whose minimum
// charge K is a number used once, so its running charge is K all its life and every journal row
// it leads to carries K; print jobs take their amounts from the same counter. The child prints
// each event before it ("B") and the state it committed after it ("S"). After every kill the
// parent reads the store and checks that no journal row appears twice, that no station is
// journaled and still in a session, that everything committed is still there while the event
// cut short is there whole or not at all, and that every tick (the first after a restart too)
// moves each running session on by one second from the one last written. Counter sales run in
// the stream too: sale number n sells one coffee, and two cakes when n is even, so the stock of
// both always follows from the count of sale rows in the journal. Sessions move between stations
// too (swaps, some with hold): a session's K is then on the other station, never on both or on
// none.
//
// The console is killed while it starts too: a child runs the program's own start-up (login,
// splash, the console's load, its timers, the station agents reconnecting) and is killed from its
// first instant to just after its first tick. Nothing committed may go back: a session that goes
// on never has less time or total, and only the operator ends one without a journal row.
#include "app/startup.h"
#include "charging/charge.h"
#include "core/timetext.h"
#include "link/requests.h"
#include "link/stationsockets.h"
#include "printing/pendingprints.h"
#include "products/catalogue.h"
#include "products/sale.h"
#include "stationagent.h"
#include "stations/counters.h"
#include "stations/cyberstore.h"
#include "support/testsupport.h"
#include "swap/swap.h"
#include "tariffs/openstation.h"
#include "ui/common/messageboxprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <map>
#include <set>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

constexpr int Stations = 6;
constexpr int Stock = 1000000; // of each product: never too little for the sales of a run
const QString NotSale = u"(DESCRIP IS NOT 'Venta de Articulo(s)')"_s; // the stations' rows

QString machine(int index)
{
    return u"\\\\PC%1"_s.arg(index + 1);
}

// One station as both sides see it: "K/mode/elapsed/job/total", mode F free, C counter, P
// prepaid, W waiting; K and job 0 when there is none.
QString token(qint64 k, const QString& code, const QString& elapsed, qint64 job, double total)
{
    const char mode = code.isEmpty() ? 'F' : code == u"1" ? 'C' : code == u"3" ? 'P' : 'W';
    return u"%1/%2/%3/%4/%5"_s.arg(QString::number(mode == 'F' ? 0 : k), QChar(mode), elapsed,
                                   QString::number(job), QString::number(total));
}

void say(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// ---- the child: the console's core on a store, until it is killed ----

qint64 jobAt(const PendingPrints& prints, int i)
{
    for (const PendingPrint& p : prints.rows())
        if (p.maquina == machine(i))
            return p.jobid.toLongLong();
    return 0;
}

QString stateOf(const StationTable& stations, const PendingPrints& prints)
{
    QStringList tokens;
    for (int i = 0; i < stations.count(); ++i) {
        const Station& s = stations.at(i);
        tokens << token(qint64(parseNumber(s.sub).value_or(0)), s.LSTCLWA, s.vartipex2,
                        jobAt(prints, i), parseNumber(s.total).value_or(0));
    }
    return tokens.join(u' ');
}

// The stations' journal amounts written after row `last`, which moves on to the newest.
QString journalAfter(QSqlDatabase db, qint64& last)
{
    QSqlQuery q(db);
    q.exec(u"SELECT rowid, VALOR FROM INFORMES WHERE rowid > "_s + QString::number(last) +
           u" AND "_s + NotSale + u" ORDER BY rowid"_s);
    QStringList added;
    while (q.next()) {
        last = q.value(0).toLongLong();
        added << QString::number(q.value(1).toLongLong());
    }
    return added.join(u' ');
}

// Confirms every question; anything the console would tell the operator is a failure.
class Operator final : public Prompts {
public:
    bool askYesNo(const QString&) override { return true; }
    void tell(Icon, const QString& text) override
    {
        if (!text.startsWith(u"  Cambio: "_s)) // the change of a sale
            say(u"E "_s + text.simplified());
    }
    void notify(Icon icon, const QString& text) override { tell(icon, text); }
};

struct Child {
    explicit Child(QSqlDatabase store) : db(store)
    {
        session.logIn({u"Marta"_s, {}, {}});
        links.closed = {0, 1, 2, 3, 4, 5}; // no agents: nothing is sent
        prints.reload();                   // in the order of the console's load
        stations.setStations(*CyberStore(db).load());
        QObject::connect(&metering, &Metering::storeFailed,
                         [](const QString& text) { say(u"E "_s + text.simplified()); });
        QSqlQuery q(db);
        q.exec(u"SELECT MAX(COALESCE((SELECT MAX(TARIF_MIN) FROM TARIFAS), 0), COALESCE((SELECT "
               u"MAX(jobid) FROM Impresiones), 0), COALESCE((SELECT MAX(VALOR) FROM INFORMES), 0)),"
               u" (SELECT COALESCE(MAX(rowid), 0) FROM INFORMES)"_s);
        q.next();
        serial = q.value(0).toLongLong();
        lastRow = q.value(1).toLongLong();
        say(u"L "_s + stateOf(stations, prints));
    }

    // One event: "tick", "open"/"modo" (how: C counter, P prepaid, W waiting too), "start",
    // "increm", "print", "lock", "charge", "clear", "sale", "swap" (how: the destination, then
    // "h" for hold). False when the console refused it. A swap reports its destination as its K.
    bool event(const QString& kind, int i, const QString& how = {})
    {
        const bool newIdentity = kind == u"open" || kind == u"modo" || kind == u"print";
        const qint64 k = newIdentity ? ++serial : kind == u"swap" ? how.left(1).toInt() : 0;
        if (newIdentity && kind != u"print") // committed before it is used: never used twice
            QSqlQuery(db).exec(u"UPDATE TARIFAS SET TARIF_MIN = %1"_s.arg(k));
        say(u"B %1 %2 %3 %4"_s.arg(++seq).arg(kind).arg(i).arg(k));
        bool ok = true;
        if (kind == u"tick") {
            clock.set(clock.now().addSecs(1));
            metering.tick();
        } else if (kind == u"open" || kind == u"modo" || kind == u"increm") {
            open.loadTariffs(db);
            open.choose(0);
            const OpenMode mode = kind == u"open"   ? OpenMode::Open
                                  : kind == u"modo" ? OpenMode::Modo
                                                    : OpenMode::Increm;
            const OpenChoice choice{how != u"C", how == u"W", 0, int(1 + k % 3)};
            ok = open.accept(mode, i, choice) == OpenStation::Outcome::Written;
        } else if (kind == u"start") {
            requests.dispatch(i, u"GETSTART2"_s);
        } else if (kind == u"print") {
            const PendingPrint job{u"HP"_s, machine(i), u"1"_s, formatAmount(double(k)),
                                   QString::number(k)};
            ok = QSqlQuery(db).exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, valor, "
                                    u"jobid) VALUES ('%1', 'HP', 1, '%2', %3)"_s.arg(
                                        job.maquina, job.valor, job.jobid));
            if (ok)
                prints.append(job);
        } else if (kind == u"lock") {
            ok = commands.LOCKPC(i);
        } else if (kind == u"sale") {
            QSqlQuery n(db);
            n.exec(u"SELECT count(*) + 1 FROM INFORMES WHERE NOT "_s + NotSale);
            n.next();
            ok = sale.add({1, u"cafe"_s, {}, 0, 1.5, 0}, u"1"_s) &&
                 (n.value(0).toLongLong() % 2 || sale.add({2, u"torta"_s, {}, 0, 2, 0}, u"2"_s)) &&
                 sale.sell(u"100"_s) == Sale::Outcome::Sold;
        } else if (kind == u"swap") {
            ok = Swap::exchange(actions, stations, i, int(k), how.endsWith(u'h'));
        } else if (kind == u"charge") {
            ok = charging.COBRAR(*charging.build(i), u"1000000"_s) == Charging::Outcome::Charged;
        } else {
            ok = clearFreeCounters(stations, actions);
        }
        // Committed: the state it left and the journal rows it added.
        say(u"S %1 %2 | %3"_s.arg(seq).arg(stateOf(stations, prints), journalAfter(db, lastRow)));
        return ok;
    }

    // Events at random, as a busy café makes them, until the child is killed.
    void runAtRandom(quint32 seed)
    {
        QRandomGenerator random(seed);
        for (;;) {
            const int i = random.bounded(Stations);
            const QString code = stations.at(i).LSTCLWA;
            const qint64 job = jobAt(prints, i);
            const int roll = random.bounded(100);
            const QString how = QString(QChar(u"CPW"[random.bounded(3)]));
            const bool ok = roll < 55                                     ? event(u"tick"_s, -1)
                            : roll < 65 && code.isEmpty()                 ? event(u"open"_s, i, how)
                            : roll < 68 && !code.isEmpty()                ? event(u"modo"_s, i, how)
                            : roll < 72 && (code == u"2" || code == u"4") ? event(u"start"_s, i)
                            : roll < 75 && code == u"3"                   ? event(u"increm"_s, i)
                            : roll < 78 && !code.isEmpty() ? event(u"swap"_s, i, swapTo(random, i))
                            : roll < 82 && job == 0        ? event(u"print"_s, i)
                            : roll < 90 && !code.isEmpty() ? event(u"lock"_s, i)
                            : roll < 98 && (!code.isEmpty() || job) ? event(u"charge"_s, i)
                            : roll >= 98                            ? event(u"clear"_s, -1)
                            : roll >= 90                            ? event(u"sale"_s, -1)
                                                                    : true;
            if (!ok)
                say(u"E the console refused an event"_s);
        }
    }

    static QString swapTo(QRandomGenerator& random, int from)
    {
        const int to = (from + 1 + random.bounded(Stations - 1)) % Stations;
        return QString::number(to) + (random.bounded(2) ? u"h"_s : QString());
    }

    QSqlDatabase db;
    test::MemorySettingsStore memory;
    Settings settings{memory};
    OperatorSession session;
    test::RecordingConnections links;
    LinkSender sender{links, session};
    test::ManualClock clock;
    Operator teller;
    StationTable stations;
    Journal journal{db, session, clock};
    StationRows rows{db};
    ActionStore actions{{db, stations, rows, journal, teller}};
    MessageList messages;
    RemoteCommands commands{
        {stations, actions, sender, journal, settings, teller, clock, messages}};
    PendingPrints prints{db};
    Charging charging{{stations, actions, prints, commands, journal, teller}};
    OpenStation open{stations, actions, settings, teller};
    RequestDispatcher requests{{stations, actions, db, sender, messages, clock}};
    Metering metering{{stations, rows, db, settings, sender, journal, clock}};
    Sale sale{{db, actions, journal, teller, settings}};
    qint64 serial = 0;
    qint64 lastRow = 0;
    int seq = 0;
};

// The program's start-up on the store (settings in memory, a spooler without printers) until it
// is killed: the state it loaded, then "B" before each tick and the state committed after it.
int runConsole(const QString& dir)
{
    DataStore store;
    if (auto error = store.open(DataStore::pathIn(dir))) {
        say(u"E "_s + *error);
        return 1;
    }
    test::MemorySettingsStore memory;
    Settings settings{memory};
    Operator teller;
    test::ScriptedSpooler spooler; // no printers: each pass finds nothing
    Startup startup(store, settings, teller, nullptr, &spooler);
    qint64 lastRow = 0;
    journalAfter(store.database(), lastRow);
    int seq = 0;
    const auto state = [&] { return stateOf(startup.stations(), startup.prints()); };
    const auto next = [&] { say(u"B %1 tick -1 0"_s.arg(++seq)); }; // all it does is tick
    QObject::connect(&startup, &Startup::consoleShown, [&] {
        say(u"L "_s + state());
        next();
        for (int i = 0; i < startup.stations().count(); ++i) {
            auto* agent = new sim::StationAgent(u"PC%1"_s.arg(i + 1), {}, &startup);
            agent->setMessageGapMs(5);
            const auto at = StationSockets::endpoint(startup.stations().at(i).LSTIPS);
            if (!agent->listen(QHostAddress(at.host), at.port))
                say(u"E "_s + agent->label() + u": "_s + agent->errorString());
            // The customer of a running station, whose screen locked while the console was away,
            // logs in with an account or out as soon as the console is back.
            QObject::connect(agent, &sim::StationAgent::connected, [&startup, agent, i] {
                const Station& s = startup.stations().at(i);
                if (!s.modo.isEmpty() && s.usuario.isEmpty())
                    agent->send(i % 2 ? u"GETOUT"_s : u"GETSTART"_s, {u"ana"_s, u"x"_s});
            });
        }
    });
    QObject::connect(&startup.metering(), &Metering::ticked, [&] {
        say(u"S %1 %2 | %3"_s.arg(seq).arg(state(), journalAfter(store.database(), lastRow)));
        next();
    });
    startup.begin();
    return QCoreApplication::exec();
}

// ---- the parent: kills children and checks the store after every kill ----

class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedRightAfterAnAction_data();
    void killedRightAfterAnAction();
    void killedAtRandomMoments();
    void killedWhileStarting();

private:
    bool newCafe(const QString& dir);
    QStringList readStore(const QString& dir, std::multiset<qint64>* journal) const;
    // Runs a child until the output holds `states` committed states (0: until `lifetimeMs` from
    // its first line, or from its start), then kills it; returns what it printed.
    QStringList runChild(const QString& dir, const QString& mode, int states, int lifetimeMs,
                         bool fromStart = false);
    QStringList check(const QString& dir, const QStringList& lines);
    QStringList unjournaledEnds(const QStringList& after, const QString& cut) const;

    std::multiset<qint64> m_journaled; // what every child committed
    qint64 m_sales = 0;                // the sales every child committed
    QStringList m_state;               // the last state committed, or read after a kill
};

// What is wrong with station i going from `before` to `after` through the event `cut`: a session
// that goes on never has less time or a smaller total ("increm" counts prepaid time anew), and
// a tick moves a running one by one second (`whole`), or by none when it was cut short.
QStringList wrongStep(int i, const QString& before, const QString& after, const QString& cut,
                      bool whole)
{
    const QStringList was = before.split(u'/'), now = after.split(u'/');
    if (was.value(0) != now.value(0) || was.value(0) == u"0" || now.value(1) == u"F")
        return {}; // not one session going on
    const auto secs = [](const QString& t) { return TimeText::toSeconds(t).value_or(0); };
    const bool back =
        cut != u"increm" && (secs(now[2]) < secs(was[2]) || now[4].toDouble() < was[4].toDouble());
    if (back || (cut == u"tick" && now[1] == was[1] && (now[1] == u"C" || now[1] == u"P") &&
                 now[2] != TimeText::stepOneSecond(was[2]).value_or(QString()) &&
                 (whole || now[2] != was[2])))
        return {u"station %1 went %2 to %3 after %4 (%5)"_s.arg(i + 1).arg(
            back ? u"back"_s : u"on wrongly"_s, after, before, cut)};
    return {};
}

// Only the operator ends a session without a journal row: a lock, a charge, a change of mode.
QStringList TestCrash::unjournaledEnds(const QStringList& after, const QString& cut) const
{
    QStringList ends;
    const QString kept = u' ' + after.join(u' ');
    for (const QString& t : m_state) {
        const QString k = t.section(u'/', 0, 0);
        if (k != u"0" && !QStringList{u"lock"_s, u"charge"_s, u"modo"_s}.contains(cut) &&
            !m_journaled.count(k.toLongLong()) && !kept.contains(u' ' + k + u'/'))
            ends << u"session %1 ended without a journal row (%2)"_s.arg(k, cut);
    }
    return ends;
}

bool TestCrash::newCafe(const QString& dir)
{
    DataStore store;
    if (DataStore::create(DataStore::pathIn(dir)) || store.open(DataStore::pathIn(dir)))
        return false;
    QSqlQuery q(store.database());
    q.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES ('K', 0, 0, 'ST')"_s);
    // The agents on loopback addresses and a port of this test process's own: other programs may
    // hold port 6969 on every address.
    const auto n = [](qint64 v) { return QString::number(v); };
    const qint64 pid = QCoreApplication::applicationPid();
    for (int i = 0; i < Stations; ++i)
        q.exec(
            u"INSERT INTO CYBER (PC, PCNAME, PCIP) VALUES ('PC%1', '%2', '127.%3.%4.%1:%5')"_s.arg(
                n(i + 1), machine(i), n(1 + pid % 250), n(pid / 250 % 256),
                n(20000 + pid % 10000)));
    q.exec(u"INSERT INTO CUENTAS (USER, TIMERES, TARIFBAS) VALUES ('ana', '9:00:00', 0)"_s);
    q.exec(u"INSERT INTO Articulos (Articulo, Stock, PVP) VALUES ('cafe', %1, 1.5), ('torta', %1, "
           u"2)"_s.arg(Stock));
    store.close();
    m_journaled.clear();
    m_sales = 0;
    m_state = readStore(dir, nullptr);
    return true;
}

QStringList TestCrash::readStore(const QString& dir, std::multiset<qint64>* journal) const
{
    DataStore store;
    if (store.open(DataStore::pathIn(dir)))
        return {};
    std::map<QString, qint64> jobs;
    QSqlQuery q(store.database());
    q.exec(u"SELECT PC, jobid FROM Impresiones"_s);
    while (q.next())
        jobs[q.value(0).toString()] = q.value(1).toLongLong();
    QStringList stations;
    q.exec(u"SELECT TARIFA, LSTVARX, vartipex2, PCNAME, TOTAL FROM CYBER ORDER BY rowid"_s);
    while (q.next())
        stations << token(q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                          jobs[q.value(3).toString()], q.value(4).toDouble());
    q.exec(u"SELECT VALOR FROM INFORMES WHERE "_s + NotSale);
    while (journal && q.next())
        journal->insert(q.value(0).toLongLong());
    return stations;
}

QStringList TestCrash::runChild(const QString& dir, const QString& mode, int states, int lifetimeMs,
                                bool fromStart)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {u"--child"_s, dir, mode});
    QByteArray output;     // read all along, so the child never waits on a full pipe
    QElapsedTimer running; // from the child's first line, once its store is loaded
    if (fromStart)
        running.start();
    while (child.waitForReadyRead(
        states || !running.isValid() ? 30000 : qMax(1, int(lifetimeMs - running.elapsed())))) {
        output += child.readAllStandardOutput();
        if (!running.isValid())
            running.start();
        if (states ? output.count("\nS ") >= states : running.elapsed() >= lifetimeMs)
            break;
    }
    if (states)
        QThread::msleep(100); // killed 0,1 s after the last event, while idle
    child.kill();
    child.waitForFinished(10000);
    output += child.readAllStandardOutput(); // each line is one short write: never half a line
    return QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
}

QStringList TestCrash::check(const QString& dir, const QStringList& lines)
{
    QStringList violations;
    QString cut; // the event begun and never reported committed
    int cutIndex = -1;
    qint64 cutK = 0;
    for (const QString& line : lines) {
        const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
        if (f.value(0) == u"E") {
            violations << u"the child was told: "_s + line;
        } else if (f.value(0) == u"L" && f.mid(1) != m_state) {
            violations << u"loaded "_s + f.mid(1).join(u' ') + u", stored "_s + m_state.join(u' ');
        } else if (f.value(0) == u"B") {
            cut = f.value(2);
            cutIndex = f.value(3).toInt();
            cutK = f.value(4).toLongLong();
        } else if (f.value(0) == u"S") {
            const qsizetype bar = f.indexOf(u"|"_s);
            const QStringList state = f.mid(2, bar - 2);
            for (int i = 0; i < state.size(); ++i)
                violations << wrongStep(i, m_state.value(i), state[i], cut, true);
            m_sales += cut == u"sale";
            for (const QString& k : f.mid(bar + 1))
                m_journaled.insert(k.toLongLong());
            violations << unjournaledEnds(state, cut);
            m_state = state;
            cut.clear();
        }
    }

    std::multiset<qint64> journal;
    const QStringList stored = readStore(dir, &journal);
    std::multiset<qint64> unreported = journal;
    for (qint64 k : m_journaled) {
        if (const auto it = unreported.find(k); it != unreported.end())
            unreported.erase(it);
        else
            violations << u"journal row %1 lost"_s.arg(k);
    }
    // A row nobody reported can only be the cut event's: the session or print job it charged.
    std::set<qint64> chargeable;
    for (int i = 0; i < m_state.size(); ++i) {
        const QStringList t = m_state[i].split(u'/');
        if ((cut == u"tick" && t[1] == u"P") ||
            (i == cutIndex && (cut == u"lock" || cut == u"charge")))
            chargeable.insert(t[0].toLongLong());
        if (i == cutIndex && cut == u"charge")
            chargeable.insert(t[3].toLongLong());
    }
    for (qint64 k : unreported) {
        if (!chargeable.count(k) || k == 0)
            violations << u"journal row %1 from nowhere (cut: %2)"_s.arg(k).arg(cut);
        m_journaled.insert(k); // the cut event was committed after all
    }
    violations << unjournaledEnds(stored, cut);
    for (qint64 k : journal) {
        if (journal.count(k) > 1)
            violations << u"journal row %1 appears %2 times"_s.arg(k).arg(journal.count(k));
    }
    for (int i = 0; i < stored.size(); ++i) {
        const QStringList now = stored[i].split(u'/');
        if (now[1] != u"F" && journal.count(now[0].toLongLong()))
            violations << u"station %1 is journaled and still in a session: %2"_s.arg(i + 1).arg(
                stored[i]);
        violations << wrongStep(i, m_state.value(i), stored[i], cut, false);
        if (stored[i] == m_state.value(i))
            continue;
        // Only the cut event may have changed a station, and an opening or a print job that went
        // through carries the identity it was given.
        const bool touched =
            cut == u"tick" || cut == u"clear" || i == cutIndex || (cut == u"swap" && i == cutK);
        const bool foreign = (cut == u"open" || cut == u"modo") ? now[0].toLongLong() != cutK
                             : cut == u"print"                  ? now[3].toLongLong() != cutK
                                                                : false;
        if (!touched || foreign)
            violations << u"station %1 stored as %2 after %3 (cut: %4)"_s.arg(i + 1).arg(
                stored[i], m_state.value(i), cut.isEmpty() ? u"nothing"_s : cut);
    }
    // A session is on one station at most; a swap cut short moved it whole or not at all.
    std::multiset<qint64> before, after;
    for (const QString& t : m_state)
        before.insert(t.section(u'/', 0, 0).toLongLong());
    for (const QString& t : stored) {
        const qint64 k = t.section(u'/', 0, 0).toLongLong();
        if (k && after.count(k))
            violations << u"session %1 is on two stations"_s.arg(k);
        after.insert(k);
    }
    if (cut == u"swap" && before != after)
        violations << u"a swap left %1 for %2"_s.arg(stored.join(u' '), m_state.join(u' '));
    m_state = stored;

    // Every sale committed is there whole, the one cut short whole or not at all.
    DataStore store;
    store.open(DataStore::pathIn(dir));
    QSqlQuery q(store.database());
    q.exec(u"SELECT count(*), (SELECT group_concat(%1 - Stock, ' ') FROM Articulos) FROM INFORMES "
           u"WHERE NOT "_s.arg(Stock) +
           NotSale);
    q.next();
    const qint64 sales = q.value(0).toLongLong();
    if ((sales != m_sales && !(cut == u"sale" && sales == m_sales + 1)) ||
        q.value(1).toString() != u"%1.0 %2.0"_s.arg(sales).arg(sales / 2 * 2))
        violations << u"%1 sales committed, stored %2 with sold stock %3 (cut: %4)"_s.arg(m_sales)
                          .arg(sales)
                          .arg(q.value(1).toString(), cut);
    m_sales = sales;
    return violations;
}

void TestCrash::killedRightAfterAnAction_data()
{
    // The action, after station 1 has counted a minute with a print job; stations 1 and 2 and the
    // journal after the kill (station 1's session is K 1, total 1, its print job K 2).
    test::addRows("action | station 1 | station 2 | journal", R"(
        lock            |lock 0  |0/F/0:00:00/2/0 |0/F//0/0 | 1
        charge          |charge 0|0/F/0:00:00/0/0 |0/F//0/0 | 1 2
        prepaid opening |open 1 P|1/C/0:01:01/2/1 |3/P//0/0 |
        swap            |swap 0 1|0/F//2/0 |1/C/0:01:01/0/1 |
        swap with hold  |swap 0 1h|0/F//2/0 |1/W/0:01:01/0/1 |
        sale            |sale    |1/C/0:01:01/2/1 |0/F//0/0 |)");
}

void TestCrash::killedRightAfterAnAction()
{
    QFETCH(test::Row, r);
    QTemporaryDir dir;
    QVERIFY(newCafe(dir.path()));
    const QString script = u"open 0 C;print 0;"_s + u"tick;"_s.repeated(61) + r[u"action"];
    const QStringList violations = check(dir.path(), runChild(dir.path(), script, 64, 0));
    QVERIFY2(violations.isEmpty(), qPrintable(violations.join(u'\n')));
    std::multiset<qint64> journaled;
    const QStringList stations = readStore(dir.path(), &journaled).mid(0, 2);
    COMPARE_RECORDS(test::records(stations.join(u' '), u' ', u'/'),
                    "K | mode | elapsed | job | total",
                    test::records(r[u"station 1"] + u' ' + r[u"station 2"], u' ', u'/'));
    QStringList journal;
    for (qint64 k : journaled)
        journal << QString::number(k);
    QCOMPARE(journal, r[u"journal"].split(u' ', Qt::SkipEmptyParts));
}

void TestCrash::killedAtRandomMoments()
{
    QTemporaryDir dir;
    QVERIFY(newCafe(dir.path()));
    QRandomGenerator random(20261206);
    int kills = 0, events = 0;
    QStringList violations;
    for (; kills < 220; ++kills) {
        // Killed at a random moment: between events, inside a tick, in the middle of an action.
        const QStringList lines =
            runChild(dir.path(), QString::number(random.generate()), 0, random.bounded(5, 120));
        events += int(std::count_if(lines.begin(), lines.end(),
                                    [](const QString& l) { return l.startsWith(u"S "_s); }));
        for (const QString& v : check(dir.path(), lines))
            violations << u"kill %1: "_s.arg(kills + 1) + v;
    }
    qInfo("kills: %d, events committed and reported: %d, violations: %d", kills, events,
          int(violations.size()));
    QVERIFY2(violations.isEmpty(), qPrintable(violations.mid(0, 20).join(u'\n')));
}

// The console killed while it starts, from its first instant to just after its first tick, the
// café moving on now and then between two starts (KESTREL_CRASH_STARTS starts, 10 by default).
void TestCrash::killedWhileStarting()
{
    QTemporaryDir dir;
    QVERIFY(newCafe(dir.path()));
    // Sessions of every kind, one on hold after a swap, and a print job waiting.
    const QString cafe = u"open 0 C;open 1 P;open 2 W;print 3;open 4 C;swap 4 5h"_s;
    QStringList violations = check(dir.path(), runChild(dir.path(), cafe, 6, 0));
    const char* const starts = "KESTREL_CRASH_STARTS";
    const int kills = qEnvironmentVariableIsSet(starts) ? qEnvironmentVariableIntValue(starts) : 10;
    QRandomGenerator random(20261207);
    int ticked = 0;
    for (int kill = 1; kill <= kills; ++kill) {
        if (kill % 5 == 0)
            violations << check(dir.path(), runChild(dir.path(), QString::number(random.generate()),
                                                     0, random.bounded(5, 120)));
        // From its start, from the end of its load, or around its first tick a second later.
        const int from = random.bounded(3);
        const int ms = from == 0   ? random.bounded(2600)
                       : from == 1 ? random.bounded(1000)
                                   : random.bounded(940, 1080);
        const QStringList lines = runChild(dir.path(), u"console"_s, 0, ms, from == 0);
        ticked += std::any_of(lines.begin(), lines.end(), [](auto& l) { return l[0] == u'S'; });
        for (const QString& v : check(dir.path(), lines))
            violations << u"start %1: "_s.arg(kill) + v;
    }
    qInfo("kills during start-up: %d, after the first tick: %d, violations: %d", kills, ticked,
          int(violations.size()));
    QVERIFY2(violations.isEmpty(), qPrintable(violations.mid(0, 20).join(u'\n')));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0 && qstrcmp(argv[3], "console") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        installSpanishTranslation();
        QApplication::setQuitOnLastWindowClosed(false);
        test::pinCafeLocale();
        return runConsole(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        test::pinCafeLocale();
        DataStore store;
        if (auto error = store.open(DataStore::pathIn(QString::fromLocal8Bit(argv[2])))) {
            say(u"E "_s + *error);
            return 1;
        }
        Child child(store.database());
        const QString mode = QString::fromLocal8Bit(argv[3]);
        bool isSeed = false;
        const quint32 seed = mode.toUInt(&isSeed);
        if (isSeed)
            child.runAtRandom(seed);
        for (const QString& e : mode.split(u';')) {
            const QStringList f = e.split(u' ');
            child.event(f[0], f.value(1, u"-1"_s).toInt(), f.value(2));
        }
        QThread::sleep(60); // idle, as between two ticks of the console, until killed
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT")) // long runs: CTest keeps its own
        qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
    TestCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
