#include "eventloop.h"

#include <QAbstractEventDispatcher>

namespace kestrel {

namespace {
constexpr char NoGlib[] = "QT_NO_GLIB";
}

EventLoopChoice::EventLoopChoice()
    : m_wasSet(qEnvironmentVariableIsSet(NoGlib)), m_previous(qgetenv(NoGlib))
{
    // Any value but an empty one turns GLib off.
    qputenv(NoGlib, "1");
}

EventLoopChoice::~EventLoopChoice()
{
    if (m_wasSet)
        qputenv(NoGlib, m_previous);
    else
        qunsetenv(NoGlib);
}

QString eventDispatcherName()
{
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher ? QString::fromLatin1(dispatcher->metaObject()->className()) : QString();
}

} // namespace kestrel
