// The pad check (`--pads`): every joystick GLFW sees, how the game reads it, and a live line of
// the logical buttons and sticks the game sees, without the game or its data.
#pragma once

#include <cstdio>

inline constexpr char kPadsOption[] = "--pads";
inline constexpr char kNoPadsLine[] = "No game pads found.";
inline constexpr char kNoMappingText[] = "no mapping: read as a raw joystick";
// Printed with the live line's time limit in seconds.
inline constexpr char kPadsLiveHint[] = "Press Enter to stop (it stops by itself after %d seconds).";
// How long the live line runs at most, and how often it is refreshed.
inline constexpr int kPadsLiveSeconds = 30;
inline constexpr int kPadsRefreshMs = 50;

// Starts GLFW (and the player's mappings), lists the joysticks on out and, when there are any,
// shows the live line until a line is read from standard input or the time is up. Returns the
// process status: 0, or -1 when GLFW cannot start (after printing the host's message).
int RunPadCheck(FILE* out);

// One unit's part of the live line: the logical buttons held and the two sticks as the game
// reads them (up positive).
struct JoyReading;
void FormatPadUnit(int unit, const JoyReading& reading, char* buffer, int size);
