// What the game's screens look like, as region measures on a window picture: the Loading
// screen, the menu and its panel, lists, wheel and focus, the credits page, the options box,
// the board, its cursor and timer bars, the pause menu and the game-over overlay. Each reads
// the places the game draws at, through View.
#pragma once

#include <optional>

#include "support/board.h"
#include "support/screen.h"
#include "support/view.h"

namespace e2e {

// The Loading screen: the start-up logo in the middle, and neither a menu panel nor a board.
bool LooksLoading(const Shot& s, const View& v, const TileReader& tiles);

// The main menu, slid in: the dark side panel stands where the menu puts it, beside the light
// background.
bool LooksLikeMenu(const Shot& s, const View& v);
double PanelLuma(const Shot& s, const View& v);
double MenuBackgroundLuma(const Shot& s, const View& v);

// The wheel: the red-over-green balance of the item standing out at the selected place (red
// for Hard, brown for Normal, green for Easy), and the dark outline pixels of the chosen
// difficulty's description, for comparing two pictures' descriptions.
double HotSpotRedness(const Shot& s, const View& v);
// The difficulty (1 Easy, 2 Normal, 3 Hard) whose item stands out, once the wheel is at rest.
std::optional<int> SelectedDifficulty(const Shot& s, const View& v);
double DescriptionDifference(const Shot& a, const Shot& b, const View& v);

// Digits shown by the first entry of the menu's top-ten and last-ten lists (0 when there is
// no text there), read from the width of its text.
int TopListFirstDigits(const Shot& s, const View& v);
int LastListFirstDigits(const Shot& s, const View& v);

// The board: every cell holds a tile the reader knows; and the cell the cursor marks.
bool LooksLikeBoard(const Shot& s, const View& v, const TileReader& tiles);
std::optional<Point> CursorCell(const Shot& s, const View& v);

// The screen darkened by an overlay, measured on the background at the right edge.
double EdgeLuma(const Shot& s, const View& v);
bool LooksDarkened(const Shot& s, const View& v);
bool LooksBright(const Shot& s, const View& v);

// The pause menu: the button its highlight is on (-1 quit, 0 resume, 1 options), once open.
std::optional<int> PauseSelection(const Shot& s, const View& v);

// The game-over overlay: its yellow band from the left, and its two words at rest, each
// checked for a capital followed by small letters (as "Quit" "Game" are and "GAME" "OVER"
// are not).
bool ShowsGameOverBands(const Shot& s, const View& v);
std::optional<bool> OverlayWordsTitleCase(const Shot& s, const View& v);
// No trace of the overlay left: neither band nor word.
bool OverlayGone(const Shot& s, const View& v);

// The menu's focus, as the screen shows it: the chosen difficulty's description is drawn only
// while the wheel has the focus, and the side panel darkens while it has it.
bool ShowsDescription(const Shot& s, const View& v);
bool PanelFocused(const Shot& s, const View& v);

// The credits page, open and still: the side panel has widened over the whole screen. Its
// moving part (the scrolling lines and the turning ring of circles) compared between two
// pictures as the share of pixels whose brightness class differs.
bool ShowsCreditsPage(const Shot& s, const View& v);
double CreditsDifference(const Shot& a, const Shot& b, const View& v);

// The options box's brown panel over the screen's lower part, in any layout (portrait too),
// from the moment it has risen past there until it has slid away again.
bool ShowsOptionsBox(const Shot& s, const View& v);
// The options box, fully slid in: the line its selection is on (0 the back gear, then the
// option lines 1 to kOptionLines); nothing while the box is closed or sliding.
inline constexpr int kOptionLines = 5;  // sound, iCade, full screen, left and right stick
std::optional<int> OptionsSelection(const Shot& s, const View& v);
// The width of an option line's white text, in virtual units (0 when none): equal widths for
// equal texts, different ones for the texts a toggle switches between.
double OptionLineWidth(const Shot& s, const View& v, int line);

// The playing screen's timer bars (black, standing on the line 32 units above the bottom at
// both sides): the taller one's height as a share of a full bar, 0 to 1. A number floating
// over one bar cuts it short; the other still reads.
double TimerBarShare(const Shot& s, const View& v);

// The game-over overlay's "New Highscore" note at rest: the letters of its title line, and the
// glyphs of the place below it, whose last is the narrow "!" only for the first place ("1st!").
struct HighscoreNote {
  int titleLetters = 0;
  int placeGlyphs = 0;
  bool placeEndsNarrow = false;
};
std::optional<HighscoreNote> ShownHighscoreNote(const Shot& s, const View& v);

}  // namespace e2e
