// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PlaybackEngine: plays a file from a start position to an end position
// through a ring of 16 buffers of 8192 bytes queued on a WaveOut device.
//
// StartPlayback is handed the file, its description and both positions; it
// opens its own PCM stream at the start, opens the device and queues up to
// 16 blocks. Every buffer the device hands back arrives as an MM_WOM_DONE
// event at this object and goes through MMWomDone: the analyzer sees it,
// SamplesPlayed grows by its frames, the host hears the position the played
// frames reached, and the buffer is refilled with the next block or retired.
// The last retirement closes the device and the stream. A joined playback
// plays two ranges back to back: the block that ends the first is cut there
// and the stream is opened again at the second, so the following blocks go
// on from it with no gap in the device's queue. StopPlayback resets
// the device and waits (bounded) for the buffers to come back.
//
// The play commands and the current position belong to the main window's
// model, which decides where to start and end; the engine only reports back
// through PlaybackHost. It owns the device, the 16 buffers and their headers
// for its whole life: nothing is allocated per block or per playback.
//
// Threads: everything here runs on the UI thread, including MMWomDone, which
// Qt delivers from the event queue. The device's own thread only posts the
// completions.
#include <QObject>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"
#include "audio/pcm_stream.h"
#include "audio/wave_out.h"

class PlaybackHost;
class QEventLoop;

class PlaybackEngine final : public QObject {
 public:
  static constexpr int kBufferCount = 16;
  static constexpr uint32_t kBufferBytes = 8192;
  // How long StopPlayback waits for the device to hand its buffers back
  // before it closes the device anyway.
  static constexpr int kDefaultDrainTimeoutMs = 2000;

  // `device` is the output the engine plays through (the SDL device in the
  // program, a scripted one in tests).
  PlaybackEngine(PlaybackHost& host, std::unique_ptr<WaveOut> device);
  ~PlaybackEngine() override;
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;

  // Plays fileName, described by info, from startMs to endMs (which becomes
  // PlayEndMs): the samples from SampleOfMs(startMs) up to, not including,
  // SampleOfMs(endMs), so an end at the file's length plays its last frame.
  // Ignored while a stop is draining, without a file and at or after endMs (a
  // running playback then goes on). A running playback is stopped first.
  void StartPlayback(const std::string& fileName, const AudioFileInfo& info, uint32_t startMs,
                     int32_t endMs);
  // Plays [firstStartMs, firstEndMs) and then, without a gap, [thenStartMs,
  // endMs): the two pieces an export without the marked piece joins. When the
  // first block past firstEndMs is cut, the engine's stream is opened again at
  // thenStartMs inside the feeding, so the device never runs dry in between.
  // An empty range leaves a plain playback of the other one.
  void StartJoinedPlayback(const std::string& fileName, const AudioFileInfo& info,
                           uint32_t firstStartMs, int32_t firstEndMs, uint32_t thenStartMs,
                           int32_t endMs);
  // The scan of the file the next StartPlayback plays (null for a WAV or a
  // file measured already): a start the scan has not reached plays nothing.
  void SetScan(std::shared_ptr<Mp3ScanIndex> scan) { scan_ = std::move(scan); }

  // Resets the device, waits for the returned buffers (at most the drain
  // timeout), closes device and stream. Does nothing when not Playing.
  void StopPlayback();
  // One buffer handed back by the device.
  void MMWomDone(WaveOut* device, WaveHeader* header);

  bool Playing() const { return playing_; }
  int32_t PlayEndMs() const { return playEndMs_; }
  int32_t PendingBuffers() const { return pendingBuffers_; }
  bool StopFeeding() const { return stopFeeding_; }
  bool ReachedSourceEnd() const { return reachedSourceEnd_; }
  bool Draining() const { return draining_; }
  uint64_t SamplesPlayed() const { return samplesPlayed_; }
  uint64_t SamplesQueued() const { return samplesQueued_; }
  uint64_t SamplesToPlay() const { return samplesToPlay_; }

  // Tests shorten the bound of StopPlayback's wait.
  void SetDrainTimeoutMs(int timeoutMs) { drainTimeoutMs_ = timeoutMs; }

 protected:
  bool event(QEvent* event) override;

 private:
  struct Range {
    uint32_t startMs;
    int32_t endMs;
  };
  void Begin(const std::string& fileName, const AudioFileInfo& info, uint32_t startMs,
             int32_t endMs, std::optional<Range> then);
  // After the last block of the first range was cut: opens the stream at the
  // second range and counts from there. False when there is no second range.
  bool JoinAfterCut();
  // The file frame the blocks queued so far reach.
  uint64_t QueuedEnd() const { return rangeStart_ + std::min(samplesQueued_, samplesToPlay_); }
  // Queues the block `sizeBytes` long already copied into slot `slot`.
  bool QueueSlot(int slot, uint32_t sizeBytes);
  // Cuts a block at SamplesToPlay after SamplesQueued has counted it; true
  // when it is the last block of this playback.
  bool CutAtEnd(uint32_t& sizeBytes) const;
  int SlotOf(const WaveHeader* header) const;
  void FinalRetirement();
  void WaitForReturnedBuffers();
  void CloseDevice();

  PlaybackHost& host_;
  std::unique_ptr<WaveOut> waveOut_;
  bool deviceOpen_ = false;

  std::array<std::array<uint8_t, kBufferBytes>, kBufferCount> WaveBuffers{};
  std::array<WaveHeader, kBufferCount> headers_{};
  std::array<bool, kBufferCount> slotPending_{};  // the slot's header is handed to the device
  std::array<uint64_t, kBufferCount> slotEnd_{};  // the file frame the slot's block reaches

  AudioFileInfo info_;         // the file being played, taken at the start
  PcmStream stream_;           // its reader, the engine's own
  std::string fileName_;       // the file being played, for a joined playback's second range
  std::optional<Range> then_;  // the second range of a joined playback, until it is opened
  uint64_t rangeStart_ = 0;    // the file frame the range being read starts at
  std::shared_ptr<Mp3ScanIndex> scan_;
  uint32_t frameBytes_ = 0;  // Channels x 2
  int32_t pendingBuffers_ = 0;
  bool playing_ = false;
  int32_t playEndMs_ = 0;
  bool stopFeeding_ = false;
  bool reachedSourceEnd_ = false;
  bool draining_ = false;
  uint64_t samplesPlayed_ = 0;  // frames from the start of the file
  uint64_t samplesQueued_ = 0;  // frames read since this playback began
  uint64_t samplesToPlay_ = 0;  // frames from the start sample to the end sample

  int drainTimeoutMs_ = kDefaultDrainTimeoutMs;
  QEventLoop* drainLoop_ = nullptr;  // StopPlayback's wait, while it runs
};
