// kestrel-agent-shots OUTDIR: pictures of the station agent's screens as a customer sees them,
// for reviewing by eye: agent-locked.png (the lock screen with the account login and a refused
// login), agent-waiting.png (the start button), agent-panel.png (the session panel over the
// desktop), agent-warning.png (the time is nearly over) and agent-chat.png (the operator's
// message the customer can answer). The statuses are handed to the agent's rules directly, as
// its link would; system actions are only printed.
#include "agent/agentcore.h"
#include "agent/systemactions.h"
#include "agentui/agentwindows.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel::agent;

namespace {

bool shoot(const QString& file)
{
    QEventLoop settle; // painted, and the X server without a window manager settled
    QTimer::singleShot(400, &settle, &QEventLoop::quit);
    settle.exec();
    if (QGuiApplication::primaryScreen()->grabWindow(0).save(file))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"screenshots"_s;
    QDir().mkpath(outDir);
    QTemporaryDir dir;
    AgentSettings settings;
    settings.cafeName = u"Cibercafé La Estación"_s;
    DryRunActions actions;
    AgentCore core({settings, dir.filePath(u"opciones.conf"_s), actions,
                    [](const QString&, const QStringList&) {}, true});
    AgentWindows windows(
        core, [] {}, AgentWindows::Presentation::Plain);
    windows.show(core.view());
    qint64 now = 0;
    const auto status = [&](const QString& code, const QString& time, const QString& user = {}) {
        core.received(u"SENDSTAT"_s, {code, time, u"$ 1,25"_s, u"192.168.1.10"_s, user},
                      now += 1000);
    };

    core.received(u"GETNAMEX"_s, {u"PC07"_s}, now);
    status({}, u"0:00:00"_s);
    core.received(u"MSGBOX3"_s, {u"Usuario/Contraseña INCORRECTA"_s}, now);
    bool ok = shoot(outDir + u"/agent-locked.png"_s);
    status(u"2"_s, u"0:30:00"_s);
    ok = shoot(outDir + u"/agent-waiting.png"_s) && ok;
    status(u"3"_s, u"0:27:41"_s, u"ana"_s);
    ok = shoot(outDir + u"/agent-panel.png"_s) && ok;
    status(u"3"_s, u"0:01:00"_s, u"ana"_s);
    core.received(u"SHOWF"_s, {}, now);
    ok = shoot(outDir + u"/agent-warning.png"_s) && ok;
    core.received(u"MSGBOX2"_s, {u"Hola, ¿necesita papel para la impresora?"_s}, now);
    ok = shoot(outDir + u"/agent-chat.png"_s) && ok;
    return ok ? 0 : 1;
}
