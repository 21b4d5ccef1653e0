// The input device: key downs and hits with the mouse/touch mirror, the hit and
// character queues, pointer and touch positions, pad polling and ox_input_*.
#include "framework/input.h"

#include "framework/app.h"
#include "host/host_game.h"

c_InputDevice* ox_input_device = nullptr;

namespace {

int InitInputGlobals() {
  ox_input_device = nullptr;
  return 0;
}

void MarkInputRoots() { gc_mark_q(ox_input_device); }

[[maybe_unused]] const bool registered = [] {
  ox_register_init(OX_LAYER_FRAMEWORK, InitInputGlobals);
  gc_register_roots(OX_ROOTS_INPUT, MarkInputRoots);
  return true;
}();

// The key that mirrors key 1 (the left mouse button) and touch point 0.
int MirrorKey(int key) {
  if (key == kMouseLeftKey) return kTouchKeyBase;
  if (key == kTouchKeyBase) return kMouseLeftKey;
  return 0;
}

}  // namespace

// ---- Pad state ----------------------------------------------------------------------------------

c_JoyState* c_JoyState::m_new() {
  gc_assign(m_joyx, Array<float>(kJoySticks));
  gc_assign(m_joyy, Array<float>(kJoySticks));
  gc_assign(m_joyz, Array<float>(kJoySticks));
  gc_assign(m_buttons, Array<bool>(kJoyLogicalButtons));
  return this;
}

void c_JoyState::mark() {
  Object::mark();
  gc_mark_q(m_joyx);
  gc_mark_q(m_joyy);
  gc_mark_q(m_joyz);
  gc_mark_q(m_buttons);
}

// ---- Device -------------------------------------------------------------------------------------

c_InputDevice::c_InputDevice() {
  gc_assign(m_joyStates, Array<c_JoyState*>(kJoyUnits));
  gc_assign(m_keyDown, Array<bool>(kKeyCount));
  gc_assign(m_keyHitQueue, Array<int>(kKeyHitQueueSize));
  gc_assign(m_keyHit, Array<int>(kKeyCount));
  gc_assign(m_charQueue, Array<int>(kCharQueueSize));
  gc_assign(m_touchX, Array<float>(kTouchPoints));
  gc_assign(m_touchY, Array<float>(kTouchPoints));
}

c_InputDevice* c_InputDevice::m_new() {
  for (int i = 0; i < kJoyUnits; ++i) gc_assign(m_joyStates[i], (new c_JoyState)->m_new());
  return this;
}

void c_InputDevice::mark() {
  Object::mark();
  gc_mark_q(m_joyStates);
  gc_mark_q(m_keyDown);
  gc_mark_q(m_keyHitQueue);
  gc_mark_q(m_keyHit);
  gc_mark_q(m_charQueue);
  gc_mark_q(m_touchX);
  gc_mark_q(m_touchY);
}

void c_InputDevice::p_PutKeyHit(int key) {
  if (!ValidKey(key) || m_keyHitPut >= kKeyHitQueueSize) return;
  m_keyHit[key] += 1;
  m_keyHitQueue[m_keyHitPut++] = key;
}

void c_InputDevice::PressKey(int key) {
  m_keyDown[key] = true;
  p_PutKeyHit(key);
}

// Units are polled in order up to the first one without a pad. That unit and every later one
// are released: a pad unplugged with a button or the stick held must not leave the key down or
// the cursor moving.
void c_InputDevice::p_BeginUpdate() {
  bool polling = true;
  for (int unit = 0; unit < kJoyUnits; ++unit) {
    c_JoyState* joy = m_joyStates[unit];
    if (!joy) break;
    polling = polling && OxGame::_game->PollJoystick(unit, joy->m_joyx, joy->m_joyy, joy->m_joyz,
                                                     joy->m_buttons);
    if (!polling) ReleaseJoyState(joy);
    for (int b = 0; b < kJoyLogicalButtons; ++b) {
      int key = JoyKey(unit, b);
      if (!joy->m_buttons[b]) {
        m_keyDown[key] = false;
      } else if (!m_keyDown[key]) {
        PressKey(key);
      }
    }
  }
}

void c_InputDevice::ReleaseJoyState(c_JoyState* joy) {
  for (int s = 0; s < kJoySticks; ++s) joy->m_joyx[s] = joy->m_joyy[s] = joy->m_joyz[s] = 0;
  for (int b = 0; b < kJoyLogicalButtons; ++b) joy->m_buttons[b] = false;
}

void c_InputDevice::p_EndUpdate() {
  for (int i = 0; i < m_keyHitPut; ++i) m_keyHit[m_keyHitQueue[i]] = 0;
  m_keyHitPut = 0;
  m_charGet = 0;
  m_charPut = 0;
}

void c_InputDevice::p_KeyEvent(int event, int key) {
  switch (event) {
    case c_OxGameEvent::m_KeyDown:
      if (!ValidKey(key) || m_keyDown[key]) break;
      PressKey(key);
      if (int mirror = MirrorKey(key)) PressKey(mirror);
      break;
    case c_OxGameEvent::m_KeyUp:
      if (!ValidKey(key) || !m_keyDown[key]) break;
      m_keyDown[key] = false;
      if (int mirror = MirrorKey(key)) m_keyDown[mirror] = false;
      break;
    case c_OxGameEvent::m_KeyChar:
      if (m_charPut < kCharQueueSize) m_charQueue[m_charPut++] = key;
      break;
  }
}

