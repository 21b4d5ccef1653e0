// Tests of the input device: key downs and hits with the mouse/touch mirror, the
// hit and character queues, positions, the host's key callback, and pad polling.
#include "framework/input.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <vector>

#include "host/host_game.h"

namespace {

using Ev = c_OxGameEvent;

// A host whose pads are scripted: `pads` holds the present units in order.
class ScriptedHost : public OxGame {
 public:
  struct Pad {
    float x[kJoySticks] = {};
    float y[kJoySticks] = {};
    std::vector<int> pressed;
  };
  std::vector<Pad> pads;
  std::vector<int> polled;  // ports asked, in order

  bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                    Array<bool> buttons) override {
    polled.push_back(port);
    if (port >= int(pads.size())) return false;
    const Pad& pad = pads[port];
    for (int s = 0; s < kJoySticks; ++s) {
      joyx[s] = pad.x[s];
      joyy[s] = pad.y[s];
      joyz[s] = 0;
    }
    for (int b = 0; b < kJoyLogicalButtons; ++b) buttons[b] = false;
    for (int b : pad.pressed) buttons[b] = true;
    return true;
  }
};

// Hands the host's events to the input device, as the framework's delegate does.
class Forwarder : public OxGameDelegate {
 public:
  void KeyEvent(int event, int data) override { ox_input_device->p_KeyEvent(event, data); }
  void MouseEvent(int event, int data, float x, float y) override {
    ox_input_device->p_MouseEvent(event, data, x, y);
  }
  void TouchEvent(int event, int data, float x, float y) override {
    ox_input_device->p_TouchEvent(event, data, x, y);
  }
};

class InputDevice : public ::testing::Test {
 public:
  // One event as the delegate passes it on.
  struct Step {
    int event;
    int data;
    float x = 0, y = 0;
  };

 protected:
  void SetUp() override {
    ox_input_SetInputDevice((new c_InputDevice)->m_new());
    host_.SetDelegate(new Forwarder);
    host_.StartGame();
  }

  static void Apply(const Step& s) {
    if (s.event <= Ev::m_KeyChar) {
      ox_input_device->p_KeyEvent(s.event, s.data);
    } else if (s.event <= Ev::m_MouseMove) {
      ox_input_device->p_MouseEvent(s.event, s.data, s.x, s.y);
    } else {
      ox_input_device->p_TouchEvent(s.event, s.data, s.x, s.y);
    }
  }
  static std::vector<int> DrainChars() {
    std::vector<int> chars;
    while (int c = ox_input_GetChar()) chars.push_back(c);
    return chars;
  }

  ScriptedHost host_;
};

struct KeyState {
  int key;
  bool down;
  int hits;
};

struct EventCase {
  const char* name;
  std::vector<InputDevice::Step> steps;
  std::vector<KeyState> expect;
};

TEST_F(InputDevice, DownsAndHitsWithinOneUpdate) {
  const int KD = Ev::m_KeyDown, KU = Ev::m_KeyUp, MD = Ev::m_MouseDown, MU = Ev::m_MouseUp;
  const int TD = Ev::m_TouchDown, TU = Ev::m_TouchUp;
  const EventCase cases[] = {
      {"a press is one hit and stays down", {{KD, 65}}, {{65, true, 1}}},
      {"press and release in one update", {{KD, 65}, {KU, 65}}, {{65, false, 1}}},
      {"three presses are three hits; the last event sets the state",
       {{KD, 32}, {KU, 32}, {KD, 32}, {KU, 32}, {KD, 32}}, {{32, true, 3}}},
      {"a key-down of a key already down changes nothing",
       {{KD, 37}, {KD, 37}, {KD, 37}}, {{37, true, 1}}},
      {"releasing a key that is up", {{KU, 40}}, {{40, false, 0}}},
      {"a left click downs and hits key 1 and touch 0",
       {{MD, 0, 10, 20}}, {{1, true, 1}, {384, true, 1}}},
      {"releasing the left button releases touch 0 too",
       {{MD, 0}, {MU, 0}}, {{1, false, 1}, {384, false, 1}}},
      {"touch 0 downs the left button", {{TD, 0}}, {{384, true, 1}, {1, true, 1}}},
      {"touch 0 up releases the left button", {{MD, 0}, {TU, 0}}, {{1, false, 1}, {384, false, 1}}},
      {"right and middle buttons are keys 2 and 3, unmirrored",
       {{MD, 1}, {MD, 2}}, {{2, true, 1}, {3, true, 1}, {384, false, 0}}},
      {"touch 5 is key 389 alone", {{TD, 5}}, {{389, true, 1}, {1, false, 0}}},
      {"keys outside 1 to 511 are ignored",
       {{KD, 0}, {KD, 512}, {KD, -3}, {KD, 100000}, {KU, 512}},
       {{0, false, 0}, {512, false, 0}, {-3, false, 0}, {100000, false, 0}}},
      {"touch points outside 0 to 31 are ignored", {{TD, 32}, {TD, -1}},
       {{416, false, 0}, {383, false, 0}}},
      {"the close key is a key like any other here", {{KD, kWindowCloseKey}}, {{kWindowCloseKey, true, 1}}},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    for (const Step& s : c.steps) Apply(s);
    for (const KeyState& k : c.expect) {
      EXPECT_EQ(ox_input_KeyDown(k.key), k.down ? 1 : 0) << "key " << k.key;
      EXPECT_EQ(ox_input_KeyHit(k.key), k.hits) << "key " << k.key;
    }
  }
}

