// Sums the decoded assets from the game's own slots: each surface once (frames of one strip share
// it), the CPU pixels only where a surface has them (a blank image has only its texture), and the
// size the audio device reports for each buffer.
#include "assets.h"

#include <AL/al.h>

#include <set>

#include "clocks.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "game/my_app.h"
#include "host/audio.h"

namespace play {

namespace {

double BufferMb(unsigned buffer) {
  if (buffer == 0) return 0;
  ALint bytes = 0;
  alGetBufferi(buffer, AL_SIZE, &bytes);
  return bytes > 0 ? bytes / kBytesPerMb : 0;
}

}  // namespace

DecodedAssets CountDecodedAssets(c_MyApp* app) {
  DecodedAssets a;
  if (!app) return a;
  std::set<gxtkSurface*> surfaces;
  auto add = [&](c_Image* image) {
    if (image && image->m_surface && image->m_surface->data) surfaces.insert(image->m_surface);
  };
  for (int i = 0; i < app->m_images.Length(); ++i) add(app->m_images[i]);
  if (ox_graphics_context) add(ox_graphics_context->m_defaultFont);
  for (gxtkSurface* s : surfaces) {
    a.imagesMb += static_cast<double>(s->width) * s->height * s->depth / kBytesPerMb;
  }
  a.images = static_cast<int>(surfaces.size());

  std::set<unsigned> buffers;
  for (int i = 0; i < app->m_sounds.Length(); ++i) {
    c_Sound* sound = app->m_sounds[i];
    if (sound && sound->m_sample && sound->m_sample->buffer) buffers.insert(sound->m_sample->buffer);
  }
  for (unsigned b : buffers) a.soundsMb += BufferMb(b);
  a.sounds = static_cast<int>(buffers.size());
  gxtkAudio* device = gxtkAudio::audio;
  if (device && device->musicSample && !buffers.count(device->musicSample->buffer)) {
    a.musicMb = BufferMb(device->musicSample->buffer);
  }
  return a;
}

}  // namespace play
