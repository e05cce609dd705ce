#pragma once

#include "operators/shortcuts.h"

#include <QDialog>
#include <QWidget>

#include <vector>

class QLabel;
class QListWidget;
class QTreeWidget;

namespace kestrel {

class Prompts;

// frmcombinar: shows the combination as keys go down; its button hands it to the page.
class KeyCaptureDialog final : public QDialog {
    Q_OBJECT
public:
    KeyCaptureDialog(KeyCapture& capture, QWidget* parent = nullptr);

    QLabel* label() const { return m_label; }

protected:
    bool event(QEvent* event) override;

private:
    KeyCapture& m_capture;
    QLabel* m_label = nullptr;
};

// "Combinacion de Teclas": the logged-in operator's shortcuts as edited; nothing is stored until
// the options' "Aplicar" saves rows().
class ShortcutsPage final : public QWidget {
    Q_OBJECT
public:
    ShortcutsPage(Shortcuts& shortcuts, KeyCapture& capture, Prompts& prompts,
                  const QString& operatorName, QWidget* parent = nullptr);

    // The operator's stored rows again; edits are dropped.
    void reload();
    const std::vector<Shortcut>& rows() const { return m_rows; }

    // "Agregar", "Quitar", "Teclas" (false when no row is chosen) and "Predeterminada".
    void add();
    void remove();
    bool captureKeys();
    void restoreDefaults();

    QTreeWidget* list() const { return m_list; }
    QListWidget* choices() const { return m_choices; }
    KeyCaptureDialog* captureDialog() const { return m_captureDialog; }

private:
    void show(const std::vector<Shortcut>& rows);

    Shortcuts& m_shortcuts;
    KeyCapture& m_capture;
    Prompts& m_prompts;
    QString m_operator;
    std::vector<Shortcut> m_rows;
    QListWidget* m_choices = nullptr;
    QTreeWidget* m_list = nullptr;
    KeyCaptureDialog* m_captureDialog = nullptr;
};

} // namespace kestrel
