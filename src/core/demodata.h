#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace kestrel {

// Fills a new data store with a small café to try the console on: eight stations on loopback
// addresses, three of them in a session, a tariff of each kind and a customer account. Returns
// the reason on failure.
std::optional<QString> seedDemoCafe(QSqlDatabase db);

} // namespace kestrel
