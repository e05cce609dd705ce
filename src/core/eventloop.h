#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace kestrel {

// The event loop of the console, and of every program that measures or plays its link: Qt's own
// UNIX dispatcher instead of GLib's main loop. GLib keeps the socket notifiers in a list that it
// walks at every change, and each station has two notifiers, one of them switched on and off at
// every status sent, so on GLib the console's cost per station grows with the number of stations.
//
// Qt reads the choice from the environment when the application object is made. The variable is
// set for that moment only: programs started later (the operator's browser) and the threads
// started later get the environment as it was given.
class EventLoopChoice {
public:
    EventLoopChoice();
    ~EventLoopChoice();
    EventLoopChoice(const EventLoopChoice&) = delete;
    EventLoopChoice& operator=(const EventLoopChoice&) = delete;

private:
    bool m_wasSet;
    QByteArray m_previous;
};

// The application object (QCoreApplication, QApplication) on the console's event loop.
template <typename Application> std::unique_ptr<Application> makeApplication(int& argc, char** argv)
{
    const EventLoopChoice choice;
    return std::make_unique<Application>(argc, argv);
}

// The class of the running event dispatcher, "QEventDispatcherUNIX" for instance.
QString eventDispatcherName();

} // namespace kestrel
