// The input device the game queries: one 512-key space for keyboard, mouse,
// touches and pads, hit counts per update, the character queue, pointer and sticks.
#pragma once

#include "host/joystick.h"
#include "host/keys.h"
#include "runtime/runtime.h"

// The key numbers (keyboard, mouse, touches, pads, Back and the close button) are host/keys.h's.

// Per-update limits: distinct keys whose hit count can rise, and characters queued.
inline constexpr int kKeyHitQueueSize = 33;
inline constexpr int kCharQueueSize = 32;
inline constexpr int kTouchPoints = 32;
// Pads: host/joystick.h's four units of two sticks and 32 logical buttons, each button a key.
static_assert((1 << kJoyUnitShift) == kJoyLogicalButtons, "one key per logical button of a unit");

// One pad unit as the host last reported it.
class c_JoyState : public Object {
 public:
  Array<float> m_joyx;    // two x, y, z triples: the pad's two sticks
  Array<float> m_joyy;
  Array<float> m_joyz;
  Array<bool> m_buttons;  // logical buttons 0 to 31

  c_JoyState() {}
  c_JoyState* m_new();
  void mark() override;
};

// The state of every input source between two updates. Events accumulate until
// p_EndUpdate: down states persist until their up event, hits and characters are
// cleared after each update.
class c_InputDevice : public Object {
 public:
  Array<c_JoyState*> m_joyStates;
  Array<bool> m_keyDown;
  int m_keyHitPut = 0;
  Array<int> m_keyHitQueue;  // keys whose hit count rose in this update
  Array<int> m_keyHit;
  int m_charGet = 0;
  int m_charPut = 0;
  Array<int> m_charQueue;
  float m_mouseX = 0;
  float m_mouseY = 0;
  Array<float> m_touchX;
  Array<float> m_touchY;
  float m_accelX = 0;
  float m_accelY = 0;
  float m_accelZ = 0;

  c_InputDevice();
  c_InputDevice* m_new();  // puts four new pad states in the joystick slots
  void mark() override;

  void p_PutKeyHit(int key);
  void p_BeginUpdate();
  void p_EndUpdate();
  void p_KeyEvent(int event, int key);
  void p_MouseEvent(int event, int button, float x, float y);
  void p_TouchEvent(int event, int index, float x, float y);
  void p_MotionEvent(int event, int data, float x, float y, float z);
  void p_SetKeyboardEnabled(bool enabled);
  bool p_KeyDown(int key);
  int p_KeyHit(int key);
  int p_GetChar();
  float p_MouseX();
  float p_MouseY();
  float p_TouchX(int index);
  float p_TouchY(int index);
  float p_JoyX(int index, int unit);
  float p_JoyY(int index, int unit);
  float p_AccelX();
  float p_AccelY();

 private:
  static bool ValidKey(int key) { return key > 0 && key < kKeyCount; }
  void SetPointer(int index, float x, float y);
  void PressKey(int key);
  // Sticks centred and buttons up, for a unit no pad stands behind.
  void ReleaseJoyState(c_JoyState* joy);
};

// The one input device (a collector root); the delegate sets it at start.
extern c_InputDevice* ox_input_device;

int ox_input_SetInputDevice(c_InputDevice* device);
int ox_input_KeyDown(int key);
int ox_input_KeyHit(int key);
int ox_input_MouseDown(int button);
int ox_input_MouseHit(int button);
float ox_input_MouseX();
float ox_input_MouseY();
int ox_input_TouchDown(int index);
float ox_input_TouchX(int index);
float ox_input_TouchY(int index);
int ox_input_JoyDown(int button, int unit);
int ox_input_JoyHit(int button, int unit);
float ox_input_JoyX(int index, int unit);
float ox_input_JoyY(int index, int unit);
float ox_input_AccelX();
float ox_input_AccelY();
int ox_input_GetChar();
int ox_input_EnableKeyboard();
int ox_input_DisableKeyboard();
