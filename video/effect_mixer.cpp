#include "video/effect_mixer.h"

#include <AL/al.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "sound/legacy_sound_loader.h"
#include "sound/openal_sound.h"
#include "video/video_format.h"

namespace kestal::video {
namespace {

struct FreeBlock {
  void operator()(void* block) const { std::free(block); }
};

// The loader's frames as mono levels: channels averaged, 8-bit data being unsigned.
std::vector<float> monoLevels(ALenum format, const void* data, ALsizei size) {
  const bool stereo = format == AL_FORMAT_STEREO8 || format == AL_FORMAT_STEREO16;
  const bool wide = format == AL_FORMAT_MONO16 || format == AL_FORMAT_STEREO16;
  const std::size_t channels = stereo ? 2 : 1;
  const std::size_t bytesPerSample = wide ? 2 : 1;
  const std::size_t frames = static_cast<std::size_t>(size) / (channels * bytesPerSample);
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::vector<float> levels(frames);
  for (std::size_t frame = 0; frame < frames; ++frame) {
    float sum = 0;
    for (std::size_t channel = 0; channel < channels; ++channel) {
      const unsigned char* at = bytes + (frame * channels + channel) * bytesPerSample;
      if (wide) {
        std::int16_t sample;
        std::memcpy(&sample, at, sizeof sample);
        sum += static_cast<float>(sample) / 32768.0f;
      } else {
        sum += (static_cast<float>(*at) - 128.0f) / 128.0f;
      }
    }
    levels[frame] = sum / static_cast<float>(channels);
  }
  return levels;
}

}  // namespace

EffectMixer::EffectMixer(const std::string& directory) {
  const std::string prefix = directory.empty() ? std::string() : directory + "/";
  float loudest = 0;
  for (int slot = 0; slot < SOUND_SLOTS; ++slot) {
    const std::string path = prefix + SOUND_FILES[slot];
    ALenum format = AL_FORMAT_MONO16;
    void* data = nullptr;
    ALsizei size = 0;
    ALsizei frequency = SOUND_RATE;
    ALboolean loop = AL_FALSE;
    loadLegacySoundFile(path.c_str(), &format, &data, &size, &frequency, &loop);
    const std::unique_ptr<void, FreeBlock> owned(data);
    const bool known = format == AL_FORMAT_MONO8 || format == AL_FORMAT_MONO16 ||
                       format == AL_FORMAT_STEREO8 || format == AL_FORMAT_STEREO16;
    if (data == nullptr || !known || frequency <= 0) {
      problems_.push_back("cannot read sound file '" + path + "'; that effect stays silent");
      continue;
    }
    Effect& effect = effects_[slot];
    effect.samples = monoLevels(format, data, size);
    effect.step = static_cast<double>(frequency) / SOUND_RATE;
    float peak = 0;
    for (float level : effect.samples) peak = std::max(peak, std::fabs(level));
    loudest += peak;
  }
  if (loudest > 1.0f) gain_ = 1.0f / loudest;
}

void EffectMixer::play(SoundSlot slot, bool looping) {
  const auto index = static_cast<int>(slot);
  if (index < 0 || index >= SOUND_SLOTS) return;
  Effect& effect = effects_[index];
  effect.position = 0;
  effect.looping = looping;
  effect.playing = !effect.samples.empty();
}

void EffectMixer::stop(SoundSlot slot) {
  const auto index = static_cast<int>(slot);
  if (index < 0 || index >= SOUND_SLOTS) return;
  effects_[index].playing = false;
}

void EffectMixer::release() {
  for (Effect& effect : effects_) effect.playing = false;
}

void EffectMixer::mix(std::span<float> out) {
  std::fill(out.begin(), out.end(), 0.0f);
  for (Effect& effect : effects_) {
    const std::size_t length = effect.samples.size();
    for (float& sample : out) {
      if (!effect.playing) break;
      // Linear interpolation between the file's samples, the last one held at the end.
      const auto at = static_cast<std::size_t>(effect.position);
      const float fraction = static_cast<float>(effect.position - static_cast<double>(at));
      const float here = effect.samples[at];
      const float next = at + 1 < length ? effect.samples[at + 1] : here;
      sample += gain_ * (here + fraction * (next - here));
      effect.position += effect.step;
      if (effect.position >= static_cast<double>(length)) {
        effect.position -= static_cast<double>(length);
        effect.playing = effect.looping;
      }
    }
  }
}

}  // namespace kestal::video
