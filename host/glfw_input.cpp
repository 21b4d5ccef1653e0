// Window-system input: the key, character, mouse-button and pointer callbacks, the translation of
// window-system key codes into the framework's key numbers, and the characters special keys type.
#include <GLFW/glfw3.h>

#include <array>

#include "host/host_game.h"
#include "host/keys.h"

namespace {

// Printable codes that no key of this window system reports, kept so that the table holds every
// pair of the keyboard layout it describes: the double quote and the tilde share the keys of the
// apostrophe and the grave accent.
constexpr int kCodeDoubleQuote = 34;
constexpr int kCodeTilde = 126;
// Function keys F1 to F12 and keypad digits 0 to 9 are runs of consecutive codes on both sides.
constexpr int kFunctionKeys = 12;
constexpr int kPadDigits = 10;
// KeyToChar: keys that type a character of their own get it with this bit set, delete gives DEL.
constexpr int kSpecialCharBit = 0x10000;
constexpr int kCharDelete = 127;
// Mouse buttons above the middle one are ignored.
constexpr int kLastMouseButton = GLFW_MOUSE_BUTTON_MIDDLE;
// Pointer moves carry no button.
constexpr int kNoButton = -1;

struct KeyPair {
  int glfw;
  int key;
};

constexpr KeyPair kKeyPairs[] = {
    {GLFW_KEY_SPACE, kKeyCodeSpace},
    {GLFW_KEY_APOSTROPHE, kKeyCodeApostrophe},
    {kCodeDoubleQuote, kKeyCodeApostrophe},
    {GLFW_KEY_COMMA, kKeyCodeComma},
    {GLFW_KEY_MINUS, kKeyCodeMinus},
    {GLFW_KEY_PERIOD, kKeyCodePeriod},
    {GLFW_KEY_SLASH, kKeyCodeSlash},
    {GLFW_KEY_SEMICOLON, kKeyCodeSemicolon},
    {GLFW_KEY_EQUAL, kKeyCodeEquals},
    {GLFW_KEY_LEFT_BRACKET, kKeyCodeLeftBracket},
    {GLFW_KEY_BACKSLASH, kKeyCodeBackslash},
    {GLFW_KEY_RIGHT_BRACKET, kKeyCodeRightBracket},
    {GLFW_KEY_GRAVE_ACCENT, kKeyCodeGrave},
    {kCodeTilde, kKeyCodeGrave},
    {GLFW_KEY_ESCAPE, kKeyCodeEscape},
    {GLFW_KEY_UP, kKeyCodeUp},
    {GLFW_KEY_DOWN, kKeyCodeDown},
    {GLFW_KEY_LEFT, kKeyCodeLeft},
    {GLFW_KEY_RIGHT, kKeyCodeRight},
    {GLFW_KEY_LEFT_SHIFT, kKeyCodeShift},
    {GLFW_KEY_RIGHT_SHIFT, kKeyCodeShift},
    {GLFW_KEY_LEFT_CONTROL, kKeyCodeControl},
    {GLFW_KEY_RIGHT_CONTROL, kKeyCodeControl},
    {GLFW_KEY_TAB, kKeyCodeTab},
    {GLFW_KEY_ENTER, kKeyCodeEnter},
    {GLFW_KEY_BACKSPACE, kKeyCodeBackspace},
    {GLFW_KEY_INSERT, kKeyCodeInsert},
    {GLFW_KEY_DELETE, kKeyCodeDelete},
    {GLFW_KEY_PAGE_UP, kKeyCodePageUp},
    {GLFW_KEY_PAGE_DOWN, kKeyCodePageDown},
    {GLFW_KEY_HOME, kKeyCodeHome},
    {GLFW_KEY_END, kKeyCodeEnd},
    {GLFW_KEY_KP_DIVIDE, kKeyCodePadDivide},
    {GLFW_KEY_KP_MULTIPLY, kKeyCodePadMultiply},
    {GLFW_KEY_KP_SUBTRACT, kKeyCodePadSubtract},
    {GLFW_KEY_KP_ADD, kKeyCodePadAdd},
    {GLFW_KEY_KP_DECIMAL, kKeyCodePadDecimal},
};

// One entry per window-system key code; 0 where the key means nothing to the framework (alt,
// super, lock keys, F13 and above, keypad enter and equals, the non-US keys).
using KeyTable = std::array<unsigned char, GLFW_KEY_LAST + 1>;

constexpr KeyTable MakeKeyTable() {
  KeyTable table{};
  for (int c = GLFW_KEY_0; c <= GLFW_KEY_9; ++c) table[c] = static_cast<unsigned char>(c);
  for (int c = GLFW_KEY_A; c <= GLFW_KEY_Z; ++c) table[c] = static_cast<unsigned char>(c);
  for (int i = 0; i < kFunctionKeys; ++i) table[GLFW_KEY_F1 + i] = static_cast<unsigned char>(kKeyCodeF1 + i);
  for (int i = 0; i < kPadDigits; ++i) {
    table[GLFW_KEY_KP_0 + i] = static_cast<unsigned char>(kKeyCodePad0 + i);
  }
  for (const KeyPair& p : kKeyPairs) table[p.glfw] = static_cast<unsigned char>(p.key);
  return table;
}

constexpr KeyTable kKeyTable = MakeKeyTable();
static_assert(GLFW_KEY_0 == '0' && GLFW_KEY_9 == '9', "digits are their ASCII codes");
static_assert(GLFW_KEY_A == 'A' && GLFW_KEY_Z == 'Z', "letters are their ASCII codes");

}  // namespace

