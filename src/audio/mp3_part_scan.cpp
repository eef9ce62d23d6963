// SPDX-License-Identifier: GPL-3.0-or-later
// Mp3PartScan: parts decoded side by side and joined; see mp3_part_scan.h.
#include "audio/mp3_part_scan.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// MPEG frames compared where two parts meet. Both decoders have settled long
// before (the library's lead frames), so four equal frames mean one stream.
constexpr size_t kJoinFrames = 4;
// The joining thread wakes this often (and when a part ends) to report
// progress and the positions known: fifty reports a second at most.
constexpr auto kWakeEvery = std::chrono::milliseconds(20);

using Frame = Mpg123Decoder::DecodedFrame;

// One MPEG frame's output, kept for a join.
struct KeptFrame {
  Frame frame;
  std::vector<uint8_t> bytes;
  explicit KeptFrame(const Frame& decoded)
      : frame(decoded), bytes(decoded.data, decoded.data + decoded.bytes) {}
  Frame View() const {
    Frame view = frame;
    view.data = bytes.data();
    return view;
  }
};

}  // namespace

// What one part's decoder has counted, written by its thread and read by the
// joining thread, both under Shared::mutex.
struct Mp3PartScan::Part {
  off_t begin = 0;  // its first MPEG frame
  // The first kJoinFrames frames its decoder gave, for the join before it.
  std::vector<KeptFrame> head;
  bool headDone = false;    // head complete, or never will be
  bool headUsable = false;  // complete and not resampled
  bool superseded = false;  // the decoder before it goes on through it

  // The count, in sample frames of this part's decode from `begin`.
  int64_t frames = 0;
  size_t channels = 2;
  // The library's own count of samples keeps its distance to ours and its
  // decoder stays set up as it was: positions a jump reaches agree with the
  // decode (see Mpg123Decoder::LandAfterCheckpoint). Checkpoints only here.
  bool regular = true;
  bool first = true;
  off_t lastGap = 0;
  std::vector<Mp3Checkpoint> checkpoints;
  std::optional<Mp3Checkpoint> pending;  // waits for the samples after it

  bool finished = false;
  bool failed = false;
  size_t joinedTo = 0;       // the part its decode ended at; parts count: the file's end
  bool joinRegular = false;  // regular up to and across that join

  void TakeFirstBytes(const Frame& frame) {
    if (pending && frame.bytes >= kCheckpointBytes) {
      pending->firstBytes.assign(frame.data, frame.data + kCheckpointBytes);
      checkpoints.push_back(std::move(*pending));
    }
    pending.reset();
  }
  // The library's count is off by the cut while it trims a frame short, and
  // back after it: a trimmed frame is no change.
  bool StaysRegular(const Frame& frame, int64_t framesBefore, bool firstFrame) const {
    const off_t gap = frame.librarySample - static_cast<off_t>(framesBefore);
    return regular && (firstFrame || (!frame.freshDecoder && (frame.trimmed || gap == lastGap)));
  }
  void Add(const Frame& frame) {
    TakeFirstBytes(frame);
    regular = StaysRegular(frame, frames, first);
    if (first || !frame.trimmed) lastGap = frame.librarySample - static_cast<off_t>(frames);
    first = false;
    frames += static_cast<int64_t>(frame.bytes / (2 * channels));
    if (regular && (frame.mpegFrame + 1) % kCheckpointEveryMpegFrames == 0) {
      pending = Mp3Checkpoint{frames, frame.mpegFrame + 1, {}};
    }
  }
};

struct Mp3PartScan::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Part> parts;
  std::vector<off_t> covered;  // per part: its MPEG frames some decoder has passed
  std::atomic<bool> abort{false};
};

Mp3PartScan::Mp3PartScan(Plan plan, const Mpg123Decoder::ScanControl& control, Mp3ScanIndex& index,
                         Progress progress)
    : plan_(std::move(plan)),
      stop_(control.stop),
      parts_(control.parts > 0
                 ? control.parts
                 : std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8)),
      minPartFrames_(control.minPartMpegFrames),
      index_(index),
      progress_(std::move(progress)) {}

std::vector<off_t> Mp3PartScan::PartStarts(off_t mpegFrames, off_t step, size_t indexEntries,
                                           int parts, int64_t minPartFrames) {
  std::vector<off_t> starts{0};
  const off_t minFrames = std::max<off_t>(static_cast<off_t>(minPartFrames), 2 * kJoinFrames);
  const off_t count = std::min<off_t>(parts, mpegFrames / minFrames);
  if (step <= 0) return starts;
  for (off_t i = 1; i < count; ++i) {
    const off_t entry = mpegFrames * i / count / step;
    const off_t begin = entry * step;
    if (static_cast<size_t>(entry) < indexEntries && begin - starts.back() >= minFrames &&
        mpegFrames - begin >= minFrames) {
      starts.push_back(begin);
    }
  }
  return starts;
}

