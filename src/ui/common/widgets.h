#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>

class QFont;
class QLabel;
class QPushButton;
class QTableView;
class QTreeWidget;
class QWidget;

namespace kestrel {

// The small pieces the windows build the same way.

// A button found by its object name, which Enter in the window's boxes never presses: Enter
// belongs to the boxes (it moves on or runs the box's own command).
QPushButton* namedButton(QWidget* parent, const QString& caption, const QString& name);

// A flat list of rows with these columns, one row chosen at a time.
QTreeWidget* rowList(QWidget* parent, const QString& name, const QStringList& columns);

// Lays a page out as a list with its buttons in a column on its right.
void layOutListWithButtons(QWidget* page, QWidget* list,
                           std::initializer_list<QPushButton*> buttons);

// The row the list's selection stands for; -1 when none is chosen.
int chosenRow(const QTreeWidget* list);

// The font bold and `factor` times as large: headings, and figures read from across the counter.
QFont boldFont(QFont font, qreal factor = 1.0);
// A label in its own font made bold and `factor` times as large.
QLabel* boldLabel(const QString& text, QWidget* parent, qreal factor = 1.0);

// A table of rows that are read, not typed in: chosen whole, no row numbers, its last column
// filling the width.
void readOnlyRows(QTableView* grid);

} // namespace kestrel