int OxGlfwGame::TransKey(int key) {
  if (key < 0 || key > GLFW_KEY_LAST) return kKeyCodeNone;
  return kKeyTable[key];
}

int OxGlfwGame::KeyToChar(int key) {
  switch (key) {
    case kKeyCodeBackspace:
    case kKeyCodeTab:
    case kKeyCodeEnter:
    case kKeyCodeEscape:
      return key;
    case kKeyCodePageUp:
    case kKeyCodePageDown:
    case kKeyCodeEnd:
    case kKeyCodeHome:
    case kKeyCodeLeft:
    case kKeyCodeUp:
    case kKeyCodeRight:
    case kKeyCodeDown:
    case kKeyCodeInsert:
      return key | kSpecialCharBit;
    case kKeyCodeDelete:
      return kCharDelete;
    default:
      return 0;
  }
}

// A repeat counts as a press: it sends the key down again (the framework ignores a down of a key
// already down) and the key's own character, so held cursor keys keep typing.
void OxGlfwGame::OnKey(int key, int action) {
  int k = TransKey(key);
  if (k == kKeyCodeNone || !_game) return;
  if (action == GLFW_RELEASE) {
    _game->KeyEvent(c_OxGameEvent::m_KeyUp, k);
    return;
  }
  _game->KeyEvent(c_OxGameEvent::m_KeyDown, k);
  if (int chr = KeyToChar(k)) _game->KeyEvent(c_OxGameEvent::m_KeyChar, chr);
}

void OxGlfwGame::OnChar(int chr, int action) {
  if (action == GLFW_PRESS && _game) _game->KeyEvent(c_OxGameEvent::m_KeyChar, chr);
}

void OxGlfwGame::OnMouseButton(int button, int action) {
  if (button < 0 || button > kLastMouseButton || !_game) return;
  double x = 0, y = 0;
  if (_glfwGame && _glfwGame->_window) glfwGetCursorPos(_glfwGame->_window, &x, &y);
  float fx = static_cast<float>(static_cast<int>(x));
  float fy = static_cast<float>(static_cast<int>(y));
  int event = action == GLFW_PRESS ? c_OxGameEvent::m_MouseDown : c_OxGameEvent::m_MouseUp;
  _game->MouseEvent(event, button, fx, fy);
}

void OxGlfwGame::OnMousePos(int x, int y) {
  if (_game) {
    _game->MouseEvent(c_OxGameEvent::m_MouseMove, kNoButton, static_cast<float>(x),
                      static_cast<float>(y));
  }
}

void OxGlfwGame::RegisterCallbacks() {
  glfwSetKeyCallback(_window, [](GLFWwindow*, int key, int, int action, int) { OnKey(key, action); });
  glfwSetCharCallback(_window, [](GLFWwindow*, unsigned int chr) {
    OnChar(static_cast<int>(chr), GLFW_PRESS);
  });
  glfwSetMouseButtonCallback(_window, [](GLFWwindow*, int button, int action, int) {
    OnMouseButton(button, action);
  });
  glfwSetCursorPosCallback(_window, [](GLFWwindow*, double x, double y) {
    OnMousePos(static_cast<int>(x), static_cast<int>(y));
  });
  glfwSetWindowCloseCallback(_window, [](GLFWwindow* w) {
    OnWindowClose();
    glfwSetWindowShouldClose(w, GLFW_FALSE);
  });
  glfwSetWindowSizeCallback(_window, [](GLFWwindow* w, int width, int height) {
    if (_glfwGame && _glfwGame->_window == w) {
      _glfwGame->_windowState.width = width;
      _glfwGame->_windowState.height = height;
    }
  });
  glfwSetWindowFocusCallback(_window, [](GLFWwindow* w, int focused) {
    if (_glfwGame && _glfwGame->_window == w) _glfwGame->_windowState.focused = focused != 0;
  });
  glfwSetWindowIconifyCallback(_window, [](GLFWwindow* w, int iconified) {
    if (_glfwGame && _glfwGame->_window == w) _glfwGame->_windowState.iconified = iconified != 0;
  });
}
