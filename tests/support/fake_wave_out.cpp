// The scripted WaveOut of the unit tests.
#include "support/fake_wave_out.h"

#include <QCoreApplication>

#include "audio/wom_done_event.h"

bool FakeWaveOut::Open(const WaveFormat& openFormat, QObject* completionTarget) {
  ++opens;
  if (refuseOpen || open_) return false;
  open_ = true;
  format = openFormat;
  target_ = completionTarget;
  return true;
}

bool FakeWaveOut::Write(WaveHeader& header) {
  if (!open_ || !header.Has(WaveHeader::kPrepared) || header.Has(WaveHeader::kInQueue) ||
      queue_.size() >= static_cast<size_t>(kMaxQueuedHeaders)) {
    return false;
  }
  header.flags.fetch_and(~WaveHeader::kDone);
  header.flags.fetch_or(WaveHeader::kInQueue);
  queue_.push_back(&header);
  writtenLengths.push_back(header.lengthBytes);
  return true;
}

void FakeWaveOut::Return(WaveHeader* header) {
  header->flags.fetch_and(~WaveHeader::kInQueue);
  header->flags.fetch_or(WaveHeader::kDone);
  QCoreApplication::postEvent(target_, WomDoneEvent::Create(this, header));
}

void FakeWaveOut::Reset() {
  ++resets;
  if (!open_ || stallOnReset) return;
  while (!queue_.empty()) {
    WaveHeader* header = queue_.front();
    queue_.pop_front();
    Return(header);
  }
}

void FakeWaveOut::Close() {
  ++closes;
  for (WaveHeader* header : queue_) header->flags.fetch_and(~WaveHeader::kInQueue);
  queue_.clear();
  open_ = false;
}

bool FakeWaveOut::FinishNext() {
  if (!open_ || queue_.empty()) return false;
  WaveHeader* header = queue_.front();
  queue_.pop_front();
  playedBytes.insert(playedBytes.end(), header->data, header->data + header->lengthBytes);
  Return(header);
  return true;
}

void FakeWaveOut::Deliver() {
  if (target_ != nullptr) QCoreApplication::sendPostedEvents(target_, MM_WOM_DONE);
}

bool FakeWaveOut::PlayNext() {
  if (!FinishNext()) return false;
  Deliver();
  return true;
}

int FakeWaveOut::PlayAll(int limit) {
  int played = 0;
  while (played < limit && PlayNext()) ++played;
  return played;
}
