#pragma once

#include <QObject>
#include <QString>

#include <array>

namespace kestrel {

// The eight rights of an operator, in the order of the Operadores columns and of the check
// boxes of the operator administration.
enum class Right {
    ModifyOptions,     // modifyoption: "Configuracion General"
    CreateAccounts,    // createcaccount: "Crear Cuentas"
    ModifyAccounts,    // modifyaccount: "Modificar Cuentas"
    IncrementAccounts, // incrementaccounts: "Acreditar Cuentas"
    ViewReports,       // viewinfor: "Ver informes"
    CreateOperators,   // creaoperator: "Modificar Operadores"
    ChatWithServer,    // chatcserver: "Chat con server"
    AdminProducts,     // admart: "Modificar Articulos"
};
constexpr int RightCount = 8;

// The column of each right in table Operadores.
QString rightColumn(Right right);

struct OperatorRecord {
    QString name; // Usuario as stored
    QString password;
    std::array<bool, RightCount> rights{};

    bool has(Right r) const { return rights[std::size_t(r)]; }
};

// The logged-in operator, one at a time for the whole program. Its name goes into every journal
// row and selects the operator's shortcuts; its rights govern the console.
class OperatorSession : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isLoggedIn() const { return m_loggedIn; }
    const OperatorRecord& current() const { return m_current; }
    QString name() const { return m_current.name; }
    bool has(Right r) const { return m_loggedIn && m_current.has(r); }

    void logIn(const OperatorRecord& record);

signals:
    void changed();

private:
    OperatorRecord m_current;
    bool m_loggedIn = false;
};

} // namespace kestrel
