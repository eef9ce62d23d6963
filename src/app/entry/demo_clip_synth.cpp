// SPDX-License-Identifier: GPL-3.0-or-later
// Synthesis of the demo clip. Every voice adds into two float buffers (left,
// right); a Schroeder reverb and the fades follow, then the mix is scaled to
// a comfortable peak and rounded to 16 bits. Deterministic: the same build
// always makes the same file.
#include "demo_clip_synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kRate = kDemoSampleRate;
constexpr double kBeatSeconds = 0.75;  // 80 beats a minute
constexpr double kBarSeconds = 4 * kBeatSeconds;
constexpr double kStartSeconds = 0.25;
constexpr double kTotalSeconds = 30.0;

double MidiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

struct Mix {
  std::vector<float> left;
  std::vector<float> right;

  Mix() {
    const size_t frames = static_cast<size_t>(kTotalSeconds * kRate);
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
  }

  // Adds `seconds` of `voice(t)` from `startSeconds`; pan -1 (left) to 1 (right).
  // `voice` is called once per sample with increasing t, so it may keep state.
  template <typename Voice>
  void Add(double startSeconds, double seconds, double pan, Voice voice) {
    const double leftGain = std::cos((pan + 1.0) * std::numbers::pi / 4.0);
    const double rightGain = std::sin((pan + 1.0) * std::numbers::pi / 4.0);
    const size_t first = static_cast<size_t>(startSeconds * kRate);
    const size_t count = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < count && first + i < left.size(); ++i) {
      const double value = voice(static_cast<double>(i) / kRate);
      left[first + i] += static_cast<float>(value * leftGain);
      right[first + i] += static_cast<float>(value * rightGain);
    }
  }
};

// A plucked string: harmonics that start bright and mellow quickly, the
// higher ones dying first, with a few milliseconds of attack against clicks.
// Each harmonic is a rotating phasor with a per-sample decay, which keeps the
// many arpeggio notes cheap to render.
void Pluck(Mix& mix, double start, int note, double level, double pan) {
  struct Partial {
    std::complex<double> value;     // amplitude and phase now
    std::complex<double> stepTurn;  // rotation and decay per sample
  };
  const double hz = MidiToHz(note);
  std::vector<Partial> partials;
  for (int k = 1; k <= 8 && k * hz < 16000; ++k) {
    const double decayPerSample = std::exp(-(1.6 + 0.9 * k) / kRate);
    partials.push_back({std::complex<double>(1.0 / std::pow(k, 1.3), 0.0),
                        std::polar(decayPerSample, kTwoPi * k * hz / kRate)});
  }
  mix.Add(start, 2.6, pan, [=](double t) mutable {
    double value = 0;
    for (Partial& partial : partials) {
      value += partial.value.imag();
      partial.value *= partial.stepTurn;
    }
    return level * value * std::min(1.0, t / 0.004);
  });
}

// A soft bell: frequency modulation at the inharmonic ratio 1.4, its
// brightness fading faster than its loudness.
void Bell(Mix& mix, double start, int note, double level, double pan) {
  const double hz = MidiToHz(note);
  mix.Add(start, 4.0, pan, [=](double t) {
    const double index = 1.6 * std::exp(-t / 0.6);
    const double value = std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * 1.4 * hz * t));
    return level * value * std::exp(-t / 1.3) * std::min(1.0, t / 0.003);
  });
}

// A round bass note: fundamental with a touch of second harmonic.
void Bass(Mix& mix, double start, double seconds, int note, double level) {
  const double hz = MidiToHz(note);
  mix.Add(start, seconds + 0.3, 0.0, [=](double t) {
    const double attack = std::min(1.0, t / 0.02);
    const double release = t > seconds ? std::exp(-(t - seconds) / 0.08) : 1.0;
    const double value = std::sin(kTwoPi * hz * t) + 0.25 * std::sin(kTwoPi * 2 * hz * t);
    return level * value * attack * release * std::exp(-t / 2.5);
  });
}

// A pad chord tone: two slightly detuned sines swelling in and out.
void Pad(Mix& mix, double start, double seconds, int note, double level, double pan) {
  const double hz = MidiToHz(note);
  mix.Add(start, seconds + 1.2, pan, [=](double t) {
    const double swell =
        std::min(1.0, t / 1.0) * (t > seconds ? std::exp(-(t - seconds) / 0.4) : 1.0);
    return level * swell *
           (std::sin(kTwoPi * hz * 0.998 * t) + std::sin(kTwoPi * hz * 1.002 * t + 1.0));
  });
}

struct Chord {
  std::array<int, 3> tones;  // MIDI notes, low to high
  int bass;
  std::array<int, 4> melody;  // one bell note per half bar; 0 rests
};

// I - vi - IV - V, two bars each.
constexpr std::array<Chord, 4> kProgression = {{
    {{60, 64, 67}, 36, {76, 79, 84, 79}},
    {{57, 60, 64}, 33, {76, 72, 69, 0}},
    {{53, 57, 60}, 41, {69, 72, 77, 76}},
    {{55, 59, 62}, 43, {74, 71, 67, 74}},
}};

