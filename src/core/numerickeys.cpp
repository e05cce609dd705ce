#include "numerickeys.h"

#include <Qt>

namespace kestrel {

NumericKey classifyNumericKey(int key, QStringView text)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return NumericKey::Enter;
    if (key == Qt::Key_Backspace)
        return NumericKey::Accept;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape || text.isEmpty())
        return NumericKey::Pass;
    if (text.size() == 1) {
        const QChar c = text.front();
        if ((c >= u'0' && c <= u'9') || c == u',' || c == u'.')
            return NumericKey::Accept;
    }
    return NumericKey::Refuse;
}

} // namespace kestrel