void c_InputDevice::SetPointer(int index, float x, float y) {
  if (index == 0) {
    m_mouseX = x;
    m_mouseY = y;
  }
  if (index >= 0 && index < kTouchPoints) {
    m_touchX[index] = x;
    m_touchY[index] = y;
  }
}

void c_InputDevice::p_MouseEvent(int event, int button, float x, float y) {
  switch (event) {
    case c_OxGameEvent::m_MouseDown:
      p_KeyEvent(c_OxGameEvent::m_KeyDown, button + 1);
      SetPointer(0, x, y);
      break;
    case c_OxGameEvent::m_MouseUp:
      p_KeyEvent(c_OxGameEvent::m_KeyUp, button + 1);
      break;
    case c_OxGameEvent::m_MouseMove:
      SetPointer(0, x, y);
      break;
  }
}

void c_InputDevice::p_TouchEvent(int event, int index, float x, float y) {
  // Only touch points 0 to 31 have keys and positions.
  if (index < 0 || index >= kTouchPoints) return;
  switch (event) {
    case c_OxGameEvent::m_TouchDown:
      p_KeyEvent(c_OxGameEvent::m_KeyDown, kTouchKeyBase + index);
      SetPointer(index, x, y);
      break;
    case c_OxGameEvent::m_TouchUp:
      p_KeyEvent(c_OxGameEvent::m_KeyUp, kTouchKeyBase + index);
      break;
    case c_OxGameEvent::m_TouchMove:
      SetPointer(index, x, y);
      break;
  }
}

void c_InputDevice::p_MotionEvent(int event, int /*data*/, float x, float y, float z) {
  if (event != c_OxGameEvent::m_MotionAccel) return;
  m_accelX = x;
  m_accelY = y;
  m_accelZ = z;
}

void c_InputDevice::p_SetKeyboardEnabled(bool enabled) { OxGame::_game->SetKeyboardEnabled(enabled); }

bool c_InputDevice::p_KeyDown(int key) { return ValidKey(key) && m_keyDown[key]; }
int c_InputDevice::p_KeyHit(int key) { return ValidKey(key) ? m_keyHit[key] : 0; }

int c_InputDevice::p_GetChar() {
  if (m_charGet == m_charPut) return 0;
  return m_charQueue[m_charGet++];
}

float c_InputDevice::p_MouseX() { return m_mouseX; }
float c_InputDevice::p_MouseY() { return m_mouseY; }
float c_InputDevice::p_TouchX(int index) { return m_touchX[index]; }
float c_InputDevice::p_TouchY(int index) { return m_touchY[index]; }
float c_InputDevice::p_JoyX(int index, int unit) { return m_joyStates[unit]->m_joyx[index]; }
float c_InputDevice::p_JoyY(int index, int unit) { return m_joyStates[unit]->m_joyy[index]; }
float c_InputDevice::p_AccelX() { return m_accelX; }
float c_InputDevice::p_AccelY() { return m_accelY; }

// ---- Module functions ---------------------------------------------------------------------------

namespace {

bool ValidTouch(int index) { return index >= 0 && index < kTouchPoints; }
bool ValidJoy(int index, int unit) {
  return index >= 0 && index < kJoySticks && unit >= 0 && unit < kJoyUnits &&
         ox_input_device->m_joyStates[unit];
}

}  // namespace

int ox_input_SetInputDevice(c_InputDevice* device) {
  gc_assign(ox_input_device, device);
  return 0;
}

int ox_input_KeyDown(int key) { return ox_input_device->p_KeyDown(key) ? 1 : 0; }
int ox_input_KeyHit(int key) { return ox_input_device->p_KeyHit(key); }
int ox_input_MouseDown(int button) { return ox_input_KeyDown(button + 1); }
int ox_input_MouseHit(int button) { return ox_input_KeyHit(button + 1); }
float ox_input_MouseX() { return ox_input_device->p_MouseX(); }
float ox_input_MouseY() { return ox_input_device->p_MouseY(); }
int ox_input_TouchDown(int index) { return ox_input_KeyDown(kTouchKeyBase + index); }
float ox_input_TouchX(int index) {
  return ValidTouch(index) ? ox_input_device->p_TouchX(index) : 0.0f;
}
float ox_input_TouchY(int index) {
  return ValidTouch(index) ? ox_input_device->p_TouchY(index) : 0.0f;
}
int ox_input_JoyDown(int button, int unit) {
  return ox_input_KeyDown(JoyKey(unit, button));
}
int ox_input_JoyHit(int button, int unit) {
  return ox_input_KeyHit(JoyKey(unit, button));
}
float ox_input_JoyX(int index, int unit) {
  return ValidJoy(index, unit) ? ox_input_device->p_JoyX(index, unit) : 0.0f;
}
float ox_input_JoyY(int index, int unit) {
  return ValidJoy(index, unit) ? ox_input_device->p_JoyY(index, unit) : 0.0f;
}
float ox_input_AccelX() { return ox_input_device->p_AccelX(); }
float ox_input_AccelY() { return ox_input_device->p_AccelY(); }
int ox_input_GetChar() { return ox_input_device->p_GetChar(); }

int ox_input_EnableKeyboard() {
  ox_input_device->p_SetKeyboardEnabled(true);
  return 1;
}

int ox_input_DisableKeyboard() {
  ox_input_device->p_SetKeyboardEnabled(false);
  return 1;
}
