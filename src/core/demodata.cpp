#include "demodata.h"

#include "numbers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

struct Statement {
    QString sql;
    QVariantList values;
};

// The charge already in the total is kept as the console shows it, in the regional format.
// Eight stations on loopback addresses, three of them in a session (counting by the hour,
// prepaid, counting under the compound tariff), a tariff of each kind and one customer account.
QList<Statement> demoCafe(const QStringList& printers)
{
    QList<Statement> statements;
    const QString tariff = u"INSERT INTO TARIFAS (CODIGO, NOMBRE, TARIFA, TARIF_MIN, TIPO) "
                           u"VALUES (?, ?, ?, ?, ?)"_s;
    statements << Statement{tariff, {1, u"Normal"_s, 1.0, 0.25, u"ST"_s}}
               << Statement{tariff, {2, u"Media hora"_s, 30, 0.40, u"PR"_s}}
               << Statement{tariff, {3, u"Por bloques"_s, 0, 0, u"TC"_s}};
    for (const auto& [minutes, price] :
         {std::pair{u"15"_s, 0.30}, {u"30"_s, 0.50}, {u"45"_s, 0.75}, {u"60"_s, 1.00}})
        statements << Statement{u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) "
                                u"VALUES (3, ?, ?, 'Por bloques')"_s,
                                {minutes, price}};
    statements << Statement{u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, LASTVISIT, TARIFBAS) "
                            u"VALUES ('maria', '1234', '2:00:00', '1/12/2026', 1), "
                            u"('jose', 'jose', '0:45:00', '28/11/2026', 1), "
                            u"('Begoña', '', '5:30:00', '2/12/2026', 1), "
                            u"('muñoz', 'clave', '0:05:20', '15/11/2026', 0.8)"_s,
                            {}};
    statements << Statement{u"INSERT INTO Articulos (Articulo, Descripcion, Stock, PVP, Costo) "
                            u"VALUES ('Agua 500 ml', 'Botella sin gas', 24, 0.50, 0.25), "
                            u"('Café', 'Taza', 100, 0.75, 0.20), "
                            u"('CD-R', 'Disco grabable 700 MB', 15, 0.60, 0.30), "
                            u"('Hojas A4', 'Paquete de 10', 40, 0.35, 0.15)"_s,
                            {}};
    for (const QString& printer : printers)
        statements << Statement{u"INSERT INTO Impresoras (nombre, valorporprint, cantdest, "
                                u"pordesct) VALUES (?, 0.10, 20, 10)"_s,
                                {printer}};

    const QString station =
        u"INSERT INTO CYBER (PC, PCIP, TIEMPO, MODALIDAD, LSTVARX, TARIFBAS, TARIFA, TOTAL, "
        u"vartipex, vartipex2, vartipex3, TARIFM, TARFC) "
        u"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s;
    for (int i = 1; i <= 8; ++i) {
        const QString pc = u"PC%1"_s.arg(i, 2, 10, QLatin1Char('0'));
        const QString address = u"127.0.0.%1"_s.arg(i + 1);
        QVariantList values{pc, address};
        switch (i) {
        case 2: // counting by the hour for twelve minutes
            values << u"0:12:00"_s << u"CONTADOR"_s << u"1"_s << 1.0 << 0.25 << 0.25
                   << formatAmount(0.25) << u"0:12:00"_s << u""_s << u""_s << u""_s;
            break;
        case 5: // an hour bought, twenty minutes used
            values << u"0:40:00"_s << u"PREPAGO"_s << u"3"_s << 1.0 << 0.34 << 0.34
                   << formatAmount(0.34) << u"0:20:00"_s << u"1:00:00"_s << u""_s << u""_s;
            break;
        case 7: // counting under the compound tariff
            values << u"0:05:00"_s << u"CONTADOR"_s << u"1"_s << 0.0 << 0.30 << 0.30 << u""_s
                   << u"0:05:00"_s << u""_s << u"TC"_s << u"3"_s;
            break;
        default:
            values << u"0:00:00"_s << u""_s << u""_s << 0.0 << 0.0 << 0.0 << u""_s << u""_s << u""_s
                   << u""_s << u""_s;
        }
        statements << Statement{station, values};
    }
    return statements;
}

} // namespace

std::optional<QString> seedDemoCafe(QSqlDatabase db, const QStringList& printers)
{
    if (!db.transaction())
        return db.lastError().text();
    QSqlQuery q(db);
    for (const Statement& s : demoCafe(printers)) {
        bool ok = q.prepare(s.sql);
        for (const QVariant& v : s.values)
            q.addBindValue(v);
        ok = ok && q.exec();
        if (!ok) {
            const QString error = q.lastError().text();
            db.rollback();
            return error;
        }
    }
    if (!db.commit())
        return db.lastError().text();
    return std::nullopt;
}

} // namespace kestrel
