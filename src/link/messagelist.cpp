#include "messagelist.h"

namespace kestrel {

QString MessageList::hourText(QTime time)
{
    return QString::number(time.hour()) + u':' + QString::number(time.minute()) + u':' +
           QString::number(time.second());
}

void MessageList::add(const QString& pc, QTime time, const QString& text)
{
    m_rows.append({pc, hourText(time), text});
    emit rowAdded(int(m_rows.size()) - 1);
}

void MessageList::clear()
{
    m_rows.clear();
    emit cleared();
}

} // namespace kestrel
