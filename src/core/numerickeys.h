#pragma once

#include <QStringView>

namespace kestrel {

// The key rule of the numeric edit boxes (amounts, prices, tax, quantities): of the characters
// typed, only digits, the comma, the full stop and Backspace go in; Enter moves on (or runs the
// box's computation); any other typed character is refused with a beep. Editing keys are left to
// the box: keys that type nothing (arrows, Home, End, Tab, function keys, Escape), control
// characters (Delete arrives as U+007F on X11) and Ctrl combinations (select all, copy, paste,
// cut, undo).
enum class NumericKey { Accept, Refuse, Enter, Pass };

NumericKey classifyNumericKey(int key, QStringView text, bool control = false);

} // namespace kestrel
