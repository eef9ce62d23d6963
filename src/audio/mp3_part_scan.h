// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mp3PartScan: the decode pass of a scan split between threads. It gives
// the sample frames, and leaves the checkpoints, that one decode of the
// whole file from its first sample gives; only sooner.
//
// The header pass's frame index cuts the file into parts at MPEG frames,
// one part a thread, each with a decoder of its own on the whole file (so
// each knows the file's Info tag and trims exactly as one decode would). A
// part after the first starts at its first MPEG frame: the library decodes
// lead frames before it to fill the bit reservoir and the filters, and drops
// them. The decoder of a part goes on past its end for a few frames and
// compares what it decodes there with the first frames the next part
// decoded: the same frames with the same samples join the parts. Where they
// differ (damage or a change of format near the cut, a resampled stretch),
// the decoder goes on through that part as one decode would, and tries the
// join at the part after it. So the first part's decoder at worst decodes
// the whole file alone.
//
// Threads: Count() runs on the calling thread (the scan's worker); it starts
// and joins the part threads, joins their counts, and alone writes `index`
// and calls `progress`. A stop ends the parts at their next read.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/mp3_scan_index.h"
#include "audio/mpg123_decoder.h"

class Mp3PartScan {
 public:
  // The file and what the header pass found in it.
  struct Plan {
    std::string path;
    int rateShift = 0;
    std::vector<off_t> offsets;  // the library's frame index: frame i * step at offsets[i]
    off_t step = 0;
    off_t mpegFrames = 0;  // MPEG frames in the file
  };
  using Progress = std::function<void(double fraction)>;

  Mp3PartScan(Plan plan, const Mpg123Decoder::ScanControl& control, Mp3ScanIndex& index,
              Progress progress);
  // The sample frames of the whole file, or -1 on failure or stop.
  int64_t Count();
  // Parts whose decode joined the one before it, in the last Count().
  int Joins() const { return joins_; }

  // The MPEG frames at which the parts begin (the first at 0), for `parts`
  // parts of at least `minPartFrames` frames, cut at frames of the index.
  static std::vector<off_t> PartStarts(off_t mpegFrames, off_t step, size_t indexEntries, int parts,
                                       int64_t minPartFrames);

 private:
  struct Part;
  struct Shared;
  void RunPart(size_t part, Shared& shared) const;

  Plan plan_;
  const std::atomic<bool>* stop_;
  int parts_;
  int64_t minPartFrames_;
  Mp3ScanIndex& index_;
  Progress progress_;
  int joins_ = 0;
};
