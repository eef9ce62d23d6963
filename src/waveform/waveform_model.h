// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WaveformModel: everything the waveform window shows, without the window.
//
// It holds the opened file, the current position and the two marks (as the
// main window reports them), the overview's peak columns and the detail
// strip's samples. The overview is computed by an OverviewJob whose batches
// arrive here by queued call on the user-interface thread; a file opened
// while a job runs cancels it at once and starts a new one, the cancelled job
// being kept (never waited for) until its threads have returned. The detail
// strip's span is read directly, through a reader of its own, whenever the
// position changes.
//
// Nothing is computed or read while the window is inactive (hidden): showing
// it starts the overview of the file already open. Changed() tells the window
// to repaint. User-interface thread only, except where stated.
#include <QObject>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"
#include "waveform/detail_window.h"
#include "waveform/overview_job.h"
#include "waveform/peak_columns.h"

class PeakSource;

class WaveformModel : public QObject {
  Q_OBJECT
 public:
  WaveformModel(int overviewColumns, int detailWidthPx, QObject* parent = nullptr);
  ~WaveformModel() override;

  // The window is shown (computing and reading only then).
  void SetActive(bool active);
  bool Active() const { return active_; }

  // A newly opened file (also the same path opened again). `scan`: an MP3's
  // scan, running or finished, by which the detail strip reads, so that it
  // never decodes the whole file on this thread.
  void OpenFile(const std::string& path, const AudioFileInfo& info,
                std::shared_ptr<Mp3ScanIndex> scan = nullptr);
  void SetPosition(int32_t positionMs);
  void SetMarks(int32_t markBeginMs, int32_t markEndMs);
  // The points a split would cut at, drawn on the overview; a new file
  // clears them.
  void SetSplitPoints(std::vector<SampleIndex> points);
  const std::vector<SampleIndex>& SplitPoints() const { return splitPoints_; }
  // Zoom of the detail strip: its span, clamped to 5 ms .. 1 s.
  void SetDetailSpanMs(int32_t spanMs);

  const AudioFileInfo& Info() const { return info_; }
  int32_t PositionMs() const { return positionMs_; }
  int32_t MarkBeginMs() const { return markBeginMs_; }
  int32_t MarkEndMs() const { return markEndMs_; }
  int32_t DetailSpanMs() const { return detailSpanMs_; }

  // --- Overview.
  const std::vector<ColumnPeak>& Overview() const { return overview_; }
  // Workers still reading, or batches of theirs still on their way here.
  bool OverviewRunning() const {
    return (job_ && !job_->Finished()) ||
           postedBatches_.load(std::memory_order_acquire) != receivedBatches_;
  }
  // The position a click on overview column x stands for: x / columns of
  // the length, rounded half to even and kept within the file.
  int32_t PositionForOverviewX(int x) const;
  // Where a position lies on the overview: the column its sample falls in,
  // and `columns` for the file's end, so a piece marked to the end shades
  // the last column too.
  int OverviewXForMs(int32_t ms) const;
  int OverviewXForSample(SampleIndex sample) const;
  // The x in the detail strip of a position's sample.
  double DetailXForMs(int32_t ms) const;
  // The position of the sample under detail x, kept within the file.
  int32_t PositionForDetailX(double x) const;

  // --- Detail strip.
  const DetailWindow& Detail() const { return detail_; }
  // Min/max columns of the span (when it is wider than the strip).
  const std::vector<ColumnPeak>& DetailPeaks() const { return detailPeaks_; }
  // The span's samples, interleaved, and which of its frames are real audio
  // (relative to Detail().firstFrame).
  const std::vector<int16_t>& DetailSamples() const { return detailSamples_; }
  int DetailChannels() const { return detailChannels_; }
  int64_t DetailValidFirst() const { return validFirst_; }
  int64_t DetailValidEnd() const { return validEnd_; }

 signals:
  void Changed();

 private:
  void StartOverview();
  void StopOverview();
  void Receive(uint64_t generation, int firstColumn, std::vector<ColumnPeak> peaks);
  void ReadDetail();

  const int columns_;
  const int detailWidthPx_;
  bool active_ = false;
  std::string path_;
  AudioFileInfo info_;
  int32_t positionMs_ = 0;
  int32_t markBeginMs_ = 0;
  int32_t markEndMs_ = 0;
  int32_t detailSpanMs_ = kDetailSpanMs;
  std::vector<SampleIndex> splitPoints_;

  std::vector<ColumnPeak> overview_;
  bool overviewStarted_ = false;
  uint64_t generation_ = 0;
  std::atomic<uint64_t> postedBatches_{0};  // counted by the workers
  uint64_t receivedBatches_ = 0;
  std::unique_ptr<OverviewJob> job_;
  std::vector<std::unique_ptr<OverviewJob>> retired_;

  std::shared_ptr<Mp3ScanIndex> scan_;
  std::unique_ptr<PeakSource> detailSource_;
  bool detailOpened_ = false;
  DetailWindow detail_;
  std::vector<int16_t> detailSamples_;
  std::vector<ColumnPeak> detailPeaks_;
  int detailChannels_ = 0;
  int64_t validFirst_ = 0;
  int64_t validEnd_ = 0;
};
