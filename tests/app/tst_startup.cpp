// The kestrel program itself, started as the operator or a script would start it, and what its
// first start asks and creates.
#include "core/datastore.h"
#include "support/testsupport.h"
#include "ui/common/firstrundialog.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <grp.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// How a run of the program ended: its exit status and everything it wrote.
struct Run {
    int exitCode = -1;
    QString err;
};

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void initDbCreatesAndNeverOverwrites_data();
    void initDbCreatesAndNeverOverwrites();
    void firstRunDialogGivesTheChoice_data();
    void firstRunDialogGivesTheChoice();
    void optionsSpeakSpanish_data();
    void optionsSpeakSpanish();
    void refusedStarts_data();
    void refusedStarts();
    void lockFiles_data();
    void lockFiles();

private:
    // A console for the user whose runtime folder is `runtime`; `unprivileged`: as a user
    // without root's right to write anywhere (nobody, when the tests run as root).
    QProcess* start(const QStringList& args, const QString& runtime, bool display = true,
                    bool unprivileged = false);
    Run run(const QStringList& args, const QString& runtime, bool display = true,
            bool unprivileged = false);
    // A console that starts and keeps running, as a café needs.
    bool keepsRunning(QProcess* console);

    QString m_binary;
    QTemporaryDir m_config;
    QTemporaryDir m_runtime;
};

void TestStartup::initTestCase()
{
    m_binary = qEnvironmentVariable("KESTREL_BINARY_DIR") + u"/kestrel"_s;
    QVERIFY2(QFile::exists(m_binary), qPrintable(m_binary));
    QVERIFY(m_config.isValid() && m_runtime.isValid());
    // The demo café prices the CUPS server's printers: here a socket nobody listens on.
    qputenv("CUPS_SERVER", QFile::encodeName(m_runtime.filePath(u"no-cups.sock"_s)));
}

QProcess* TestStartup::start(const QStringList& args, const QString& runtime, bool display,
                             bool unprivileged)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_s, m_config.path());
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    if (display)
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    else
        env.remove(u"QT_QPA_PLATFORM"_s);
    auto* p = new QProcess(this);
    if (unprivileged && ::geteuid() == 0) {
        p->setChildProcessModifier([] {
            constexpr gid_t Nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                ::_exit(99);
        });
    }
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start(m_binary, args);
    return p;
}

Run TestStartup::run(const QStringList& args, const QString& runtime, bool display,
                     bool unprivileged)
{
    std::unique_ptr<QProcess> p(start(args, runtime, display, unprivileged));
    const bool ended = p->waitForFinished(60000) && p->exitStatus() == QProcess::NormalExit;
    return {ended ? p->exitCode() : -1, QString::fromUtf8(p->readAll())};
}

bool TestStartup::keepsRunning(QProcess* console)
{
    if (!console->waitForStarted() || console->waitForFinished(2500)) {
        qWarning("%s", console->readAll().constData());
        return false;
    }
    return true;
}

void TestStartup::initDbCreatesAndNeverOverwrites_data()
{
    test::addRows("option | stations | in a session | kinds of tariff | operators", R"(
        empty café|-     |0|0|0|1
        demo café |--demo|8|3|3|1)");
}