void Mp3PartScan::RunPart(size_t index, Shared& shared) const {
  Part& part = shared.parts[index];
  const size_t partCount = shared.parts.size();
  const auto stopped = [&] {
    return shared.abort.load(std::memory_order_relaxed) ||
           (stop_ != nullptr && stop_->load(std::memory_order_relaxed));
  };
  const auto end = [&](bool failed) {
    const std::lock_guard lock(shared.mutex);
    part.failed = failed;
    part.finished = !failed;
    part.joinedTo = partCount;
    part.headDone = true;
    shared.changed.notify_all();
  };
  Mpg123Decoder decoder;
  decoder.StopWith(stop_ != nullptr ? stop_ : &shared.abort);
  if (!decoder.Open(plan_.path, plan_.rateShift) ||
      (index > 0 && !decoder.StartAtMpegFrame(plan_.offsets, plan_.step, part.begin))) {
    return end(true);
  }
  {
    const std::lock_guard lock(shared.mutex);
    part.channels = static_cast<size_t>(decoder.Facts().channels);
  }
  size_t next = index + 1;
  size_t region = index;
  std::vector<KeptFrame> tail;  // the frames decoded past `next`'s beginning
  Frame frame;
  for (;;) {
    const Mpg123Decoder::DecodeStatus status = decoder.DecodeMpegFrame(frame);
    std::unique_lock lock(shared.mutex);
    if (stopped() || part.superseded) {
      lock.unlock();
      return end(true);
    }
    if (status != Mpg123Decoder::DecodeStatus::Block) {
      // The end of the stream, where one decode would end too.
      for (const KeptFrame& kept : tail) part.Add(kept.View());
      lock.unlock();
      return end(false);
    }
    if (index > 0 && !part.headDone) {
      part.head.emplace_back(frame);
      part.headDone = part.head.size() == kJoinFrames || frame.resampled;
      part.headUsable = part.head.size() == kJoinFrames && !frame.resampled;
      if (part.headDone) shared.changed.notify_all();
    }
    while (region + 1 < partCount && frame.mpegFrame >= shared.parts[region + 1].begin) ++region;
    shared.covered[region] =
        std::max(shared.covered[region], frame.mpegFrame - shared.parts[region].begin + 1);
    if (next >= partCount || frame.mpegFrame < shared.parts[next].begin) {
      part.Add(frame);
      continue;
    }
    tail.emplace_back(frame);
    if (tail.size() < kJoinFrames) continue;
    Part& after = shared.parts[next];
    while (!after.headDone && !stopped()) shared.changed.wait_for(lock, kWakeEvery);
    if (stopped()) {
      lock.unlock();
      return end(true);
    }
    // A part another decoder went through has stopped: it cannot be joined.
    bool same = after.headUsable && !after.superseded;
    bool regular = true;
    int64_t frames = part.frames;
    for (size_t i = 0; same && i < kJoinFrames; ++i) {
      const Frame mine = tail[i].View();
      const Frame theirs = after.head[i].View();
      same = !mine.resampled && mine.mpegFrame == theirs.mpegFrame &&
             tail[i].bytes == after.head[i].bytes;
      regular = regular && part.StaysRegular(mine, frames, false) &&
                mine.librarySample == theirs.librarySample;
      frames += static_cast<int64_t>(mine.bytes / (2 * part.channels));
    }
    if (same) {
      part.TakeFirstBytes(tail.front().View());
      part.finished = true;
      part.joinedTo = next;
      part.joinRegular = regular;
      shared.changed.notify_all();
      return;
    }
    // No join here: this decoder is the one decode through the next part.
    after.superseded = true;
    for (const KeptFrame& kept : tail) part.Add(kept.View());
    tail.clear();
    ++next;
  }
}

int64_t Mp3PartScan::Count() {
  const std::vector<off_t> starts =
      PartStarts(plan_.mpegFrames, plan_.step, plan_.offsets.size(), parts_, minPartFrames_);
  Shared shared;
  shared.parts.resize(starts.size());
  shared.covered.assign(starts.size(), 0);
  for (size_t i = 0; i < starts.size(); ++i) shared.parts[i].begin = starts[i];
  std::vector<std::thread> threads;
  for (size_t i = 0; i < starts.size(); ++i) {
    threads.emplace_back([this, i, &shared] { RunPart(i, shared); });
  }
  // The chain of joined parts from the first: its finished parts are exact,
  // and so is the count of the one still running at its end.
  std::vector<size_t> forwarded(starts.size(), 0);
  double reported = 0.0;
  int64_t result = -1;
  for (bool done = false; !done;) {
    int64_t known = 0;
    double fraction = 0.0;
    {
      std::unique_lock lock(shared.mutex);
      shared.changed.wait_for(lock, kWakeEvery);
      int64_t prefix = 0;
      bool regular = true;
      size_t at = 0;
      joins_ = 0;
      for (; at < starts.size(); ++joins_) {
        Part& part = shared.parts[at];
        for (; regular && forwarded[at] < part.checkpoints.size(); ++forwarded[at]) {
          Mp3Checkpoint point = part.checkpoints[forwarded[at]];
          point.frame += prefix;
          index_.AddCheckpoint(std::move(point));
        }
        if (part.failed) break;
        known = prefix + part.frames;
        if (!part.finished) break;
        prefix = known;
        regular = regular && part.joinRegular;
        at = part.joinedTo;
      }
      for (off_t covered : shared.covered) fraction += static_cast<double>(covered);
      fraction =
          std::min(1.0, fraction / std::max<double>(static_cast<double>(plan_.mpegFrames), 1));
      if (at == starts.size()) result = known;
      done = at == starts.size() || shared.parts[at].failed ||
             (stop_ != nullptr && stop_->load(std::memory_order_relaxed));
    }
    index_.SetDecodedFrames(known);
    if (progress_ && fraction > reported) progress_(reported = fraction);
  }
  shared.abort = true;
  shared.changed.notify_all();
  for (std::thread& thread : threads) thread.join();
  --joins_;
  return stop_ != nullptr && stop_->load(std::memory_order_relaxed) ? -1 : result;
}
