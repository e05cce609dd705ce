#include "systemactions.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

#include <csignal>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

namespace {

void print(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void warn(const QString& what, const QDBusMessage& reply)
{
    if (reply.type() == QDBusMessage::ErrorMessage)
        qWarning("%s: %s", qPrintable(what), qPrintable(reply.errorMessage()));
}

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& method, const QVariantList& args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(args);
    return bus.call(m, QDBus::Block, 10000);
}

QDBusMessage logind(const QString& method, const QVariantList& args = {})
{
    return call(QDBusConnection::systemBus(), u"org.freedesktop.login1"_s,
                u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, method, args);
}

QDBusMessage systemd(const QString& method, const QVariantList& args = {})
{
    return call(QDBusConnection::sessionBus(), u"org.freedesktop.systemd1"_s,
                u"/org/freedesktop/systemd1"_s, u"org.freedesktop.systemd1.Manager"_s, method,
                args);
}

// The application units the user's systemd runs for the desktop, as ListUnits gives them.
QStringList applicationUnits()
{
    const QDBusMessage reply = systemd(u"ListUnits"_s);
    warn(u"ListUnits"_s, reply);
    QStringList units;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return units;
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString name, description, load, active, sub, following, jobType;
        QDBusObjectPath path, jobPath;
        uint jobId = 0;
        list.beginStructure();
        list >> name >> description >> load >> active >> sub >> following >> path >> jobId >>
            jobType >> jobPath;
        list.endStructure();
        if (name.startsWith(u"app-"_s) &&
            (name.endsWith(u".scope"_s) || name.endsWith(u".service"_s)) && active == u"active"_s)
            units << name;
    }
    list.endArray();
    return units;
}

QString ownUnit()
{
    const QDBusMessage reply = systemd(u"GetUnitByPID"_s, {uint(::getpid())});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QString path = reply.arguments().first().value<QDBusObjectPath>().path();
    const QDBusMessage id = call(QDBusConnection::sessionBus(), u"org.freedesktop.systemd1"_s, path,
                                 u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
                                 {u"org.freedesktop.systemd1.Unit"_s, u"Id"_s});
    return id.arguments().isEmpty()
               ? QString()
               : id.arguments().first().value<QDBusVariant>().variant().toString();
}

// The user's processes but this one, its ancestors and the desktop's own, by /proc.
void endUserProcesses(const QStringList& keep)
{
    const uid_t uid = ::getuid();
    QList<qint64> ancestors;
    for (qint64 pid = ::getpid(); pid > 1;) {
        ancestors << pid;
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            break;
        const QByteArray text = stat.readAll();
        // pid (comm) state ppid ...: the name may hold blanks and parentheses.
        const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
        pid = rest.value(1).toLongLong();
    }
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || ancestors.contains(pid))
            continue;
        const QFileInfo info(u"/proc/"_s + entry);
        if (info.ownerId() != uid)
            continue;
        QFile comm(u"/proc/%1/comm"_s.arg(pid));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        if (keep.contains(QString::fromLocal8Bit(comm.readAll().trimmed())))
            continue;
        ::kill(pid_t(pid), SIGTERM);
    }
}

} // namespace

void DryRunActions::shutDown()
{
    print(u"[dry-run] apagar el equipo (logind PowerOff)"_s);
}

void DryRunActions::restart()
{
    print(u"[dry-run] reiniciar el equipo (logind Reboot)"_s);
}

void DryRunActions::endSession()
{
    print(u"[dry-run] cerrar la sesión del cliente (logind TerminateSession)"_s);
}

void DryRunActions::closePrograms()
{
    print(u"[dry-run] cerrar los programas del cliente (unidades app-* de systemd)"_s);
}

void DryRunActions::setVolume(int percent)
{
    print(u"[dry-run] volumen de la salida predeterminada al %1 %"_s.arg(percent));
}

void DryRunActions::setAutostart(bool on)
{
    print(u"[dry-run] %1 la entrada de inicio automático %2"_s.arg(
        on ? u"activar"_s : u"ocultar"_s, DesktopActions::autostartFile()));
}

DesktopActions::DesktopActions(QStringList keep) : m_keep(std::move(keep)) {}

