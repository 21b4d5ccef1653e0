// The audio device over OpenAL: opening the device, lazy sources with stealing
// from stopped channels, the channel state machine, music and the discard list.
#include "host/audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cmath>
#include <cstdlib>

#include "host/host_game.h"

namespace {

// Buffers waiting for deletion: a collected sample's buffer may still be
// attached to a source, and OpenAL refuses to delete it until it is detached.
std::vector<unsigned>& DiscardList() {
  static std::vector<unsigned> list;
  return list;
}

// PCM layouts OpenAL accepts: bytes per sample 1 or 2, mono or stereo.
ALenum BufferFormat(int channels, int bytesPerSample) {
  if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
  if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
  if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
  if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
  return 0;  // OpenAL rejects the data; the sample plays silence
}

// The library extension that stops and restarts a device's mixing, and its two calls.
constexpr char kPauseDeviceExtension[] = "ALC_SOFT_pause_device";
constexpr char kPauseDeviceCall[] = "alcDevicePauseSOFT";
constexpr char kResumeDeviceCall[] = "alcDeviceResumeSOFT";

}  // namespace

// ---- Samples ------------------------------------------------------------------------------------

gxtkSample::~gxtkSample() { Discard(); }

void gxtkSample::Discard() {
  if (buffer == 0) return;
  DiscardList().push_back(buffer);
  buffer = 0;
}

// ---- Device -------------------------------------------------------------------------------------

gxtkAudio* gxtkAudio::audio = nullptr;

gxtkAudio::gxtkAudio() {
  audio = this;
  alcDevice = alcOpenDevice(nullptr);
  for (const char* name : kAudioFallbackDevices) {
    if (alcDevice) break;
    alcDevice = alcOpenDevice(name);
  }
  oxPrint(String(kAudioOpeningMessage));
  if (!alcDevice) {
    oxPrint(String(kAudioOpenDeviceFailed));
  } else if (!(alcContext = alcCreateContext(alcDevice, nullptr))) {
    oxPrint(String(kAudioCreateContextFailed));
  } else if (!alcMakeContextCurrent(alcContext)) {
    oxPrint(String(kAudioMakeCurrentFailed));
  }
  // Positions only pan: there is no attenuation with distance.
  alDistanceModel(AL_NONE);
  for (gxtkChannel& ch : channels) ch = gxtkChannel();
  AcquireSource(kMusicChannel);
}

const std::vector<unsigned>& gxtkAudio::DiscardedBuffers() { return DiscardList(); }

int gxtkAudio::SourceState(const gxtkChannel& ch) const {
  // A source that cannot be asked (none made, no context) counts as stopped.
  ALint state = AL_STOPPED;
  if (ch.source != 0) alGetSourcei(ch.source, AL_SOURCE_STATE, &state);
  return state;
}

void gxtkAudio::SetStopped(gxtkChannel& ch) {
  ch.state = kChannelStopped;
  ch.sample = nullptr;  // no longer kept alive; never read while stopped
}

unsigned gxtkAudio::AcquireSource(int channel) {
  gxtkChannel& ch = channels[channel];
  if (ch.source != 0) return ch.source;
  alGetError();
  ALuint source = 0;
  alGenSources(1, &source);
  if (alGetError() == AL_NO_ERROR) {
    ch.source = source;
    return source;
  }
  // OpenAL has no more sources: take one over from a stopped effects channel.
  for (int i = 0; i < kEffectChannels; ++i) {
    gxtkChannel& other = channels[i];
    if (other.source != 0 && ChannelState(i) == kChannelStopped) {
      ch.source = other.source;
      other.source = 0;
      return ch.source;
    }
  }
  return 0;
}

void gxtkAudio::FlushDiscarded() {
  std::vector<unsigned>& list = DiscardList();
  if (list.empty()) return;
  // Sounds that ended by themselves still hold their buffer: let go of it.
  for (gxtkChannel& ch : channels) {
    if (ch.state != kChannelStopped && SourceState(ch) == AL_STOPPED) {
      alSourcei(ch.source, AL_BUFFER, 0);
      SetStopped(ch);
    }
  }
  // A buffer still attached to some source fails to delete; it waits for the next flush.
  size_t kept = 0;
  for (unsigned buffer : list) {
    alGetError();
    ALuint name = buffer;
    alDeleteBuffers(1, &name);
    if (alGetError() != AL_NO_ERROR) list[kept++] = buffer;
  }
  list.resize(kept);
}

void gxtkAudio::mark() {
  Object::mark();
  for (gxtkChannel& ch : channels) {
    if (ch.state != kChannelStopped && SourceState(ch) != AL_STOPPED) gc_mark_q(ch.sample);
  }
  gc_mark_q(musicSample);
}

