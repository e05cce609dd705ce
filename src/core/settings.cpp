#include "settings.h"

#include "numbers.h"

#include <QStandardPaths>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {
const QString Group = u"Config"_s;
}

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       u"/Kestrel/Kestrel.conf"_s)
{}

IniSettingsStore::IniSettingsStore(const QString& fileName)
    : m_settings(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{}

QString IniSettingsStore::read(const QString& key, const QString& defaultValue) const
{
    return m_settings->value(Group + u'/' + key, defaultValue).toString();
}

void IniSettingsStore::write(const QString& key, const QString& value)
{
    m_settings->setValue(Group + u'/' + key, value);
    m_settings->sync();
}

double Settings::leading(const QString& key, const QString& defaultValue) const
{
    return leadingNumber(read(key, defaultValue));
}

QString Settings::pingIntervalText() const
{
    return read(u"pinginterval"_s, u"1"_s);
}

int Settings::pingIntervalMs() const
{
    const double ms = std::round(leadingNumber(pingIntervalText()) * 600.0);
    if (!(ms >= 600.0))
        return 600;
    return ms > 3600000.0 ? 3600000 : int(ms);
}

bool Settings::restoreCountersOnLock() const
{
    return read(u"restorecounters"_s, u"1"_s) == u"1"_s;
}

bool Settings::restoreCountersOnExpiry() const
{
    return leading(u"restorecounters"_s, u"1"_s) == 1.0;
}

bool Settings::askBeforeLock() const
{
    return read(u"questitolock"_s, u"0"_s) == u"1"_s;
}

QString Settings::currencySymbol() const
{
    return read(u"moneda"_s, u"$"_s);
}

double Settings::timeToEndMinutes() const
{
    return leading(u"timetoend"_s, u"5"_s);
}

bool Settings::roundTariffs() const
{
    return std::round(leading(u"redondeotar"_s, u"0"_s)) != 0.0;
}

double Settings::taxPercent() const
{
    const QString text = read(u"IMPUESTO"_s, u"12"_s);
    return parseNumber(text).value_or(leadingNumber(text));
}

bool Settings::clickToStart() const
{
    return leading(u"clicktostart"_s, u"0"_s) != 0.0;
}

QString Settings::displayKey(int index)
{
    return u"Visualizacion"_s + QString::number(index);
}

double Settings::displayValue(int index) const
{
    return leading(displayKey(index), u"1"_s);
}

bool Settings::journalShowsAllOperators() const
{
    return read(displayKey(11), u"0"_s) != u"0"_s;
}

} // namespace kestrel
