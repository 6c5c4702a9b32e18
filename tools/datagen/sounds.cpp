#include "tools/datagen/sounds.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "vrax/sound/WavWriter.h"

namespace datagen {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A small generator of our own: the same noise on every run and machine.
struct Lcg {
  std::uint32_t s;
  double Next() {
    s = s * 1664525u + 1013904223u;
    return ((s >> 8) & 0xFFFF) / 32767.5 - 1.0;
  }
};

std::int16_t ToSample(double v) {
  v = std::fmax(-1.0, std::fmin(1.0, v));
  return static_cast<std::int16_t>(std::lround(v * 30000.0));
}

// Sound effect n: a blip, sweep, noise burst or chord, each with its own pitch.
std::vector<std::int16_t> Effect(int n) {
  const int kind = n % 4;
  const double seconds = 0.12 + 0.04 * (n % 5);
  const int count = static_cast<int>(seconds * kSoundRate);
  const double base = 220.0 * std::pow(2.0, (n % 16) / 6.0);
  Lcg lcg{static_cast<std::uint32_t>(n) * 7u + 1u};
  std::vector<std::int16_t> out(count);
  double phase = 0, lowpass = 0;
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / count;
    const double env = std::fmin(1.0, i / 80.0) * (1.0 - t) * (1.0 - t);
    double v = 0;
    switch (kind) {
      case 0:  // square blip
        phase += base * 2 / kSoundRate;
        v = std::fmod(phase, 1.0) < 0.5 ? 0.6 : -0.6;
        break;
      case 1:  // falling sweep
        phase += base * (2.0 - 1.5 * t) / kSoundRate;
        v = std::sin(kTwoPi * phase);
        break;
      case 2:  // filtered noise burst
        lowpass += (lcg.Next() - lowpass) * (0.1 + 0.05 * (n % 8));
        v = lowpass * 2.5;
        break;
      default:  // two-note chord
        phase += 1.0 / kSoundRate;
        v = 0.5 * std::sin(kTwoPi * base * phase) + 0.4 * std::sin(kTwoPi * base * 1.5 * phase);
        break;
    }
    out[i] = ToSample(v * env * 0.8);
  }
  return out;
}

// Voice n: a vowel-like buzz gliding between two pitches.
std::vector<std::int16_t> Voice(int n) {
  const int count = static_cast<int>((0.3 + 0.05 * (n % 6)) * kSoundRate);
  const double f0 = 110.0 + 12.0 * (n % 12), f1 = f0 * (n % 2 ? 1.25 : 0.8);
  const double formant = 500.0 + 90.0 * (n % 9);
  std::vector<std::int16_t> out(count);
  double phase = 0;
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / count;
    phase += (f0 + (f1 - f0) * t) / kSoundRate;
    const double buzz = std::fmod(phase, 1.0) * 2 - 1;
    const double v = 0.5 * buzz * std::sin(kTwoPi * formant * i / kSoundRate) + 0.3 * std::sin(kTwoPi * phase);
    const double env = std::sin(3.14159265 * t);
    out[i] = ToSample(v * env * 0.7);
  }
  return out;
}

// Music track n: a four-bar loop of bass, arpeggio and a noise beat, stereo.
std::vector<std::int16_t> Music(int n) {
  const double bpm = 110 + 8 * n;
  const double beat = 60.0 / bpm;
  const int beats = 16;
  const int frames = static_cast<int>(beats * beat * kSoundRate);
  static const int kScale[8] = {0, 3, 5, 7, 10, 12, 15, 17};
  const double root = 55.0 * std::pow(2.0, n / 4.0);
  Lcg lcg{static_cast<std::uint32_t>(n) + 99u};
  std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double time = static_cast<double>(i) / kSoundRate;
    const int b = static_cast<int>(time / beat);
    const double inBeat = time / beat - b;
    const double bass = 0.35 * std::sin(kTwoPi * root * std::pow(2.0, kScale[(b / 4 + n) % 4] / 12.0) * time);
    const int step = static_cast<int>(time / (beat / 4));
    const double arpF = root * 4 * std::pow(2.0, kScale[(step * (n + 3)) % 8] / 12.0);
    const double arp = 0.18 * (std::fmod(arpF * time, 1.0) < 0.5 ? 1 : -1) * std::exp(-std::fmod(time, beat / 4) * 12);
    const double drum = (b % 2 == 0 ? 0.3 : 0.15) * lcg.Next() * std::exp(-inBeat * 18);
    out[2 * i] = ToSample(bass + arp * 0.8 + drum);
    out[2 * i + 1] = ToSample(bass + arp * 1.2 + drum);
  }
  return out;
}

void WriteBank(const std::string& root, const char* stem, const std::vector<std::vector<std::int16_t>>& sounds,
               int channels, bool streamed, WriteStats* stats) {
  std::vector<SoundListLine> lines;
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    char name[96];
    std::snprintf(name, sizeof name, "%s_%02zu.wav", stem, i);
    const std::vector<std::uint8_t> wav = MakeWaveFile16(static_cast<std::uint16_t>(channels), kSoundRate, sounds[i]);
    WriteIfChanged(root, std::string("sound/") + name, wav, stats);
    SoundListLine line;
    line.name = name;
    line.streamed = streamed;
    line.loopStart = 0;
    lines.push_back(line);
  }
  const std::string list = MakeSoundList(lines);
  WriteIfChanged(root, std::string("sound/") + stem + ".sr", std::vector<std::uint8_t>(list.begin(), list.end()),
                 stats);
}

}  // namespace

void GenerateSounds(const std::string& root, WriteStats* stats) {
  std::vector<std::vector<std::int16_t>> se, voice, music;
  for (int n = 0; n < kEffectSounds; ++n) se.push_back(Effect(n));
  for (int n = 0; n < kVoiceSounds; ++n) voice.push_back(Voice(n));
  for (int n = 0; n < kMusicTracks; ++n) music.push_back(Music(n));
  WriteBank(root, "osr_se", se, 1, false, stats);
  WriteBank(root, "osr_voice", voice, 1, false, stats);
  WriteBank(root, "osr_bgm_low", music, 2, true, stats);
}

}  // namespace datagen
