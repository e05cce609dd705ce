#pragma once

#include <QString>

#include <optional>

namespace kestrel {

class Prompts;

// A number the operator typed into a field, read by the field's own rule (`value`, nothing when
// it is no number), kept when it lies between `low` and `high`. Otherwise the operator is told
// "<what> debe ser un número entre <low> y <high>." (the bounds, whole numbers, in the regional
// format) and nothing comes back, so the caller writes nothing.
std::optional<double> numberInRange(std::optional<double> value, const QString& what, double low,
                                    double high, Prompts& prompts);

} // namespace kestrel
