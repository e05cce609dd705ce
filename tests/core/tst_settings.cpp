#include "core/settings.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Every reading the console makes, by name, so one table covers them all.
QVariant reading(const Settings& s, const QString& name)
{
    if (name == u"pingIntervalText")
        return s.pingIntervalText();
    if (name == u"pingIntervalMs")
        return s.pingIntervalMs();
    if (name == u"restoreCountersOnLock")
        return s.restoreCountersOnLock();
    if (name == u"restoreCountersOnExpiry")
        return s.restoreCountersOnExpiry();
    if (name == u"askBeforeLock")
        return s.askBeforeLock();
    if (name == u"currencySymbol")
        return s.currencySymbol();
    if (name == u"timeToEndMinutes")
        return s.timeToEndMinutes();
    if (name == u"roundTariffs")
        return s.roundTariffs();
    if (name == u"taxPercent")
        return s.taxPercent();
    if (name == u"clickToStart")
        return s.clickToStart();
    if (name == u"display4")
        return s.displayValue(4);
    if (name == u"display9")
        return s.displayValue(9);
    if (name == u"displayShown11")
        return s.displayShown(11);
    if (name == u"journalShowsAllOperators")
        return s.journalShowsAllOperators();
    return u"unknown reading"_s;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readings_data();
    void readings();
    void iniFileKeepsTextsUnderConfig();
    void defaultFileIsUnderXdgConfigHome();

private:
    QTemporaryDir m_home;
};

void TestSettings::initTestCase()
{
    test::pinCafeLocale();
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
}

void TestSettings::readings_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // null: the key was never written
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("expected");
    auto row = [](const char* tag, const QString& key, const QString& value, const QString& name,
                  const QVariant& expected) {
        QTest::newRow(tag) << key << value << name << expected;
    };
    const QString absent;
    // clang-format off
    row("interval text default", u"pinginterval"_s, absent, u"pingIntervalText"_s, QString(u"1"_s));
    row("interval default", u"pinginterval"_s, absent, u"pingIntervalMs"_s, 600);
    row("clear after lock default", u"restorecounters"_s, absent, u"restoreCountersOnLock"_s, true);
    row("clear after expiry default", u"restorecounters"_s, absent, u"restoreCountersOnExpiry"_s, true);
    row("no lock question by default", u"questitolock"_s, absent, u"askBeforeLock"_s, false);
    row("currency default", u"moneda"_s, absent, u"currencySymbol"_s, QString(u"$"_s));
    row("warning default", u"timetoend"_s, absent, u"timeToEndMinutes"_s, 5.0);
    row("rounding default", u"redondeotar"_s, absent, u"roundTariffs"_s, false);
    row("tax default", u"IMPUESTO"_s, absent, u"taxPercent"_s, 12.0);
    row("start without waiting", u"clicktostart"_s, absent, u"clickToStart"_s, false);
    row("sub column default", u"Visualizacion4"_s, absent, u"display4"_s, 1.0);
    row("key 11 checked in the options", u"Visualizacion11"_s, absent, u"displayShown11"_s, true);
    row("key 11 restricts the journal", u"Visualizacion11"_s, absent, u"journalShowsAllOperators"_s, false);
    row("interval 2 s", u"pinginterval"_s, u"2"_s, u"pingIntervalMs"_s, 1200);
    row("interval with decimals", u"pinginterval"_s, u"1.5"_s, u"pingIntervalMs"_s, 900);
    row("interval not a number", u"pinginterval"_s, u"abc"_s, u"pingIntervalMs"_s, 600);
    row("interval zero", u"pinginterval"_s, u"0"_s, u"pingIntervalMs"_s, 600);
    row("lock compares the text", u"restorecounters"_s, u"1.0"_s, u"restoreCountersOnLock"_s, false);
    row("expiry compares the number", u"restorecounters"_s, u"1.0"_s, u"restoreCountersOnExpiry"_s, true);
    row("counters kept", u"restorecounters"_s, u"0"_s, u"restoreCountersOnExpiry"_s, false);
    row("lock question", u"questitolock"_s, u"1"_s, u"askBeforeLock"_s, true);
    row("lock question needs exactly 1", u"questitolock"_s, u" 1"_s, u"askBeforeLock"_s, false);
    row("warning off when empty", u"timetoend"_s, u""_s, u"timeToEndMinutes"_s, 0.0);
    row("warning not a number", u"timetoend"_s, u"pronto"_s, u"timeToEndMinutes"_s, 0.0);
    row("warning 10", u"timetoend"_s, u"10"_s, u"timeToEndMinutes"_s, 10.0);
    row("wait to start", u"clicktostart"_s, u"2"_s, u"clickToStart"_s, true);
    row("wait to start not a number", u"clicktostart"_s, u"si"_s, u"clickToStart"_s, false);
    row("tax with decimal comma", u"IMPUESTO"_s, u"12,5"_s, u"taxPercent"_s, 12.5);
    row("tax not a number", u"IMPUESTO"_s, u"iva"_s, u"taxPercent"_s, 0.0);
    row("currency as typed", u"moneda"_s, u"€"_s, u"currencySymbol"_s, QString(u"€"_s));
    row("sub column doubled", u"Visualizacion4"_s, u"2"_s, u"display4"_s, 2.0);
    row("user column hidden when empty", u"Visualizacion9"_s, u""_s, u"display9"_s, 0.0);
    row("journal of all operators", u"Visualizacion11"_s, u"1"_s, u"journalShowsAllOperators"_s, true);
    row("journal: only the text 0 restricts", u"Visualizacion11"_s, u""_s, u"journalShowsAllOperators"_s, true);
    // clang-format on
}

void TestSettings::readings()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, name);
    QFETCH(QVariant, expected);
    test::MemorySettingsStore store;
    if (!value.isNull())
        store.write(key, value);
    const Settings settings(store);
    QCOMPARE(reading(settings, name), expected);
}

void TestSettings::iniFileKeepsTextsUnderConfig()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"Kestrel.conf"_s);
    {
        IniSettingsStore store(file);
        Settings settings(store);
        settings.write(u"moneda"_s, u"S/."_s);
        settings.write(u"Visualizacion4"_s, u"0"_s);
        settings.write(u"timetoend"_s, u"0"_s);
    }
    IniSettingsStore reopened(file);
    const Settings settings(reopened);
    QCOMPARE(settings.currencySymbol(), u"S/."_s);
    QCOMPARE(settings.displayValue(4), 0.0);
    QCOMPARE(settings.timeToEndMinutes(), 0.0);
    QCOMPARE(settings.read(u"IMPUESTO"_s, u"12"_s), u"12"_s);

    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray content = raw.readAll();
    QVERIFY(content.contains("[Config]"));
    QVERIFY(content.contains("Visualizacion4=0"));
}

void TestSettings::defaultFileIsUnderXdgConfigHome()
{
    IniSettingsStore store;
    QCOMPARE(store.fileName(), m_home.filePath(u"Kestrel/Kestrel.conf"_s));
    store.write(u"moneda"_s, u"Q"_s);
    QVERIFY(QFile::exists(m_home.filePath(u"Kestrel/Kestrel.conf"_s)));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
