#include "webbrowser.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

QUrl searchAddress(const QString& text)
{
    // A search engine that needs no account and shows no cookie wall on the café's PC.
    QUrl address(u"https://duckduckgo.com/"_s);
    const QString words = text.trimmed();
    if (!words.isEmpty()) {
        // Every reserved character encoded: a "+" left bare would reach the engine as a blank.
        address.setQuery(u"q="_s + QString::fromLatin1(QUrl::toPercentEncoding(words)),
                         QUrl::StrictMode);
    }
    return address;
}

} // namespace kestrel
