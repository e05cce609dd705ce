#include "archive.h"

#include "core/clock.h"
#include "core/datastore.h"
#include "core/names.h"
#include "core/prompts.h"
#include "stations/actionstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <atomic>
#include <filesystem>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

std::atomic<int> checkCounter{0};

const QString Counts =
    u"SELECT (SELECT count(*) FROM INFORMES), (SELECT ifnull(max(rowid), 0) FROM INFORMES), "
    u"(SELECT count(*) FROM Impresiones), (SELECT ifnull(max(rowid), 0) FROM Impresiones)"_s;

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// A file and what SQLite may have left beside it.
void removeWithCompanions(const QString& path)
{
    for (const QString& suffix : {u""_s, u"-journal"_s, u"-wal"_s, u"-shm"_s})
        QFile::remove(path + suffix);
}

// The rows a store holds in the two tables the archive empties.
struct Counted {
    qint64 values[4] = {};
    bool operator==(const Counted&) const = default;
};

QString count(QSqlDatabase db, Counted* counted)
{
    QSqlQuery q(db);
    if (!q.exec(Counts) || !q.next())
        return q.lastError().text();
    for (int i = 0; i < 4; ++i)
        counted->values[i] = q.value(i).toLongLong();
    return {};
}

// The live store's pages under one read transaction: the snapshot and its row counts agree,
// whatever other connections write meanwhile.
QString backUp(QSqlDatabase live, const QString& temp, Counted* counted)
{
    sqlite3* source = handleOf(live);
    if (!source)
        return u"la base de datos no es SQLite"_s;
    if (!live.transaction())
        return live.lastError().text();
    QString error = count(live, counted);
    if (error.isEmpty()) {
        sqlite3* target = nullptr;
        int rc = sqlite3_open_v2(QFile::encodeName(temp).constData(), &target,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
            if (!backup) {
                error = QString::fromUtf8(sqlite3_errmsg(target));
            } else {
                rc = sqlite3_backup_step(backup, -1);
                sqlite3_backup_finish(backup);
                if (rc != SQLITE_DONE)
                    error = QString::fromUtf8(sqlite3_errstr(rc));
            }
        } else {
            error = QString::fromUtf8(target ? sqlite3_errmsg(target) : sqlite3_errstr(rc));
        }
        sqlite3_close(target);
    }
    live.rollback(); // a read transaction: nothing to keep
    return error;
}

// Opens the copy on its own, with the console's name comparison (its indexes are ordered by it):
// the whole file must be sound and hold exactly the rows counted at the snapshot. The copy is
// left as a single file, without a write-ahead log.
QString check(const QString& temp, const Counted& expected)
{
    const QString name = u"kestrel-archive-check-"_s + QString::number(++checkCounter);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(temp);
        if (!db.open() || !installNameCollation(db)) {
            error = db.lastError().text();
            if (error.isEmpty())
                error = u"no se pudo abrir la copia"_s;
        } else {
            QSqlQuery q(db);
            Counted found;
            if (!q.exec(u"PRAGMA integrity_check"_s) || !q.next())
                error = u"no se pudo comprobar la copia: "_s + q.lastError().text();
            else if (q.value(0).toString() != u"ok"_s)
                error = u"la copia está dañada: "_s + q.value(0).toString();
            q.finish();
            if (error.isEmpty())
                error = count(db, &found);
            if (error.isEmpty() && !(found == expected))
                error = u"la copia no tiene los mismos informes que la base de datos"_s;
            if (error.isEmpty() && !q.exec(u"PRAGMA journal_mode = DELETE"_s))
                error = q.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (error.isEmpty() && QFile::exists(temp + u"-wal"_s))
        error = u"la copia no quedó cerrada"_s;
    return error;
}

} // namespace

Archive::Archive(Services services) : m_services(std::move(services)) {}

QString Archive::archivePath(const QString& folder, QDate date)
{
    return QDir(folder).absoluteFilePath(
        u"Database_%1_%2_%3.mdb"_s.arg(date.day()).arg(date.month()).arg(date.year()));
}

QString Archive::copyTo(const QString& target, Snapshot* snapshot) const
{
    if (QFileInfo(target).isDir())
        return u"ya existe una carpeta con ese nombre"_s;
    // Written beside the archive and renamed over it once checked: an archive is whole or absent.
    const QString temp = target + u".nuevo"_s;
    removeWithCompanions(temp);
    Counted counted;
    QString error = backUp(m_services.store.database(), temp, &counted);
    if (error.isEmpty())
        error = check(temp, counted);
    if (error.isEmpty()) {
        std::error_code failed;
        std::filesystem::rename(QFile::encodeName(temp).toStdString(),
                                QFile::encodeName(target).toStdString(), failed);
        if (failed)
            error = QString::fromStdString(failed.message());
    }
    if (!error.isEmpty()) {
        removeWithCompanions(temp);
        return error;
    }
    *snapshot = {counted.values[0], counted.values[1], counted.values[2], counted.values[3]};
    return {};
}

Archive::Result Archive::run()
{
    Prompts& prompts = m_services.prompts;
    Result result;
    if (!prompts.askYesNo(u"Desea hacer una nueva base de datos ? "_s + u"\n"_s +
                          u"Se creara una nueva con los informes vacios"_s))
        return result;

    const QString folder = QFileInfo(m_services.store.path()).absolutePath();
    result.path = archivePath(folder, m_services.clock.now().date());
    const QString shown = QDir::toNativeSeparators(result.path);
    const QFileInfo existing(result.path);
    if (existing.isFile() && !prompts.askYesNo(u"Ya existe la copia de la base de datos:\n"_s +
                                               shown + u"\n¿Desea reemplazarla?"_s))
        return result;

    Snapshot snapshot;
    if (const QString error = copyTo(result.path, &snapshot); !error.isEmpty()) {
        result.outcome = Outcome::CopyFailed;
        prompts.tell(Prompts::Icon::Critical,
                     u"No se pudo crear la copia de la base de datos:\n"_s + shown + u"\n"_s +
                         error + u"\nNo se borró ningún informe."_s);
        return result;
    }

    // Only the rows the archive holds: rowids are never reused while a larger one remains.
    const bool emptied = m_services.actions.run(
        u"vaciar los informes y las impresiones"_s, [&](ActionStore::Action& a) {
            if (a.exec(u"DELETE FROM Impresiones WHERE rowid <= ?"_s, {snapshot.printLast}))
                a.exec(u"DELETE FROM INFORMES WHERE rowid <= ?"_s, {snapshot.journalLast});
        });
    if (!emptied) {
        result.outcome = Outcome::NotEmptied;
        return result;
    }
    result.outcome = Outcome::Done;
    result.journalRows = snapshot.journalRows;
    result.printRows = snapshot.printRows;
    prompts.tell(Prompts::Icon::Exclamation,
                 u"Tarea Terminada, Cierre y vuelva abrir Kestrel para aplicar cambios"_s);
    return result;
}

} // namespace kestrel
