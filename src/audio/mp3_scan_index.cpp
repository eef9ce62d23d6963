// SPDX-License-Identifier: GPL-3.0-or-later
// Mp3ScanIndex: a locked record; see mp3_scan_index.h.
#include "audio/mp3_scan_index.h"

#include <algorithm>
#include <limits>

void Mp3ScanIndex::SetFrameIndex(std::vector<off_t> offsets, off_t step, bool trusted) {
  const std::lock_guard lock(mutex_);
  offsets_ = std::move(offsets);
  step_ = step;
  trusted_ = trusted;
  hasIndex_ = true;
}

void Mp3ScanIndex::AddCheckpoint(Mp3Checkpoint point) {
  const std::lock_guard lock(mutex_);
  checkpoints_.push_back(std::move(point));
}

void Mp3ScanIndex::SetDecodedFrames(int64_t frames) {
  const std::lock_guard lock(mutex_);
  decodedFrames_ = frames;
}

void Mp3ScanIndex::Finish(const Mp3StreamFacts& facts) {
  const std::lock_guard lock(mutex_);
  facts_ = facts;
}

void Mp3ScanIndex::SetProgress(double fraction) {
  const std::lock_guard lock(mutex_);
  progress_ = fraction;
}

void Mp3ScanIndex::SetEnded() {
  const std::lock_guard lock(mutex_);
  ended_ = true;
}

double Mp3ScanIndex::Progress() const {
  const std::lock_guard lock(mutex_);
  return facts_ ? 1.0 : progress_;
}

bool Mp3ScanIndex::Ended() const {
  const std::lock_guard lock(mutex_);
  return ended_ || facts_.has_value();
}

bool Mp3ScanIndex::Trusted() const {
  const std::lock_guard lock(mutex_);
  return trusted_;
}

void Mp3ScanIndex::FrameIndex(std::vector<off_t>& offsets, off_t& step) const {
  const std::lock_guard lock(mutex_);
  offsets = offsets_;
  step = step_;
}

int64_t Mp3ScanIndex::KnownFrames() const {
  const std::lock_guard lock(mutex_);
  if (facts_ || (hasIndex_ && trusted_)) return std::numeric_limits<int64_t>::max();
  return decodedFrames_;
}

std::optional<Mp3StreamFacts> Mp3ScanIndex::FinishedFacts() const {
  const std::lock_guard lock(mutex_);
  return facts_;
}

std::optional<Mp3Checkpoint> Mp3ScanIndex::CheckpointAtOrBefore(int64_t frame) const {
  const std::lock_guard lock(mutex_);
  const auto after = std::upper_bound(
      checkpoints_.begin(), checkpoints_.end(), frame,
      [](int64_t target, const Mp3Checkpoint& point) { return target < point.frame; });
  if (after == checkpoints_.begin()) return std::nullopt;
  return *std::prev(after);
}
