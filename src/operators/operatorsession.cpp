#include "operatorsession.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

QString rightColumn(Right right)
{
    static const QStringList columns = {
        u"modifyoption"_s, u"createcaccount"_s, u"modifyaccount"_s, u"incrementaccounts"_s,
        u"viewinfor"_s,    u"creaoperator"_s,   u"chatcserver"_s,   u"admart"_s};
    return columns.at(int(right));
}

void OperatorSession::logIn(const OperatorRecord& record)
{
    m_current = record;
    m_loggedIn = true;
    emit changed();
}

} // namespace kestrel
