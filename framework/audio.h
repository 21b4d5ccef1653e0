// The sound functions the game calls: c_Sound wrapping a device sample, and the
// ox_audio_* functions over the one audio device (effects and music). The device and its
// samples are only named here, so the audio library's headers stay inside the host and the
// framework's sources.
#pragma once

#include "runtime/runtime.h"

class gxtkAudio;
class gxtkSample;

// A loaded sound effect; null sample only when made with m_new2.
class c_Sound : public Object {
 public:
  gxtkSample* m_sample = nullptr;

  c_Sound() {}
  c_Sound* m_new(gxtkSample* sample);
  c_Sound* m_new2();
  void mark() override;
};

// The one audio device (a collector root); the delegate sets it at start.
extern gxtkAudio* ox_audio_device;

int ox_audio_SetAudioDevice(gxtkAudio* device);
c_Sound* ox_audio_LoadSound(String path);
int ox_audio_PlaySound(c_Sound* sound, int channel, int flags);
int ox_audio_StopChannel(int channel);
int ox_audio_SetChannelVolume(int channel, float volume);
int ox_audio_SetChannelPan(int channel, float pan);
int ox_audio_SetChannelRate(int channel, float rate);
int ox_audio_PlayMusic(String path, int flags);
int ox_audio_StopMusic();
int ox_audio_PauseMusic();
int ox_audio_ResumeMusic();
