// Constants shared by the game's shell screens (loader, menu, options, pause, storage,
// badges, hit tests): printed messages, settings indices, the state layout, update rates and
// the overscan slider. Screen modes, image slots and sound numbers are in game_numbers.h.
#pragma once

#include "game/game_numbers.h"

// ---- Messages the storage prints to standard output ----
inline constexpr char kMsgSettingsLoaded[] = "Settings Loaded";
inline constexpr char kMsgSettingsInvalid[] = "Settings Checksum Invalid";
inline constexpr char kMsgBadgesLoaded[] = "Badges Loaded";
inline constexpr char kMsgBadgesInvalid[] = "Badge Checksum Invalid";
inline constexpr char kMsgHighscoresLoaded[] = "Highscores Loaded";

// ---- Settings (m_options) with a meaning ----
constexpr int kOptSoundMode = 5;      // 0 off, 1 effects and music, 2 effects, 3 music
constexpr int kOptPadX = 10;          // on-screen pad: horizontal position, pixels
constexpr int kOptPadY = 11;          //                distance from the bottom, pixels
constexpr int kOptPadSize = 12;       //                size in tenths
constexpr int kOptOverscan = 14;      // console margin in pixels
constexpr int kOptLeftStickY = 15;    // 1 normal, 0 flipped
constexpr int kOptRightStickY = 16;
constexpr int kSoundOff = 0, kSoundAll = 1, kSoundSfx = 2, kSoundMusic = 3;
constexpr int kSoundModes = 4;        // the sound line cycles through these
constexpr int kSoundDefault = kSoundAll;

// ---- State string layout ----
constexpr int kStateSettings = 25;                     // settings fields 0..24
constexpr int kStateSettingsSum = kStateSettings;      // field 25
constexpr int kStateBadgeStart = 26;                   // first badge word
constexpr int kBadgeWords = 8;                         // 8 words of 32 flags
constexpr int kBadgeWordBits = 32;
constexpr int kStateGroups = 8;                        // highscore groups written
constexpr int kStateGroupsRead = 3;                    // Easy, Normal, Hard are read back
constexpr int kGroupEntries = 10;                      // top and last entries per group
constexpr int kGroupFields = 2 * kGroupEntries + 1;    // pairs, then the checksum
constexpr int kStateFields =
    kStateBadgeStart + kBadgeWords + 1 + kStateGroups * kGroupFields;  // 203
static_assert(kStateFields == 203, "the state string has 203 fields");
constexpr int kLastListOffset = 30;                    // last-ten list of a difficulty, after the top ten

// p_LoadImg flag: the image is drawn about its centre.
constexpr int kImageFlagMidHandle = 1;

// ---- Update rates ----
constexpr int kUpdateRate = 60;         // updates per second while running
constexpr int kSuspendedUpdateRate = 5; // while the window is inactive

// ---- Console overscan slider (options box and pause menu) ----
inline constexpr char16_t kOverscanLabel[] = u"\u00ACU <      Overscan      > \u00ACO";  // shoulder glyphs
constexpr int kOverscanStep = 16;     // per press of a shoulder button
constexpr int kOverscanMin = 1;
constexpr int kOverscanMax = 96;
constexpr float kOverscanBarWidth = 256;  // the slider's bar, centred on the slider

// ---- Pointer slots ----
constexpr int kPointerSlots = 10;
