// SPDX-License-Identifier: GPL-3.0-or-later
// The seam test and the move of the reservoir bytes; see seam_joiner.h.
#include "export/seam_joiner.h"

#include <algorithm>
#include <cstring>

namespace {

int MainDataOffset(const HeldFrame& frame) {
  return frame.header.SideInfoOffset() + frame.header.SideInfoBytes();
}

int MainDataBytes(const HeldFrame& frame) {
  return static_cast<int>(frame.bytes.size()) - MainDataOffset(frame);
}

// Calls visit(byte, bytesFromEnd) for the last `count` main-data bytes,
// newest first; false when the frames hold fewer.
template <typename Frames, typename Visit>
bool VisitTailMainData(Frames& frames, int count, Visit&& visit) {
  int fromEnd = 0;
  for (auto frame = frames.rbegin(); frame != frames.rend() && fromEnd < count; ++frame) {
    const int offset = MainDataOffset(*frame);
    for (int at = static_cast<int>(frame->bytes.size()) - 1; at >= offset && fromEnd < count;
         --at, ++fromEnd) {
      visit(frame->bytes[static_cast<size_t>(at)], fromEnd);
    }
  }
  return fromEnd == count;
}

}  // namespace

std::vector<HeldFrame> FrameWindow::Push(HeldFrame frame) {
  mainDataBytes_ += MainDataBytes(frame);
  const int reach = frame.header.MaxMainDataBegin();
  frames_.push_back(std::move(frame));
  std::vector<HeldFrame> released;
  while (mainDataBytes_ - MainDataBytes(frames_.front()) >= reach) {
    mainDataBytes_ -= MainDataBytes(frames_.front());
    released.push_back(std::move(frames_.front()));
    frames_.pop_front();
  }
  return released;
}

std::vector<HeldFrame> FrameWindow::TakeAll() {
  std::vector<HeldFrame> all(std::make_move_iterator(frames_.begin()),
                             std::make_move_iterator(frames_.end()));
  frames_.clear();
  mainDataBytes_ = 0;
  return all;
}

bool SeamQualifies(const Mp3SideFacts& firstBefore, const Mp3SideFacts& firstAt,
                   const Mp3SideFacts& secondAt) {
  return secondAt.mainDataBegin <= firstAt.mainDataBegin && firstBefore.lastGranuleLong &&
         secondAt.firstGranuleLong;
}

bool CopyTailMainData(const std::deque<HeldFrame>& frames, int bytes, std::vector<uint8_t>& out) {
  out.assign(static_cast<size_t>(std::max(bytes, 0)), 0);
  return VisitTailMainData(frames, bytes, [&](const uint8_t& byte, int fromEnd) {
    out[out.size() - 1 - static_cast<size_t>(fromEnd)] = byte;
  });
}

bool PlaceReservoir(std::deque<HeldFrame>& frames, int freeBytes,
                    const std::vector<uint8_t>& reservoir) {
  const int reservoirBytes = static_cast<int>(reservoir.size());
  if (reservoirBytes > freeBytes) return false;
  return VisitTailMainData(frames, freeBytes, [&](uint8_t& byte, int fromEnd) {
    byte = fromEnd < reservoirBytes ? reservoir[reservoir.size() - 1 - static_cast<size_t>(fromEnd)]
                                    : 0;
  });
}
