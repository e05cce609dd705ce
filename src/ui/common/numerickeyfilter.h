#pragma once

#include <QObject>

namespace kestrel {

// Applies the numeric key rule to an edit box: refused keys beep and are dropped; Enter emits
// enterPressed() and, unless told otherwise, moves the focus to the next control.
class NumericKeyFilter final : public QObject {
    Q_OBJECT
public:
    explicit NumericKeyFilter(QObject* parent = nullptr);

    static NumericKeyFilter* install(class QWidget* box, bool enterMovesOn = true);

signals:
    void enterPressed();
    void refused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_enterMovesOn = true;
};

} // namespace kestrel