// The café --init-db makes, as the first start's dialog makes it too (createDataStore).
void TestStartup::initDbCreatesAndNeverOverwrites()
{
    QFETCH(test::Row, r);
    QTemporaryDir parent;
    const QString dir = parent.filePath(u"nueva/cafe"_s); // folders made on the way
    const QString path = DataStore::pathIn(dir);
    QStringList args{u"--init-db"_s, u"--data-dir"_s, dir};
    if (r[u"option"] != u"-")
        args << r[u"option"];
    const Run first = run(args, m_runtime.path());
    QCOMPARE(first.exitCode, 0);
    QVERIFY(first.err.contains(path));
    {
        DataStore store;
        QVERIFY(!store.open(path).has_value());
        QSqlQuery q(store.database());
        QVERIFY(q.exec(u"SELECT (SELECT COUNT(*) FROM CYBER), (SELECT COUNT(*) FROM CYBER WHERE "
                       u"MODALIDAD <> ''), (SELECT COUNT(DISTINCT TIPO) FROM TARIFAS), "
                       u"(SELECT COUNT(*) FROM Operadores)"_s) &&
                q.next());
        const QString counted = u"stations | in a session | kinds of tariff | operators"_s;
        COMPARE_FIELDS(r.fields(counted).join(u'|'), counted, q.value(0).toString(),
                       q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    const Run second = run({u"--init-db"_s, u"--data-dir"_s, dir}, m_runtime.path());
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(second.err.contains(u"Ya existe la base de datos"_s), qPrintable(second.err));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestStartup::firstRunDialogGivesTheChoice_data()
{
    test::addRows("answer | choice", R"(
        empty café   |Crear un café vacío          |0
        demo café    |Crear el café de demostración|1
        leave        |Salir                        |2
        Escape       |Escape                       |2
        window closed|close                        |2)");
}

void TestStartup::firstRunDialogGivesTheChoice()
{
    QFETCH(test::Row, r);
    FirstRunDialog dialog(u"/home/cajero/.local/share/kestrel"_s);
    dialog.show();
    QVERIFY(dialog.text().contains(u"\n/home/cajero/.local/share/kestrel\n"_s));
    const QString answer = r[u"answer"];
    if (answer == u"Escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else if (answer == u"close")
        dialog.close();
    for (QAbstractButton* button : dialog.buttons()) {
        if (button->text() == answer)
            button->click();
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(int(dialog.choice()), r.number(u"choice")); // 0 empty, 1 demo, 2 quit
}

void TestStartup::optionsSpeakSpanish_data()
{
    test::addRows("arguments | exit status | said in Spanish | never said in English", R"(
        help                   |--help            |0|Muestra esta ayuda.        |Displays
        help lines of Qt       |--help            |0|Uso:                       |Usage:
        unknown option, no window|--init-db --bogus|1|Opción desconocida «bogus».|Unknown option)");
}

// Qt's own lines of the help and of a refused option are in Spanish too, also on the way that
// opens no window.
void TestStartup::optionsSpeakSpanish()
{
    QFETCH(test::Row, r);
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_es.qm"_s))
        QSKIP("Qt's Spanish translation (qt6-translations-l10n) is not installed");
    const Run ran = run(r[u"arguments"].split(u' '), m_runtime.path(), false);
    QCOMPARE(ran.exitCode, r.number(u"exit status"));
    QVERIFY2(ran.err.contains(r[u"said in Spanish"]), qPrintable(ran.err));
    QVERIFY2(!ran.err.contains(r[u"never said in English"]), qPrintable(ran.err));
}

void TestStartup::refusedStarts_data()
{
    test::addRows("data folder | option | display | exit status | said", R"(
        no data store    |empty    |         |yes|2|No se encuentra la base de datos
        missing column   |no column|         |yes|2|falta la columna TIEMPO en la tabla CYBER
        not a data store |garbage  |         |yes|2|no es una base de datos
        damaged store    |damaged  |         |yes|2|está dañada
        folder read-only |read-only|         |yes|2|No hay permiso de escritura en la carpeta
        unknown option   |store    |--verbose|yes|1|verbose
        no display       |store    |         |no |1|xvfb-run)");
}

void TestStartup::refusedStarts()
{
    QFETCH(test::Row, r);
    const QString held = r[u"data folder"];
    QTemporaryDir dir;
    const QString path = DataStore::pathIn(dir.path());
    if (held != u"empty"_s && held != u"garbage"_s) {
        QVERIFY(!DataStore::create(path).has_value());
        QVERIFY(!DataStore().open(path).has_value()); // in WAL mode, as after any run
    }
    if (held == u"no column"_s)
        QVERIFY(test::alterStore(path, {u"ALTER TABLE CYBER DROP COLUMN TIEMPO"_s}));
    if (held == u"damaged"_s)
        QVERIFY(test::damagePages(path));
    // The store is the user's; its folder is not (nobody may make the lock or the journal there).
    const bool readOnly = held == u"read-only"_s;
    QTemporaryDir runtime;
    if (readOnly) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x5555)));
        QVERIFY(QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7700)));
        QVERIFY(::geteuid() != 0 || ::chown(QFile::encodeName(runtime.path()), 65534, 65534) == 0);
    }
    if (held == u"garbage"_s) {
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
    }
    QFile store(path);
    const QByteArray before =
        store.exists() && store.open(QIODevice::ReadOnly) ? store.readAll() : QByteArray();
    store.close();
    QStringList args{u"--data-dir"_s, dir.path()};
    if (!r[u"option"].isEmpty())
        args << r[u"option"];
    const Run ran =
        run(args, readOnly ? runtime.path() : m_runtime.path(), r.yes(u"display"), readOnly);
    if (readOnly)
        QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7700));
    QCOMPARE(ran.exitCode, r.number(u"exit status"));
    QVERIFY2(ran.err.contains(r[u"said"]), qPrintable(ran.err));
    QVERIFY2(ran.exitCode != 2 || ran.err.contains(path), qPrintable(ran.err));
    QCOMPARE(QFile::exists(path), held != u"empty"_s);
    // A refused store is left as it was; the lock's warning names the same cause.
    if (store.exists()) {
        QVERIFY(store.open(QIODevice::ReadOnly));
        QCOMPARE(store.readAll(), before);
    }
    QVERIFY2(!readOnly ||
                 ran.err.contains(u"no hay permiso de escritura en la carpeta "_s + dir.path()),
             qPrintable(ran.err));
}

