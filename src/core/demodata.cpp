#include "demodata.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

std::optional<QString> seedDemoCafe(QSqlDatabase db)
{
    if (!db.transaction())
        return db.lastError().text();
    QSqlQuery q(db);
    q.prepare(u"INSERT INTO CYBER (PC, PCIP, TIEMPO, MODALIDAD, LSTVARX, TARIFBAS, TARIFA, TOTAL) "
              u"VALUES (?, ?, '0:00:00', '', '', 0, 0, 0)"_s);
    for (int i = 1; i <= 8; ++i) {
        q.addBindValue(u"PC%1"_s.arg(i, 2, 10, QLatin1Char('0')));
        q.addBindValue(u"127.0.0.%1"_s.arg(i + 1));
        if (!q.exec()) {
            const QString error = q.lastError().text();
            db.rollback();
            return error;
        }
    }
    q.prepare(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES (?, ?, ?, 'ST')"_s);
    q.addBindValue(u"Normal"_s);
    q.addBindValue(1.0);
    q.addBindValue(0.25);
    if (!q.exec()) {
        const QString error = q.lastError().text();
        db.rollback();
        return error;
    }
    if (!db.commit())
        return db.lastError().text();
    return std::nullopt;
}

} // namespace kestrel
