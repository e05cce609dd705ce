#pragma once

#include <QDialog>

namespace kestrel {

// frmabout: the program's name and version; also the one-second splash after the first login.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);
    static QString versionText();
};

} // namespace kestrel
