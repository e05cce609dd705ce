#include "typednumber.h"

#include "numbers.h"
#include "prompts.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

std::optional<double> numberInRange(std::optional<double> value, const QString& what, double low,
                                    double high, Prompts& prompts)
{
    if (value && *value >= low && *value <= high)
        return value;
    // The bounds are whole numbers: shown alike, without decimals, grouped as the café reads
    // its amounts ("-1.000.000.000 y 1.000.000.000").
    prompts.tell(Prompts::Icon::Exclamation,
                 u"%1 debe ser un número entre %2 y %3."_s.arg(what, formatDouble(low, 0),
                                                               formatDouble(high, 0)));
    return std::nullopt;
}

} // namespace kestrel
