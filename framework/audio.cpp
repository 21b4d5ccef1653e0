// The sound functions the game calls: loading sounds through data paths,
// playing them on channels, and the music channel, all over ox_audio_device.
#include "framework/audio.h"

#include "framework/app.h"
#include "host/audio.h"
#include "host/files.h"

gxtkAudio* ox_audio_device = nullptr;

namespace {

int InitAudioGlobals() {
  ox_audio_device = nullptr;
  return 0;
}

void MarkAudioRoots() { gc_mark_q(ox_audio_device); }

[[maybe_unused]] const bool registered = [] {
  ox_register_init(OX_LAYER_FRAMEWORK, InitAudioGlobals);
  gc_register_roots(OX_ROOTS_AUDIO, MarkAudioRoots);
  return true;
}();

}  // namespace

c_Sound* c_Sound::m_new(gxtkSample* sample) {
  gc_assign(m_sample, sample);
  return this;
}

c_Sound* c_Sound::m_new2() { return this; }

void c_Sound::mark() {
  Object::mark();
  gc_mark_q(m_sample);
}

int ox_audio_SetAudioDevice(gxtkAudio* device) {
  gc_assign(ox_audio_device, device);
  return 0;
}

c_Sound* ox_audio_LoadSound(String path) {
  gxtkSample* sample = ox_audio_device->LoadSample(ox_data_FixDataPath(path));
  if (!sample) return nullptr;
  return (new c_Sound)->m_new(sample);
}

int ox_audio_PlaySound(c_Sound* sound, int channel, int flags) {
  if (sound && sound->m_sample) ox_audio_device->PlaySample(sound->m_sample, channel, flags);
  return 0;
}

int ox_audio_StopChannel(int channel) {
  ox_audio_device->StopChannel(channel);
  return 0;
}

int ox_audio_SetChannelVolume(int channel, float volume) {
  ox_audio_device->SetVolume(channel, volume);
  return 0;
}

int ox_audio_SetChannelPan(int channel, float pan) {
  ox_audio_device->SetPan(channel, pan);
  return 0;
}

int ox_audio_SetChannelRate(int channel, float rate) {
  ox_audio_device->SetRate(channel, rate);
  return 0;
}

int ox_audio_PlayMusic(String path, int flags) {
  return ox_audio_device->PlayMusic(ox_data_FixDataPath(path), flags);
}

int ox_audio_StopMusic() {
  ox_audio_device->StopMusic();
  return 0;
}

int ox_audio_PauseMusic() {
  ox_audio_device->PauseMusic();
  return 0;
}

int ox_audio_ResumeMusic() {
  ox_audio_device->ResumeMusic();
  return 0;
}
