#include "core/datafolder.h"
#include "core/datastore.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestDataStore : public QObject {
    Q_OBJECT
private slots:
    void newStoreHasAdminWithEveryRight();
    void openBringsAnOlderStoreUpToDate();
    void createInMissingFolderLeavesNothing();
    void openRefusesAndChangesNothing_data();
    void openRefusesAndChangesNothing();
    void namesCompareIgnoringCaseForEveryLetter();
    void defaultFolderIsPerUserOnlyWhenInstalled_data();
    void defaultFolderIsPerUserOnlyWhenInstalled();
};

void TestDataStore::newStoreHasAdminWithEveryRight()
{
    test::TempStore t;
    // Operators, the first one's name and password, its rights, the layout's version, stations.
    COMPARE_RECORDS(t.rows(u"SELECT COUNT(*), Usuario, password, modifyoption + createcaccount + "
                           u"modifyaccount + incrementaccounts + viewinfor + creaoperator + "
                           u"chatcserver + admart, (SELECT user_version FROM pragma_user_version), "
                           u"(SELECT COUNT(*) FROM CYBER) FROM Operadores"_s),
                    "operators | Usuario | password | rights | version | stations",
                    "1 | admin | | 8 | 3 | 0");
}

void TestDataStore::openBringsAnOlderStoreUpToDate()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    t.store().close();
    // A store of the second version: indexes missing, and names indexed in the order of SQLite's
    // own NOCASE (A to Z only), which puts "Ñb" before "ña".
    QVERIFY(test::alterStore(t.path(),
                             {u"DROP INDEX CUENTAS_USER"_s, u"DROP INDEX TAIFASC_CODIGO"_s,
                              u"INSERT INTO Operadores (Usuario) VALUES ('Ñb'), ('ña'), ('Zoe')"_s,
                              u"REINDEX"_s, u"PRAGMA user_version = 2"_s}));

    QVERIFY(!t.store().open(t.path()).has_value());
    QCOMPARE(t.scalar(u"PRAGMA user_version"_s).toInt(), DataStore::SchemaVersion);
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                      u"('CUENTAS_USER', 'TAIFASC_CODIGO')"_s)
                 .toInt(),
             2);
    QCOMPARE(t.scalar(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
    QCOMPARE(t.scalar(u"SELECT Usuario FROM Operadores WHERE Usuario = 'ÑA'"_s).toString(),
             u"ña"_s);
}

void TestDataStore::createInMissingFolderLeavesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"no/such/folder/Database.mdb"_s);
    QVERIFY(DataStore::create(path).has_value());
    QVERIFY(!QFile::exists(path));
}

void TestDataStore::openRefusesAndChangesNothing_data()
{
    // How the store is spoilt, part of the message, part of the advice ("-" none).
    test::addRows("damage | message | advice", R"(
        missing file   |remove                            |No se encuentra la base de datos|--init-db
        not a database |garbage                           |no es una base de datos         |mv -n
        empty file     |empty                             |falta la tabla CYBER            |mv -n
        missing table  |DROP TABLE INFORMES               |falta la tabla INFORMES         |mv -n
        missing column |ALTER TABLE CYBER DROP COLUMN TARFC|falta la columna TARFC         |mv -n
        newer layout   |PRAGMA user_version = 99          |versión más nueva               |-
        damaged pages  |damage                            |está dañada                     |cp -n)");
}

