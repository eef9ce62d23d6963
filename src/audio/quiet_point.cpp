// SPDX-License-Identifier: GPL-3.0-or-later
// The quietest 10 ms window around a mark: the choice, and the decoding of
// the stretch it is chosen from.
#include "audio/quiet_point.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/pcm_stream.h"

namespace {

// Mean square of frames [begin, end) over all channels, clipped to the
// samples; nullopt when nothing of it is inside.
std::optional<double> Level(std::span<const int16_t> samples, int channels, int64_t begin,
                            int64_t end) {
  const int64_t frames = static_cast<int64_t>(samples.size()) / channels;
  begin = std::max<int64_t>(begin, 0);
  end = std::min(end, frames);
  if (end <= begin) return std::nullopt;
  double sum = 0;
  for (int64_t i = begin * channels; i < end * channels; ++i) {
    const double value = samples[static_cast<size_t>(i)];
    sum += value * value;
  }
  return sum / static_cast<double>(end - begin);
}

}  // namespace

std::optional<int64_t> QuietestWindowCentre(std::span<const int16_t> samples, int channels,
                                            int64_t windowFrames, int64_t markFrame) {
  if (channels < 1 || windowFrames < 1) return std::nullopt;
  const auto levelAt = [&](int64_t centre) {
    return Level(samples, channels, centre - windowFrames / 2,
                 centre - windowFrames / 2 + windowFrames);
  };
  const auto atMark = levelAt(markFrame);
  if (!atMark) return std::nullopt;
  double best = *atMark;
  std::optional<int64_t> bestCentre;
  // Outwards from the mark, alternating sides: the first of equal levels is
  // the nearer one.
  const int64_t frames = static_cast<int64_t>(samples.size()) / channels;
  for (int64_t step = 1; step * windowFrames <= frames; ++step) {
    for (const int64_t centre :
         {markFrame - step * windowFrames, markFrame + step * windowFrames}) {
      // Only whole windows compete; the mark's own may be cut by an end.
      const int64_t begin = centre - windowFrames / 2;
      if (begin < 0 || begin + windowFrames > frames) continue;
      const auto level = levelAt(centre);
      if (level && *level < best) {
        best = *level;
        bestCentre = centre;
      }
    }
  }
  return bestCentre;
}

int32_t QuietestPointNear(const std::string& fileName, const AudioFileInfo& info,
                          std::shared_ptr<Mp3ScanIndex> scan, int32_t markMs) {
  if (fileName.empty() || info.SampleRate <= 0 || info.Channels < 1 || info.Channels > 2) {
    return markMs;
  }
  const SampleIndex mark = SampleOfMs(info, markMs);
  const SampleIndex first = SampleOfMs(info, std::max<int64_t>(int64_t{markMs} - kQuietReachMs, 0));
  const SampleIndex end =
      SampleOfMs(info, std::min<int64_t>(int64_t{markMs} + kQuietReachMs, info.LengthMs));
  if (end <= first) return markMs;
  PcmStream stream;
  stream.Open(fileName, info, first, std::move(scan));
  std::vector<int16_t> samples;
  const size_t wanted = static_cast<size_t>(end - first) * static_cast<size_t>(info.Channels);
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  while (samples.size() < wanted && stream.Read(data, sizeBytes)) {
    const size_t count = std::min<size_t>(sizeBytes / 2, wanted - samples.size());
    const size_t at = samples.size();
    samples.resize(at + count);
    std::memcpy(samples.data() + at, data, count * 2);
  }
  stream.Close();
  const int64_t windowFrames = int64_t{info.SampleRate} * kQuietWindowMs / 1000;
  const auto centre = QuietestWindowCentre(samples, info.Channels, windowFrames, mark - first);
  return centre ? MsOfSample(info, first + *centre) : markMs;
}
