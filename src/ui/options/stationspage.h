#pragma once

#include <QDialog>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kestrel {

class Prompts;
class StationAdmin;

// frmaddpcs, "Puestos": the two fields of a station. In mode ADD the identifier is typed; in
// mode MODIFY it is shown, locked, and only the address changes. Enter in the identifier moves
// to the address; Enter in the address acts as "Aceptar". The dialog closes once the change is
// stored; a refused one leaves it open with what was typed.
class StationEditor final : public QDialog {
    Q_OBJECT
public:
    explicit StationEditor(StationAdmin& admin, QWidget* parent = nullptr);

    // Prepare the fields for a mode; the caller then shows the dialog modally.
    void startAdd();
    void startModify(int row);

    enum class Mode { Add, Modify }; // the system's "ADD" and "MODIFY"
    Mode mode() const { return m_mode; }

private:
    // "Aceptar": adds or modifies the station as the editor's mode says.
    void aceptar();

    StationAdmin& m_admin;
    Mode m_mode = Mode::Add;
    int m_row = -1;
    QLineEdit* m_pc = nullptr;
    QLineEdit* m_address = nullptr;
};

// The "Puestos" page of the options dialog: the stations of CYBER with "Agregar", "Modificar"
// and "Quitar".
class StationsPage final : public QWidget {
    Q_OBJECT
public:
    // The admin tells the operator everything itself; prompts is part of every page's contract.
    StationsPage(StationAdmin& admin, Prompts& prompts, QWidget* parent = nullptr);

    // The list read again from CYBER.
    void reload();

    StationEditor* editor() const { return m_editor; }

private:
    void fill(int current);
    int chosenRow() const;

    StationAdmin& m_admin;
    QTreeWidget* m_list = nullptr;
    StationEditor* m_editor = nullptr;
};

} // namespace kestrel