void PlayChord(Mix& mix, const Chord& chord, double start, int bars) {
  const std::array<int, 4> arpTones = {chord.tones[0], chord.tones[1], chord.tones[2],
                                       chord.tones[0] + 12};
  constexpr std::array<int, 8> kPattern = {0, 1, 2, 3, 2, 1, 2, 1};
  for (int bar = 0; bar < bars; ++bar) {
    const double barStart = start + bar * kBarSeconds;
    for (int step = 0; step < 8; ++step) {
      const int tone = arpTones[kPattern[step]] + 12;
      const double accent = step % 2 == 0 ? 1.0 : 0.8;
      Pluck(mix, barStart + step * kBeatSeconds / 2, tone, 0.09 * accent, step % 2 ? 0.35 : -0.35);
    }
    Bass(mix, barStart, 2 * kBeatSeconds - 0.05, chord.bass, 0.14);
    Bass(mix, barStart + 2 * kBeatSeconds, 2 * kBeatSeconds - 0.05, chord.bass, 0.11);
  }
  for (int i = 0; i < 4; ++i) {
    if (chord.melody[i] != 0) {
      Bell(mix, start + i * 2 * kBeatSeconds, chord.melody[i], 0.10, i % 2 ? -0.2 : 0.2);
    }
  }
  for (int i = 0; i < 3; ++i) {
    Pad(mix, start, bars * kBarSeconds, chord.tones[i], 0.018, -0.5 + 0.5 * i);
  }
}

// The ending: a slow strum of the tonic, a last bell and a long bass.
void PlayEnding(Mix& mix, double start) {
  const std::array<int, 5> strum = {48, 60, 64, 67, 72};
  for (size_t i = 0; i < strum.size(); ++i) {
    Pluck(mix, start + 0.07 * i, strum[i] + 12, 0.08, -0.4 + 0.2 * i);
  }
  Bell(mix, start, 72, 0.11, 0.0);
  Bell(mix, start + 1.5, 79, 0.06, 0.3);
  Bass(mix, start, 3.0, 36, 0.14);
  for (int note : {60, 64, 67}) Pad(mix, start, 2.5, note, 0.018, 0.0);
}

// A Schroeder reverb per channel: four damped feedback combs in parallel,
// then two allpasses; the right channel's delays are a little longer so the
// room sounds wide. The dry signal keeps its full weight; `wet` adds the room.
void Reverberate(std::vector<float>& channel, int spread, double wet) {
  struct Comb {
    std::vector<float> line;
    size_t at = 0;
    float filtered = 0;
  };
  std::array<Comb, 4> combs;
  const std::array<int, 4> combDelays = {1557, 1617, 1491, 1422};
  for (size_t i = 0; i < combs.size(); ++i) combs[i].line.assign(combDelays[i] + spread, 0.0f);
  std::array<std::vector<float>, 2> allpasses = {std::vector<float>(556 + spread, 0.0f),
                                                 std::vector<float>(225 + spread, 0.0f)};
  std::array<size_t, 2> allpassAt = {0, 0};
  constexpr float kFeedback = 0.78f;
  constexpr float kDamping = 0.3f;
  // The combs ring at multiples of about 28 Hz; bass notes there would boom.
  // Two one-pole high-passes at about 300 Hz keep the low end out of the room.
  constexpr float kHighPass = 0.958f;
  std::array<float, 2> highPassOut = {0, 0};
  std::array<float, 2> highPassIn = {0, 0};
  for (float& sample : channel) {
    float input = sample * 0.25f;
    for (size_t i = 0; i < 2; ++i) {
      highPassOut[i] = kHighPass * (highPassOut[i] + input - highPassIn[i]);
      highPassIn[i] = input;
      input = highPassOut[i];
    }
    float out = 0;
    for (Comb& comb : combs) {
      const float delayed = comb.line[comb.at];
      comb.filtered = delayed * (1 - kDamping) + comb.filtered * kDamping;
      comb.line[comb.at] = input + comb.filtered * kFeedback;
      comb.at = (comb.at + 1) % comb.line.size();
      out += delayed;
    }
    for (size_t i = 0; i < allpasses.size(); ++i) {
      std::vector<float>& line = allpasses[i];
      const float delayed = line[allpassAt[i]];
      line[allpassAt[i]] = out + delayed * 0.5f;
      out = delayed - out;
      allpassAt[i] = (allpassAt[i] + 1) % line.size();
    }
    sample = static_cast<float>(sample + out * wet);
  }
}

}  // namespace

std::vector<int16_t> SynthesiseDemoClip() {
  Mix mix;
  double start = kStartSeconds;
  for (const Chord& chord : kProgression) {
    PlayChord(mix, chord, start, 2);
    start += 2 * kBarSeconds;
  }
  PlayEnding(mix, start);
  Reverberate(mix.left, 0, 0.3);
  Reverberate(mix.right, 23, 0.3);

  const size_t frames = mix.left.size();
  float peak = 1e-6f;
  for (size_t i = 0; i < frames; ++i) {
    peak = std::max({peak, std::abs(mix.left[i]), std::abs(mix.right[i])});
  }
  const double gain = 0.8 / peak;  // about -2 dBFS
  const double fadeInSeconds = 0.5;
  const double fadeOutSeconds = 2.5;
  std::vector<int16_t> samples(frames * kDemoChannels);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double fade = std::min({1.0, t / fadeInSeconds, (kTotalSeconds - t) / fadeOutSeconds});
    samples[2 * i] = static_cast<int16_t>(std::lround(mix.left[i] * gain * fade * 32767.0));
    samples[2 * i + 1] = static_cast<int16_t>(std::lround(mix.right[i] * gain * fade * 32767.0));
  }
  return samples;
}
