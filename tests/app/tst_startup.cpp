// The kestrel program itself, started as the operator or a script would start it.
#include "core/datastore.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void initDbCreatesAndNeverOverwrites();
    void initDbWithDemo();
    void refusedStarts_data();
    void refusedStarts();
    void secondConsoleOnTheSameFolderIsRefused();
    void consoleOfACrashedRunCanStartAgain();

private:
    QProcessEnvironment environment(bool display = true) const;
    QProcess* start(const QStringList& args, bool display = true);
    Run run(const QStringList& args, bool display = true);

    QString m_binary;
    QTemporaryDir m_config;
};

void TestStartup::initTestCase()
{
    m_binary = qEnvironmentVariable("KESTREL_BINARY_DIR") + u"/kestrel"_s;
    QVERIFY2(QFile::exists(m_binary), qPrintable(m_binary));
    QVERIFY(m_config.isValid());
}

QProcessEnvironment TestStartup::environment(bool display) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_s, m_config.path());
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    if (display)
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    else
        env.remove(u"QT_QPA_PLATFORM"_s);
    return env;
}

QProcess* TestStartup::start(const QStringList& args, bool display)
{
    auto* p = new QProcess(this);
    p->setProcessEnvironment(environment(display));
    p->start(m_binary, args);
    return p;
}

Run TestStartup::run(const QStringList& args, bool display)
{
    std::unique_ptr<QProcess> p(start(args, display));
    Run r;
    if (!p->waitForFinished(60000)) {
        p->kill();
        p->waitForFinished();
        return r;
    }
    r.exitCode = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -2;
    r.out = QString::fromUtf8(p->readAllStandardOutput());
    r.err = QString::fromUtf8(p->readAllStandardError());
    return r;
}

void TestStartup::initDbCreatesAndNeverOverwrites()
{
    QTemporaryDir dir;
    const QString path = DataStore::pathIn(dir.path());
    Run first = run({u"--init-db"_s, u"--data-dir"_s, dir.path()});
    QCOMPARE(first.exitCode, 0);
    QVERIFY(first.out.contains(path));
    QVERIFY(QFile::exists(path));
    DataStore store;
    QVERIFY(!store.open(path).has_value());
    store.close();

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    Run second = run({u"--init-db"_s, u"--data-dir"_s, dir.path()});
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(second.err.contains(u"Ya existe la base de datos"_s), qPrintable(second.err));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestStartup::initDbWithDemo()
{
    QTemporaryDir parent;
    const QString dir = parent.filePath(u"nueva/cafe"_s); // folders made on the way
    QCOMPARE(run({u"--init-db"_s, u"--demo"_s, u"--data-dir"_s, dir}).exitCode, 0);
    DataStore store;
    QVERIFY(!store.open(DataStore::pathIn(dir)).has_value());
    QSqlQuery q(store.database());
    QVERIFY(q.exec(u"SELECT (SELECT COUNT(*) FROM CYBER), (SELECT COUNT(*) FROM CYBER WHERE "
                   u"MODALIDAD <> ''), (SELECT COUNT(DISTINCT TIPO) FROM TARIFAS), "
                   u"(SELECT COUNT(*) FROM TAIFASC WHERE CODIGO = (SELECT CODIGO FROM TARIFAS "
                   u"WHERE TIPO = 'TC')), (SELECT COUNT(*) FROM Operadores)"_s));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 8);
    QCOMPARE(q.value(1).toInt(), 3);
    QCOMPARE(q.value(2).toInt(), 3);
    QCOMPARE(q.value(3).toInt(), 4);
    QCOMPARE(q.value(4).toInt(), 1);
}

void TestStartup::refusedStarts_data()
{
    QTest::addColumn<QString>("setup"); // what the data folder holds
    QTest::addColumn<QStringList>("extraArgs");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("no data store")
        << u"empty"_s << QStringList{} << true << 2 << u"No se encuentra la base de datos"_s;
    QTest::newRow("missing column") << u"no column"_s << QStringList{} << true << 2
                                    << u"falta la columna TIEMPO en la tabla CYBER"_s;
    QTest::newRow("not a data store")
        << u"garbage"_s << QStringList{} << true << 2 << u"no es una base de datos"_s;
    QTest::newRow("unknown option")
        << u"store"_s << QStringList{u"--verbose"_s} << true << 1 << u"Unknown option 'verbose'"_s;
    QTest::newRow("no display") << u"store"_s << QStringList{} << false << 1 << u"xvfb-run"_s;
}

void TestStartup::refusedStarts()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, extraArgs);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = DataStore::pathIn(dir.path());
    if (setup == u"store"_s || setup == u"no column"_s)
        QVERIFY(!DataStore::create(path).has_value());
    if (setup == u"no column"_s) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"spoil"_s);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery(db).exec(u"ALTER TABLE CYBER DROP COLUMN TIEMPO"_s);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"spoil"_s);
    }
    if (setup == u"garbage"_s) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }

    const Run r = run(QStringList{u"--data-dir"_s, dir.path()} + extraArgs, display);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    if (exitCode == 2)
        QVERIFY2(r.err.contains(path), qPrintable(r.err));
    QCOMPARE(QFile::exists(path), setup != u"empty"_s);
    QVERIFY(!QFile::exists(dir.filePath(u"Kestrel.lock"_s)));
}

void TestStartup::secondConsoleOnTheSameFolderIsRefused()
{
    QTemporaryDir dir;
    QTemporaryDir other;
    QVERIFY(!DataStore::create(DataStore::pathIn(dir.path())).has_value());
    QVERIFY(!DataStore::create(DataStore::pathIn(other.path())).has_value());

    std::unique_ptr<QProcess> first(start({u"--data-dir"_s, dir.path()}));
    QVERIFY(first->waitForStarted());
    QVERIFY2(!first->waitForFinished(2500), first->readAllStandardError().constData());

    const Run second = run({u"--data-dir"_s, dir.path()});
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(second.err.contains(u"El Programa esta en ejecucion..."_s), qPrintable(second.err));
    QCOMPARE(first->state(), QProcess::Running);

    // Another café's folder runs side by side.
    std::unique_ptr<QProcess> beside(start({u"--data-dir"_s, other.path()}));
    QVERIFY(beside->waitForStarted());
    QVERIFY(!beside->waitForFinished(1500));

    for (QProcess* p : {first.get(), beside.get()}) {
        p->terminate();
        QVERIFY(p->waitForFinished(10000));
    }
}

void TestStartup::consoleOfACrashedRunCanStartAgain()
{
    QTemporaryDir dir;
    QVERIFY(!DataStore::create(DataStore::pathIn(dir.path())).has_value());
    std::unique_ptr<QProcess> crashed(start({u"--data-dir"_s, dir.path()}));
    QVERIFY(crashed->waitForStarted());
    QVERIFY(!crashed->waitForFinished(1500));
    crashed->kill(); // a power cut: the lock file stays behind
    QVERIFY(crashed->waitForFinished(10000));
    QVERIFY(QFile::exists(dir.filePath(u"Kestrel.lock"_s)));

    std::unique_ptr<QProcess> again(start({u"--data-dir"_s, dir.path()}));
    QVERIFY(again->waitForStarted());
    QVERIFY2(!again->waitForFinished(2000), again->readAllStandardError().constData());
    again->terminate();
    QVERIFY(again->waitForFinished(10000));
}

} // namespace

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
