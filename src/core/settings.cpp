#include "settings.h"

#include "numbers.h"

#include <QDir>
#include <QIODevice>
#include <QLocale>
#include <QStandardPaths>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString Group = u"Config"_s;

// The preferences file is INI, but a value is read as it is typed: "IMPUESTO=12,5" is the text
// "12,5" and "moneda=Bs," is "Bs," (Qt's own INI reader would take both as lists). A value in
// double quotes, as Qt writes one with a comma, loses its quotes and reads \" and \\ as " and \.
QString unquoted(QStringView value)
{
    if (value.size() < 2 || !value.startsWith(u'"') || !value.endsWith(u'"'))
        return value.toString();
    QString text;
    const QStringView inner = value.mid(1, value.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'\\' && i + 1 < inner.size() &&
            (inner[i + 1] == u'"' || inner[i + 1] == u'\\'))
            ++i;
        text += inner[i];
    }
    return text;
}

// Written raw unless the reader would change it: blanks around it, quotes around it, or a
// character that ends the line.
QString written(const QString& value)
{
    const bool raw = value.trimmed() == value && !value.startsWith(u'"') &&
                     !value.contains(u'\n') && !value.contains(u'\r');
    if (raw)
        return value;
    QString text = value;
    text.replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
    text.replace(u'\n', u' ').replace(u'\r', u' ');
    return u'"' + text + u'"';
}

bool readConf(QIODevice& device, QSettings::SettingsMap& map)
{
    QString group;
    const QString text = QString::fromUtf8(device.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2).trimmed().toString();
            if (group.compare(u"General"_s, Qt::CaseInsensitive) == 0)
                group.clear();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed().toString();
        const QString value = unquoted(line.mid(equals + 1).trimmed());
        map.insert(group.isEmpty() ? key : group + u'/' + key, value);
    }
    return true;
}

bool writeConf(QIODevice& device, const QSettings::SettingsMap& map)
{
    // The map is sorted, so each group's keys come together.
    QString text;
    QString group;
    bool first = true;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(u'/');
        const QString keyGroup = slash < 0 ? QString() : it.key().left(slash);
        if (first || keyGroup != group) {
            if (!first)
                text += u'\n';
            text += u'[' + (keyGroup.isEmpty() ? u"General"_s : keyGroup) + u"]\n"_s;
            group = keyGroup;
            first = false;
        }
        text += it.key().mid(slash + 1) + u'=' + written(it.value().toString()) + u'\n';
    }
    return device.write(text.toUtf8()) >= 0;
}

QSettings::Format confFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(u"conf"_s, readConf, writeConf);
    return format;
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       u"/Kestrel/Kestrel.conf"_s)
{}

IniSettingsStore::IniSettingsStore(const QString& fileName)
    : m_settings(std::make_unique<QSettings>(fileName, confFormat()))
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

QString IniSettingsStore::writeError() const
{
    if (m_settings->status() == QSettings::NoError)
        return {};
    return u"No se pudo guardar la configuración en "_s +
           QDir::toNativeSeparators(m_settings->fileName()) + u'.';
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
    // A rate typed by hand with a decimal comma ("12,5") is 12,5 % under any regional format.
    const QString text = read(u"IMPUESTO"_s, u"12"_s);
    if (const std::optional<double> rate = parseNumber(text))
        return *rate;
    QString point = text.trimmed();
    point.replace(u',', u'.');
    return parseNumber(point, QLocale::c()).value_or(leadingNumber(text));
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
