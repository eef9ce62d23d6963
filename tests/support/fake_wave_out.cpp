// SPDX-License-Identifier: GPL-3.0-or-later
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
      queuedCount_ == queue_.size())
    return false;
  header.flags.fetch_and(~WaveHeader::kDone);
  header.flags.fetch_or(WaveHeader::kInQueue);
  queue_[(queueHead_ + queuedCount_++) % queue_.size()] = &header;
  writtenLengths.push_back(header.lengthBytes);
  return true;
}

const WaveHeader* FakeWaveOut::QueuedHeader(size_t index) const {
  return index < queuedCount_ ? queue_[(queueHead_ + index) % queue_.size()] : nullptr;
}

WaveHeader* FakeWaveOut::PopFront() {
  if (queuedCount_ == 0) return nullptr;
  WaveHeader* header = queue_[queueHead_];
  queueHead_ = (queueHead_ + 1) % queue_.size();
  --queuedCount_;
  return header;
}

void FakeWaveOut::Return(WaveHeader* header) {
  header->flags.fetch_and(~WaveHeader::kInQueue);
  header->flags.fetch_or(WaveHeader::kDone);
  QCoreApplication::postEvent(target_, WomDoneEvent::Create(this, header));
}

void FakeWaveOut::Reset() {
  ++resets;
  if (!open_ || stallOnReset) return;
  while (WaveHeader* header = PopFront()) Return(header);
}

void FakeWaveOut::Close() {
  ++closes;
  while (WaveHeader* header = PopFront()) header->flags.fetch_and(~WaveHeader::kInQueue);
  open_ = false;
}

bool FakeWaveOut::FinishNext() {
  WaveHeader* header = open_ ? PopFront() : nullptr;
  if (header == nullptr) return false;
  playedBytes.insert(playedBytes.end(), header->data, header->data + header->lengthBytes);
  Return(header);
  return true;
}

void FakeWaveOut::Deliver() {
  if (target_ != nullptr) QCoreApplication::sendPostedEvents(target_, MM_WOM_DONE);
}
