// SPDX-License-Identifier: GPL-3.0-or-later
// The piece makers: contiguous pieces over the whole file, or a reason; the
// typed list of times.
#include <gtest/gtest.h>

#include "split/split_pieces.h"
#include "support/test_files.h"

namespace {

// 10 s at 1000 Hz: a millisecond is a sample, so the rows read plainly.
const AudioFileInfo kInfo = [] {
  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, 1000, 1, 10000);
  info.LengthFrames = SampleIndex(10000);
  return info;
}();

// The begins of the pieces, or the reason.
std::string Describe(const SplitPieces& pieces) {
  if (!pieces.Ok()) return pieces.Reason;
  std::string text;
  SampleIndex end(0);
  for (const SplitPiece& piece : pieces.Pieces) {
    if (piece.Begin != end || piece.End <= piece.Begin) return "not contiguous";
    text += std::to_string(piece.Begin.Frame()) + " ";
    end = piece.End;
  }
  return end == kInfo.LengthFrames ? text : "short";
}

struct MakerRow {
  const char* name;
  std::function<SplitPieces()> make;
  std::string expected;
};

TEST(SplitPieces, CoverTheFileOrSayWhyNot) {
  const MakerRow rows[] = {
      {"times",
       [] {
         return PiecesAtTimes(kInfo, {1, 2500, 9999});
       },
       "0 1 2500 9999 "},
      {"no times", [] { return PiecesAtTimes(kInfo, {}); }, "0 "},
      {"at start",
       [] {
         return PiecesAtTimes(kInfo, {0, 5});
       },
       "a split point at the start makes an empty piece"},
      {"twice",
       [] {
         return PiecesAtTimes(kInfo, {5, 5});
       },
       "the split point 0:00.005 makes an empty piece"},
      {"falling",
       [] {
         return PiecesAtTimes(kInfo, {7, 5});
       },
       "the split points must rise: 0:00.005 is not after 0:00.007"},
      {"at end", [] { return PiecesAtTimes(kInfo, {10000}); },
       "the split point 0:10.000 lies at or past the end of the file (0:10.000)"},
      {"every", [] { return PiecesEvery(kInfo, 3000); }, "0 3000 6000 9000 "},
      {"every divides", [] { return PiecesEvery(kInfo, 5000); }, "0 5000 "},
      {"every longer", [] { return PiecesEvery(kInfo, 20000); }, "0 "},
      {"every 0", [] { return PiecesEvery(kInfo, 0); }, "the length of the pieces must be above 0"},
      {"parts", [] { return PiecesOfParts(kInfo, 3); }, "0 3334 6667 "},
      {"one part", [] { return PiecesOfParts(kInfo, 1); }, "0 "},
      {"every sample", [] { return PiecesOfParts(kInfo, 10000); }, "many"},
      {"too many", [] { return PiecesOfParts(kInfo, 10001); },
       "the file holds only 10000 samples, fewer than 10001 parts"},
      {"no parts", [] { return PiecesOfParts(kInfo, 0); },
       "the number of parts must be at least 1"},
  };
  for (const MakerRow& row : rows) {
    const SplitPieces pieces = row.make();
    if (row.expected == "many") {
      EXPECT_EQ(pieces.Pieces.size(), 10000u) << row.name;
      EXPECT_EQ(Describe(pieces).substr(0, 8), "0 1 2 3 ") << row.name;
    } else {
      EXPECT_EQ(Describe(pieces), row.expected) << row.name;
    }
  }
}

TEST(SplitPieces, ReadsTypedTimeLists) {
  const std::pair<const char*, std::string> rows[] = {
      {"1:30, 3:02.5  4:10,,5", "90000 182500 250000 5000 "},
      {"90", "90000 "},
      {" , ", "no split points given"},
      {"1:30, 1:75", "'1:75' is not a time"},
  };
  for (const auto& [text, expected] : rows) {
    std::vector<int64_t> times;
    std::string got = ParseTimeList(text, times);
    if (got.empty()) {
      for (const int64_t ms : times) got += std::to_string(ms) + " ";
    }
    EXPECT_EQ(got, expected) << text;
  }
  AudioFileInfo hour = MakeInfo(AudioFileInfo::kTypeWav, 1000, 1, 0);
  EXPECT_EQ(PieceTimeText(hour, SampleIndex(3723004)), "1:02:03.004");
  EXPECT_EQ(PieceTimeText(hour, SampleIndex(59999)), "0:59.999");
}

}  // namespace
