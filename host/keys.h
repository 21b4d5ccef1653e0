// The framework's key space, named once: the numbers the host's key events carry, the input
// device keeps a state for and the game reads. It sits with the host, the lowest layer that
// produces them (the keyboard translation and the close button).
#pragma once

// Key numbers run from 1 to 511; 0 is no key.
inline constexpr int kKeyCount = 512;
inline constexpr int kMouseLeftKey = 1;     // mouse buttons are keys 1 to 3 (button + 1)
inline constexpr int kJoyKeyBase = 256;     // pad unit u, button b: 256 + 32 * u + b
inline constexpr int kJoyUnitShift = 5;     // 32 logical buttons per unit
inline constexpr int kTouchKeyBase = 384;   // touch point i: 384 + i; touch 0 mirrors key 1
inline constexpr int kBackKey = 416;        // the platform's Back button
inline constexpr int kWindowCloseKey = 432; // the window's close button, sent down and up

// The key of logical button `button` of pad unit `unit`.
constexpr int JoyKey(int unit, int button) { return kJoyKeyBase | button | unit << kJoyUnitShift; }

// The keyboard's keys. Digits and letters are their own ASCII codes ('0' to '9', 'A' to 'Z');
// F1 to F12 and the keypad's digits 0 to 9 are runs of consecutive numbers.
inline constexpr int kKeyCodeNone = 0;
inline constexpr int kKeyCodeBackspace = 8;
inline constexpr int kKeyCodeTab = 9;
inline constexpr int kKeyCodeEnter = 13;
inline constexpr int kKeyCodeShift = 16;
inline constexpr int kKeyCodeControl = 17;
inline constexpr int kKeyCodeEscape = 27;
inline constexpr int kKeyCodeSpace = 32;
inline constexpr int kKeyCodePageUp = 33;
inline constexpr int kKeyCodePageDown = 34;
inline constexpr int kKeyCodeEnd = 35;
inline constexpr int kKeyCodeHome = 36;
inline constexpr int kKeyCodeLeft = 37;
inline constexpr int kKeyCodeUp = 38;
inline constexpr int kKeyCodeRight = 39;
inline constexpr int kKeyCodeDown = 40;
inline constexpr int kKeyCodeInsert = 45;
inline constexpr int kKeyCodeDelete = 46;
inline constexpr int kKeyCodePad0 = 96;
inline constexpr int kKeyCodePadMultiply = 106;
inline constexpr int kKeyCodePadAdd = 107;
inline constexpr int kKeyCodePadSubtract = 109;
inline constexpr int kKeyCodePadDecimal = 110;
inline constexpr int kKeyCodePadDivide = 111;
inline constexpr int kKeyCodeF1 = 112;
inline constexpr int kKeyCodeF2 = kKeyCodeF1 + 1;
inline constexpr int kKeyCodeF4 = kKeyCodeF1 + 3;
inline constexpr int kKeyCodeF11 = kKeyCodeF1 + 10;
inline constexpr int kKeyCodeF12 = kKeyCodeF1 + 11;
inline constexpr int kKeyCodeSemicolon = 186;
inline constexpr int kKeyCodeEquals = 187;
inline constexpr int kKeyCodeComma = 188;
inline constexpr int kKeyCodeMinus = 189;
inline constexpr int kKeyCodePeriod = 190;
inline constexpr int kKeyCodeSlash = 191;
inline constexpr int kKeyCodeGrave = 192;   // the grave accent and tilde key
inline constexpr int kKeyCodeLeftBracket = 219;
inline constexpr int kKeyCodeBackslash = 220;
inline constexpr int kKeyCodeRightBracket = 221;
inline constexpr int kKeyCodeApostrophe = 222;