TEST_F(InputDevice, HitQueueHoldsThirtyThreeKeysPerUpdate) {
  const int first = 100;
  for (int k = first; k < first + kKeyHitQueueSize - 1; ++k) {
    ox_input_device->p_KeyEvent(Ev::m_KeyDown, k);
  }
  // The click takes the last slot for key 1; its mirror no longer fits.
  ox_input_device->p_MouseEvent(Ev::m_MouseDown, 0, 0, 0);
  ox_input_device->p_KeyEvent(Ev::m_KeyDown, 200);
  EXPECT_EQ(ox_input_MouseHit(0), 1);
  EXPECT_EQ(ox_input_TouchDown(0), 1);
  EXPECT_EQ(ox_input_KeyHit(384), 0);
  EXPECT_EQ(ox_input_KeyDown(200), 1);  // still down, just not counted
  EXPECT_EQ(ox_input_KeyHit(200), 0);
  for (int k = first; k < first + kKeyHitQueueSize - 1; ++k) EXPECT_EQ(ox_input_KeyHit(k), 1) << k;

  // After the update every count is back to 0, downs persist, and hits count again.
  ox_input_device->p_EndUpdate();
  for (int k : {first, 1, 200, 384}) EXPECT_EQ(ox_input_KeyHit(k), 0) << k;
  EXPECT_EQ(ox_input_KeyDown(first), 1);
  ox_input_device->p_KeyEvent(Ev::m_KeyUp, 200);
  ox_input_device->p_KeyEvent(Ev::m_KeyDown, 200);
  EXPECT_EQ(ox_input_KeyHit(200), 1);
}

TEST_F(InputDevice, CharacterQueueHoldsThirtyTwoPerUpdate) {
  std::vector<int> typed;
  for (int i = 0; i < kCharQueueSize + 8; ++i) {
    typed.push_back('a' + i % 26);
    ox_input_device->p_KeyEvent(Ev::m_KeyChar, typed.back());
  }
  typed.resize(kCharQueueSize);
  EXPECT_EQ(DrainChars(), typed);
  EXPECT_EQ(ox_input_GetChar(), 0);

  ox_input_device->p_KeyEvent(Ev::m_KeyChar, 'z');
  ox_input_device->p_EndUpdate();  // unread characters are lost
  EXPECT_EQ(ox_input_GetChar(), 0);
  ox_input_device->p_KeyEvent(Ev::m_KeyChar, 'q');
  EXPECT_EQ(DrainChars(), std::vector<int>{'q'});
}

TEST_F(InputDevice, PointerTouchAndMotionPositions) {
  ox_input_device->p_MouseEvent(Ev::m_MouseMove, -1, 5, 6);
  EXPECT_EQ(ox_input_MouseX(), 5);
  EXPECT_EQ(ox_input_TouchX(0), 5);
  EXPECT_EQ(ox_input_TouchY(0), 6);

  ox_input_device->p_MouseEvent(Ev::m_MouseDown, 0, 7, 8);
  ox_input_device->p_MouseEvent(Ev::m_MouseUp, 0, 99, 99);  // a release does not move
  EXPECT_EQ(ox_input_MouseX(), 7);
  EXPECT_EQ(ox_input_MouseY(), 8);

  ox_input_device->p_TouchEvent(Ev::m_TouchMove, 0, 11, 12);  // touch 0 moves the mouse
  EXPECT_EQ(ox_input_MouseX(), 11);
  EXPECT_EQ(ox_input_MouseY(), 12);
  ox_input_device->p_TouchEvent(Ev::m_TouchDown, 3, 1, 2);  // others do not
  EXPECT_EQ(ox_input_TouchX(3), 1);
  EXPECT_EQ(ox_input_TouchY(3), 2);
  EXPECT_EQ(ox_input_MouseX(), 11);
  for (int outside : {-1, kTouchPoints, 1000}) {
    EXPECT_EQ(ox_input_TouchX(outside), 0);
    EXPECT_EQ(ox_input_TouchY(outside), 0);
  }

  EXPECT_EQ(ox_input_AccelX(), 0);
  ox_input_device->p_MotionEvent(Ev::m_MotionAccel, 0, 0.5f, -0.25f, 1);
  EXPECT_EQ(ox_input_AccelX(), 0.5f);
  EXPECT_EQ(ox_input_AccelY(), -0.25f);
}

