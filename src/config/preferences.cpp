#include "preferences.h"

#include "core/numbers.h"
#include "core/settings.h"
#include "link/linksender.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

QString boxValue(bool checked)
{
    return checked ? u"1"_s : u"0"_s;
}

bool checkedBy(const Settings& settings, const QString& key, const QString& defaultValue)
{
    return leadingNumber(settings.read(key, defaultValue)) != 0.0;
}

} // namespace

GeneralPreferences GeneralPreferences::load(const Settings& settings)
{
    GeneralPreferences p;
    p.pingInterval = settings.read(u"pinginterval"_s, u"1"_s);
    p.restoreCounters = checkedBy(settings, u"restorecounters"_s, u"1"_s);
    const QString minutes = settings.read(u"timetoend"_s, u"5"_s);
    p.endAlert = leadingNumber(minutes) > 0.0;
    p.endAlertMinutes = p.endAlert ? minutes : u"0"_s;
    p.askBeforeLock = checkedBy(settings, u"questitolock"_s, u"0"_s);
    p.roundTariffs = checkedBy(settings, u"redondeotar"_s, u"0"_s);
    p.tax = settings.read(u"IMPUESTO"_s, u"12"_s);
    p.clickToStart = checkedBy(settings, u"clicktostart"_s, u"0"_s);
    p.currency = settings.read(u"moneda"_s, u"$"_s);
    for (int i = 0; i < DisplayCount; ++i)
        p.display[std::size_t(i)] = settings.displayShown(i);
    return p;
}

void GeneralPreferences::apply(Settings& settings,
                               const std::function<void(int intervalMs)>& setInterval) const
{
    settings.write(u"pinginterval"_s, pingInterval);
    settings.write(u"restorecounters"_s, boxValue(restoreCounters));
    settings.write(u"questitolock"_s, boxValue(askBeforeLock));
    settings.write(u"moneda"_s, currency);
    settings.write(u"timetoend"_s, endAlert ? endAlertMinutes : u"0"_s);
    settings.write(u"redondeotar"_s, boxValue(roundTariffs));
    settings.write(u"IMPUESTO"_s, tax);
    if (setInterval)
        setInterval(settings.pingIntervalMs());
    settings.write(u"clicktostart"_s, boxValue(clickToStart));
    for (int i = 0; i < DisplayCount; ++i)
        settings.write(Settings::displayKey(i), boxValue(display[std::size_t(i)]));
}

void LockOptions::send(LinkSender& link, int stationCount) const
{
    const QStringList fields{QString::number(action), boxValue(startWithSystem),
                             boxValue(lockWithoutServer)};
    for (int i = 0; i < stationCount; ++i)
        link.send(i, u"BLOCKOPT"_s, fields);
}

} // namespace kestrel
