#pragma once

#include <QLabel>

namespace kestrel {

// The caption bar over each area of the console.
inline QLabel* areaCaption(const QString& text, const QString& name, QWidget* parent)
{
    auto* caption = new QLabel(text, parent);
    caption->setObjectName(name);
    caption->setStyleSheet(QStringLiteral("QLabel { background: #2b4f7a; color: white; "
                                          "font-weight: bold; padding: 3px; }"));
    return caption;
}

} // namespace kestrel
