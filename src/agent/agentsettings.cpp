#include "agentsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

std::optional<LockAction> lockActionOf(QStringView text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 0 || n > int(LockAction::ShutDown))
        return std::nullopt;
    return LockAction(n);
}

std::optional<AgentSettings> AgentSettings::load(const QString& stationFile,
                                                 const QString& optionsFile, QString* error)
{
    AgentSettings s;
    const auto fail = [&](const QString& file, const QString& what) {
        *error = u"%1: %2"_s.arg(QDir::toNativeSeparators(file), what);
        return std::nullopt;
    };
    {
        const QSettings station(stationFile, QSettings::IniFormat);
        if (station.status() != QSettings::NoError)
            return fail(stationFile, u"no se puede leer"_s);
        if (const QString listen = station.value(u"Agent/listen"_s).toString(); !listen.isEmpty()) {
            s.listenAddress = QHostAddress(listen);
            if (s.listenAddress.isNull())
                return fail(stationFile, u"listen no es una dirección: "_s + listen);
        }
        if (station.contains(u"Agent/port"_s)) {
            bool ok = false;
            const uint port = station.value(u"Agent/port"_s).toString().toUInt(&ok);
            if (!ok || port == 0 || port > 65535)
                return fail(stationFile, u"port debe ser un número de 1 a 65535"_s);
            s.port = quint16(port);
        }
        // One address or several, separated by commas or blanks.
        const QVariant consoles = station.value(u"Agent/console"_s);
        const QStringList parts = consoles.typeId() == QMetaType::QStringList
                                      ? consoles.toStringList()
                                      : consoles.toString().split(u',');
        for (const QString& part : parts)
            for (const QString& address : part.split(u' ', Qt::SkipEmptyParts))
                s.consoles << address.trimmed();
        s.cafeName = station.value(u"Agent/cafe"_s, s.cafeName).toString();
    }
    const QSettings options(optionsFile, QSettings::IniFormat);
    if (options.status() != QSettings::NoError)
        return fail(optionsFile, u"no se puede leer"_s);
    s.lockAction = lockActionOf(options.value(u"LockOptions/action"_s, u"0"_s).toString())
                       .value_or(LockAction::LockOnly);
    s.startWithSystem = options.value(u"LockOptions/startWithSystem"_s, u"0"_s).toString() == u"1";
    s.lockWithoutServer =
        options.value(u"LockOptions/lockWithoutServer"_s, u"0"_s).toString() == u"1";
    return s;
}

bool AgentSettings::saveLockOptions(const QString& optionsFile) const
{
    QDir().mkpath(QFileInfo(optionsFile).absolutePath());
    QSettings options(optionsFile, QSettings::IniFormat);
    options.setValue(u"LockOptions/action"_s, QString::number(int(lockAction)));
    options.setValue(u"LockOptions/startWithSystem"_s, startWithSystem ? u"1"_s : u"0"_s);
    options.setValue(u"LockOptions/lockWithoutServer"_s, lockWithoutServer ? u"1"_s : u"0"_s);
    options.sync();
    return options.status() == QSettings::NoError;
}

QString AgentSettings::defaultStationFile()
{
    return u"/etc/kestrel/agent.conf"_s;
}

QString AgentSettings::defaultOptionsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/kestrel/agent-lock-options.conf"_s;
}

} // namespace kestrel::agent
