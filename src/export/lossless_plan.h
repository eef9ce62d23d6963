// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// LosslessPlan: which source frames a lossless cut copies and what its new
// LAME tag says, from sample arithmetic alone.
//
// Sample s of the source's gapless timeline comes out of the decoder as
// sample p = s + skipSamples of the decoded frames (the frames after the tag
// frame), in frame p / samplesPerFrame. That frame decodes exactly only when
// the decoder's overlap and filter-bank state is the source's: the output of
// one granule depends on its own data and on the two granules before it, so
// MPEG-1 (two granules a frame) needs one whole frame before it and MPEG-2
// and 2.5 (one granule a frame) need two; those warm-up frames are copied
// too. The copy ends with the frame that puts out the last wanted sample.
//
// libmpg123 decodes only the 4 frames before the one that holds the first
// sample it puts out; earlier frames it passes over without decoding (they
// neither warm up its state nor fill its bit-reservoir count). So the lead and
// warm-up frames before the begin frame number at most 4. Its synthesis also
// rounds a little differently depending on how many frames it decoded before
// (it steps through a ring of slots that no seek resets): measured, frames
// decode to the source's samples bit for bit only when that count matches the
// source's modulo 4 for MPEG-2 and 2.5 mono, modulo 2 for MPEG-2 and 2.5
// stereo and MPEG-1 mono, with no such period for MPEG-1 stereo. The plan
// meets that with the number of lead and warm-up frames where it can (see
// ChooseLeadAndWarmUp); for about half the begin frames of those streams no
// choice fits, and there libmpg123's decode of the cut may differ from its
// decode of the source by one rounding step in a few samples. The decoder
// state itself is exact, and decoders without that quirk (ffmpeg's) give the
// source's samples exactly.
//
// In the output the lead frames of silence precede the copied frames; the
// last of them carries the bit reservoir of the first copied frame. The new
// encoder delay makes the decoder skip the lead frames, the warm-up frames
// and the begin sample's offset in its frame (less its own 529); the new
// padding drops what follows the last wanted sample. With at most 3 MPEG-1
// frames before the begin frame the delay is at most 3 x 1152 + 1151 - 529 =
// 4078 (4 x 576 + 575 - 529 = 2350 for MPEG-2), inside the tag's 12 bits;
// the padding stays below 1152 + 529.
#include <cstdint>

#include "export/lame_tag.h"

struct LosslessPlan {
  int samplesPerFrame = 1152;
  int phaseFrames = 1;       // the decoder's rounding period in frames
  int leadFrames = 0;        // lead frames, when the phase sets their number
  int64_t firstFrame = 0;    // first copied frame (decoded-frame index)
  int64_t beginFrame = 0;    // the frame that puts out the first wanted sample
  int64_t lastFrame = 0;     // last copied frame
  int64_t beginOffset = 0;   // first wanted sample within beginFrame's output
  int64_t pieceSamples = 0;  // samples the output decodes to
  // A piece of a joined file that runs past the end of its first part, which
  // the decoder drops the rest of (see SourceTimeline): the output then ends
  // its own first part there with the same tag, which can only be exact when
  // the piece runs on to the end of the stream (no tag ends a later part).
  bool acrossDrop = false;
  bool toStreamEnd = false;
  int64_t announcedFrames = -1;
  int64_t dropAt = INT64_MAX;

  int64_t CopiedFrames() const { return lastFrame - firstFrame + 1; }
  // Lead frames before the copied ones, given the first copied frame's
  // main_data_begin. Without a phase: one when that frame takes bytes from
  // before itself or the skip would otherwise fall below the decoder's own
  // 529 samples. With a phase: the number the plan chose.
  int LeadFrames(int firstFrameMainDataBegin) const;
  // The frames the output's tag counts: lead and copied frames, across the
  // drop those up to the end of the source's first part.
  int64_t AnnouncedFrames(int leadFrames) const;
  // Encoder delay and padding of the output with `leadFrames` lead frames.
  int EncoderDelay(int leadFrames) const;
  int EncoderPadding(int leadFrames) const;
};

// The rounding period of libmpg123's synthesis in frames (see above).
int DecoderPhaseFrames(bool mpeg1, bool mono);

// The plan for `sampleCount` samples from gapless sample `beginSample`;
// false when the piece holds no sample of the source.
bool PlanLosslessCut(const SourceTimeline& timeline, int samplesPerFrame, int phaseFrames,
                     int64_t beginSample, int64_t sampleCount, LosslessPlan& plan);

// Shortens the plan to a stream that ends after `frames` decoded frames;
// false when no wanted sample is left.
bool EndPlanAtFrames(int64_t frames, LosslessPlan& plan);