// ---- Whole device -------------------------------------------------------------------------------

// With every source paused the device's mixer is stopped as well (where the library can), so a
// suspended game leaves the processor idle; it runs again before the sources resume.
int gxtkAudio::Suspend() {
  for (gxtkChannel& ch : channels) {
    if (ch.state == kChannelPlaying && SourceState(ch) == AL_PLAYING) alSourcePause(ch.source);
  }
  if (alcDevice && alcIsExtensionPresent(alcDevice, kPauseDeviceExtension)) {
    if (auto pause = reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(alcDevice, kPauseDeviceCall))) {
      pause(alcDevice);
    }
  }
  return 0;
}

int gxtkAudio::Resume() {
  if (alcDevice && alcIsExtensionPresent(alcDevice, kPauseDeviceExtension)) {
    if (auto resume = reinterpret_cast<LPALCDEVICERESUMESOFT>(alcGetProcAddress(alcDevice, kResumeDeviceCall))) {
      resume(alcDevice);
    }
  }
  for (gxtkChannel& ch : channels) {
    if (ch.state == kChannelPlaying && SourceState(ch) == AL_PAUSED) alSourcePlay(ch.source);
  }
  return 0;
}

// ---- Samples ------------------------------------------------------------------------------------

gxtkSample* gxtkAudio::LoadSample(String path) {
  FlushDiscarded();
  gxtkSample* sample = new gxtkSample();
  if (!LoadSample__UNSAFE__(sample, path)) return nullptr;
  return sample;
}

int gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
  int length = 0, chans = 0, format = 0, hertz = 0;
  unsigned char* pcm = OxGame::_game->LoadAudioData(path, &length, &chans, &format, &hertz);
  if (!pcm) return 0;
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  alBufferData(buffer, BufferFormat(chans, format), pcm, length * chans * format, hertz);
  std::free(pcm);
  sample->SetBuffer(buffer);
  return 1;
}

// ---- Channels -----------------------------------------------------------------------------------

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
  if (!ValidChannel(channel)) return -1;
  FlushDiscarded();
  unsigned source = AcquireSource(channel);
  if (source == 0) return -1;
  gxtkChannel& ch = channels[channel];
  alSourceStop(source);
  alSourcei(source, AL_BUFFER, sample ? ALint(sample->buffer) : 0);
  alSourcei(source, AL_LOOPING, flags != 0 ? AL_TRUE : AL_FALSE);
  alSourcePlay(source);
  gc_assign(ch.sample, sample);
  ch.flags = flags;
  ch.state = kChannelPlaying;
  return 0;
}

int gxtkAudio::StopChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& ch = channels[channel];
  if (ch.state != kChannelStopped) {
    alSourceStop(ch.source);
    SetStopped(ch);
  }
  return 0;
}

int gxtkAudio::PauseChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& ch = channels[channel];
  if (ch.state != kChannelPlaying) return 0;
  if (SourceState(ch) == AL_STOPPED) {
    SetStopped(ch);  // the sound had already ended
  } else {
    alSourcePause(ch.source);
    ch.state = kChannelPaused;
  }
  return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
  if (!ValidChannel(channel)) return 0;
  gxtkChannel& ch = channels[channel];
  if (ch.state == kChannelPaused) {
    alSourcePlay(ch.source);
    ch.state = kChannelPlaying;
  }
  return 0;
}

int gxtkAudio::ChannelState(int channel) {
  if (!ValidChannel(channel)) return kChannelStopped;
  gxtkChannel& ch = channels[channel];
  if (ch.state == kChannelPlaying && SourceState(ch) == AL_STOPPED) SetStopped(ch);
  return ch.state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
  if (!ValidChannel(channel)) return 0;
  alSourcef(AcquireSource(channel), AL_GAIN, volume);
  return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
  if (!ValidChannel(channel)) return 0;
  alSourcef(AcquireSource(channel), AL_PITCH, rate);
  return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
  if (!ValidChannel(channel)) return 0;
  // The pan is an angle in radians around the listener: 0 ahead, negative left.
  alSource3f(AcquireSource(channel), AL_POSITION, std::sin(pan), 0.0f, -std::cos(pan));
  return 0;
}

// ---- Music --------------------------------------------------------------------------------------

int gxtkAudio::PlayMusic(String path, int flags) {
  StopMusic();
  gxtkSample* sample = musicSample;
  if (!sample || sample->buffer == 0 || !(path == musicPath)) {
    sample = LoadSample(path);
    if (!sample) return -1;
    gc_assign(musicSample, sample);
    musicPath = path;
  }
  PlaySample(sample, kMusicChannel, flags);
  return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }
