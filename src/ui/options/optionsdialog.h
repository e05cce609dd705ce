#pragma once

#include "config/preferences.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace kestrel {

class Archive;
class KeyCapture;
class LinkSender;
class OperatorSession;
class PrinterAdmin;
class Prompts;
class Settings;
class Shortcuts;
class ShortcutsPage;
class StationAdmin;
class StationTable;
class TariffAdmin;

struct OptionsServices {
    Settings& settings;
    Prompts& prompts;
    const OperatorSession& session;
    StationTable& stations;
    LinkSender& link;
    Shortcuts& shortcuts;
    KeyCapture& capture;
    TariffAdmin& tariffs;
    StationAdmin& stationAdmin;
    PrinterAdmin& printers;
    Archive& archive;
    QString currencySymbol; // as read at start
};

// frmoptions, "Configuracion": a tree of pages with "Aplicar" and "Cerrar" below. The
// administration pages write at once; the preferences and the shortcuts only on "Aplicar".
class OptionsDialog final : public QDialog {
    Q_OBJECT
public:
    // The pages, in the order of the navigation tree; the predefined tariffs have no node and are
    // reached from the tariff pages.
    enum Page {
        General,
        Tarifas,
        Estandar,
        Compuestas,
        Puestos,
        Bloqueo,
        VisualizacionPage,
        Impresiones,
        Teclado,
        Predefinidas,
        PageCount
    };

    explicit OptionsDialog(OptionsServices services, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    void showPage(Page page);
    Page currentPage() const;

    // The general and display pages as they stand, and set from stored keys.
    GeneralPreferences preferences() const;
    void showPreferences(const GeneralPreferences& p);

    // "Aplicar": keys, the supervision interval, the shortcuts; then closes. False, with the
    // dialog left open, when the shortcuts could not be stored (the operator has been told).
    bool apply();
    // "Aplicar a todos los puestos".
    void sendLockOptions();
    // "Nueva Base de datos".
    void newDatabase();

    LockOptions lockOptions() const;
    ShortcutsPage* shortcutsPage() const { return m_shortcutsPage; }

signals:
    // The supervision's new interval, as "Aplicar" sets it.
    void intervalChanged(int intervalMs);
    // "Aplicar" wrote the keys: the console shows its display settings again.
    void applied();
    // "Aplicar" stored the operator's shortcuts: the console loads them.
    void shortcutsSaved();
    // The journal was archived and emptied.
    void archived();

protected:
    // The general and display pages show the stored keys each time the dialog opens.
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildGeneralPage();
    QWidget* buildTariffsPage();
    QWidget* buildLockPage();
    QWidget* buildDisplayPage();
    void addPage(Page page, const QString& caption, QWidget* content);

    OptionsServices m_services;
    QTreeWidget* m_tree = nullptr;
    QStackedWidget* m_pages = nullptr;
    QPushButton* m_apply = nullptr;

    QComboBox* m_interval = nullptr;
    QCheckBox* m_restoreCounters = nullptr;
    QCheckBox* m_roundTariffs = nullptr;
    QLineEdit* m_tax = nullptr;
    QCheckBox* m_endAlert = nullptr;
    QComboBox* m_endMinutes = nullptr;
    QCheckBox* m_clickToStart = nullptr;
    QCheckBox* m_askBeforeLock = nullptr;
    QComboBox* m_currency = nullptr;
    std::array<QCheckBox*, GeneralPreferences::DisplayCount> m_display{};

    int m_lockAction = 0; // the option button last clicked
    QCheckBox* m_startWithSystem = nullptr;
    QCheckBox* m_lockWithoutServer = nullptr;

    ShortcutsPage* m_shortcutsPage = nullptr;
};

} // namespace kestrel
