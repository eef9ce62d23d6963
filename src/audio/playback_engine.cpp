// SPDX-License-Identifier: GPL-3.0-or-later
// The playback engine: prefill, completion handling with refill and
// retirement, and the stop with its bounded drain.
#include "audio/playback_engine.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "audio/playback_host.h"
#include "audio/wom_done_event.h"
#include "base/dialogs.h"

namespace {

// Gives a header back its zero-filled state.
void ClearHeader(WaveHeader& header) {
  header.data = nullptr;
  header.lengthBytes = 0;
  header.flags.store(0, std::memory_order_relaxed);
  header.user = 0;
}

}  // namespace

PlaybackEngine::PlaybackEngine(PlaybackHost& host, std::unique_ptr<WaveOut> device)
    : host_(host), waveOut_(std::move(device)) {}

PlaybackEngine::~PlaybackEngine() {
  // No host calls here: the window that owns the engine is being torn down.
  if (deviceOpen_) waveOut_->Close();
  if (playing_) stream_.Close();
}

bool PlaybackEngine::event(QEvent* event) {
  if (event->type() == MM_WOM_DONE) {
    const auto* done = static_cast<WomDoneEvent*>(event);
    MMWomDone(done->device(), done->header());
    return true;
  }
  return QObject::event(event);
}

void PlaybackEngine::StartPlayback(const std::string& fileName, const AudioFileInfo& info,
                                   uint32_t startMs, int32_t endMs) {
  Begin(fileName, info, startMs, endMs, std::nullopt);
}

void PlaybackEngine::StartJoinedPlayback(const std::string& fileName, const AudioFileInfo& info,
                                         uint32_t firstStartMs, int32_t firstEndMs,
                                         uint32_t thenStartMs, int32_t endMs) {
  if (static_cast<int64_t>(firstStartMs) >= firstEndMs) {
    Begin(fileName, info, thenStartMs, endMs, std::nullopt);
  } else if (static_cast<int64_t>(thenStartMs) >= endMs) {
    Begin(fileName, info, firstStartMs, firstEndMs, std::nullopt);
  } else {
    Begin(fileName, info, firstStartMs, firstEndMs, Range{thenStartMs, endMs});
  }
}

void PlaybackEngine::Begin(const std::string& fileName, const AudioFileInfo& info, uint32_t startMs,
                           int32_t endMs, std::optional<Range> then) {
  Q_ASSERT(QThread::currentThread() == thread());
  // The end is taken also when the start is refused: it is where a running
  // playback that the refused start leaves going now ends.
  playEndMs_ = then ? then->endMs : endMs;
  if (draining_) return;
  if (fileName.empty() || static_cast<int64_t>(startMs) >= endMs) return;
  if (playing_) StopPlayback();

  info_ = info;
  // A description without a usable format cannot be played (and would divide
  // by zero below); it is treated like no file.
  if (info_.SampleRate <= 0 || info_.Channels < 1 || info_.Channels > 2) return;
  frameBytes_ = static_cast<uint32_t>(info_.Channels) * 2;

  // Both positions on the file's sample timeline: the selection plays
  // exactly the frames an export of it holds.
  const SampleIndex start = SampleOfMs(info_, startMs);
  const SampleIndex end = SampleOfMs(info_, endMs);
  // A failed open shows as a stream whose first read returns false.
  stream_.Open(fileName, info_, start, scan_);
  fileName_ = fileName;
  then_ = then;
  rangeStart_ = static_cast<uint64_t>(start.Frame());
  stopFeeding_ = false;
  reachedSourceEnd_ = false;

  const WaveFormat format =
      Pcm16Format(static_cast<uint32_t>(info_.SampleRate), static_cast<uint16_t>(info_.Channels));
  if (!waveOut_->Open(format, this)) {
    stream_.Close();
    host_.GetDialogs().ShowMessage("Can't open wave out device", kErrorCaption, MessageIcon::Error);
    return;
  }
  deviceOpen_ = true;

  samplesPlayed_ = static_cast<uint64_t>(start.Frame());
  samplesQueued_ = 0;
  samplesToPlay_ = static_cast<uint64_t>(std::max<int64_t>(end - start, 0));

  pendingBuffers_ = kBufferCount;
  for (int slot = 0; slot < kBufferCount; ++slot) {
    uint8_t* data = nullptr;
    uint32_t sizeBytes = 0;
    if (!stream_.Read(data, sizeBytes)) {
      pendingBuffers_ = slot;
      break;
    }
    sizeBytes = std::min(sizeBytes, kBufferBytes);
    if (sizeBytes > 0) std::memcpy(WaveBuffers[slot].data(), data, sizeBytes);
    samplesQueued_ += sizeBytes / frameBytes_;
    const bool cut = CutAtEnd(sizeBytes);
    slotEnd_[slot] = QueuedEnd();
    const bool last = cut && !JoinAfterCut();
    if (last && sizeBytes == 0) {
      stopFeeding_ = true;
      pendingBuffers_ = slot;
      break;
    }
    if (!QueueSlot(slot, sizeBytes)) {
      // The device took no more; what is queued plays out.
      stopFeeding_ = true;
      pendingBuffers_ = slot;
      break;
    }
    if (last) {
      stopFeeding_ = true;
      pendingBuffers_ = slot + 1;
      break;
    }
  }
  playing_ = true;

  // Nothing was queued, so nothing will ever come back: end at once, as when
  // the stream runs out, rather than stay "playing" with an empty device.
  if (pendingBuffers_ == 0) {
    reachedSourceEnd_ = true;
    FinalRetirement();
  }
}

