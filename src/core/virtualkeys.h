#pragma once

namespace kestrel {

// The virtual-key code of a key, as the operators' keyboard shortcuts store it: 16 Shift,
// 17 Ctrl, 18 Alt, 65 to 90 the letters, 48 to 57 the digits, 112 onwards F1, F2 ... Keys that
// have no code here give 0.
int virtualKeyCode(int qtKey);

} // namespace kestrel
