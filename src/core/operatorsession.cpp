#include "operatorsession.h"

#include "core/datastore.h"

namespace kestrel {

QString rightColumn(Right right)
{
    return operatorRightColumns().at(int(right));
}

void OperatorSession::logIn(const OperatorRecord& record)
{
    m_current = record;
    m_loggedIn = true;
    emit changed();
}

} // namespace kestrel
