#include "core/datastore.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
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

// Runs statements on a store file through a connection of its own (the "other program").
void alter(const QString& path, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"alter"_s);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& sql : statements) {
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(sql));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"alter"_s);
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
};

void TestDataStore::newStoreHasAdminWithEveryRight()
{
    test::TempStore t;
    // Operators, the first one's name and password, its rights, the layout's version, stations.
    QCOMPARE(t.scalar(u"SELECT COUNT(*) || Usuario || '/' || password || '/' || (modifyoption + "
                      u"createcaccount + modifyaccount + incrementaccounts + viewinfor + "
                      u"creaoperator + chatcserver + admart) || (SELECT user_version FROM "
                      u"pragma_user_version) || "
                      u"(SELECT COUNT(*) FROM CYBER) FROM Operadores"_s)
                 .toString(),
             u"1admin//830"_s);
}

void TestDataStore::openBringsAnOlderStoreUpToDate()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    t.store().close();
    // A store of the second version: indexes missing, and names indexed in the order of SQLite's
    // own NOCASE (A to Z only), which puts "Ñb" before "ña".
    alter(t.path(), {u"DROP INDEX CUENTAS_USER"_s, u"DROP INDEX TAIFASC_CODIGO"_s,
                     u"INSERT INTO Operadores (Usuario) VALUES ('Ñb'), ('ña'), ('Zoe')"_s,
                     u"REINDEX"_s, u"PRAGMA user_version = 2"_s});

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
    QTest::addColumn<QString>("damage");  // how the store is spoilt
    QTest::addColumn<QString>("message"); // part of the message to the operator
    QTest::newRow("missing file") << u"remove"_s << u"No se encuentra la base de datos"_s;
    QTest::newRow("not a database") << u"garbage"_s << u"no es una base de datos"_s;
    QTest::newRow("empty file") << u"empty"_s << u"falta la tabla CYBER"_s;
    QTest::newRow("missing table") << u"DROP TABLE INFORMES"_s << u"falta la tabla INFORMES"_s;
    QTest::newRow("missing column") << u"ALTER TABLE CYBER DROP COLUMN TARFC"_s
                                    << u"falta la columna TARFC en la tabla CYBER"_s;
    QTest::newRow("newer layout") << u"PRAGMA user_version = 99"_s << u"versión más nueva"_s;
}

void TestDataStore::openRefusesAndChangesNothing()
{
    QFETCH(QString, damage);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = DataStore::pathIn(dir.path());
    if (damage != u"remove"_s && damage != u"garbage"_s && damage != u"empty"_s) {
        QVERIFY(!DataStore::create(path).has_value());
        alter(path, {damage});
    } else if (damage != u"remove"_s) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (damage == u"garbage"_s)
            f.write(QByteArray("Standard Jet DB\0\0\0 not sqlite at all", 36).repeated(200));
    }
    const QByteArray before = fileHash(path);

    DataStore store;
    const auto error = store.open(path);
    QVERIFY(error.has_value());
    QVERIFY2(error->contains(message), qPrintable(*error));
    QVERIFY2(error->contains(path), qPrintable(*error));
    QVERIFY(!store.isOpen());
    QCOMPARE(fileHash(path), before);
    QCOMPARE(QFile::exists(path), damage != u"remove"_s);
    if (damage == u"remove"_s)
        QVERIFY(error->contains(u"--init-db"_s));
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
    QCOMPARE(t.scalar(u"SELECT group_concat(USER, ' ') FROM (SELECT USER FROM CUENTAS "
                      u"ORDER BY USER)"_s)
                 .toString(),
             u"Jose josé muñoz O'Brien\"; DROP TABLE CYBER; --"_s);
    // The lookups of every tick and every login stay on their indexes.
    QSqlQuery plan(t.db());
    QVERIFY(plan.exec(u"EXPLAIN QUERY PLAN SELECT rowid FROM CUENTAS WHERE USER = 'MUÑOZ'"_s));
    QVERIFY(plan.next());
    QVERIFY2(plan.value(3).toString().contains(u"CUENTAS_USER"_s),
             qPrintable(plan.value(3).toString()));
}

QTEST_GUILESS_MAIN(TestDataStore)
#include "tst_datastore.moc"
