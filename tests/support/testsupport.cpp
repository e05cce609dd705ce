#include "testsupport.h"

#include "core/numbers.h"
#include "stations/cyberstore.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::test {

void pinCafeLocale()
{
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Ecuador));
}

void addRows(const char* columns, const char* table)
{
    const QStringList named = records(QString::fromUtf8(columns)).value(0);
    QTest::addColumn<Row>("r");
    for (QStringList values : records(QString::fromUtf8(table))) {
        const QString name = values.takeFirst();
        if (values.size() != named.size())
            qFatal("row \"%s\" has %d fields for %d columns", qPrintable(name), int(values.size()),
                   int(named.size()));
        QTest::newRow(qPrintable(name)) << Row(named, values);
    }
}

QString Row::operator[](QStringView name) const
{
    const qsizetype at = m_names.indexOf(name);
    if (at < 0)
        qFatal("the table has no field \"%s\"", qPrintable(name.toString()));
    return m_values.at(at);
}

bool Row::yes(QStringView name) const
{
    const QString value = (*this)[name];
    return value == u"yes" || value == u"1";
}

QStringList Row::fields(const QString& columns) const
{
    QStringList values;
    for (const QString& name : records(columns).value(0))
        values << (*this)[name];
    return values;
}

Records records(const QString& text, QChar between, QChar field)
{
    Records all;
    for (const QString& record : text.trimmed().split(between, Qt::SkipEmptyParts))
        all << (field == u'|' ? record.trimmed().split(QRegularExpression(u"\\s*\\|\\s*"_s))
                              : record.trimmed().split(field));
    return all;
}

bool compareRecords(const Records& actual, const QString& columns, const Records& expected,
                    const char* file, int line)
{
    const QStringList names = records(columns).value(0);
    for (qsizetype r = 0; r < std::min(actual.size(), expected.size()); ++r) {
        for (qsizetype i = 0; i < std::max(actual[r].size(), expected[r].size()); ++i) {
            const QString field =
                (expected.size() > 1 ? u"record %1 (%2), "_s.arg(r + 1).arg(actual[r].value(0))
                                     : QString()) +
                names.value(i, u"?"_s);
            if (!QTest::qCompare(actual[r].value(i), expected[r].value(i), qPrintable(field),
                                 "expected", file, line))
                return false;
        }
    }
    return QTest::qCompare(actual.size(), expected.size(), "records", "expected", file, line);
}

Records fields(const Station& s)
{
    return {{s.pc, s.tiempo, s.modo, s.usuario, s.sub, s.total, s.LSTCLWA, s.LSTESTTUS, s.LSTIPS,
             s.LSTMACS, s.pcnames, s.LSTTARBAS, s.TARIFM, s.TARFC, s.vartipex, s.vartipex2,
             s.vartipex3, s.icon}};
}

Records fields(const PendingPrint& p)
{
    return {{p.impresora, p.maquina, p.cantidad, p.valor, p.jobid}};
}

bool damagePages(const QString& path)
{
    // The header's count of free pages (offset 36, big-endian) no longer matches the free list.
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek(36) && f.write("\0\0\0\7", 4) == 4;
}

bool alterStore(const QString& path, const QStringList& statements)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"alter"_s);
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString& sql : statements)
            ok = ok && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(u"alter"_s);
    return ok;
}

bool ScriptedPrompts::askYesNo(const QString& text)
{
    questions << text;
    return !m_answers.isEmpty() && m_answers.takeFirst();
}

void ScriptedPrompts::tell(Icon icon, const QString& text)
{
    told << Told{icon, text};
}

QStringList ScriptedPrompts::toldTexts() const
{
    QStringList texts;
    for (const Told& t : told)
        texts << t.text;
    return texts;
}

TempStore::TempStore()
{
    std::optional<QString> error = DataStore::create(path());
    if (!error)
        error = m_store.open(path());
    if (error)
        qWarning("store: %s", qPrintable(*error));
    m_valid = !error;
}

namespace {
// A statement with its values bound in order, run; a failure is told on the test's output.
QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& values, bool* ok)
{
    QSqlQuery q(db);
    *ok = q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    *ok = *ok && q.exec();
    if (!*ok)
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q;
}
} // namespace

bool TempStore::exec(const QString& sql, const QVariantList& values)
{
    bool ok = false;
    run(m_store.database(), sql, values, &ok);
    return ok;
}

