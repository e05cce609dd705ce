#include "messagelist.h"

namespace kestrel {

QString MessageList::hourText(QTime time)
{
    return QString::number(time.hour()) + u':' + QString::number(time.minute()) + u':' +
           QString::number(time.second());
}

void MessageList::add(const QString& pc, QTime time, const QString& text)
{
    QString kept = text.left(MaxTextLength);
    if (kept.size() < text.size())
        kept.append(u'…');
    if (m_rows.size() >= MaxRows) {
        const qsizetype drop = m_rows.size() - MaxRows + 1;
        m_rows.remove(0, drop);
        emit rowsDropped(int(drop));
    }
    m_rows.append({pc, hourText(time), kept});
    emit rowAdded(int(m_rows.size()) - 1);
}

void MessageList::clear()
{
    m_rows.clear();
    emit cleared();
}

} // namespace kestrel
