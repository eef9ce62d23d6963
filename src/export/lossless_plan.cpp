// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of a lossless cut; see lossless_plan.h.
#include "export/lossless_plan.h"

#include <algorithm>

namespace {

// The most frames before the begin frame: libmpg123 decodes only 4 frames
// before the one it starts putting out, and the 12-bit delay must hold them
// with the begin offset (3 for MPEG-1).
constexpr int kDecodedBeforeFirst = 4;

int MaxFramesBefore(int samplesPerFrame) {
  constexpr int kMaxDelay = 4095;
  return std::min(kDecodedBeforeFirst,
                  (kMaxDelay + kDecoderDelaySamples - (samplesPerFrame - 1)) / samplesPerFrame);
}

int WarmUpFrames(int samplesPerFrame) { return samplesPerFrame == 1152 ? 1 : 2; }

int64_t FloorMod(int64_t value, int64_t modulus) { return ((value % modulus) + modulus) % modulus; }

// With a phase: lead frames L and extra warm-up frames e so that the frames
// before the begin frame, F = L + warm-up + e, stay within MaxFramesBefore
// and libmpg123 reaches the begin frame in the source's phase. Opening a file,
// libmpg123 decodes the frames before the first one it puts out; a scan and
// the seek back to the start (as Snipola's decoder opens every file) decode
// them again without resetting the phase, so the begin frame comes after 2F
// decoded frames in the cut and after its index plus the source's own frames
// before its first sample in the source. A piece near the start copies from
// the first frame and needs lead frames only to lift the skip over 529
// samples.
void ChooseLeadAndWarmUp(LosslessPlan& plan, int warmUp, int64_t sourceFramesBefore) {
  const int64_t phase = plan.phaseFrames;
  const int64_t target = plan.beginFrame + sourceFramesBefore;
  const int maxBefore = MaxFramesBefore(plan.samplesPerFrame);
  const auto inPhase = [&](int64_t framesBefore) {
    return FloorMod(2 * framesBefore - target, phase) == 0;
  };
  if (plan.beginFrame <= warmUp) {
    plan.firstFrame = 0;
    const int64_t skip = plan.beginFrame * plan.samplesPerFrame + plan.beginOffset;
    const int leastLead = skip < kDecoderDelaySamples ? 1 : 0;
    plan.leadFrames = leastLead;
    for (int lead = leastLead; lead + plan.beginFrame <= maxBefore; ++lead) {
      if (inPhase(lead + plan.beginFrame)) {
        plan.leadFrames = lead;
        return;
      }
    }
    return;
  }
  for (int lead = 1; lead <= maxBefore - warmUp; ++lead) {
    for (int extra = 0; lead + warmUp + extra <= maxBefore; ++extra) {
      const int64_t first = plan.beginFrame - warmUp - extra;
      if (first >= 1 && inPhase(lead + warmUp + extra)) {
        plan.firstFrame = first;
        plan.leadFrames = lead;
        return;
      }
    }
  }
  // No choice keeps the phase: keep the state exact at least.
  plan.firstFrame = plan.beginFrame - warmUp;
  plan.leadFrames = 1;
}

}  // namespace

int DecoderPhaseFrames(bool mpeg1, bool mono) {
  if (mpeg1) return mono ? 2 : 1;
  return mono ? 4 : 2;
}

bool PlanLosslessCut(const SourceTimeline& timeline, int samplesPerFrame, int phaseFrames,
                     int64_t beginSample, int64_t sampleCount, LosslessPlan& plan) {
  const int64_t endSample = std::min(beginSample + sampleCount, timeline.Length());
  if (beginSample < 0 || endSample <= beginSample) return false;
  const int64_t begin = timeline.DecodedIndexOf(beginSample);
  const int64_t end = timeline.DecodedIndexOf(endSample - 1) + 1;
  plan.acrossDrop = timeline.dropSamples > 0 && begin < timeline.dropAt && end > timeline.dropAt;
  plan.toStreamEnd = end == timeline.endSample;
  plan.announcedFrames = timeline.announcedFrames;
  plan.dropAt = timeline.dropAt;
  plan.samplesPerFrame = samplesPerFrame;
  plan.phaseFrames = phaseFrames;
  plan.beginFrame = begin / samplesPerFrame;
  plan.beginOffset = begin % samplesPerFrame;
  const int warmUp = WarmUpFrames(samplesPerFrame);
  plan.firstFrame = std::max<int64_t>(0, plan.beginFrame - warmUp);
  plan.leadFrames = 0;
  if (phaseFrames > 1) {
    const int64_t sourceFramesBefore =
        std::min<int64_t>(timeline.skipSamples / samplesPerFrame, kDecodedBeforeFirst);
    ChooseLeadAndWarmUp(plan, warmUp, sourceFramesBefore);
  }
  plan.lastFrame = (end - 1) / samplesPerFrame;
  plan.pieceSamples = endSample - beginSample;
  return true;
}

bool EndPlanAtFrames(int64_t frames, LosslessPlan& plan) {
  if (plan.lastFrame < frames) return true;
  const int64_t end = frames * plan.samplesPerFrame;
  const int64_t begin = plan.beginFrame * plan.samplesPerFrame + plan.beginOffset;
  if (end <= begin) return false;
  plan.lastFrame = frames - 1;
  plan.pieceSamples = end - begin;
  return true;
}

int LosslessPlan::LeadFrames(int firstFrameMainDataBegin) const {
  if (phaseFrames > 1) return leadFrames;
  const int64_t skip = (beginFrame - firstFrame) * samplesPerFrame + beginOffset;
  return (firstFrame > 0 && firstFrameMainDataBegin > 0) || skip < kDecoderDelaySamples ? 1 : 0;
}

int LosslessPlan::EncoderDelay(int leadFrames) const {
  return static_cast<int>((leadFrames + beginFrame - firstFrame) * samplesPerFrame + beginOffset -
                          kDecoderDelaySamples);
}

int64_t LosslessPlan::AnnouncedFrames(int leadFrames) const {
  return leadFrames + (acrossDrop ? announcedFrames - firstFrame : CopiedFrames());
}

int LosslessPlan::EncoderPadding(int leadFrames) const {
  // Across the drop the output's first part ends as the source's did.
  if (acrossDrop) {
    return static_cast<int>(announcedFrames * samplesPerFrame + kDecoderDelaySamples - dropAt);
  }
  const int64_t frames = leadFrames + CopiedFrames();
  return static_cast<int>(frames * samplesPerFrame - EncoderDelay(leadFrames) - pieceSamples);
}
