#pragma once

#include "stations/station.h"

#include <QHostAddress>

#include <vector>

namespace kestrel {

// Free stations PC001, PC002… whose agents listen on `first` and the addresses after it.
std::vector<Station> agentStations(int count, const QHostAddress& first);

// The soak of the station link: `agents` agents (played by a child process) connect and drop at
// random, each about every flapMs, while the console's link serves them; after a first minute
// of warming up, the resident memory is printed every minute for `minutes` minutes with its
// growth per reconnection. `trim` gives freed memory back once a minute, as the console does.
int runSoak(int agents, int minutes, int flapMs, bool trim = true);

// The child process of the soak: the flapping agents.
int runSoakAgents(int agents, int flapMs);

} // namespace kestrel
