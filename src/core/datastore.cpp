#include "datastore.h"

#include "names.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>
#include <cerrno>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// Names compare the way the café's lookups expect: "PC01" finds "pc01", "MUÑOZ" finds "muñoz".
// NOCASE is the console's own comparison on every connection (see installNameCollation).
const QString Text = u"TEXT"_s;
const QString Name = u"TEXT COLLATE NOCASE"_s;
const QString Number = u"REAL"_s;
const QString Whole = u"INTEGER"_s;
const QString Flag = u"INTEGER NOT NULL DEFAULT 0"_s;
const QString Key = u"INTEGER PRIMARY KEY AUTOINCREMENT"_s;

// A command that puts `path` aside under a new name: nothing is ever deleted, and `mv -n`
// never replaces a file that is there already.
QString moveAsideCommand(const QString& path, const QString& why)
{
    const QString aside =
        path + u'.' + why + u'-' + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    return u"  mv -n \""_s + QDir::toNativeSeparators(path) + u"\" \""_s +
           QDir::toNativeSeparators(aside) + u'"';
}

// How to make a new store where `path` is: --init-db makes a file only where there is none, so
// a file that is there (empty, foreign, of an older layout) is first put aside.
QString howToCreate(const QString& path)
{
    const QString init = u"  kestrel --init-db --data-dir \""_s +
                         QDir::toNativeSeparators(QFileInfo(path).absolutePath()) + u'"';
    if (!QFileInfo::exists(path))
        return u"\n\nPara crear una base de datos nueva ejecute:\n"_s + init;
    return u"\n\nPara crear una base de datos nueva, aparte primero este archivo (no se borra "
           u"nada):\n"_s +
           moveAsideCommand(path, u"apartada"_s) + u"\ny luego ejecute:\n"_s + init;
}

// The newest archive beside the store ("Nueva Base de datos" writes Database_D_M_YYYY.mdb).
QString newestArchive(const QString& path)
{
    const QDir dir = QFileInfo(path).absoluteDir();
    static const QRegularExpression name(u"^Database_(\\d{1,2})_(\\d{1,2})_(\\d{4})\\.mdb$"_s);
    QString newest;
    QDate newestDate;
    for (const QString& file : dir.entryList({u"Database_*.mdb"_s}, QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file);
        const QDate date = m.hasMatch() ? QDate(m.captured(3).toInt(), m.captured(2).toInt(),
                                                m.captured(1).toInt())
                                        : QDate();
        if (date.isValid() && (!newestDate.isValid() || date > newestDate)) {
            newestDate = date;
            newest = dir.filePath(file);
        }
    }
    return newest;
}

// What to do with a damaged store: put it aside and put the last archive or a backup in its
// place. Nothing is deleted.
QString howToRestore(const QString& path)
{
    const QString archive = newestArchive(path);
    QString text = u"\n\nNo se usa ni se modifica. Restaure la última copia: el archivo "
                   u"Database_D_M_AAAA.mdb más reciente de esta carpeta (lo deja «Nueva Base de "
                   u"datos») o una copia de seguridad. Cierre Kestrel, aparte el archivo dañado "
                   u"(no se borra nada):\n"_s +
                   moveAsideCommand(path, u"dañada"_s) + u"\ny copie la copia en su lugar:\n"_s;
    const QString source = archive.isEmpty() ? u"COPIA.mdb"_s : QDir::toNativeSeparators(archive);
    return text + u"  cp -n \""_s + source + u"\" \""_s + QDir::toNativeSeparators(path) + u'"';
}

// Kestrel writes beside its store: the WAL journal (Database.mdb-wal, -shm) and its lock file.
// Without write permission on the folder SQLite cannot open a WAL store at all, and would say
// so in words that point elsewhere.
std::optional<QString> folderRefusal(const QString& path)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0)
        return std::nullopt;
    const int error = errno;
    if (error != EACCES && error != EROFS && error != EPERM)
        return std::nullopt;
    return u"No se puede usar la base de datos:\n"_s + QDir::toNativeSeparators(path) +
           u"\nNo hay permiso de escritura en la carpeta "_s + QDir::toNativeSeparators(dir) +
           (error == EROFS ? u" (está en un disco de solo lectura)"_s : QString()) +
           u".\nKestrel escribe ahí, junto a la base de datos, su diario (Database.mdb-wal, "
           u"Database.mdb-shm) y Kestrel.lock. Dé permiso de escritura en esa carpeta al usuario "
           u"que ejecuta Kestrel."_s;
}

