#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace kestrel {

// The per-user preferences: text values under group "Config". A reader always passes its own
// default, which it gets back while the key has never been written.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& key, const QString& defaultValue) const = 0;
    virtual void write(const QString& key, const QString& value) = 0;
    // Why the last writes could not be kept; empty when they were.
    virtual QString writeError() const { return {}; }
};

// INI file, by default $XDG_CONFIG_HOME/Kestrel/Kestrel.conf.
class IniSettingsStore final : public SettingsStore {
public:
    IniSettingsStore(); // the user's file, $XDG_CONFIG_HOME/Kestrel/Kestrel.conf
    explicit IniSettingsStore(const QString& fileName);

    QString read(const QString& key, const QString& defaultValue) const override;
    void write(const QString& key, const QString& value) override;
    QString writeError() const override;
    QString fileName() const { return m_settings->fileName(); }

private:
    std::unique_ptr<QSettings> m_settings;
};

// The keys of the console with the default each reader passes and the reading each one makes.
// Values are stored as typed in the options; a text that is not a number reads as 0 wherever the
// leading number is taken.
class Settings {
public:
    explicit Settings(SettingsStore& store) : m_store(store) {}

    QString read(const QString& key, const QString& defaultValue) const
    {
        return m_store.read(key, defaultValue);
    }
    void write(const QString& key, const QString& value) { m_store.write(key, value); }
    QString writeError() const { return m_store.writeError(); }

    // "pinginterval": the interval text as stored, and the supervision interval it gives
    // (leading number x 600 ms). A value that would stop the supervision (0 or below) gives the
    // shortest interval offered, 600 ms.
    QString pingIntervalText() const;
    int pingIntervalMs() const;

    // "restorecounters": the lock compares the text with "1", the end of prepaid time compares
    // its leading number with 1.
    bool restoreCountersOnLock() const;
    bool restoreCountersOnExpiry() const;

    bool askBeforeLock() const;      // "questitolock" is exactly "1"
    QString currencySymbol() const;  // "moneda"
    double timeToEndMinutes() const; // "timetoend"; 0 or less: no warning
    bool roundTariffs() const;       // "redondeotar": the check box of the options, nothing else
    double taxPercent() const;       // "IMPUESTO"
    bool clickToStart() const;       // "clicktostart" leading number is not 0

    // "Visualizacion<n>" as read by the display and the options: leading number, default 1.
    static QString displayKey(int index);
    double displayValue(int index) const;
    bool displayShown(int index) const { return displayValue(index) != 0.0; }

    // "Visualizacion11" as read by the journal of the day, with its own default "0": only the
    // text "0" restricts the journal to the logged-in operator.
    bool journalShowsAllOperators() const;

private:
    double leading(const QString& key, const QString& defaultValue) const;

    SettingsStore& m_store;
};

} // namespace kestrel
