#pragma once

#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace kestrel {

// Every command of the console window, each a typed member: the toolbar's buttons, the menu
// bar's entries and the pending print list's menu. Object names are those the system gives them.
struct ConsoleActions {
    // Toolbar1, the station buttons.
    QAction* open = nullptr;    // opopen, "Habilitar"
    QAction* lock = nullptr;    // opclose, "Bloquear"
    QAction* charge = nullptr;  // opcobrar, "Cobrar"
    QAction* mode = nullptr;    // Modo
    QAction* addTime = nullptr; // cmdaumen, "Aumentar"
    QAction* swap = nullptr;    // cmdinterc, "Intercambiar"
    QAction* sell = nullptr;    // cmdvender, "Vender"
    QAction* options = nullptr; // opconfig, "Configuracion"
    // "&Archivo"
    QAction* optionsEntry = nullptr;   // mnucconfig
    QAction* changeOperator = nullptr; // submenuchanop
    QAction* quit = nullptr;           // mnuend
    // "&Puestos", also the station list's context menu
    QAction* openEntry = nullptr;     // smnuAbrir
    QAction* lockEntry = nullptr;     // smnucerrar
    QAction* addTimeEntry = nullptr;  // submnutm
    QAction* swapEntry = nullptr;     // smnuIntercambiar
    QAction* closePrograms = nullptr; // smnuconrolvol
    QAction* closeAgent = nullptr;    // mnucontrol
    QAction* closeSession = nullptr;  // smnucerrars
    QAction* restart = nullptr;       // smnureset
    QAction* shutDown = nullptr;      // smnuapa
    QAction* shutDownAll = nullptr;   // smnuapaall
    // "Articulos"
    QAction* sellEntry = nullptr; // submenvender
    QAction* products = nullptr;  // mnuarticulos
    // "&Cuentas"
    QAction* newAccount = nullptr; // subnuevo
    QAction* accounts = nullptr;   // submmbus
    // "&Operadores"
    QAction* operators = nullptr; // submenuOp
    // "&Informes"
    QAction* dailyReport = nullptr;  // smnudiario
    QAction* customReport = nullptr; // mnuinf2
    // "&Acerca de"
    QAction* about = nullptr;   // mnuabout
    QAction* webPage = nullptr; // mnuweb
    QAction* help = nullptr;    // mnuayuda
    QAction* updates = nullptr; // mnuactualizar
    // "Impresoras", the pending print list's own menu
    QAction* removePrint = nullptr; // printerdel
    QAction* clearPrints = nullptr; // mnuclearlst
    QAction* cancelPrint = nullptr; // mnuprintcanc

    QMenu* stationMenu = nullptr;   // mnupuestos
    QMenu* operatorsMenu = nullptr; // mnuoperadores
    QMenu* reportsMenu = nullptr;   // mnuinformes
    QMenu* printerMenu = nullptr;   // mnuimpresoras, not in the menu bar
};

// Where an action is shown: a menu of the bar, the print list's menu, or the toolbar alone.
enum class ConsoleMenu {
    ToolBar,
    Archivo,
    Puestos,
    Articulos,
    Cuentas,
    Operadores,
    Informes,
    AcercaDe,
    Impresoras
};

// One row of the console's table of actions.
struct ActionRow {
    QAction* ConsoleActions::*member;
    QString name;
    QString caption;
    ConsoleMenu menu;
    std::function<void()> handler;
    QString icon = {}; // an icon key (icons.h); toolbar buttons only
    bool separatorBefore = false;
};

// Builds the menu bar, the print list's menu and the toolbar's buttons from the rows, in their
// order, and connects each action to its handler.
ConsoleActions buildActions(QMainWindow& window, QToolBar& toolBar,
                            const std::vector<ActionRow>& rows);

} // namespace kestrel
