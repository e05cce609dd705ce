#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel {

// Fills a new data store with a small café to try the console on: eight stations on loopback
// addresses, three of them in a session, a tariff of each kind, a few customer accounts and
// products, and a
// price of 0,10 a page (from 20 pages 10 % off) for each of `printers`. Returns the reason on
// failure.
std::optional<QString> seedDemoCafe(QSqlDatabase db, const QStringList& printers = {});

} // namespace kestrel