QString quoted(const QString& identifier)
{
    return u'"' + identifier + u'"';
}

std::atomic<int> connectionCounter{0};

QString newConnectionName()
{
    return u"kestrel-store-"_s + QString::number(++connectionCounter);
}

class ScopedConnection {
public:
    explicit ScopedConnection(const QString& name) : m_name(name) {}
    ~ScopedConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isValid())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }

private:
    QString m_name;
};

bool execAll(QSqlDatabase& db, const QStringList& statements, QString* error)
{
    for (const QString& sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

// The lookups of every tick and of the journal; an older store gets the ones it lacks when opened.
QStringList indexStatements()
{
    return {u"CREATE INDEX IF NOT EXISTS \"INFORMES_FECHA\" ON \"INFORMES\" (\"FECHA\")"_s,
            u"CREATE INDEX IF NOT EXISTS \"CYBER_PC\" ON \"CYBER\" (\"PC\")"_s,
            u"CREATE INDEX IF NOT EXISTS \"CUENTAS_USER\" ON \"CUENTAS\" (\"USER\")"_s,
            u"CREATE INDEX IF NOT EXISTS \"TAIFASC_CODIGO\" ON \"TAIFASC\" (\"CODIGO\")"_s};
}

QString setVersion()
{
    return u"PRAGMA user_version = "_s + QString::number(DataStore::SchemaVersion);
}

QStringList creationStatements()
{
    QStringList statements;
    for (const TableDef& table : storeTables()) {
        QStringList columns;
        for (const ColumnDef& c : table.columns)
            columns << quoted(c.name) + u' ' + c.type;
        statements << u"CREATE TABLE "_s + quoted(table.name) + u" ("_s + columns.join(u", "_s) +
                          u')';
    }
    return statements + indexStatements();
}

bool insertAdmin(QSqlDatabase& db, QString* error)
{
    QStringList values;
    for (qsizetype i = 0; i < operatorRightColumns().size(); ++i)
        values << u"1"_s;
    QSqlQuery q(db);
    q.prepare(u"INSERT INTO \"Operadores\" (\"Usuario\", \"password\", "_s +
              operatorRightColumns().join(u", "_s) + u") VALUES (?, ?, "_s + values.join(u", "_s) +
              u')');
    q.addBindValue(u"admin"_s);
    q.addBindValue(u""_s);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

} // namespace

const QStringList& operatorRightColumns()
{
    static const QStringList columns = {
        u"modifyoption"_s, u"createcaccount"_s, u"modifyaccount"_s, u"incrementaccounts"_s,
        u"viewinfor"_s,    u"creaoperator"_s,   u"chatcserver"_s,   u"admart"_s};
    return columns;
}

// Amounts and rates are stored as numbers, so the store reads the same whatever the regional
// format of the machine; the console shows them as regional texts.
const std::vector<TableDef>& storeTables()
{
    static const std::vector<TableDef> tables = [] {
        std::vector<TableDef> t;
        // One row per station with its session as of the last second (Station's fields).
        t.push_back({u"CYBER"_s,
                     {{u"PC"_s, Name},         // station name, the key
                      {u"PCIP"_s, Text},       // address the console connects to
                      {u"TIEMPO"_s, Text},     // time column: elapsed or remaining, "h:mm:ss"
                      {u"MODALIDAD"_s, Text},  // mode: "", "CONTADOR", "PREPAGO", "EN ESPERA"
                      {u"TARIFA"_s, Number},   // running charge of the session ("Sub")
                      {u"TARIFBAS"_s, Number}, // hourly rate of the session
                      {u"CLIENTE"_s, Text},    // customer account using the station
                      {u"TOTAL"_s, Number},    // amount taken since the last clear
                      {u"LSTVARX"_s, Text},    // state code sent to the agent, "" to "4"
                      {u"vartipex"_s, Text},   // running charge already in TOTAL
                      {u"vartipex2"_s, Text},  // elapsed time of the session
                      {u"vartipex3"_s, Text},  // prepaid time bought
                      {u"PCMAC"_s, Text},      // MAC address the agent reported
                      {u"PCNAME"_s, Text},     // "\\" + computer name the agent reported
                      {u"TARIFM"_s, Text},     // tariff kind, "TC" for a compound tariff
                      {u"TARFC"_s, Text}}});   // code of the compound tariff
        // Every tariff: standard ("ST"), predefined package ("PR") or compound ("TC").
        t.push_back({u"TARIFAS"_s,
                     {{u"CODIGO"_s, Key},       // key; a compound tariff's rows in TAIFASC
                      {u"NOMBRE"_s, Name},      // tariff name
                      {u"TARIFA"_s, Number},    // price per hour, or a package's minutes
                      {u"TARIF_MIN"_s, Number}, // minimum charge, or a package's price
                      {u"TIPO"_s, Text}}});     // kind: "ST", "PR" or "TC"
        // The blocks of the compound tariffs: a price per part of the hour.
        t.push_back({u"TAIFASC"_s,
                     {{u"CODIGO"_s, Whole},   // the tariff's CODIGO in TARIFAS
                      {u"VALUE"_s, Text},     // end of the block, minutes; "60" prices the hour
                      {u"TARIF"_s, Number},   // price of a session part ending in the block
                      {u"NOMBRE"_s, Name}}}); // the tariff's name, in every row
        // Customer accounts: prepaid time spent by logging in at a station.
        t.push_back({u"CUENTAS"_s,
                     {{u"USER"_s, Name},       // account name
                      {u"PASSWORD"_s, Text},   // empty: the next login sets it
                      {u"TIMERES"_s, Text},    // remaining credit, "h:mm:ss"
                      {u"LASTVISIT"_s, Text},  // day the account was made, "d/M/yyyy"
                      {u"TARIFBAS"_s, Number}, // hourly rate of the tariff bought
                      {u"TIMECAD"_s, Text}}}); // expiry date, shown only
        // The operations journal: one row per amount taken.
        // FECHA holds ISO dates (yyyy-MM-dd): equal for one day and ordered as calendar dates.
        // VALOR is the amount as a number (stores of the first version hold it as text).
        t.push_back({u"INFORMES"_s,
                     {{u"FECHA"_s, Text},       // date
                      {u"HORA"_s, Text},        // time of day
                      {u"VALOR"_s, Number},     // amount
                      {u"USER"_s, Text},        // customer, "ANONIMO" when none
                      {u"PC"_s, Text},          // station, empty for counter sales and accounts
                      {u"DESCRIP"_s, Text},     // what was charged ("CONTADOR", "PREPAGO", ...)
                      {u"OPERADOR"_s, Name}}}); // operator logged in
        // The printers' prices.
        t.push_back({u"Impresoras"_s,
                     {{u"nombre"_s, Name},          // printer name
                      {u"valorporprint"_s, Number}, // price per page
                      {u"cantdest"_s, Number},      // pages from which the discount applies
                      {u"pordesct"_s, Number}}});   // discount, percent
        // Print jobs seen printing and not charged yet.
        t.push_back({u"Impresiones"_s,
                     {{u"PC"_s, Name},         // computer that sent the job
                      {u"impresora"_s, Text},  // printer name
                      {u"cantidad"_s, Whole},  // total pages
                      {u"pagimpres"_s, Whole}, // pages printed when it was seen
                      {u"valor"_s, Text},      // amount
                      {u"fecha"_s, Text},      // date it was seen
                      {u"hora"_s, Text},       // time it was seen
                      {u"jobid"_s, Whole}}});  // the spooler's job id
        // Operators: name, password and the eight rights (see Right).
        std::vector<ColumnDef> operators = {{u"Usuario"_s, Name}, {u"password"_s, Text}};
        for (const QString& right : operatorRightColumns())
            operators.push_back({right, Flag});
        t.push_back({u"Operadores"_s, operators});
        // Keyboard shortcuts, per operator.
        t.push_back({u"Teclado"_s,
                     {{u"Codigo"_s, Text},    // the keys as shown, "Ctrl+A"
                      {u"Accion"_s, Text},    // the action as shown, "Habilitar"
                      {u"Operador"_s, Name},  // operator the shortcut belongs to
                      {u"CodAsc"_s, Text},    // the keys as virtual-key codes, "17+65"
                      {u"CodAcc"_s, Text}}}); // action code, "1" to "9"
        // Products sold at the counter.
        t.push_back({u"Articulos"_s,
                     {{u"Codigo"_s, Key},       // key
                      {u"Articulo"_s, Text},    // product name
                      {u"Descripcion"_s, Text}, // description
                      {u"Stock"_s, Number},     // units in stock
                      {u"PVP"_s, Number},       // selling price per unit
                      {u"Costo"_s, Number}}});  // cost per unit
        return t;
    }();
    return tables;
}

DataStore::DataStore() : m_connectionName(newConnectionName()) {}

DataStore::~DataStore()
{
    close();
}

QString DataStore::fileName()
{
    return u"Database.mdb"_s;
}

QString DataStore::pathIn(const QString& dataDir)
{
    return QDir(dataDir).absoluteFilePath(fileName());
}

std::optional<QString> DataStore::create(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists())
        return u"Ya existe la base de datos:\n"_s + QDir::toNativeSeparators(path) +
               u"\nNo se sobrescribe."_s;
    if (!target.absoluteDir().exists())
        return u"No existe la carpeta:\n"_s + QDir::toNativeSeparators(target.absolutePath());

    // Built beside the target and moved into place at the end, so a failure leaves no half store.
    const QString temp = path + u".new"_s;
    QFile::remove(temp);
    QString error;
    {
        const QString name = newConnectionName();
        ScopedConnection guard(name);
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(temp);
        bool ok = db.open();
        if (!ok)
            error = db.lastError().text();
        if (ok && !installNameCollation(db)) {
            ok = false;
            error = u"no se pudo instalar la comparacion de nombres"_s;
        }
        ok = ok && db.transaction();
        ok = ok && execAll(db, creationStatements(), &error);
        ok = ok && insertAdmin(db, &error);
        ok = ok && execAll(db, {setVersion()}, &error);
        if (ok && !db.commit()) {
            ok = false;
            error = db.lastError().text();
        }
        if (!ok && error.isEmpty())
            error = db.lastError().text();
    }
    if (error.isEmpty() && !QFile::rename(temp, path))
        error = u"no se pudo mover el archivo nuevo a su lugar"_s;
    if (!error.isEmpty()) {
        QFile::remove(temp);
        return u"No se pudo crear la base de datos:\n"_s + QDir::toNativeSeparators(path) +
               u"\n"_s + error;
    }
    return std::nullopt;
}

namespace {

// SQLite's primary result code of a failed statement.
int sqliteCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

// Reads the layout of an open store; changes nothing.
std::optional<QString> checkLayout(QSqlDatabase& db, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QSqlQuery version(db);
    if (!version.exec(u"PRAGMA user_version"_s) || !version.next()) {
        constexpr int NotADatabase = 26; // SQLITE_NOTADB
        if (sqliteCode(version.lastError()) == NotADatabase)
            return u"El archivo no es una base de datos de Kestrel:\n"_s + shown + u"\n"_s +
                   version.lastError().text() + howToCreate(path);
        return u"No se puede leer la base de datos:\n"_s + shown + u"\n"_s +
               version.lastError().text();
    }
    if (version.value(0).toInt() > DataStore::SchemaVersion)
        return u"La base de datos fue creada por una versión más nueva de Kestrel:\n"_s + shown;

    for (const TableDef& table : storeTables()) {
        QSqlQuery columns(db);
        if (!columns.exec(u"PRAGMA table_info("_s + quoted(table.name) + u')'))
            return u"No se puede leer la base de datos:\n"_s + shown + u"\n"_s +
                   columns.lastError().text();
        QStringList present;
        while (columns.next())
            present << columns.value(1).toString();
        if (present.isEmpty())
            return u"La base de datos no es válida: falta la tabla "_s + table.name + u".\n"_s +
                   shown + howToCreate(path);
        for (const ColumnDef& column : table.columns) {
            if (!present.contains(column.name, Qt::CaseInsensitive))
                return u"La base de datos no es válida: falta la columna "_s + column.name +
                       u" en la tabla "_s + table.name + u".\n"_s + shown + howToCreate(path);
        }
    }
    return std::nullopt;
}

// Damaged pages: a store that reads but whose structure is broken would be written every second
// and spoil further. The quick check reads every page once (it skips comparing each index with
// its table, the costly half of the full integrity check).
std::optional<QString> checkPages(QSqlDatabase& db, const QString& path)
{
    QSqlQuery check(db);
    check.setForwardOnly(true);
    const bool ran = check.exec(u"PRAGMA quick_check(5)"_s);
    QStringList problems;
    while (ran && check.next())
        problems << check.value(0).toString();
    if (ran && problems == QStringList{u"ok"_s})
        return std::nullopt;
    const QString detail = ran ? problems.join(u'\n') : check.lastError().text();
    return u"La base de datos está dañada:\n"_s + QDir::toNativeSeparators(path) + u"\n"_s +
           detail + howToRestore(path);
}

std::optional<QString> applyPragmas(QSqlDatabase& db, const QString& path)
{
    // Every commit reaches the disk before the console goes on; WAL keeps that cheap.
    QSqlQuery pragmas(db);
    if (!pragmas.exec(u"PRAGMA journal_mode = WAL"_s) ||
        !pragmas.exec(u"PRAGMA synchronous = FULL"_s))
        return u"No se puede usar la base de datos:\n"_s + QDir::toNativeSeparators(path) +
               u"\n"_s + pragmas.lastError().text();
    return std::nullopt;
}

// Brings a store of an earlier version up to this one; every step is idempotent.
std::optional<QString> upgrade(QSqlDatabase& db, const QString& path)
{
    QSqlQuery version(db);
    if (!version.exec(u"PRAGMA user_version"_s) || !version.next() ||
        version.value(0).toInt() >= DataStore::SchemaVersion)
        return std::nullopt;
    const int from = version.value(0).toInt();
    version.finish();
    QStringList steps = indexStatements();
    // Version 3 compares names ignoring case for every letter: indexes built under SQLite's own
    // NOCASE (A to Z only) are put in the new order.
    if (from < 3)
        steps << u"REINDEX NOCASE"_s;
    QString error;
    bool ok = db.transaction();
    ok = ok && execAll(db, steps << setVersion(), &error);
    if (ok && !db.commit()) {
        ok = false;
        error = db.lastError().text();
    }
    if (ok)
        return std::nullopt;
    db.rollback();
    return u"No se puede actualizar la base de datos:\n"_s + QDir::toNativeSeparators(path) +
           u"\n"_s + error;
}

} // namespace

std::optional<QString> DataStore::open(const QString& path)
{
    close();
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return u"No se encuentra la base de datos:\n"_s + shown + howToCreate(path);
    if (!info.isFile() || !info.isReadable() || !info.isWritable())
        return u"No se puede abrir la base de datos (sin permiso de lectura y escritura):\n"_s +
               shown;
    if (auto refusal = folderRefusal(path))
        return refusal;

    std::optional<QString> error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
        // mode=rw: SQLite must never create the file behind the operator's back.
        db.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            u"?mode=rw"_s);
        db.setConnectOptions(u"QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"_s);
        if (!db.open())
            error = u"No se puede abrir la base de datos:\n"_s + shown + u"\n"_s +
                    db.lastError().text();
        else if (!installNameCollation(db))
            error = u"No se puede usar la base de datos (SQLite):\n"_s + shown;
        // Everything that reads comes before the first write (the journal mode is stored in the
        // file): a store refused here is left as it was.
        if (!error)
            error = checkLayout(db, path);
        if (!error)
            error = checkPages(db, path);
        if (!error)
            error = applyPragmas(db, path);
        if (!error)
            error = upgrade(db, path);
        if (error)
            db.close();
        else
            m_db = db;
    }
    if (error) {
        QSqlDatabase::removeDatabase(m_connectionName);
        return error;
    }
    m_path = info.absoluteFilePath();
    return std::nullopt;
}

void DataStore::close()
{
    if (!m_db.isValid() && !QSqlDatabase::contains(m_connectionName))
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

} // namespace kestrel
