#pragma once

#include <QMessageBox>

class QPushButton;

namespace kestrel {

// The console's first start with no data store in its folder: create an empty café, the demo
// café, or leave. It only asks; the start-up creates what was chosen.
class FirstRunDialog final : public QMessageBox {
    Q_OBJECT
public:
    enum class Choice { EmptyCafe, DemoCafe, Quit };

    explicit FirstRunDialog(const QString& folder, QWidget* parent = nullptr);

    // What the operator clicked; Escape, closing the window and no answer yet are Quit.
    Choice choice() const;

private:
    QPushButton* m_empty;
    QPushButton* m_demo;
};

} // namespace kestrel
