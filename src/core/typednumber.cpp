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
    prompts.tell(Prompts::Icon::Exclamation,
                 u"%1 debe ser un número entre %2 y %3."_s.arg(what, formatGeneralDouble(low),
                                                               formatAmount(high)));
    return std::nullopt;
}

} // namespace kestrel
