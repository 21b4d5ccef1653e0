// What the host's helper programs and the tests that start them agree on.
#pragma once

// The state saver writes states of this many bytes, alternately all 'a' and all 'b'.
inline constexpr int OX_STATE_SAVER_SIZE = 256 * 1024;
// The data-path probe reads this file from its data folder and prints it.
inline constexpr char OX_PROBE_DATA_FILE[] = "probe.txt";
// ... and saves this state in its working directory.
inline constexpr char OX_PROBE_STATE[] = "saved by the probe";
