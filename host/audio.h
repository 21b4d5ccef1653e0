// The audio device over OpenAL: one device and context, 33 channels (0-31 for
// effects, 32 for music), samples held whole in OpenAL buffers, and the discard list.
#pragma once

#include <AL/alc.h>

#include <vector>

#include "runtime/runtime.h"

// Messages the device prints when it opens (one line each).
inline constexpr const char* kAudioOpeningMessage = "opening openal device";
inline constexpr const char* kAudioOpenDeviceFailed = "OpenAl error: alcOpenDevice failed";
inline constexpr const char* kAudioCreateContextFailed = "OpenAl error: alcCreateContext failed";
inline constexpr const char* kAudioMakeCurrentFailed = "OpenAl error: alcMakeContextCurrent failed";

// Devices tried by name when the default one cannot be opened, in this order.
inline constexpr const char* kAudioFallbackDevices[] = {"Generic Hardware", "Generic Software"};

// A sound decoded whole into one OpenAL buffer. When the sample is discarded or
// collected its buffer goes to the discard list; the buffer is deleted later,
// once no source uses it any more.
class gxtkSample : public Object {
 public:
  unsigned buffer = 0;  // OpenAL buffer name, 0 for none

  gxtkSample() {}
  explicit gxtkSample(unsigned buf) : buffer(buf) {}
  ~gxtkSample() override;

  void SetBuffer(unsigned buf) { buffer = buf; }
  virtual void Discard();
};

// Channel states as the game reads them.
enum : int {
  kChannelStopped = 0,
  kChannelPlaying = 1,
  kChannelPaused = 2,
};

// One mixing channel. The source is made on first use and kept; its gain, pitch
// and position stay set across plays. `sample` is only meaningful (and only kept
// alive by the collector) while the state is not stopped.
struct gxtkChannel {
  unsigned source = 0;           // OpenAL source name, 0 until made
  gxtkSample* sample = nullptr;  // the sample last started here
  int flags = 0;                 // flags of the last play; non-zero loops
  int state = kChannelStopped;
};

class gxtkAudio : public Object {
 public:
  // Effects use channels 0 to 31; music always plays on the last channel.
  static constexpr int kEffectChannels = 32;
  static constexpr int kMusicChannel = kEffectChannels;
  static constexpr int kChannelCount = kEffectChannels + 1;

  static gxtkAudio* audio;  // the one device, set by the constructor

  ALCdevice* alcDevice = nullptr;
  ALCcontext* alcContext = nullptr;
  gxtkChannel channels[kChannelCount];
  // The last tune PlayMusic loaded and its path: playing the same tune again reuses its decoded
  // buffer instead of decoding the whole file anew (tens of megabytes and a long frame each time).
  gxtkSample* musicSample = nullptr;
  String musicPath;

  // Opens the device (default, then the fallback names), prints what happened
  // and makes the music channel's source. A missing device is not fatal: every
  // later OpenAL call then fails without effect and the game runs silently.
  gxtkAudio();

  // Keeps alive the samples of channels that are still playing or paused, and the last tune.
  void mark() override;

  // Pause every playing source for a lost focus / restart them on regaining it,
  // leaving the channel states (and channels the game paused itself) alone.
  virtual int Suspend();
  virtual int Resume();
  virtual gxtkSample* LoadSample(String path);
  virtual int LoadSample__UNSAFE__(gxtkSample* sample, String path);
  virtual int PlaySample(gxtkSample* sample, int channel, int flags);
  virtual int StopChannel(int channel);
  virtual int PauseChannel(int channel);
  virtual int ResumeChannel(int channel);
  virtual int ChannelState(int channel);
  virtual int SetVolume(int channel, float volume);
  virtual int SetPan(int channel, float pan);
  virtual int SetRate(int channel, float rate);
  virtual int PlayMusic(String path, int flags);
  virtual int StopMusic();
  virtual int PauseMusic();
  virtual int ResumeMusic();
  virtual int MusicState();
  virtual int SetMusicVolume(float volume);

  // Buffers of discarded samples that could not be deleted yet (still attached
  // to a source), oldest first. Process-wide; flushed before every load and play.
  static const std::vector<unsigned>& DiscardedBuffers();

 private:
  static bool ValidChannel(int channel) { return channel >= 0 && channel < kChannelCount; }
  unsigned AcquireSource(int channel);
  int SourceState(const gxtkChannel& ch) const;
  void SetStopped(gxtkChannel& ch);
  void FlushDiscarded();
};
