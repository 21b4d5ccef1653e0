// The pad check: lists the joysticks GLFW sees with their GUID, mapping and counts, then refreshes
// one line in place with what the game reads from each unit until Enter or the time limit.
#include "host/pad_check.h"

#include <GLFW/glfw3.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "host/host_game.h"
#include "host/joystick.h"
#include "host/pad_mappings.h"

namespace {

// Names of the logical buttons as the live line shows them; unnamed ones show their number.
constexpr const char* kButtonNames[] = {"A",     "B",  "X",    "Y",     "LB", "RB", "Back", "Start",
                                        "Left",  "Up", "Right", "Down", "LS", "RS", "Guide"};
constexpr int kNamedButtons = sizeof kButtonNames / sizeof kButtonNames[0];
static_assert(kNamedButtons == kJoyButtonGuide + 1, "one name per logical button the game reads");

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

void ListJoysticks(FILE* out, int* count) {
  *count = 0;
  for (int joy = 0; joy < kJoyScanCount; ++joy) {
    const int jid = GLFW_JOYSTICK_1 + joy;
    if (glfwJoystickPresent(jid) != GLFW_TRUE) continue;
    ++*count;
    int axes = 0, buttons = 0, hats = 0;
    glfwGetJoystickAxes(jid, &axes);
    glfwGetJoystickButtons(jid, &buttons);
    glfwGetJoystickHats(jid, &hats);
    const char* name = glfwGetJoystickName(jid);
    const char* guid = glfwGetJoystickGUID(jid);
    std::string mapping = kNoMappingText;
    if (glfwJoystickIsGamepad(jid) == GLFW_TRUE) {
      const char* padName = glfwGetGamepadName(jid);
      mapping = std::string("gamepad mapping \"") + (padName ? padName : "") + "\"";
    }
    std::fprintf(out, "Joystick %d: %s\n  GUID %s, %s\n  %s, %s, %s\n", joy,
                 name ? name : "(no name)", guid ? guid : "(none)", mapping.c_str(),
                 Count(axes, "axis", "axes").c_str(), Count(buttons, "button", "buttons").c_str(),
                 Count(hats, "hat", "hats").c_str());
  }
  std::fflush(out);
}

// True once standard input has a line (or has ended); false while nothing was typed.
bool EnterPressed(int timeoutMs) {
  struct pollfd in = {STDIN_FILENO, POLLIN, 0};
  int ready = poll(&in, 1, timeoutMs);
  if (ready <= 0) return false;
  if (in.revents & POLLNVAL) {  // no standard input: only the time limit ends the check
    usleep(timeoutMs * 1000);
    return false;
  }
  char buffer[256];
  ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
  return got <= 0 || std::memchr(buffer, '\n', static_cast<size_t>(got)) != nullptr;
}

std::string LiveLine() {
  std::string line;
  char part[512];
  for (int unit = 0; unit < kJoyUnits; ++unit) {
    JoyReading reading;
    if (!PollJoyUnit(unit, &reading)) break;
    FormatPadUnit(unit, reading, part, sizeof part);
    if (!line.empty()) line += "   ";
    line += part;
  }
  return line.empty() ? kNoPadsLine : line;
}

}  // namespace

void FormatPadUnit(int unit, const JoyReading& reading, char* buffer, int size) {
  std::string held;
  for (int b = 0; b < kJoyLogicalButtons; ++b) {
    if (!reading.buttons[b]) continue;
    held += held.empty() ? "" : " ";
    held += b < kNamedButtons ? kButtonNames[b] : std::to_string(b);
  }
  std::snprintf(buffer, static_cast<size_t>(size),
                "pad %d: [%s] left %+.2f %+.2f right %+.2f %+.2f", unit + 1, held.c_str(),
                reading.joyx[0], reading.joyy[0], reading.joyx[1], reading.joyy[1]);
}

int RunPadCheck(FILE* out) {
  if (!glfwInit()) {
    std::puts(OX_GLFW_INIT_FAILED);
    std::fflush(stdout);
    return -1;
  }
  LoadPadMappings(stderr);
  int count = 0;
  ListJoysticks(out, &count);
  if (count == 0) {
    std::fprintf(out, "%s\n", kNoPadsLine);
    std::fflush(out);
    glfwTerminate();
    return 0;
  }
  std::fprintf(out, kPadsLiveHint, kPadsLiveSeconds);
  std::fprintf(out, "\n");
  const double end = glfwGetTime() + kPadsLiveSeconds;
  size_t shown = 0;
  while (glfwGetTime() < end) {
    glfwPollEvents();  // picks up pads plugged in or out meanwhile
    std::string line = LiveLine();
    const size_t length = line.size();
    if (length < shown) line.append(shown - length, ' ');  // clears what the last one left
    shown = length;
    std::fprintf(out, "\r%s", line.c_str());
    std::fflush(out);
    if (EnterPressed(kPadsRefreshMs)) break;
  }
  std::fprintf(out, "\n");
  std::fflush(out);
  glfwTerminate();
  return 0;
}
