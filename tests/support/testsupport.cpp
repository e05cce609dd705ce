#include "testsupport.h"

#include "core/numbers.h"
#include "stations/cyberstore.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::test {

void pinCafeLocale()
{
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Ecuador));
}

void addRows(const char* table)
{
    QTest::addColumn<QStringList>("f");
    for (const QString& line : QString::fromUtf8(table).trimmed().split(u'\n')) {
        QStringList f = line.trimmed().split(QRegularExpression(u"\\s*\\|\\s*"_s));
        QTest::newRow(qPrintable(f.takeFirst())) << f;
    }
}

void addRows(const char* columns, const char* table)
{
    const QRegularExpression bar(u"\\s*\\|\\s*"_s);
    const QStringList names = QString::fromUtf8(columns).trimmed().split(bar);
    QTest::addColumn<Row>("r");
    for (const QString& line : QString::fromUtf8(table).trimmed().split(u'\n')) {
        QStringList values = line.trimmed().split(bar);
        const QString name = values.takeFirst();
        if (values.size() != names.size())
            qFatal("row \"%s\" has %d fields for %d columns", qPrintable(name), int(values.size()),
                   int(names.size()));
        QTest::newRow(qPrintable(name)) << Row(names, values);
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

bool damagePages(const QString& path)
{
    // The header's count of free pages (offset 36, big-endian) no longer matches the free list.
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek(36) && f.write("\0\0\0\7", 4) == 4;
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

bool CounterServices::loadStations()
{
    auto loaded = CyberStore(store.db()).load();
    if (!loaded)
        return false;
    stations.setStations(std::move(*loaded));
    rows.forget();
    return true;
}

QStringList CounterServices::journalRows()
{
    QStringList rows;
    QSqlQuery q(store.db());
    q.exec(u"SELECT VALOR, USER, PC, DESCRIP, OPERADOR FROM INFORMES ORDER BY rowid"_s);
    while (q.next())
        rows << QStringList{formatAmount(q.value(0).toDouble()), q.value(1).toString(),
                            q.value(2).toString(), q.value(3).toString(), q.value(4).toString()}
                    .join(u'|');
    return rows;
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