bool PlaybackEngine::JoinAfterCut() {
  if (!then_) return false;
  const SampleIndex start = SampleOfMs(info_, then_->startMs);
  const SampleIndex end = SampleOfMs(info_, then_->endMs);
  then_.reset();
  stream_.Open(fileName_, info_, start, scan_);
  rangeStart_ = static_cast<uint64_t>(start.Frame());
  samplesQueued_ = 0;
  samplesToPlay_ = static_cast<uint64_t>(std::max<int64_t>(end - start, 0));
  return true;
}

bool PlaybackEngine::CutAtEnd(uint32_t& sizeBytes) const {
  if (samplesQueued_ < samplesToPlay_) return false;
  sizeBytes -= static_cast<uint32_t>(samplesQueued_ - samplesToPlay_) * frameBytes_;
  return true;
}

bool PlaybackEngine::QueueSlot(int slot, uint32_t sizeBytes) {
  WaveHeader& header = headers_[slot];
  ClearHeader(header);
  header.data = WaveBuffers[slot].data();
  header.lengthBytes = sizeBytes;
  waveOut_->Prepare(header);
  if (!waveOut_->Write(header)) {
    waveOut_->Unprepare(header);
    return false;
  }
  slotPending_[slot] = true;
  return true;
}

int PlaybackEngine::SlotOf(const WaveHeader* header) const {
  for (int slot = 0; slot < kBufferCount; ++slot) {
    if (&headers_[slot] == header) return slot;
  }
  return -1;
}

void PlaybackEngine::MMWomDone(WaveOut* device, WaveHeader* header) {
  Q_ASSERT(QThread::currentThread() == thread());
  // A completion that does not belong to this playback (left over from a
  // device that was closed without handing everything back) is ignored.
  const int slot = SlotOf(header);
  if (slot < 0 || !slotPending_[slot] || !deviceOpen_ || device != waveOut_.get() ||
      header->Has(WaveHeader::kInQueue)) {
    return;
  }

  device->Unprepare(*header);
  host_.SpectrumFeed(header->data, header->lengthBytes);
  // The block's end on the file's timeline: after a join it lies past the
  // frames played so far.
  samplesPlayed_ = slotEnd_[slot];
  if (!draining_) {
    host_.PlayedTo(MsOfSample(info_, SampleIndex(static_cast<int64_t>(samplesPlayed_))));
  }

  const bool wasFeeding = !stopFeeding_;
  bool produced = false;
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  if (wasFeeding) produced = stream_.Read(data, sizeBytes) && sizeBytes > 0;

  if (wasFeeding && produced) {
    sizeBytes = std::min(sizeBytes, kBufferBytes);
    samplesQueued_ += sizeBytes / frameBytes_;
    const bool cut = CutAtEnd(sizeBytes);
    slotEnd_[slot] = QueuedEnd();
    const bool last = cut && !JoinAfterCut();
    if (sizeBytes > 0) {
      std::memcpy(header->data, data, sizeBytes);
      header->lengthBytes = sizeBytes;
      device->Prepare(*header);
      if (device->Write(*header)) {
        if (last) stopFeeding_ = true;
        return;
      }
      device->Unprepare(*header);
    }
    stopFeeding_ = true;
  }

  // Retire the buffer.
  if (wasFeeding && !produced) reachedSourceEnd_ = true;
  stopFeeding_ = true;
  --pendingBuffers_;
  slotPending_[slot] = false;
  ClearHeader(*header);
  if (pendingBuffers_ == 0) FinalRetirement();
}

void PlaybackEngine::FinalRetirement() {
  host_.ClearDisplay();
  CloseDevice();
  stream_.Close();
  playing_ = false;
  if (reachedSourceEnd_) host_.PlayedTo(playEndMs_);
  if (drainLoop_ != nullptr) drainLoop_->quit();
}

void PlaybackEngine::CloseDevice() {
  if (!deviceOpen_) return;
  waveOut_->Close();
  deviceOpen_ = false;
}

void PlaybackEngine::StopPlayback() {
  Q_ASSERT(QThread::currentThread() == thread());
  if (!playing_ || draining_) return;
  stopFeeding_ = true;
  waveOut_->Reset();
  draining_ = true;
  WaitForReturnedBuffers();
  draining_ = false;

  if (deviceOpen_) {
    // The device kept some buffers past the bound (a stalled sound server).
    // Closing it makes it let go of them; completions it already posted are
    // dropped, and the buffers count as returned.
    CloseDevice();
    QCoreApplication::removePostedEvents(this, MM_WOM_DONE);
    for (int slot = 0; slot < kBufferCount; ++slot) {
      if (!slotPending_[slot]) continue;
      slotPending_[slot] = false;
      ClearHeader(headers_[slot]);
    }
    pendingBuffers_ = 0;
  }
  stream_.Close();
  playing_ = false;
  host_.ClearDisplay();
}

void PlaybackEngine::WaitForReturnedBuffers() {
  // A device that hands everything back within Reset has posted all its
  // completions already; deliver them without running a nested loop.
  QCoreApplication::sendPostedEvents(this, MM_WOM_DONE);
  const QDeadlineTimer deadline(drainTimeoutMs_);
  while (pendingBuffers_ > 0 && !deadline.hasExpired()) {
    // Wait for late completions. User input is held off meanwhile, so no
    // command runs inside the stop; the loop ends at the final retirement or
    // at the deadline.
    QEventLoop loop;
    QTimer::singleShot(std::max<qint64>(deadline.remainingTime(), 0), &loop, &QEventLoop::quit);
    drainLoop_ = &loop;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    drainLoop_ = nullptr;
  }
}