bool TempStore::insert(const QString& table, const QVariantMap& columns)
{
    return exec(u"INSERT INTO "_s + table + u" ("_s + columns.keys().join(u", "_s) +
                    u") VALUES (?"_s + u", ?"_s.repeated(columns.size() - 1) + u')',
                columns.values());
}

bool TempStore::addOperator(const QString& name, const QVariant& password, const QList<int>& rights)
{
    const QStringList columns = operatorRightColumns();
    QVariantList values{name, password};
    for (qsizetype i = 0; i < columns.size(); ++i)
        values << int(rights.contains(int(i)));
    return exec(u"INSERT INTO Operadores (Usuario, password, "_s + columns.join(u", "_s) +
                    u") VALUES (?, ?"_s + u", ?"_s.repeated(columns.size()) + u')',
                values);
}

QStringList RecordingConnections::sentTo(int index) const
{
    QStringList texts;
    for (const Sent& s : sent) {
        if (s.index == index)
            texts << QString::fromLatin1(s.bytes);
    }
    return texts;
}

QVariant TempStore::scalar(const QString& sql, const QVariantList& values)
{
    bool ok = false;
    QSqlQuery q = run(m_store.database(), sql, values, &ok);
    return ok && q.next() ? q.value(0) : QVariant();
}

Records TempStore::rows(const QString& sql, const QVariantList& values)
{
    bool ok = false;
    QSqlQuery q = run(m_store.database(), sql, values, &ok);
    Records all;
    while (ok && q.next()) {
        all << QStringList();
        for (int i = 0; i < q.record().count(); ++i) {
            QString text = q.value(i).toString();
            if (q.value(i).typeId() == QMetaType::Double && !text.contains(u'.')) // as SQLite shows
                text = QString::number(q.value(i).toDouble(), 'g', 15) + u".0"_s;
            all.last() << text;
        }
    }
    return all;
}

bool CounterServices::loadStations()
{
    auto loaded = CyberStore(store.db()).load();
    if (!loaded)
        return false;
    stations.setStations(std::move(*loaded));
    rows.forget();
    return true;
}

LinkedCounter::LinkedCounter(const QStringList& addresses)
{
    for (qsizetype i = 0; i < addresses.size(); ++i)
        store.exec(u"INSERT INTO CYBER (PC, PCIP, TIEMPO, TARIFA) VALUES (?, ?, '0:00:00', 0)"_s,
                   {u"PC0%1"_s.arg(i + 1), addresses[i]});
    loadStations();
    sockets.reset(stations.count());
    supervision.setCurrencySymbol(u"$"_s);
    QObject::connect(&sockets, &StationSockets::received, &requests,
                     &RequestDispatcher::dispatchBytes);
}

Records CounterServices::journalRows()
{
    Records all =
        store.rows(u"SELECT VALOR, USER, PC, DESCRIP, OPERADOR FROM INFORMES ORDER BY rowid"_s);
    for (QStringList& row : all)
        row[0] = formatAmount(row[0].toDouble());
    return all;
}

void ScriptedSpooler::set(const QStringList& printers,
                          const QHash<QString, std::vector<SpoolJob>>& queues)
{
    QMutexLocker lock(&m_mutex);
    m_printers = printers;
    m_queues = queues;
}

void ScriptedSpooler::hang()
{
    QMutexLocker lock(&m_mutex);
    m_hung = true;
}

void ScriptedSpooler::release()
{
    QMutexLocker lock(&m_mutex);
    m_hung = false;
    m_released.wakeAll();
}

void ScriptedSpooler::waitWhileHung()
{
    while (m_hung)
        m_released.wait(&m_mutex);
}

QStringList ScriptedSpooler::printers()
{
    QMutexLocker lock(&m_mutex);
    waitWhileHung();
    return m_printers;
}

std::optional<std::vector<SpoolJob>> ScriptedSpooler::jobs(const QString& printer)
{
    QMutexLocker lock(&m_mutex);
    waitWhileHung();
    const auto queue = m_queues.constFind(printer);
    if (queue == m_queues.cend())
        return std::nullopt;
    return *queue;
}

bool ScriptedSpooler::cancel(const QString& printer, std::int32_t jobId)
{
    QMutexLocker lock(&m_mutex);
    waitWhileHung();
    m_cancelled << printer + u' ' + QString::number(jobId);
    return m_queues.contains(printer);
}

QStringList ScriptedSpooler::cancelled() const
{
    QMutexLocker lock(&m_mutex);
    return m_cancelled;
}

} // namespace kestrel::test
