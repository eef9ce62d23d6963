// SPDX-License-Identifier: GPL-3.0-or-later
// The SDL2 wrapper: the one file of the program that includes SDL. It owns
// SDL's audio subsystem reference and the opened device, and turns the
// WaveOut calls into SDL's call order (init, open, unpause; lock, unlock;
// close, quit).
#include "audio/sdl_wave_out.h"

#include <SDL.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstring>

#include "audio/wom_done_event.h"

namespace {

// SDL's callback buffer in sample frames: short enough for a handle that moves
// smoothly, long enough not to wake the audio thread needlessly often.
constexpr Uint16 kCallbackFrames = 1024;

void MarkReturned(WaveHeader& header) {
  uint32_t flags = header.flags.load(std::memory_order_relaxed);
  while (!header.flags.compare_exchange_weak(
      flags, (flags & ~WaveHeader::kInQueue) | WaveHeader::kDone, std::memory_order_acq_rel)) {
  }
}

}  // namespace

SdlWaveOut::~SdlWaveOut() {
  Close();
  if (audioInitialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlWaveOut::Open(const WaveFormat& format, QObject* completionTarget) {
  Close();
  if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels == 0 ||
      format.samplesPerSec == 0 || completionTarget == nullptr) {
    return false;
  }
  if (!audioInitialised_) {
    // SDL would otherwise take over SIGINT and SIGTERM (where nobody has yet)
    // to post quit events that this program never reads, and the program
    // could no longer be ended by them; the program handles them itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) return false;
    audioInitialised_ = true;
  }
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = static_cast<int>(format.samplesPerSec);
  want.format = AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = kCallbackFrames;
  want.callback = &SdlWaveOut::Callback;
  want.userdata = this;
  SDL_AudioSpec have;
  SDL_zero(have);
  target_ = completionTarget;
  head_.store(0, std::memory_order_relaxed);
  tail_.store(0, std::memory_order_relaxed);
  headOffsetBytes_ = 0;
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    target_ = nullptr;
    return false;
  }
  deviceId_ = id;
  silence_ = have.silence;
  SDL_PauseAudioDevice(id, 0);
  return true;
}

bool SdlWaveOut::Write(WaveHeader& header) {
  if (deviceId_ == 0 || !header.Has(WaveHeader::kPrepared) || header.Has(WaveHeader::kInQueue)) {
    return false;
  }
  const uint32_t tail = tail_.load(std::memory_order_relaxed);
  if (tail - head_.load(std::memory_order_acquire) >= kRingSize) return false;
  uint32_t flags = header.flags.load(std::memory_order_relaxed);
  while (!header.flags.compare_exchange_weak(
      flags, (flags & ~WaveHeader::kDone) | WaveHeader::kInQueue, std::memory_order_acq_rel)) {
  }
  ring_[tail % kRingSize] = &header;
  tail_.store(tail + 1, std::memory_order_release);
  return true;
}

WaveHeader* SdlWaveOut::PopHead() {
  const uint32_t head = head_.load(std::memory_order_relaxed);
  if (head == tail_.load(std::memory_order_acquire)) return nullptr;
  WaveHeader* header = ring_[head % kRingSize];
  headOffsetBytes_ = 0;
  head_.store(head + 1, std::memory_order_release);
  return header;
}

void SdlWaveOut::Reset() {
  if (deviceId_ == 0) return;
  SDL_LockAudioDevice(deviceId_);
  while (WaveHeader* header = PopHead()) {
    MarkReturned(*header);
    QCoreApplication::postEvent(target_, WomDoneEvent::Create(this, header));
  }
  SDL_UnlockAudioDevice(deviceId_);
}

void SdlWaveOut::Close() {
  if (deviceId_ == 0) return;
  // Closing joins SDL's audio thread, so nothing touches the queue afterwards.
  SDL_CloseAudioDevice(deviceId_);
  deviceId_ = 0;
  while (WaveHeader* header = PopHead()) {
    header->flags.fetch_and(~WaveHeader::kInQueue, std::memory_order_acq_rel);
  }
  target_ = nullptr;
}

void SdlWaveOut::Callback(void* self, uint8_t* stream, int bytes) {
  static_cast<SdlWaveOut*>(self)->Fill(stream, static_cast<uint32_t>(std::max(bytes, 0)));
}

void SdlWaveOut::Fill(uint8_t* out, uint32_t bytes) {
  while (bytes > 0) {
    const uint32_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) break;
    WaveHeader* header = ring_[head % kRingSize];
    const uint32_t copyBytes = std::min(header->lengthBytes - headOffsetBytes_, bytes);
    if (copyBytes > 0) std::memcpy(out, header->data + headOffsetBytes_, copyBytes);
    out += copyBytes;
    bytes -= copyBytes;
    headOffsetBytes_ += copyBytes;
    if (headOffsetBytes_ < header->lengthBytes) break;
    WomDoneEvent* done = WomDoneEvent::CreateFromPool(this, header);
    if (done == nullptr) break;
    PopHead();
    MarkReturned(*header);
    QCoreApplication::postEvent(target_, done);
  }
  if (bytes > 0) std::memset(out, silence_, bytes);
}