void TestStartup::lockFiles_data()
{
    // The lock file left ("-" none), a first console ("-" none, "here", "here killed",
    // "elsewhere"), the second console's user, whether the second start is refused.
    test::addRows("lock file | first | user | refused", R"(
        empty lock file               |empty     |-          |same |no
        garbage                       |garbage   |-          |same |no
        left by another host          |other host|-          |same |no
        unreadable                    |unreadable|-          |same |no
        owner killed by a power cut   |-         |here killed|same |no
        live owner on the same folder |-         |here       |same |yes
        same user, another folder     |-         |elsewhere  |same |yes
        another user, another folder  |-         |elsewhere  |other|no)");
}

void TestStartup::lockFiles()
{
    QFETCH(test::Row, r);
    const QString left = r[u"lock file"], first = r[u"first"];
    QTemporaryDir dir, other, otherRuntime;
    for (const QTemporaryDir* d : {&dir, &other})
        QVERIFY(!DataStore::create(DataStore::pathIn(d->path())).has_value());
    const QString lockPath = dir.filePath(u"Kestrel.lock"_s);
    const QString runtime = dir.filePath(u"run"_s); // this user's runtime folder
    QVERIFY(QDir().mkpath(runtime));
    if (left != u"-") {
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(left == u"garbage"      ? QByteArray("\x00\xff\xfe garbage", 11).repeated(30)
                   : left == u"other host" ? QByteArray("4242 caja-vieja\n")
                                           : QByteArray());
        lock.close();
        QVERIFY(left != u"unreadable" || lock.setPermissions(QFileDevice::Permissions()));
    }
    std::unique_ptr<QProcess> running;
    if (first != u"-") {
        running.reset(start(
            {u"--data-dir"_s, first.startsWith(u"here") ? dir.path() : other.path()}, runtime));
        QVERIFY(keepsRunning(running.get()));
        if (first.endsWith(u"killed")) {
            running->kill(); // the lock file stays behind
            QVERIFY(running->waitForFinished(10000));
        }
    }
    std::unique_ptr<QProcess> second(start({u"--data-dir"_s, dir.path()},
                                           r[u"user"] == u"same" ? runtime : otherRuntime.path()));
    if (r.yes(u"refused")) {
        QVERIFY(second->waitForFinished(60000));
        QCOMPARE(second->exitCode(), 1);
        const QString err = QString::fromUtf8(second->readAll());
        QVERIFY2(err.contains(u"El Programa esta en ejecucion..."_s), qPrintable(err));
        // It says which lock is held, and the running console is undisturbed.
        QVERIFY2(err.contains(first == u"here" ? lockPath : runtime), qPrintable(err));
        QCOMPARE(running->state(), QProcess::Running);
    } else {
        QVERIFY(keepsRunning(second.get()));
    }
    for (QProcess* p : {running.get(), second.get()}) {
        if (p && p->state() != QProcess::NotRunning) {
            p->terminate();
            QVERIFY(p->waitForFinished(10000));
        }
    }
}

} // namespace

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
