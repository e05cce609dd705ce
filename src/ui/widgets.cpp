#include "widgets.h"

#include <QPushButton>
#include <QTreeWidget>

namespace kestrel {

QPushButton* namedButton(QWidget* parent, const QString& caption, const QString& name)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QTreeWidget* rowList(QWidget* parent, const QString& name, const QStringList& columns)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

int chosenRow(const QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->indexOfTopLevelItem(items.first());
}

} // namespace kestrel
