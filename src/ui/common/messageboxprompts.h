#pragma once

#include "core/prompts.h"

#include <QSet>

class QMessageBox;

namespace kestrel {

// Gives a message box's standard buttons their Spanish texts with their keys: "&Sí", "&No",
// "&Aceptar", "&Cancelar" (the box takes the letter alone, S answers Sí).
void speakSpanish(QMessageBox& box);

// Loads Qt's own Spanish translation (message box buttons, the context menus of text boxes)
// where it is installed (package qt6-translations-l10n). False when it is not there.
bool installSpanishTranslation();

// Questions and notices as message boxes under the program's title, over the active window.
class MessageBoxPrompts final : public Prompts {
public:
    bool askYesNo(const QString& text) override;
    void tell(Icon icon, const QString& text) override;
    void notify(Icon icon, const QString& text) override;

private:
    QSet<QString> m_shown;
};

// Where no one can see a box (offscreen or minimal platform): notices go to standard error and
// questions are answered No.
class StandardErrorPrompts final : public Prompts {
public:
    bool askYesNo(const QString& text) override;
    void tell(Icon icon, const QString& text) override;
    void notify(Icon icon, const QString& text) override { tell(icon, text); }
};

// True when the platform shows nothing to an operator.
bool isHeadlessPlatform();

} // namespace kestrel
