#include "config/preferences.h"
#include "operators/shortcuts.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Settings in memory that remember the order of the writes.
class RecordingSettingsStore final : public SettingsStore {
public:
    QString read(const QString& key, const QString& defaultValue) const override
    {
        return memory.read(key, defaultValue);
    }
    void write(const QString& key, const QString& value) override
    {
        writes << key + u'=' + value;
        memory.write(key, value);
    }
    QStringList writes;
    test::MemorySettingsStore memory;
};

// One key pressed after another, as virtual-key codes.
KeyCapture pressed(const QString& keys)
{
    KeyCapture capture;
    for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts))
        capture.press(key.toInt());
    return capture;
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }

    void emptyStoreShowsTheDefaultsAndAplicarWritesEveryKeyInOrder()
    {
        RecordingSettingsStore store;
        Settings settings(store);
        GeneralPreferences p = GeneralPreferences::load(settings);
        QCOMPARE(p.pingInterval, u"1"_s);
        QVERIFY(p.restoreCounters && p.endAlert && !p.askBeforeLock && !p.roundTariffs &&
                !p.clickToStart);
        QCOMPARE(p.endAlertMinutes, u"5"_s);
        QCOMPARE(p.tax, u"12"_s);
        QCOMPARE(p.currency, u"$"_s);
        QVERIFY(std::all_of(p.display.begin(), p.display.end(), [](bool b) { return b; }));

        p.pingInterval = u"2"_s;
        p.restoreCounters = false;
        p.askBeforeLock = true;
        p.currency = u"S/."_s;
        p.endAlert = false; // the combo's text is not stored then
        p.endAlertMinutes = u"10"_s;
        p.roundTariffs = true;
        p.tax = u"12,5"_s;
        p.clickToStart = true;
        p.display[4] = false;
        p.display[11] = false;
        QStringList order;
        p.apply(settings, [&](int ms) {
            order = store.writes;
            store.writes << u"interval="_s + QString::number(ms);
        });
        QCOMPARE(order.size(), 7);
        QStringList expected{u"pinginterval=2"_s, u"restorecounters=0"_s, u"questitolock=1"_s,
                             u"moneda=S/."_s,     u"timetoend=0"_s,       u"redondeotar=1"_s,
                             u"IMPUESTO=12,5"_s,  u"interval=1200"_s,     u"clicktostart=1"_s};
        for (int i = 0; i < GeneralPreferences::DisplayCount; ++i)
            expected << u"Visualizacion%1=%2"_s.arg(i).arg(i == 4 || i == 11 ? 0 : 1);
        QCOMPARE(store.writes, expected);

        // Read back: what was written, the alert unchecked with its combo at "0".
        GeneralPreferences back = GeneralPreferences::load(settings);
        p.endAlertMinutes = u"0"_s;
        QCOMPARE(back, p);
        QCOMPARE(settings.taxPercent(), 12.5);
        QVERIFY(!settings.journalShowsAllOperators());
    }

    void aTextThatIsNotANumberIsStoredAsTyped()
    {
        test::MemorySettingsStore memory;
        Settings settings(memory);
        GeneralPreferences p = GeneralPreferences::load(settings);
        p.pingInterval = u"abc"_s;
        p.endAlertMinutes = u"x"_s;
        int interval = -1;
        p.apply(settings, [&](int ms) { interval = ms; });
        QCOMPARE(settings.read(u"pinginterval"_s, {}), u"abc"_s);
        QCOMPARE(interval, 600);
        // "x" minutes read as 0: the alert shows unchecked.
        QVERIFY(!GeneralPreferences::load(settings).endAlert);
    }

    void lockOptionsGoToConnectedStationsOnly()
    {
        test::CounterServices c;
        c.links.closed = {0, 2};
        LockOptions{3, true, false}.send(c.sender, 4);
        QCOMPARE(c.links.sent.size(), 2);
        QCOMPARE(c.links.sentTo(1), QStringList{u"BLOCKOPT#LVX#3#LVX#1#LVX#0#LVXF#"_s});
        QCOMPARE(c.links.sentTo(3), c.links.sentTo(1)); // the last station too

        c.links.sent.clear();
        c.links.closed = {0, 1, 2, 3};
        LockOptions{}.send(c.sender, 4);
        QVERIFY(c.links.sent.isEmpty());
    }

    void keyCapture_data()
    {
        // The keys down, in order; the code text and the label.
        test::addRows("keys | code | label", R"(
            ctrl then a           |17 65       |17+65|Ctrl+A
            alt then digit 5      |18 53       |18+53|Alt+5
            a letter alone        |66          |0+66 |B
            ctrl alone            |17          |17+0 |Ctrl
            ctrl is remembered    |17 65 66    |17+66|Ctrl+B
            a new modifier        |17 65 16 67 |16+67|Shift+C
            same key twice        |17 65 65    |17+65|Ctrl+A
        )");
    }
    void keyCapture()
    {
        QFETCH(test::Row, r);
        const KeyCapture capture = pressed(r[u"keys"]);
        QCOMPARE(capture.codeText(), r[u"code"]);
        QCOMPARE(capture.label(), r[u"label"]);
    }

    void shortcutsAreStoredPerOperatorAndTheLastMatchWins()
    {
        test::CounterServices c;
        Shortcuts shortcuts(c.store.db(), c.actions);
        QVERIFY(c.store.insert(u"Teclado"_s, {{u"Codigo"_s, u"Ctrl+Q"_s},
                                              {u"Accion"_s, u"Vender"_s},
                                              {u"Operador"_s, u"Pedro"_s},
                                              {u"CodAsc"_s, u"17+81"_s},
                                              {u"CodAcc"_s, u"9"_s}}));
        std::vector<Shortcut> rows = defaultShortcuts();
        rows.push_back({u"Cobrar"_s, u""_s, u" "_s, u"3"_s});         // no combination: not kept
        rows.push_back({u"Modo"_s, u"Ctrl+A"_s, u"17+65"_s, u"4"_s}); // same keys, later row
        QVERIFY(shortcuts.save(u"marta"_s, rows));                    // names compare ignoring case
        const auto stored = shortcuts.of(u"MARTA"_s);
        QVERIFY(stored);
        QCOMPARE(stored->size(), std::size_t(5));
        QCOMPARE(stored->back().actionCode, u"4"_s);
        QCOMPARE(shortcuts.of(u"Pedro"_s)->size(), std::size_t(1));

        QVERIFY(shortcuts.load(u"Marta"_s));
        QCOMPARE(shortcuts.evaluate(u"17+65"_s), int(ShortcutAction::Modo));
        QCOMPARE(shortcuts.evaluate(u"17+66"_s), int(ShortcutAction::Bloquear));
        QCOMPARE(shortcuts.evaluate(u"17+76"_s), int(ShortcutAction::Limpiar));
        QCOMPARE(shortcuts.evaluate(u"17+0"_s), 0);
        QCOMPARE(shortcuts.evaluate(u"17+81"_s), 0); // Pedro's

        // Saved again and loaded after: the new rows follow the old ones and win.
        QVERIFY(shortcuts.save(u"Marta"_s, {{u"Vender"_s, u"Ctrl+A"_s, u"17+65"_s, u"9"_s},
                                            {u"Cobrar"_s, u"F2"_s, u"0+113"_s, u" "_s}}));
        QCOMPARE(shortcuts.of(u"Marta"_s)->size(), std::size_t(2));
        QVERIFY(shortcuts.load(u"Marta"_s));
        QCOMPARE(shortcuts.evaluate(u"17+65"_s), int(ShortcutAction::Vender));
        QCOMPARE(shortcuts.evaluate(u"17+66"_s), int(ShortcutAction::Bloquear));
        QCOMPARE(shortcuts.evaluate(u"0+113"_s), 0); // blank action
    }

    void aRefusedSaveKeepsTheStoredShortcuts()
    {
        test::CounterServices c;
        Shortcuts shortcuts(c.store.db(), c.actions);
        QVERIFY(shortcuts.save(u"Marta"_s, defaultShortcuts()));
        QVERIFY(
            c.store.exec(u"CREATE TRIGGER refuse BEFORE INSERT ON Teclado "
                         u"WHEN NEW.Accion = 'Vender' BEGIN SELECT RAISE(ABORT, 'lleno'); END"_s));
        QVERIFY(!shortcuts.save(u"Marta"_s, {{u"Cobrar"_s, u"Ctrl+K"_s, u"17+75"_s, u"3"_s},
                                             {u"Vender"_s, u"Ctrl+V"_s, u"17+86"_s, u"9"_s}}));
        QCOMPARE(*shortcuts.of(u"Marta"_s), defaultShortcuts());
        QCOMPARE(c.prompts.notified.size(), 1);
        QVERIFY(c.prompts.notified[0].text.contains(u"lleno"_s));
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
