#pragma once

#include "accounts/accounts.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kestrel {

class OperatorSession;
class Prompts;

// frmcuentas, "Cuentas": the customer accounts, a search by the start of the name, and the way
// to create accounts and add credit (through the open-station dialog, which the console opens).
class AccountsWindow final : public QDialog {
    Q_OBJECT
public:
    AccountsWindow(Accounts& accounts, const OperatorSession& session, Prompts& prompts,
                   QWidget* parent = nullptr);

    // Every account, as on opening and after "Actualizar". The rights of the logged-in operator
    // are applied again.
    void showAll();
    // The accounts whose name starts with the search box's text.
    void search();

    QTableWidget* grid() const { return m_grid; }

signals:
    // "Nueva cuenta": the open-station dialog in "CREATE".
    void createRequested();
    // "Aumentar": the open-station dialog in "INCREMU" for this account.
    void creditRequested(const QString& user, const QString& hourlyRate);

private:
    void fill(const std::optional<std::vector<Account>>& accounts);
    void applyRights();
    void details();
    void cellEdited(int row, int column);
    const Account* current() const;

    Accounts& m_accounts;
    const OperatorSession& m_session;
    Prompts& m_prompts;
    QLineEdit* m_search = nullptr;
    QTableWidget* m_grid = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_credit = nullptr;
    std::vector<Account> m_rows;
    bool m_filling = false;
};

} // namespace kestrel
