#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrel {

// The layout of the data store, in one place: every table and column the console uses.
struct ColumnDef {
    QString name;
    QString type; // SQL type and constraints
};

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
};

const std::vector<TableDef>& storeTables();

// The eight right columns of table Operadores, in the order of the rights.
const QStringList& operatorRightColumns();

// The data store: one SQLite file named Database.mdb in the data folder.
class DataStore {
public:
    static constexpr int SchemaVersion = 3;

    DataStore();
    ~DataStore();
    DataStore(const DataStore&) = delete;
    DataStore& operator=(const DataStore&) = delete;

    static QString fileName();
    static QString pathIn(const QString& dataDir);

    // Creates a new store with every table and the operator "admin" (no password, every right).
    // Refuses to overwrite an existing file. Returns the reason on failure.
    static std::optional<QString> create(const QString& path);

    // Opens an existing store and checks its layout and its pages. Nothing is created or changed
    // when the file is missing, unreadable, damaged, lacks a table or column, or its folder
    // cannot be written; the reason comes back as a message for the operator that names the
    // file, the real cause and what to do (commands that put a file aside, never delete it).
    std::optional<QString> open(const QString& path);
    void close();

    bool isOpen() const { return m_db.isOpen(); }
    QSqlDatabase database() const { return m_db; }
    QString path() const { return m_path; }

private:
    QString m_connectionName;
    QString m_path;
    QSqlDatabase m_db;
};

} // namespace kestrel
