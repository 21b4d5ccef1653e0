// The decoded assets the game holds at a moment: the pixels of its images (the copies kept
// beside their textures) and the samples of its sounds and of its last tune (in the audio
// device's buffers). The memory goal is set against their sum.
#pragma once

class c_MyApp;

namespace play {

struct DecodedAssets {
  double imagesMb = 0;  // pixels of the distinct surfaces of the image slots and the default font
  double soundsMb = 0;  // samples of the loaded sound effects
  double musicMb = 0;   // samples of the last tune loaded
  int images = 0, sounds = 0;

  double TotalMb() const { return imagesMb + soundsMb + musicMb; }
};

// Reads what `app` holds now; on the main thread, with the audio device's context current.
DecodedAssets CountDecodedAssets(c_MyApp* app);

}  // namespace play
