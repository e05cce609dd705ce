#include "ui/console/consoleactions.h"

#include "ui/common/icons.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

ConsoleActions buildActions(QMainWindow& window, QToolBar& toolBar,
                            const std::vector<ActionRow>& rows)
{
    ConsoleActions actions;
    const struct {
        ConsoleMenu menu;
        QString name;
        QString caption;
    } menuRows[] = {
        {ConsoleMenu::Archivo, u"mnuarchivo"_s, u"&Archivo"_s},
        {ConsoleMenu::Puestos, u"mnupuestos"_s, u"&Puestos"_s},
        {ConsoleMenu::Articulos, u"mnuarticulosmenu"_s, u"Articulos"_s},
        {ConsoleMenu::Cuentas, u"mnucuentas"_s, u"&Cuentas"_s},
        {ConsoleMenu::Operadores, u"mnuoperadores"_s, u"&Operadores"_s},
        {ConsoleMenu::Informes, u"mnuinformes"_s, u"&Informes"_s},
        {ConsoleMenu::AcercaDe, u"mnuacerca"_s, u"&Acerca de"_s},
        {ConsoleMenu::Impresoras, u"mnuimpresoras"_s, u"Impresoras"_s},
    };
    QHash<ConsoleMenu, QMenu*> menus;
    for (const auto& m : menuRows) {
        QMenu* menu = m.menu == ConsoleMenu::Impresoras ? new QMenu(m.caption, &window)
                                                        : window.menuBar()->addMenu(m.caption);
        menu->setObjectName(m.name);
        menus.insert(m.menu, menu);
    }
    actions.stationMenu = menus.value(ConsoleMenu::Puestos);
    actions.operatorsMenu = menus.value(ConsoleMenu::Operadores);
    actions.reportsMenu = menus.value(ConsoleMenu::Informes);
    actions.printerMenu = menus.value(ConsoleMenu::Impresoras);

    for (const ActionRow& row : rows) {
        QAction* action = nullptr;
        if (row.menu == ConsoleMenu::ToolBar) {
            action = new QAction(iconForKey(row.icon), row.caption, &window);
            toolBar.addAction(action);
        } else {
            QMenu* menu = menus.value(row.menu);
            if (row.separatorBefore)
                menu->addSeparator();
            action = menu->addAction(row.caption);
        }
        action->setObjectName(row.name);
        QObject::connect(action, &QAction::triggered, &window, row.handler);
        actions.*row.member = action;
    }
    return actions;
}

} // namespace kestrel
