#include "core/settings.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Every reading the console makes, by name, so one table covers them all.
QString reading(const Settings& s, const QString& name)
{
    const std::map<QString, std::function<QVariant()>> readings = {
        {u"interval"_s, [&] { return s.pingIntervalMs(); }},
        {u"clear on lock"_s, [&] { return s.restoreCountersOnLock(); }},
        {u"clear on expiry"_s, [&] { return s.restoreCountersOnExpiry(); }},
        {u"ask"_s, [&] { return s.askBeforeLock(); }},
        {u"currency"_s, [&] { return s.currencySymbol(); }},
        {u"warning"_s, [&] { return s.timeToEndMinutes(); }},
        {u"rounding"_s, [&] { return s.roundTariffs(); }},
        {u"tax"_s, [&] { return s.taxPercent(); }},
        {u"wait"_s, [&] { return s.clickToStart(); }},
        {u"sub"_s, [&] { return s.displayValue(4); }},
        {u"user"_s, [&] { return s.displayValue(9); }},
        {u"box 11"_s, [&] { return s.displayShown(11); }},
        {u"all rows"_s, [&] { return s.journalShowsAllOperators(); }},
    };
    return readings.at(name)().toString();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test::pinCafeLocale();
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
    }

    void readings_data()
    {
        // A value "absent" is never written.
        test::addRows("key | value | reading | gives", R"(
            interval default        |pinginterval   |absent|interval       |600
            interval 2 s            |pinginterval   |2     |interval       |1200
            interval not a number   |pinginterval   |abc   |interval       |600
            clear on lock default   |restorecounters|absent|clear on lock  |true
            lock compares the text  |restorecounters|1.0   |clear on lock  |false
            expiry compares numbers |restorecounters|1.0   |clear on expiry|true
            no question by default  |questitolock   |absent|ask            |false
            question needs exactly 1|questitolock   | 1x   |ask            |false
            question                |questitolock   |1     |ask            |true
            currency default        |moneda         |absent|currency       |$
            warning default         |timetoend      |absent|warning        |5
            warning off when empty  |timetoend      |      |warning        |0
            tax default             |IMPUESTO       |absent|tax            |12
            tax with decimal comma  |IMPUESTO       |12,5  |tax            |12.5
            tax not a number        |IMPUESTO       |iva   |tax            |0
            start without waiting   |clicktostart   |absent|wait           |false
            wait to start           |clicktostart   |2     |wait           |true
            sub column doubled      |Visualizacion4 |2     |sub            |2
            user column empty       |Visualizacion9 |      |user           |0
            key 11 shown checked    |Visualizacion11|absent|box 11         |true
            key 11 restricts        |Visualizacion11|absent|all rows       |false
            only the text 0 does    |Visualizacion11|      |all rows       |true)");
    }
    void readings()
    {
        QFETCH(test::Row, r);
        test::MemorySettingsStore store;
        if (r[u"value"] != u"absent")
            store.write(r[u"key"], r[u"value"]);
        QCOMPARE(reading(Settings(store), r[u"reading"]), r[u"gives"]);
    }

    void fileReadsAsTyped_data();
    void fileReadsAsTyped()
    {
        QFETCH(test::Row, r);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"Kestrel.conf"_s);
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::WriteOnly));
        raw.write("[Config]\n" + r[u"line"].toUtf8() + "\ntimetoend=0\n");
        raw.close();
        IniSettingsStore store(file);
        QCOMPARE(Settings(store).read(r[u"key"], u"$"_s), r[u"reads"]);
        // What the console writes reads back the same, beside what was typed.
        const QStringList values = {u"a, b"_s, u" hueco "_s, u"\"citado\""_s, u"C:\\r"_s, u""_s};
        for (int i = 0; i < values.size(); ++i)
            store.write(u"Visualizacion%1"_s.arg(i), values[i]);
        IniSettingsStore reopened(file);
        const Settings settings(reopened);
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(settings.read(u"Visualizacion%1"_s.arg(i), u"-"_s), values[i]);
        QCOMPARE(settings.read(r[u"key"], u"$"_s), r[u"reads"]);
        QCOMPARE(settings.timeToEndMinutes(), 0.0);
    }

    void defaultFileIsUnderXdgConfigHome()
    {
        IniSettingsStore store;
        QCOMPARE(store.fileName(), m_home.filePath(u"Kestrel/Kestrel.conf"_s));
        store.write(u"moneda"_s, u"Q"_s);
        QVERIFY(QFile::exists(m_home.filePath(u"Kestrel/Kestrel.conf"_s)));
    }

private:
    QTemporaryDir m_home;
};

// Outside the class: the code generator does not read quotes inside raw strings.
void TestSettings::fileReadsAsTyped_data()
{
    // A line typed by hand under [Config], the key and what it reads.
    test::addRows("line | key | reads", R"(
        tax with a comma      |IMPUESTO=12,5         |IMPUESTO|12,5
        trailing comma        |moneda=Bs,            |moneda  |Bs,
        blanks around         |moneda =  S/.         |moneda  |S/.
        quoted, as Qt writes  |moneda="Bs, \"F\""    |moneda  |Bs, "F"
        UTF-8                 |moneda=€              |moneda  |€
        comment               |;moneda=x             |moneda  |$)");
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