QStringList DesktopActions::defaultKeep()
{
    return {u"systemd"_s,         u"(sd-pam)"_s,        u"dbus-daemon"_s,
            u"dbus-broker"_s,     u"pipewire"_s,        u"pipewire-pulse"_s,
            u"wireplumber"_s,     u"pulseaudio"_s,      u"Xorg"_s,
            u"Xwayland"_s,        u"xinit"_s,           u"lightdm"_s,
            u"gnome-shell"_s,     u"gnome-session-b"_s, u"kwin_x11"_s,
            u"kwin_wayland"_s,    u"plasmashell"_s,     u"ksmserver"_s,
            u"xfce4-session"_s,   u"xfwm4"_s,           u"xfce4-panel"_s,
            u"xfdesktop"_s,       u"lxqt-session"_s,    u"openbox"_s,
            u"at-spi-bus-laun"_s, u"at-spi2-registr"_s, u"gvfsd"_s,
            u"ssh-agent"_s,       u"kestrel-agent"_s};
}

void DesktopActions::shutDown()
{
    warn(u"PowerOff"_s, logind(u"PowerOff"_s, {false}));
}

void DesktopActions::restart()
{
    warn(u"Reboot"_s, logind(u"Reboot"_s, {false}));
}

void DesktopActions::endSession()
{
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (!id.isEmpty()) {
        warn(u"TerminateSession"_s, logind(u"TerminateSession"_s, {id}));
        return;
    }
    const QDBusMessage session = logind(u"GetSessionByPID"_s, {uint(::getpid())});
    warn(u"GetSessionByPID"_s, session);
    if (session.type() != QDBusMessage::ReplyMessage || session.arguments().isEmpty())
        return;
    const QString path = session.arguments().first().value<QDBusObjectPath>().path();
    warn(u"Terminate"_s, call(QDBusConnection::systemBus(), u"org.freedesktop.login1"_s, path,
                              u"org.freedesktop.login1.Session"_s, u"Terminate"_s));
}

void DesktopActions::closePrograms()
{
    const QStringList units = applicationUnits();
    const QString own = ownUnit();
    for (const QString& unit : units) {
        if (unit == own || unit.contains(u"kestrel-agent"_s))
            continue;
        warn(u"StopUnit "_s + unit, systemd(u"StopUnit"_s, {unit, u"replace"_s}));
    }
    if (units.isEmpty())
        endUserProcesses(m_keep);
}

void DesktopActions::setVolume(int percent)
{
    const QString level = QString::number(std::clamp(percent, 0, 100)) + u'%';
    if (const QString wpctl = QStandardPaths::findExecutable(u"wpctl"_s); !wpctl.isEmpty())
        QProcess::startDetached(wpctl, {u"set-volume"_s, u"@DEFAULT_AUDIO_SINK@"_s, level});
    else if (const QString pactl = QStandardPaths::findExecutable(u"pactl"_s); !pactl.isEmpty())
        QProcess::startDetached(pactl, {u"set-sink-volume"_s, u"@DEFAULT_SINK@"_s, level});
    else
        qWarning("volume: neither wpctl nor pactl is installed");
}

QString DesktopActions::autostartFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/autostart/kestrel-agent.desktop"_s;
}

// The entry starts the agent's user service where the package installed it (a killed agent is
// restarted), giving it the desktop's display first; without the service it starts the agent
// itself. kestrel-kiosk writes the same entry (packaging/agent/kiosk/autostart.desktop).
QString DesktopActions::autostartEntry(bool on)
{
    return u"[Desktop Entry]\nType=Application\nName=Kestrel (puesto)\n"
           u"Comment=Agente de puesto de Kestrel\n"
           u"Exec=sh -c \"systemctl --user import-environment DISPLAY XAUTHORITY && "
           u"systemctl --user start kestrel-agent.service || exec kestrel-agent\"\n"
           u"NoDisplay=true\n"
           u"X-GNOME-Autostart-enabled="_s +
           (on ? u"true"_s : u"false"_s) + u"\nHidden="_s + (on ? u"false"_s : u"true"_s) + u'\n';
}

void DesktopActions::setAutostart(bool on)
{
    const QString file = autostartFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile entry(file);
    if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        entry.write(autostartEntry(on).toUtf8()) < 0)
        qWarning("autostart: %s: %s", qPrintable(file), qPrintable(entry.errorString()));
}

} // namespace kestrel::agent
