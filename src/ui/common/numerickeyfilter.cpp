#include "ui/common/numerickeyfilter.h"

#include "core/numerickeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace kestrel {

NumericKeyFilter::NumericKeyFilter(QObject* parent) : QObject(parent) {}

NumericKeyFilter* NumericKeyFilter::install(QWidget* box, bool enterMovesOn)
{
    auto* filter = new NumericKeyFilter(box);
    filter->m_enterMovesOn = enterMovesOn;
    box->installEventFilter(filter);
    return filter;
}

bool NumericKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // On macOS the command key arrives as Control; AltGr (Control with Alt) types characters.
    const Qt::KeyboardModifiers mods = key->modifiers();
    const bool control = mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier);
    switch (classifyNumericKey(key->key(), key->text(), control)) {
    case NumericKey::Accept:
    case NumericKey::Pass:
        return false;
    case NumericKey::Enter:
        emit enterPressed();
        if (m_enterMovesOn) {
            // A Tab moves on exactly as the operator's own Tab would.
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(watched, &tab);
        }
        return true;
    case NumericKey::Refuse:
        QApplication::beep();
        emit refused();
        return true;
    }
    return false;
}

} // namespace kestrel
