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

QStringList columnsOf(QSqlDatabase db, const QString& table)
{
    QSqlQuery q(db);
    q.exec(u"PRAGMA table_info(\""_s + table + u"\")"_s);
    QStringList names;
    while (q.next())
        names << q.value(1).toString();
    return names;
}

} // namespace

class TestDataStore : public QObject {
    Q_OBJECT
private slots:
    void newStoreHasEveryTableAndColumn_data();
    void newStoreHasEveryTableAndColumn();
    void newStoreHasAdminWithEveryRight();
    void createRefusesToOverwrite();
    void openBringsAnOlderStoreUpToDate();
    void createInMissingFolderLeavesNothing();
    void openRefusesAndChangesNothing_data();
    void openRefusesAndChangesNothing();
    void quotesInValuesAreJustText();
    void namesCompareIgnoringCase();
};

void TestDataStore::newStoreHasEveryTableAndColumn_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns");
    QTest::newRow("CYBER") << u"CYBER"_s
                           << u"PC PCIP TIEMPO MODALIDAD TARIFA TARIFBAS CLIENTE TOTAL LSTVARX "
                              u"vartipex vartipex2 vartipex3 PCMAC PCNAME TARIFM TARFC"_s;
    QTest::newRow("TARIFAS") << u"TARIFAS"_s << u"CODIGO NOMBRE TARIFA TARIF_MIN TIPO"_s;
    QTest::newRow("TAIFASC") << u"TAIFASC"_s << u"CODIGO VALUE TARIF NOMBRE"_s;
    QTest::newRow("CUENTAS") << u"CUENTAS"_s
                             << u"USER PASSWORD TIMERES LASTVISIT TARIFBAS TIMECAD"_s;
    QTest::newRow("INFORMES") << u"INFORMES"_s << u"FECHA HORA VALOR USER PC DESCRIP OPERADOR"_s;
    QTest::newRow("Impresoras") << u"Impresoras"_s << u"nombre valorporprint cantdest pordesct"_s;
    QTest::newRow("Impresiones") << u"Impresiones"_s
                                 << u"PC impresora cantidad pagimpres valor fecha hora jobid"_s;
    QTest::newRow("Operadores") << u"Operadores"_s
                                << u"Usuario password modifyoption createcaccount modifyaccount "
                                   u"incrementaccounts viewinfor creaoperator chatcserver admart"_s;
    QTest::newRow("Teclado") << u"Teclado"_s << u"Codigo Accion Operador CodAsc CodAcc"_s;
    QTest::newRow("Articulos") << u"Articulos"_s
                               << u"Codigo Articulo Descripcion Stock PVP Costo"_s;
}

void TestDataStore::newStoreHasEveryTableAndColumn()
{
    QFETCH(QString, table);
    QFETCH(QString, columns);
    test::TempStore t;
    QVERIFY(t.isValid());
    const QStringList present = columnsOf(t.db(), table);
    for (const QString& c : columns.split(u' '))
        QVERIFY2(present.contains(c), qPrintable(table + u'.' + c));
}

void TestDataStore::newStoreHasAdminWithEveryRight()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM Operadores"_s).toInt(), 1);
    QCOMPARE(t.scalar(u"SELECT Usuario FROM Operadores"_s).toString(), u"admin"_s);
    QCOMPARE(t.scalar(u"SELECT password FROM Operadores"_s).toString(), QString());
    QCOMPARE(t.scalar(u"SELECT modifyoption + createcaccount + modifyaccount + incrementaccounts"
                      u" + viewinfor + creaoperator + chatcserver + admart FROM Operadores"_s)
                 .toInt(),
             8);
    QCOMPARE(t.scalar(u"PRAGMA user_version"_s).toInt(), DataStore::SchemaVersion);
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM CYBER"_s).toInt(), 0);
}

void TestDataStore::openBringsAnOlderStoreUpToDate()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QVERIFY(t.exec(u"INSERT INTO CUENTAS (USER) VALUES ('ana')"_s));
    t.store().close();
    alter(t.path(), {u"DROP INDEX CUENTAS_USER"_s, u"DROP INDEX TAIFASC_CODIGO"_s,
                     u"PRAGMA user_version = 1"_s});

    QVERIFY(!t.store().open(t.path()).has_value());
    QCOMPARE(t.scalar(u"PRAGMA user_version"_s).toInt(), DataStore::SchemaVersion);
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                      u"('CUENTAS_USER', 'TAIFASC_CODIGO')"_s)
                 .toInt(),
             2);
    QCOMPARE(t.scalar(u"SELECT USER FROM CUENTAS"_s).toString(), u"ana"_s);
}

void TestDataStore::createRefusesToOverwrite()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QVERIFY(t.exec(u"INSERT INTO CYBER (PC) VALUES ('PC01')"_s));
    t.store().close();
    const QByteArray before = fileHash(t.path());
    const auto error = DataStore::create(t.path());
    QVERIFY(error.has_value());
    QVERIFY(error->contains(u"Ya existe"_s));
    QCOMPARE(fileHash(t.path()), before);
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
    QTest::newRow("newer layout") << u"PRAGMA user_version = 99"_s << u"version mas nueva"_s;
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

void TestDataStore::quotesInValuesAreJustText()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    const QString name = u"O'Brien\"; DROP TABLE CYBER; --"_s;
    QVERIFY(t.exec(u"INSERT INTO INFORMES (USER, OPERADOR) VALUES (?, ?)"_s, {name, name}));
    QCOMPARE(t.scalar(u"SELECT USER FROM INFORMES WHERE OPERADOR = ?"_s, {name}).toString(), name);
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM CYBER"_s).toInt(), 0);
}

void TestDataStore::namesCompareIgnoringCase()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM Operadores WHERE Usuario = 'ADMIN'"_s).toInt(), 1);
    QVERIFY(t.exec(u"INSERT INTO CUENTAS (USER) VALUES ('Jose')"_s));
    QCOMPARE(t.scalar(u"SELECT USER FROM CUENTAS WHERE USER = 'jose'"_s).toString(), u"Jose"_s);
}

QTEST_GUILESS_MAIN(TestDataStore)
#include "tst_datastore.moc"
