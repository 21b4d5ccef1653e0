// The game's numbered things, each named once for the game, its tests and its benchmarks: the
// screen modes (m_mode), the image slots of m_images and the sound numbers of m_sounds.
#pragma once

// ---- Screen modes (m_mode): p_RunMode dispatches on these ----
constexpr int kModeMenu = 1;        // the main menu
constexpr int kModeToMenu = 2;      // a game just ended: the next update loads the menu
constexpr int kModeQuitPrompt = 4;  // the console's quit question
constexpr int kModePlaying = 10;    // a game in play, paused or in its game-over overlay
constexpr int kModeStart = 11;      // a game chosen: the next update deals its first board
// Modes from kModePlaying up are a game in progress; those below are the shell's screens.

// ---- Image slots ----
constexpr int kImgTiles = 1;        // tile faces 0..6, grab cursor 35..41, idle cursor 42..48
constexpr int kImgShards = 2;       // tile shards, 256 frames
constexpr int kImgBadges = 80;      // 64 badge icons
constexpr int kImgBlank = 81;       // blank image reserved in memory
constexpr int kImgCircle = 85;      // menu disc and ring
constexpr int kImgLight = 86;
constexpr int kImgFont = 90;        // the bitmap font
constexpr int kImgMakerLogo = 93;
constexpr int kImgDpad = 94;
constexpr int kImgButtons = 95;     // menu buttons and gear frames
constexpr int kImgParts = 96;       // 256 frames of 8 x 8: the stars
constexpr int kImgIcons = 97;       // pause, play and quit icons; the pause button is frame 0
constexpr int kImgLogo = 98;
constexpr int kLogoWidth = 256, kLogoHeight = 128;  // the title logo's frame
constexpr int kImgMenu = 99;

// ---- Sound numbers ----
constexpr int kSfxPush = 1;
constexpr int kSfxClearFirst = 2, kSfxClearLast = 7;
constexpr int kSfxTimeUp = 8;
constexpr int kSfxBoardDone = 95;
constexpr int kSfxJingle = 96;      // start-up sound, also the return to the menu
constexpr int kSfxConfirm = 98;     // a confirm that starts something, and the pause
constexpr int kSfxMove = 99;        // every move, opening or closing a page
