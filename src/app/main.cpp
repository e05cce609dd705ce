// kestrel: the operator's console of an internet café.
//
//   kestrel [--data-dir DIR]              start the console on DIR/Database.mdb
//   kestrel --init-db [--demo] [--data-dir DIR]
//                                         create a new data store (with a demo café)
//
// Without --data-dir the data folder is the program's own, or per user when the program runs
// from its installed folder (defaultDataFolder); finding no store there, a console with a screen
// asks whether to create one. Exit status: 0 normal end, 1 refused to start (bad arguments,
// another console on the same data folder, no display), 2 data store missing, unreadable or not
// valid.

#include "app/newstore.h"
#include "app/startup.h"
#include "core/datafolder.h"
#include "core/datastore.h"
#include "core/eventloop.h"
#include "core/instancelock.h"
#include "core/settings.h"
#include "ui/common/firstrundialog.h"
#include "ui/common/messageboxprompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

enum ExitStatus { Ok = 0, Refused = 1, StoreRefused = 2 };

void printErr(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

struct Options {
    QString dataDir;
    bool defaultDir = false; // no --data-dir
    bool initDb = false;
    bool demo = false;
};

std::optional<Options> parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Kestrel, consola del operador de cibercafé."_s);
    // Qt's own help and version options are described in English even with its Spanish
    // translation loaded: these say it in Spanish, with the translation's words.
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Muestra esta ayuda."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s},
                                     u"Muestra la información de versión."_s);
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption dataDir(u"data-dir"_s,
                                     u"Carpeta de la base de datos (Database.mdb)."_s, u"DIR"_s);
    const QCommandLineOption initDb(u"init-db"_s, u"Crea una base de datos nueva y termina."_s);
    const QCommandLineOption demo(u"demo"_s,
                                  u"Con --init-db: agrega puestos y una tarifa de ejemplo."_s);
    parser.addOption(dataDir);
    parser.addOption(initDb);
    parser.addOption(demo);
    if (!parser.parse(app.arguments())) {
        printErr(parser.errorText() + u"\n\n"_s + parser.helpText());
        return std::nullopt;
    }
    if (parser.isSet(help))
        parser.showHelp(Ok);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty() || (parser.isSet(demo) && !parser.isSet(initDb))) {
        printErr(parser.helpText());
        return std::nullopt;
    }
    Options o;
    o.defaultDir = !parser.isSet(dataDir);
    // --data-dir wins; else installed: per user (XDG data folder), elsewhere: beside the program.
    o.dataDir = o.defaultDir
                    ? defaultDataFolder(QCoreApplication::applicationDirPath(),
                                        QStringLiteral(KESTREL_INSTALL_BINDIR),
                                        qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath())
                    : QDir(parser.value(dataDir)).absolutePath();
    o.initDb = parser.isSet(initDb);
    o.demo = parser.isSet(demo);
    return o;
}

int initDataStore(const Options& o)
{
    if (const auto error = createDataStore(o.dataDir, o.demo)) {
        printErr(*error);
        return Refused;
    }
    std::printf("%s\n", qPrintable(u"Base de datos creada: "_s +
                                   QDir::toNativeSeparators(DataStore::pathIn(o.dataDir))));
    return Ok;
}

bool wantsInit(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--init-db") == 0 || std::strcmp(argv[i], "--help") == 0 ||
            std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--version") == 0 ||
            std::strcmp(argv[i], "-v") == 0)
            return true;
    }
    return false;
}

bool hasDisplay()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void setIdentity()
{
    QCoreApplication::setOrganizationName(u"Kestrel"_s);
    QCoreApplication::setApplicationName(u"Kestrel"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
}

} // namespace

