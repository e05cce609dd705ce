#pragma once

#include "core/webbrowser.h"

#include <QDesktopServices>

namespace kestrel {

class DesktopBrowser final : public WebBrowser {
public:
    bool open(const QUrl& address) override { return QDesktopServices::openUrl(address); }
};

} // namespace kestrel
