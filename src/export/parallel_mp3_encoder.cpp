// SPDX-License-Identifier: GPL-3.0-or-later
// Several LAME encoders on one export, joined at clean seams; see
// parallel_mp3_encoder.h.
//
// Threads: EncodeParallelMp3 runs one worker thread per segment and joins
// them; then it writes the output on its own (calling) thread. Worker i
// publishes the side facts of its first frames in the SeamChannel it shares
// with worker i - 1, which searches them for the seam; worker i - 1 waits for
// them only while worker i is still encoding, and worker i never waits, so
// the chain cannot lock up.
#include "export/parallel_mp3_encoder.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "export/crc16.h"
#include "export/info_tag_frame.h"
#include "export/lame_encoder.h"
#include "export/output_file.h"
#include "export/seam_joiner.h"

namespace {

constexpr int64_t kChunkFrames = 4 * 1152;

// LAME sets up tables shared by all its streams while a stream starts.
std::mutex& EncoderStartMutex() {
  static std::mutex mutex;
  return mutex;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TempFile = std::unique_ptr<std::FILE, FileCloser>;

// What the encoders on both sides of one seam share.
struct SeamChannel {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Mp3SideFacts> second;  // the second stream's frames, from its first on
  bool secondEnded = false;          // no more facts will come
  int64_t seam = -1;  // frame j, once found
  int firstMainDataBegin = 0;
  int secondMainDataBegin = 0;
};

// Cuts an encoder's output into whole frames.
class FrameSplitter {
 public:
  // Appends bytes; calls onFrame(header, frame bytes) for every completed
  // frame. False when the bytes are no MPEG layer III frames.
  template <typename OnFrame>
  bool Add(const uint8_t* data, size_t bytes, OnFrame&& onFrame) {
    pending_.insert(pending_.end(), data, data + bytes);
    size_t at = 0;
    while (pending_.size() - at >= 4) {
      const std::optional<Mp3FrameHeader> header = Mp3FrameHeader::Parse(pending_.data() + at);
      if (!header || header->layer != 3 || header->FreeFormat()) return false;
      const size_t frameBytes = static_cast<size_t>(header->FrameBytes());
      if (pending_.size() - at < frameBytes) break;
      onFrame(*header, pending_.data() + at);
      at += frameBytes;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
  }
  bool Empty() const { return pending_.empty(); }

 private:
  std::vector<uint8_t> pending_;
};

// Reads the frames of a worker's temporary file back, from the start.
bool NextFrame(std::FILE* file, HeldFrame& frame) {
  uint8_t head[4];
  if (std::fread(head, 1, 4, file) != 4) return false;
  const std::optional<Mp3FrameHeader> header = Mp3FrameHeader::Parse(head);
  if (!header || header->FreeFormat()) return false;
  frame.header = *header;
  frame.bytes.assign(head, head + 4);
  frame.bytes.resize(static_cast<size_t>(header->FrameBytes()));
  return std::fread(frame.bytes.data() + 4, 1, frame.bytes.size() - 4, file) ==
         frame.bytes.size() - 4;
}

struct Plan {
  int samplesPerFrame = 1152;
  std::vector<int64_t> boundary;    // first grid frame of each segment, and the end
  std::vector<int64_t> firstFrame;  // first grid frame each encoder encodes
};

Plan PlanSegments(const ParallelMp3Job& job) {
  Plan plan;
  plan.samplesPerFrame = job.sampleRate >= 32000 ? 1152 : 576;
  const int64_t gridFrames = job.totalFrames / plan.samplesPerFrame;
  for (int i = 0; i <= job.encoders; ++i) {
    plan.boundary.push_back(gridFrames * i / job.encoders);
    plan.firstFrame.push_back(i == 0 ? 0 : std::max<int64_t>(plan.boundary[i] - kLeadFrames, 0));
  }
  return plan;
}

class Worker {
 public:
  Worker(const ParallelMp3Job& job, const Plan& plan, int index, SeamChannel* left,
         SeamChannel* right, std::atomic<bool>& failed, std::atomic<int64_t>& doneFrames)
      : job_(job), plan_(plan), index_(index), left_(left), right_(right), failed_(failed),
        doneFrames_(doneFrames) {}

  ParallelMp3Result result = ParallelMp3Result::Done;
  TempFile file;
  InfoTagFacts facts;

  void Run(const ExportPcmOpener& open) {
    result = Encode(open);
    if (left_) {
      const std::lock_guard lock(left_->mutex);
      left_->secondEnded = true;
    }
    if (left_) left_->changed.notify_all();
    if (result != ParallelMp3Result::Done) Fail();
  }

 private:
  bool Last() const { return right_ == nullptr; }

  void Fail() {
    failed_ = true;
    for (SeamChannel* channel : {left_, right_}) {
      if (!channel) continue;
      { const std::lock_guard lock(channel->mutex); }
      channel->changed.notify_all();
    }
  }

  ParallelMp3Result Encode(const ExportPcmOpener& open) {
    const int64_t spf = plan_.samplesPerFrame;
    const int64_t start = plan_.firstFrame[index_] * spf;
    const int64_t end = Last() ? job_.totalFrames : INT64_MAX;
    std::unique_ptr<ExportPcmReader> reader = open();
    if (!reader || !reader->Seek(start)) return ParallelMp3Result::SourceFailed;
    BE_CONFIG config;
    MakeExportEncoderConfig(config, job_.sampleRate, job_.channels, job_.bitrateKbps);
    uint32_t samplesPerChunk = 0;
    uint32_t outputBytes = 0;
    HBE_STREAM stream = nullptr;
    {
      const std::lock_guard lock(EncoderStartMutex());
      if (beInitStream(&config, &samplesPerChunk, &outputBytes, &stream) != BE_ERR_SUCCESSFUL) {
        return ParallelMp3Result::EncoderStartFailed;
      }
    }
    const std::unique_ptr<BeStream, void (*)(HBE_STREAM)> owned(stream, ReleaseEncoderStream);
    file.reset(std::tmpfile());
    if (!file) return ParallelMp3Result::WriteFailed;
    const size_t chunkOutputBytes =
        static_cast<size_t>(outputBytes) * (kChunkFrames / 1152 + 1);
    std::vector<uint8_t> output(chunkOutputBytes);
    std::vector<int16_t> pcm(static_cast<size_t>(kChunkFrames * job_.channels));
    const int64_t mine = plan_.boundary[index_] * spf;
    const int64_t mineEnd =
        Last() ? job_.totalFrames : plan_.boundary[static_cast<size_t>(index_) + 1] * spf;
    int64_t counted = 0;

    int64_t position = start;
    while (!SeamFound() && position < std::min(end, job_.totalFrames)) {
      if (failed_) return ParallelMp3Result::Done;
      if (job_.cancel && job_.cancel->load()) return ParallelMp3Result::Cancelled;
      const int64_t want = std::min({kChunkFrames, end - position, job_.totalFrames - position});
      int64_t got = 0;
      while (got < want) {
        const int64_t read = reader->Read(pcm.data() + got * job_.channels, want - got);
        if (read <= 0) return ParallelMp3Result::SourceFailed;
        got += read;
      }
      uint32_t bytes = static_cast<uint32_t>(output.size());
      if (beEncodeChunk(stream, static_cast<uint32_t>(want * job_.channels), pcm.data(),
                        output.data(), &bytes) != BE_ERR_SUCCESSFUL ||
          !Take(output.data(), bytes)) {
        return ParallelMp3Result::WriteFailed;
      }
      position += want;
      const int64_t nowCounted = std::clamp<int64_t>(position, mine, mineEnd) - mine;
      doneFrames_ += nowCounted - counted;
      counted = nowCounted;
    }
    uint32_t bytes = static_cast<uint32_t>(output.size());
    if (beDeinitStream(stream, output.data(), &bytes) != BE_ERR_SUCCESSFUL ||
        !Take(output.data(), bytes) || !splitter_.Empty() || std::fflush(file.get()) != 0) {
      return ParallelMp3Result::WriteFailed;
    }
    facts = EncoderStreamFacts(stream);
    if (failed_) return ParallelMp3Result::Done;
    return Last() || SeamFound() ? ParallelMp3Result::Done : ParallelMp3Result::NoCleanSeam;
  }

  bool SeamFound() const { return right_ && seamFound_; }

  // Writes encoder output to the temporary file and looks at its frames.
  bool Take(const uint8_t* data, uint32_t bytes) {
    if (bytes == 0) return true;
    if (std::fwrite(data, 1, bytes, file.get()) != bytes) return false;
    return splitter_.Add(data, bytes, [&](const Mp3FrameHeader& header, const uint8_t* frame) {
      OnFrame(header, frame);
    });
  }

  void OnFrame(const Mp3FrameHeader& header, const uint8_t* frame) {
    // The stream's first frame is its reserved tag frame.
    const int64_t k = plan_.firstFrame[index_] + framesSeen_++ - 1;
    if (k < plan_.firstFrame[index_]) return;
    const Mp3SideFacts side = ReadSideFacts(header, frame);
    if (left_ && k - plan_.firstFrame[index_] <= kMaxSeamSearchFrames) {
      {
        const std::lock_guard lock(left_->mutex);
        if (k - plan_.firstFrame[index_] == kMaxSeamSearchFrames) {
          left_->secondEnded = true;
        } else if (left_->seam < 0) {
          left_->second.push_back(side);
        }
      }
      left_->changed.notify_all();
    }
    const size_t next = static_cast<size_t>(index_) + 1;
    const int64_t searchAfter =
        job_.join == SeamJoin::Clean ? plan_.boundary[next] : plan_.firstFrame[next];
    if (right_ && !seamFound_ && k > searchAfter && previous_) {
      LookForSeam(k, *previous_, side);
    }
    previous_ = side;
  }

  // Whether frame k, after `before`, joins cleanly to the next stream.
  void LookForSeam(int64_t k, const Mp3SideFacts& before, const Mp3SideFacts& at) {
    const int64_t second = k - plan_.firstFrame[static_cast<size_t>(index_) + 1];
    std::unique_lock lock(right_->mutex);
    right_->changed.wait(lock, [&] {
      return static_cast<int64_t>(right_->second.size()) > second || right_->secondEnded ||
             failed_;
    });
    if (static_cast<int64_t>(right_->second.size()) <= second) return;
    const Mp3SideFacts& secondAt = right_->second[static_cast<size_t>(second)];
    const bool qualifies = job_.join == SeamJoin::Clean
                               ? SeamQualifies(before, at, secondAt)
                               : secondAt.mainDataBegin <= at.mainDataBegin;
    if (!qualifies) return;
    right_->seam = k;
    right_->firstMainDataBegin = at.mainDataBegin;
    right_->secondMainDataBegin = secondAt.mainDataBegin;
    right_->second.clear();
    right_->second.shrink_to_fit();
    seamFound_ = true;
  }

  const ParallelMp3Job& job_;
  const Plan& plan_;
  const int index_;
  SeamChannel* left_;
  SeamChannel* right_;
  std::atomic<bool>& failed_;
  std::atomic<int64_t>& doneFrames_;
  FrameSplitter splitter_;
  int64_t framesSeen_ = 0;
  bool seamFound_ = false;
  std::optional<Mp3SideFacts> previous_;
};

// Writes the tag frame and every stream's frames between its seams.
class Assembler {
 public:
  Assembler(OutputFile& file, SeamJoin join) : file_(file), join_(join) {}

  bool Run(std::vector<std::unique_ptr<Worker>>& workers, const Plan& plan,
           const std::vector<std::unique_ptr<SeamChannel>>& seams) {
    const size_t count = workers.size();
    FrameWindow held;  // the stream's newest frames, not yet written
    for (size_t i = 0; i < count; ++i) {
      std::FILE* in = workers[i]->file.get();
      HeldFrame frame;
      if (std::fseek(in, 0, SEEK_SET) != 0 || !NextFrame(in, frame)) return false;
      int64_t k = plan.firstFrame[i];
      if (i > 0) {
        const SeamChannel& seam = *seams[i - 1];
        FrameWindow before;
        for (; k < seam.seam; ++k) {
          if (!NextFrame(in, frame)) return false;
          before.Push(std::move(frame));
        }
        std::vector<uint8_t> reservoir;
        if (!CopyTailMainData(before.Frames(), seam.secondMainDataBegin, reservoir)) return false;
        if (join_ != SeamJoin::UnsettledReservoirNotMoved &&
            !PlaceReservoir(held.Frames(), seam.firstMainDataBegin, reservoir)) {
          return false;
        }
        for (HeldFrame& old : held.TakeAll()) Write(old);
      }
      const int64_t end = i + 1 < count ? seams[i]->seam : INT64_MAX;
      for (; k < end && NextFrame(in, frame); ++k) {
        if (!tagWritten_ && !WriteTagPlaceholder(frame)) return false;
        for (HeldFrame& old : held.Push(std::move(frame))) Write(old);
      }
      if (k < end && end != INT64_MAX) return false;
      workers[i]->file.reset();
    }
    for (HeldFrame& old : held.TakeAll()) Write(old);
    if (!tagWritten_) return true;  // nothing was encoded: a stream without frames
    InfoTagFacts facts = workers.back()->facts;
    facts.encoderDelay = workers.front()->facts.encoderDelay;
    facts.audioFrames = frames_;
    facts.streamBytes = static_cast<uint32_t>(std::min<uint64_t>(file_.SizeBytes(), UINT32_MAX));
    facts.musicCrc = crc_.Value();
    const std::vector<uint8_t> tag = MakeInfoTagFrame(firstHeader_, facts);
    return tag.size() == tagBytes_ && file_.WriteAt(0, tag.data(), tag.size());
  }

 private:
  bool WriteTagPlaceholder(const HeldFrame& first) {
    std::copy_n(first.bytes.begin(), 4, firstHeader_);
    const std::vector<uint8_t> tag = MakeInfoTagFrame(firstHeader_, InfoTagFacts{});
    tagBytes_ = tag.size();
    tagWritten_ = true;
    return !tag.empty() && file_.Write(tag.data(), tag.size());
  }

  void Write(const HeldFrame& frame) {
    crc_.Update(frame.bytes.data(), frame.bytes.size());
    ++frames_;
    file_.Write(frame.bytes.data(), frame.bytes.size());
  }

  OutputFile& file_;
  SeamJoin join_;
  bool tagWritten_ = false;
  uint8_t firstHeader_[4] = {};
  size_t tagBytes_ = 0;
  uint32_t frames_ = 0;
  Crc16 crc_;
};

}  // namespace

ParallelMp3Result EncodeParallelMp3(const ParallelMp3Job& job, const ExportPcmOpener& open,
                                    OutputFile& file, std::atomic<int64_t>& doneFrames,
                                    std::vector<int64_t>* seamFrames) {
  const Plan plan = PlanSegments(job);
  std::vector<std::unique_ptr<SeamChannel>> seams;
  for (int i = 0; i + 1 < job.encoders; ++i) seams.push_back(std::make_unique<SeamChannel>());
  std::atomic<bool> failed = false;
  std::vector<std::unique_ptr<Worker>> workers;
  for (int i = 0; i < job.encoders; ++i) {
    workers.push_back(std::make_unique<Worker>(
        job, plan, i, i > 0 ? seams[static_cast<size_t>(i) - 1].get() : nullptr,
        i + 1 < job.encoders ? seams[static_cast<size_t>(i)].get() : nullptr, failed,
        doneFrames));
  }
  {
    std::vector<std::jthread> threads;
    for (auto& worker : workers) threads.emplace_back([&worker, &open] { worker->Run(open); });
  }
  for (const auto& worker : workers) {
    if (worker->result != ParallelMp3Result::Done) return worker->result;
  }
  if (seamFrames) {
    for (const auto& seam : seams) seamFrames->push_back(seam->seam);
  }
  Assembler assembler(file, job.join);
  return assembler.Run(workers, plan, seams) && !file.Failed() ? ParallelMp3Result::Done
                                                                 : ParallelMp3Result::WriteFailed;
}