int main(int argc, char** argv)
{
    // Creating a data store and the help need no window. Qt's own lines of the help and its
    // refusals of an option speak Spanish too: the translation comes before the parsing.
    if (wantsInit(argc, argv)) {
        const auto app = makeApplication<QCoreApplication>(argc, argv);
        setIdentity();
        installSpanishTranslation();
        const auto options = parseOptions(*app);
        if (!options)
            return Refused;
        return initDataStore(*options);
    }

    if (!hasDisplay()) {
        printErr(u"Kestrel necesita una pantalla y no se encontró ninguna (DISPLAY).\n"
                 u"Sin pantalla, ejecútelo con un servidor X virtual, por ejemplo:\n"
                 u"  xvfb-run -a kestrel --data-dir DIR"_s);
        return Refused;
    }

    // The stations' connections are served by this event loop: its cost per station must not grow
    // with the number of stations (see makeApplication).
    const auto app = makeApplication<QApplication>(argc, argv);
    setIdentity();
    // The menu entry and the icon the package installs; from the build tree Qt's own icon.
    QGuiApplication::setDesktopFileName(u"kestrel"_s);
    QApplication::setWindowIcon(QIcon::fromTheme(u"kestrel"_s));
    installSpanishTranslation();
    QApplication::setQuitOnLastWindowClosed(false);
    const auto options = parseOptions(*app);
    if (!options)
        return Refused;

    std::unique_ptr<Prompts> prompts;
    if (isHeadlessPlatform())
        prompts = std::make_unique<StandardErrorPrompts>();
    else
        prompts = std::make_unique<MessageBoxPrompts>();

    if (options->defaultDir)
        QDir().mkpath(options->dataDir); // the per-user folder, before its lock is taken there

    // One console per data folder and one per user; a second start leaves the running one
    // undisturbed. A lock that cannot be taken for another reason is only reported: it never
    // keeps the café from starting.
    InstanceLock folderLock;
    InstanceLock userLock;
    const struct {
        InstanceLock& lock;
        QString path;
    } locks[] = {{folderLock, QDir(options->dataDir).filePath(u"Kestrel.lock"_s)},
                 {userLock, InstanceLock::userLockPath()}};
    for (const auto& l : locks) {
        switch (l.lock.acquire(l.path)) {
        case InstanceLock::Result::Acquired:
            break;
        case InstanceLock::Result::Held: {
            const QString text = u"El Programa esta en ejecucion..."_s;
            printErr(text + u"\n(otra consola tiene el bloqueo "_s +
                     QDir::toNativeSeparators(l.path) + u')');
            if (!isHeadlessPlatform())
                prompts->tell(Prompts::Icon::Information, text);
            return Refused;
        }
        case InstanceLock::Result::Failed:
            printErr(u"Aviso: no se pudo tomar el bloqueo "_s + QDir::toNativeSeparators(l.path) +
                     u": "_s + l.lock.errorText());
            break;
        }
    }

    const QString path = DataStore::pathIn(options->dataDir);
    DataStore store;
    auto error = store.open(path);
    // A first start from the desktop's menu: no store in the default folder yet (one that is
    // there but damaged is refused), and someone to ask which café to create. Behind the lock, so
    // two first starts never both create.
    if (error && options->defaultDir && !QFileInfo::exists(path) && !isHeadlessPlatform()) {
        FirstRunDialog firstRun(options->dataDir);
        firstRun.exec();
        if (firstRun.choice() == FirstRunDialog::Choice::Quit) {
            printErr(*error);
            return StoreRefused;
        }
        error = createDataStore(options->dataDir,
                                firstRun.choice() == FirstRunDialog::Choice::DemoCafe);
        if (!error)
            error = store.open(path);
    }
    if (error) {
        if (!isHeadlessPlatform())
            printErr(*error);
        prompts->tell(Prompts::Icon::Critical, *error);
        return StoreRefused;
    }

    IniSettingsStore settingsStore;
    Settings settings(settingsStore);
    Startup startup(store, settings, *prompts);
    QObject::connect(&startup, &Startup::quitRequested, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    startup.begin();
    return QApplication::exec();
}
