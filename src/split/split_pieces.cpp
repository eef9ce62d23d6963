// SPDX-License-Identifier: GPL-3.0-or-later
// The piece makers and the time list; see split_pieces.h.
#include "split/split_pieces.h"

#include <cstdio>

#include "base/rounding.h"
#include "base/time_text.h"

namespace {

SplitPieces Refused(std::string reason) { return SplitPieces{{}, std::move(reason)}; }

std::string MsText(const AudioFileInfo& info, int64_t ms) {
  return PieceTimeText(info, SampleIndex(MsToFrames(static_cast<double>(ms), info.SampleRate)));
}

}  // namespace

SplitPieces PiecesAtSamples(const AudioFileInfo& info, const std::vector<SampleIndex>& starts) {
  const SampleIndex end = info.LengthFrames;
  if (end.Frame() <= 0) return Refused("the file holds no audio to split");
  SplitPieces result;
  SampleIndex begin(0);
  for (const SampleIndex& start : starts) {
    if (start <= SampleIndex(0)) return Refused("a split point at the start makes an empty piece");
    if (start >= end) {
      return Refused("the split point " + PieceTimeText(info, start) +
                     " lies at or past the end of the file (" + PieceTimeText(info, end) + ")");
    }
    if (start < begin) {
      return Refused("the split points must rise: " + PieceTimeText(info, start) +
                     " is not after " + PieceTimeText(info, begin));
    }
    if (start == begin) {
      return Refused("the split point " + PieceTimeText(info, start) + " makes an empty piece");
    }
    result.Pieces.push_back(SplitPiece{begin, start, {}, {}});
    begin = start;
  }
  result.Pieces.push_back(SplitPiece{begin, end, {}, {}});
  return result;
}

SplitPieces PiecesAtTimes(const AudioFileInfo& info, const std::vector<int64_t>& timesMs) {
  std::vector<SampleIndex> starts;
  for (const int64_t ms : timesMs) {
    if (ms >= info.LengthMs && info.LengthFrames.Frame() > 0) {
      return Refused("the split point " + MsText(info, ms) +
                     " lies at or past the end of the file (" +
                     PieceTimeText(info, info.LengthFrames) + ")");
    }
    starts.push_back(SampleOfMs(info, ms));
  }
  return PiecesAtSamples(info, starts);
}

SplitPieces PiecesEvery(const AudioFileInfo& info, int64_t everyMs) {
  if (everyMs <= 0) return Refused("the length of the pieces must be above 0");
  const int64_t step = MsToFrames(static_cast<double>(everyMs), info.SampleRate);
  if (step <= 0) return Refused("the length of the pieces must be at least one sample");
  std::vector<SampleIndex> starts;
  for (int64_t at = step; at < info.LengthFrames.Frame(); at += step) {
    starts.emplace_back(at);
  }
  return PiecesAtSamples(info, starts);
}

SplitPieces PiecesOfParts(const AudioFileInfo& info, int64_t parts) {
  const int64_t frames = info.LengthFrames.Frame();
  if (parts < 1) return Refused("the number of parts must be at least 1");
  if (parts > frames) {
    return Refused("the file holds only " + std::to_string(frames) + " samples, fewer than " +
                   std::to_string(parts) + " parts");
  }
  std::vector<SampleIndex> starts;
  const int64_t base = frames / parts;
  const int64_t longer = frames % parts;  // the first `longer` parts get one frame more
  int64_t at = 0;
  for (int64_t part = 0; part + 1 < parts; ++part) {
    at += base + (part < longer ? 1 : 0);
    starts.emplace_back(at);
  }
  return PiecesAtSamples(info, starts);
}

std::string ParseTimeList(const std::string& text, std::vector<int64_t>& timesMs) {
  timesMs.clear();
  size_t at = 0;
  while (at < text.size()) {
    const size_t start = text.find_first_not_of(", \t", at);
    if (start == std::string::npos) break;
    size_t stop = text.find_first_of(", \t", start);
    if (stop == std::string::npos) stop = text.size();
    const std::string item = text.substr(start, stop - start);
    const std::optional<int64_t> ms = ParseTimeTextMs(item);
    if (!ms) return "'" + item + "' is not a time";
    timesMs.push_back(*ms);
    at = stop;
  }
  if (timesMs.empty()) return "no split points given";
  return {};
}

std::string PieceTimeText(const AudioFileInfo& info, SampleIndex sample) {
  const int64_t ms =
      info.SampleRate > 0 ? FramesToMs(static_cast<double>(sample.Frame()), info.SampleRate) : 0;
  const int64_t hours = ms / 3600000;
  const int64_t minutes = ms / 60000 % 60;
  const int64_t seconds = ms / 1000 % 60;
  char text[48];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(seconds),
                  static_cast<long long>(ms % 1000));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", static_cast<long long>(minutes),
                  static_cast<long long>(seconds), static_cast<long long>(ms % 1000));
  }
  return text;
}

std::string PieceLengthText(const AudioFileInfo& info, const SplitPiece& piece) {
  return PieceTimeText(info, SampleIndex(piece.End - piece.Begin));
}
