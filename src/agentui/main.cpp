// kestrel-agent: the station agent of a Kestrel café, for Linux workstations.
//
//   kestrel-agent [--config FILE] [--options FILE] [--listen ADDR] [--port N] [--dry-run]
//
// It listens for the café's console (port 6969), locks the screen while the station is free,
// shows the session's time while it runs, and carries out the operator's commands.

#include "agent/agentcore.h"
#include "agent/agentlink.h"
#include "agent/agentsettings.h"
#include "agent/systemactions.h"
#include "agentwindows.h"
#include "notices.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <ctime>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel::agent;

namespace {

void printErr(const QString& text)
{
    std::fprintf(stderr, "kestrel-agent: %s\n", qPrintable(text));
}

const char* screenName(Screen s)
{
    switch (s) {
    case Screen::Locked:
        return "bloqueado";
    case Screen::Waiting:
        return "esperando";
    case Screen::Running:
        return "en uso";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    // Help and version need no display: on a station's text console they are answered too.
    bool needsDisplay = true;
    for (int i = 1; i < argc; ++i)
        for (const char* flag : {"-h", "--help", "-v", "--version"})
            needsDisplay = needsDisplay && qstrcmp(argv[i], flag) != 0;
    const std::unique_ptr<QCoreApplication> app =
        needsDisplay ? std::make_unique<QApplication>(argc, argv)
                     : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(u"Kestrel"_s);
    QCoreApplication::setApplicationName(u"kestrel-agent"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    auto* translator = new QTranslator(app.get());
    if (translator->load(QLocale(QLocale::Spanish), u"qtbase"_s, u"_"_s,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Agente de puesto de Kestrel: bloquea la pantalla mientras el puesto está libre, "
        u"muestra el tiempo de la sesión y cumple las órdenes de la consola.\n\n"
        u"Configuración del puesto (archivo INI, grupo [Agent]):\n"
        u"  console=DIRECCION   la consola que puede conectarse (una o varias, separadas por "
        u"comas);\n"
        u"                      sin ella solo se acepta una consola de este mismo equipo\n"
        u"  cafe=NOMBRE         el nombre del café en la pantalla de bloqueo\n"
        u"  port=6969           el puerto en que espera a la consola\n"
        u"  listen=DIRECCION    la dirección en que escucha (todas si falta)\n"
        u"Las opciones de bloqueo que envía la consola se guardan en el archivo de opciones."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Muestra esta ayuda."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s},
                                     u"Muestra la información de versión."_s);
    const QCommandLineOption config(
        u"config"_s,
        u"Configuración del puesto (por omisión %1)."_s.arg(AgentSettings::defaultStationFile()),
        u"ARCHIVO"_s);
    const QCommandLineOption options(
        u"options"_s,
        u"Donde se guardan las opciones de bloqueo (por omisión %1)."_s.arg(
            AgentSettings::defaultOptionsFile()),
        u"ARCHIVO"_s);
    const QCommandLineOption listen(u"listen"_s, u"Escucha solo en esta dirección."_s,
                                    u"DIRECCION"_s);
    const QCommandLineOption port(u"port"_s, u"Espera a la consola en este puerto."_s, u"PUERTO"_s);
    const QCommandLineOption dryRun(u"dry-run"_s,
                                    u"No apaga, reinicia ni cierra nada: escribe lo que haría."_s);
    const QCommandLineOption window(
        u"window"_s, u"Muestra el puesto en una ventana, sin retener teclado ni ratón (para "
                     u"probarlo junto a la consola; no bloquea nada)."_s);
    const QCommandLineOption trace(u"trace"_s,
                                   u"Escribe cada cambio de pantalla con la hora (para medir)."_s);
    for (const QCommandLineOption* o :
         {&help, &version, &config, &options, &listen, &port, &dryRun, &window, &trace})
        parser.addOption(*o);
    if (!parser.parse(QCoreApplication::arguments())) {
        printErr(parser.errorText());
        return 1;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();

    const QString optionsFile =
        parser.isSet(options) ? parser.value(options) : AgentSettings::defaultOptionsFile();
    QString error;
    auto settings = AgentSettings::load(parser.isSet(config) ? parser.value(config)
                                                             : AgentSettings::defaultStationFile(),
                                        optionsFile, &error);
    if (!settings) {
        printErr(error);
        return 2;
    }
    if (parser.isSet(listen)) {
        settings->listenAddress = QHostAddress(parser.value(listen));
        if (settings->listenAddress.isNull()) {
            printErr(u"--listen: no es una dirección: "_s + parser.value(listen));
            return 1;
        }
    }
    if (parser.isSet(port)) {
        const uint p = parser.value(port).toUInt();
        if (p == 0 || p > 65535) {
            printErr(u"--port debe ser un número de 1 a 65535"_s);
            return 1;
        }
        settings->port = quint16(p);
    }

    std::unique_ptr<SystemActions> actions;
    if (parser.isSet(dryRun))
        actions = std::make_unique<DryRunActions>();
    else
        actions = std::make_unique<DesktopActions>();

    AgentLink link(AgentLink::thisComputer());
    link.setConsoles(settings->consoles);
    if (!link.listen(settings->listenAddress, settings->port)) {
        printErr(u"no se puede escuchar en el puerto %1: %2"_s.arg(settings->port)
                     .arg(link.errorString()));
        return 2;
    }
    QElapsedTimer steady;
    steady.start();
    AgentCore core({*settings, optionsFile, *actions,
                    [&link](const QString& k, const QStringList& f) { link.send(k, f); },
                    link.consoleConfigured()});
    QObject::connect(&link, &AgentLink::connected, &core, &AgentCore::connected);
    QObject::connect(&link, &AgentLink::received, &core,
                     [&](const QString& keyword, const QStringList& fields) {
                         core.received(keyword, fields, steady.elapsed());
                     });
    QObject::connect(&link, &AgentLink::refused, [](const QHostAddress& from) {
        printErr(u"conexión rechazada de "_s + from.toString());
    });
    QObject::connect(&core, &AgentCore::quitRequested, app.get(), &QCoreApplication::quit);
    QTimer server;
    QObject::connect(&server, &QTimer::timeout, &core, [&] { core.checkServer(steady.elapsed()); });
    server.start(1000);

    // Held keyboard and pointer stop ordinary use while locked; on a platform without windows
    // (offscreen, for trying it) there is nothing to hold.
    const bool screenless = QGuiApplication::platformName() == u"offscreen"_s ||
                            QGuiApplication::platformName() == u"minimal"_s;
    using Presentation = AgentWindows::Presentation;
    AgentWindows windows(core, playWarningSound,
                         parser.isSet(window) ? Presentation::Window
                         : screenless         ? Presentation::Plain
                                              : Presentation::Kiosk);
    if (parser.isSet(trace))
        QObject::connect(&windows, &AgentWindows::screenShown, [&](Screen s) {
            // The system's monotonic clock, which the benchmark reads too.
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("%lld pantalla %s\n",
                        static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000,
                        screenName(s));
            std::fflush(stdout);
        });
    windows.show(core.view());
    return QApplication::exec();
}
