#include "numerickeys.h"

#include <Qt>

namespace kestrel {

NumericKey classifyNumericKey(int key, QStringView text, bool control)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return NumericKey::Enter;
    if (key == Qt::Key_Backspace)
        return NumericKey::Accept;
    if (control || text.isEmpty())
        return NumericKey::Pass;
    if (text.size() == 1) {
        const QChar c = text.front();
        if ((c >= u'0' && c <= u'9') || c == u',' || c == u'.')
            return NumericKey::Accept;
        // Delete, Escape, Tab and the other control characters edit or move; they type nothing.
        if (c.category() == QChar::Other_Control)
            return NumericKey::Pass;
    }
    return NumericKey::Refuse;
}

} // namespace kestrel
