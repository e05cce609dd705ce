#pragma once

#include <QString>
#include <QUrl>

namespace kestrel {

// The machine's default web browser. The console opens pages in it and never waits for it.
class WebBrowser {
public:
    virtual ~WebBrowser() = default;
    // False when no browser could be started.
    virtual bool open(const QUrl& address) = 0;
};

// The search box's page: the search engine with the text as its "q" parameter, or the engine's
// own page when the text is blank.
QUrl searchAddress(const QString& text);

} // namespace kestrel
