#pragma once

#include "core/prompts.h"

#include <QSet>

namespace kestrel {

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
