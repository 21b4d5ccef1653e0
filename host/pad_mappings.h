// The player's own gamepad mappings: a mapping file beside the state file and an environment
// variable, handed line by line to GLFW at start-up, with one message for each line it rejects.
#pragma once

#include <cstdio>
#include <string>

// Looked for in the working directory, where the state file lives.
inline constexpr char kPadMappingFile[] = "gamecontrollerdb.txt";
// One or more mapping lines, as other games read them.
inline constexpr char kPadMappingVariable[] = "SDL_GAMECONTROLLERCONFIG";
// A mapping file larger than this many MB is not read (the community database is well under 1).
inline constexpr long kPadMappingFileMaxMB = 16;
// GLFW drops longer mapping lines without a word, so they are reported here.
inline constexpr size_t kPadMappingLineMax = 1023;

// Why a line was skipped, when GLFW gave no reason of its own.
inline constexpr char kPadMappingNoGuid[] = "a mapping starts with the pad's 32-digit GUID";
std::string PadMappingTooLong();

// The one line printed on standard error for a skipped mapping line.
std::string PadMappingSkipped(const std::string& source, int line, const std::string& why);
// The one line printed when the mapping file exists but cannot be read.
std::string PadMappingFileUnreadable(const std::string& path, const std::string& why);

// Hands every mapping line of text to GLFW (after glfwInit). Empty lines and "#" comments are
// skipped quietly; a line GLFW cannot read gets PadMappingSkipped on err and the rest still
// load. Returns how many lines GLFW took.
int AddPadMappings(const std::string& text, const std::string& source, FILE* err);

// Start-up: the file first, then the variable, so the variable wins for a pad both name.
void LoadPadMappings(FILE* err);
