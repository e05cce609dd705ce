#pragma once

#include <QStringView>

namespace kestrel {

// The key rule of the numeric edit boxes (amounts, prices, tax, quantities): digits, the comma,
// the full stop and Backspace are typed; Enter moves on (or runs the box's computation); any
// other character is refused with a beep. Keys that type nothing (arrows, Delete, Tab, function
// keys, Escape) are left to the box and the dialog.
enum class NumericKey { Accept, Refuse, Enter, Pass };

NumericKey classifyNumericKey(int key, QStringView text);

} // namespace kestrel
