#include "ui/common/firstrundialog.h"

#include <QDir>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

FirstRunDialog::FirstRunDialog(const QString& folder, QWidget* parent)
    : QMessageBox(QMessageBox::Question, u"Kestrel"_s,
                  u"No hay una base de datos de Kestrel en\n"_s + QDir::toNativeSeparators(folder) +
                      u"\n\n¿Qué desea hacer?"_s,
                  QMessageBox::NoButton, parent),
      m_empty(addButton(u"Crear un café vacío"_s, QMessageBox::AcceptRole)),
      m_demo(addButton(u"Crear el café de demostración"_s, QMessageBox::AcceptRole))
{
    setEscapeButton(addButton(u"Salir"_s, QMessageBox::RejectRole));
    // Enter makes the café the operator came to set up; the demo is a deliberate click.
    setDefaultButton(m_empty);
}

FirstRunDialog::Choice FirstRunDialog::choice() const
{
    if (clickedButton() == m_empty)
        return Choice::EmptyCafe;
    if (clickedButton() == m_demo)
        return Choice::DemoCafe;
    return Choice::Quit;
}

} // namespace kestrel