void TestDataStore::openRefusesAndChangesNothing()
{
    QFETCH(test::Row, r);
    const QString damage = r[u"damage"];
    QTemporaryDir dir;
    const QString path = DataStore::pathIn(dir.path());
    if (damage == u"damage"_s) {
        // A store the console has run on (in WAL mode), with an archive beside it.
        QVERIFY(!DataStore::create(path).has_value());
        QVERIFY(!DataStore().open(path).has_value());
        QVERIFY(QFile::copy(path, dir.filePath(u"Database_7_9_2026.mdb"_s)));
        QVERIFY(QFile::copy(path, dir.filePath(u"Database_30_11_2026.mdb"_s)));
        QVERIFY(test::damagePages(path));
    } else if (damage != u"remove"_s && damage != u"garbage"_s && damage != u"empty"_s) {
        QVERIFY(!DataStore::create(path).has_value());
        QVERIFY(test::alterStore(path, {damage}));
    } else if (damage != u"remove"_s) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (damage == u"garbage"_s)
            file.write(QByteArray("Standard Jet DB\0\0\0 not sqlite at all", 36).repeated(200));
    }
    const QByteArray before = fileHash(path);

    DataStore store;
    const auto error = store.open(path);
    QVERIFY(error.has_value());
    QVERIFY2(error->contains(r[u"message"]), qPrintable(*error));
    QVERIFY2(error->contains(path), qPrintable(*error));
    QVERIFY(!store.isOpen());
    QCOMPARE(fileHash(path), before);
    QCOMPARE(QFile::exists(path), damage != u"remove"_s);
    // The advice can be followed: --init-db only where no file is, nothing ever deleted.
    const QString advice = r[u"advice"];
    QVERIFY2(advice == u"-"_s ? !error->contains(u"--init-db"_s) : error->contains(advice),
             qPrintable(*error));
    QVERIFY(!error->contains(u"rm "_s));
    if (damage == u"damage"_s) // the newest archive is named
        QVERIFY2(error->contains(dir.filePath(u"Database_30_11_2026.mdb"_s)), qPrintable(*error));
}

void TestDataStore::namesCompareIgnoringCaseForEveryLetter()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    // A name with quotes is just a name: every value is bound.
    const QString quoted = u"O'Brien\"; DROP TABLE CYBER; --"_s;
    QVERIFY(t.exec(u"INSERT INTO CUENTAS (USER) VALUES ('muñoz'), ('Jose'), ('josé'), (?)"_s,
                   {quoted}));
    QCOMPARE(t.scalar(u"SELECT USER FROM CUENTAS WHERE USER = ?"_s, {quoted}).toString(), quoted);
    QCOMPARE(t.scalar(u"SELECT USER FROM CUENTAS WHERE USER = 'MUÑOZ'"_s).toString(), u"muñoz"_s);
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM CUENTAS WHERE USER = 'JOSE'"_s).toInt(), 1);
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM Operadores WHERE Usuario = 'ADMIN'"_s).toInt(), 1);
    COMPARE_RECORDS(t.rows(u"SELECT USER FROM CUENTAS ORDER BY USER"_s), "USER",
                    "Jose \n josé \n muñoz \n O'Brien\"; DROP TABLE CYBER; --");
    // The lookups of every tick and every login stay on their indexes.
    QSqlQuery plan(t.db());
    QVERIFY(plan.exec(u"EXPLAIN QUERY PLAN SELECT rowid FROM CUENTAS WHERE USER = 'MUÑOZ'"_s));
    QVERIFY(plan.next());
    QVERIFY2(plan.value(3).toString().contains(u"CUENTAS_USER"_s),
             qPrintable(plan.value(3).toString()));
}

void TestDataStore::defaultFolderIsPerUserOnlyWhenInstalled_data()
{
    // Folders under a scratch root holding usr/bin, build and bin, a link to usr/bin; "-" is an
    // unset XDG_DATA_HOME.
    test::addRows("program | installed | XDG_DATA_HOME | data folder", R"(
        installed, XDG set       |usr/bin|usr/bin|/srv/datos|/srv/datos/kestrel
        installed, XDG relative  |usr/bin|usr/bin|datos     |/home/cajero/.local/share/kestrel
        run through a link       |bin    |usr/bin|-         |/home/cajero/.local/share/kestrel
        installed named by a link|usr/bin|bin    |-         |/home/cajero/.local/share/kestrel
        build tree               |build  |usr/bin|/srv/datos|build
        neither folder exists    |opt/bin|opt/bin|/srv/datos|opt/bin)");
}

void TestDataStore::defaultFolderIsPerUserOnlyWhenInstalled()
{
    QFETCH(test::Row, r);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(u"usr/bin"_s) && QDir(root.path()).mkpath(u"build"_s));
    QVERIFY(QFile::link(root.filePath(u"usr/bin"_s), root.filePath(u"bin"_s)));
    const QString xdg = r[u"XDG_DATA_HOME"], folder = r[u"data folder"];
    QCOMPARE(defaultDataFolder(root.filePath(r[u"program"]), root.filePath(r[u"installed"]),
                               xdg == u"-" ? QString() : xdg, u"/home/cajero"_s),
             folder.startsWith(u'/') ? folder : root.filePath(folder));
}

QTEST_GUILESS_MAIN(TestDataStore)
#include "tst_datastore.moc"