TEST_F(InputDevice, HeldKeyRepeatsGiveOneHitButACharacterEachThroughTheKeyCallback) {
  OxGlfwGame::OnKey(GLFW_KEY_LEFT, GLFW_PRESS);
  OxGlfwGame::OnKey(GLFW_KEY_LEFT, GLFW_REPEAT);
  OxGlfwGame::OnKey(GLFW_KEY_LEFT, GLFW_REPEAT);
  EXPECT_EQ(ox_input_KeyHit(37), 1);
  EXPECT_EQ(ox_input_KeyDown(37), 1);
  const int left = 65536 + 37;
  EXPECT_EQ(DrainChars(), (std::vector<int>{left, left, left}));

  OxGlfwGame::OnKey(GLFW_KEY_LEFT, GLFW_RELEASE);
  EXPECT_EQ(ox_input_KeyDown(37), 0);
  EXPECT_EQ(DrainChars(), std::vector<int>());
}

TEST_F(InputDevice, EnterQueuesCarriageReturnThroughTheKeyCallback) {
  OxGlfwGame::OnKey(GLFW_KEY_ENTER, GLFW_PRESS);
  EXPECT_EQ(ox_input_KeyHit(13), 1);
  EXPECT_EQ(DrainChars(), std::vector<int>{13});

  // Letters type through the character callback only.
  OxGlfwGame::OnKey(GLFW_KEY_A, GLFW_PRESS);
  OxGlfwGame::OnChar('a', GLFW_PRESS);
  EXPECT_EQ(ox_input_KeyHit(65), 1);
  EXPECT_EQ(DrainChars(), std::vector<int>{'a'});
}

TEST_F(InputDevice, PadButtonsBecomeKeysEachUpdate) {
  ScriptedHost::Pad pad;
  pad.x[0] = 0.5f;
  pad.y[1] = -0.75f;
  pad.pressed = {8};
  host_.pads = {pad};

  ox_input_device->p_BeginUpdate();
  EXPECT_EQ(host_.polled, (std::vector<int>{0, 1}));  // stops at the first absent unit
  EXPECT_EQ(ox_input_JoyDown(8, 0), 1);
  EXPECT_EQ(ox_input_JoyHit(8, 0), 1);
  EXPECT_EQ(ox_input_KeyDown(264), 1);
  EXPECT_EQ(ox_input_JoyX(0, 0), 0.5f);
  EXPECT_EQ(ox_input_JoyY(1, 0), -0.75f);
  ox_input_device->p_EndUpdate();

  ox_input_device->p_BeginUpdate();  // still held: no new hit
  EXPECT_EQ(ox_input_JoyDown(8, 0), 1);
  EXPECT_EQ(ox_input_JoyHit(8, 0), 0);
  ox_input_device->p_EndUpdate();

  host_.pads[0].pressed = {};
  ox_input_device->p_BeginUpdate();
  EXPECT_EQ(ox_input_JoyDown(8, 0), 0);
}

// A pad that goes away while a button or its stick is held must not leave the key down or the
// cursor moving; one that comes back is read, with a fresh hit, at the next update.
TEST_F(InputDevice, UnpluggedUnitsAreReleasedAndAReturningPadIsReadAtOnce) {
  ScriptedHost::Pad first, second;
  first.x[0] = -1.0f;
  first.y[0] = 1.0f;
  first.pressed = {9};
  second.pressed = {0, 31};
  host_.pads = {first, second};
  ox_input_device->p_BeginUpdate();
  EXPECT_EQ(ox_input_JoyDown(0, 1), 1);
  EXPECT_EQ(ox_input_KeyDown(JoyKey(1, 31)), 1);
  ox_input_device->p_EndUpdate();

  host_.pads.pop_back();  // the second pad unplugged
  ox_input_device->p_BeginUpdate();
  EXPECT_EQ(ox_input_JoyDown(0, 1), 0);
  EXPECT_EQ(ox_input_KeyDown(JoyKey(1, 31)), 0);
  EXPECT_EQ(ox_input_JoyDown(9, 0), 1) << "the first pad is still there";
  ox_input_device->p_EndUpdate();

  host_.pads.clear();  // and the first
  ox_input_device->p_BeginUpdate();
  EXPECT_EQ(ox_input_JoyDown(9, 0), 0);
  EXPECT_EQ(ox_input_JoyX(0, 0), 0.0f);
  EXPECT_EQ(ox_input_JoyY(0, 0), 0.0f);
  ox_input_device->p_EndUpdate();

  host_.pads = {first};  // plugged in again during play
  ox_input_device->p_BeginUpdate();
  EXPECT_EQ(ox_input_JoyHit(9, 0), 1);
  EXPECT_EQ(ox_input_JoyX(0, 0), -1.0f);
}

TEST_F(InputDevice, KeyboardSwitchReachesTheHost) {
  EXPECT_EQ(ox_input_EnableKeyboard(), 1);
  EXPECT_TRUE(host_.KeyboardEnabled());
  EXPECT_EQ(ox_input_DisableKeyboard(), 1);
  EXPECT_FALSE(host_.KeyboardEnabled());
}

}  // namespace
