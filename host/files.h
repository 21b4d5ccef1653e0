// Files as the game sees them: data paths ("tarn://data/..." and its two siblings) resolved beside
// the real executable, and the saved-state file ".tarnstate" in the working directory.
#pragma once

#include <climits>

#include "host/isolated_decode.h"
#include "runtime/runtime.h"

class OxGame;

// The scheme and its three folders. A data path names a file in data/ beside the program.
inline constexpr char OX_SCHEME[] = "tarn:";
inline constexpr char OX_DATA_PREFIX[] = "tarn://data/";
inline constexpr char OX_INTERNAL_PREFIX[] = "tarn://internal/";
inline constexpr char OX_EXTERNAL_PREFIX[] = "tarn://external/";
inline constexpr char OX_DATA_DIR[] = "/data/";
inline constexpr char OX_INTERNAL_DIR[] = "/internal";
inline constexpr char OX_EXTERNAL_DIR[] = "/external/";

// The saved state: one UTF-8 text file, relative to the working directory. A save writes the text
// to a private file beside it first and renames that over it, so the old state stays whole until
// the new one is on disk.
inline constexpr char OX_STATE_PATH[] = "./.tarnstate";
inline constexpr const char* OX_STATE_FILE_NAME = OX_STATE_PATH + 2;  // the name alone, without "./"
// The private file of process <pid> is the state's path followed by ".<pid>.tmp".
inline constexpr char OX_STATE_TEMP_SUFFIX[] = ".tmp";
// Removes the private files of saves that were cut short (".tarnstate.<pid>.tmp" in the working
// directory) whose process no longer exists; the file of a running process and every other name
// stay. Run once at start-up, before the first save.
void ox_state_RemoveLeftoverSaves();
// SaveState's results.
inline constexpr int OX_SAVE_OK = 0;
inline constexpr int OX_SAVE_CANNOT_CREATE = -1;
inline constexpr int OX_SAVE_SHORT_WRITE = -2;

// Files are read in blocks of this size.
inline constexpr int OX_FILE_BLOCK = 4096;
// Most bytes an image may decode to (a 4096 x 4096 RGBA sheet, four times the largest the game
// ships): a damaged or hostile header that claims more is refused before any pixel is decoded.
inline constexpr long long OX_MAX_IMAGE_BYTES = 4096LL * 4096 * 4;
// A picture as the decoding process must send it: width and height of at least one pixel, 1 to
// 4 bytes per pixel, and exactly width x height x depth bytes within the limit above.
inline constexpr OxReplyShape OX_PICTURE_REPLY = {
    static_cast<size_t>(OX_MAX_IMAGE_BYTES), 3, {1, 1, 1, 0}, {INT_MAX, INT_MAX, 4, 0}};

// Where a path the game gives lies on disk for a program in `programDir`: the three "tarn://"
// folders beside it, a path without the scheme unchanged, an unknown folder the empty string
// (no file operation can open it). The desktop host resolves through it; so can any other host.
String ox_data_FilePath(const String& programDir, String path);

// An image's pixels or a sound's samples from a file opened through `host` (its OpenFile and
// data paths): pictures are decoded in the decoding process, WAV and Ogg Vorbis chosen by the
// extension. What the desktop host's LoadImageData and LoadAudioData do, for any host; null when
// the file is missing or does not decode.
unsigned char* ox_file_LoadImageData(OxGame* host, String path, int* width, int* height,
                                     int* depth);
unsigned char* ox_file_LoadAudioData(OxGame* host, String path, int* length, int* channels,
                                     int* format, int* hertz);

// A path the game gives becomes a data path unless it already has a scheme or drive prefix
// ("x:/" with no "/" before the colon) or starts with "./" or "/".
String ox_data_FixDataPath(String path);

// A path as the operating system takes it: UTF-8, with surrogate pairs joined.
std::string ox_native_path(const String& path);
