// SPDX-License-Identifier: GPL-3.0-or-later
#include "waveform/waveform_model.h"

#include <algorithm>
#include <cmath>

#include "audio/peak_source.h"
#include "base/rounding.h"

WaveformModel::WaveformModel(int overviewColumns, int detailWidthPx, QObject* parent)
    : QObject(parent),
      columns_(std::max(overviewColumns, 1)),
      detailWidthPx_(std::max(detailWidthPx, 1)),
      overview_(static_cast<size_t>(columns_)) {}

WaveformModel::~WaveformModel() {
  // At the program's end the workers are told to stop and joined: each
  // returns after at most one block (or the frame scan of an MP3 it is
  // opening), so nothing outlives the model that receives their batches.
  StopOverview();
  retired_.clear();
}

void WaveformModel::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  if (active_) {
    if (!overviewStarted_) StartOverview();
    ReadDetail();
    emit Changed();
  }
}

void WaveformModel::OpenFile(const std::string& path, const AudioFileInfo& info,
                             std::shared_ptr<Mp3ScanIndex> scan) {
  StopOverview();
  path_ = path;
  info_ = info;
  scan_ = std::move(scan);
  positionMs_ = 0;
  splitPoints_.clear();
  overview_.assign(static_cast<size_t>(columns_), ColumnPeak{});
  overviewStarted_ = false;
  detailSource_.reset();
  detailOpened_ = false;
  if (active_) {
    StartOverview();
    ReadDetail();
  }
  emit Changed();
}

void WaveformModel::SetPosition(int32_t positionMs) {
  if (positionMs == positionMs_) return;
  positionMs_ = positionMs;
  if (active_) {
    ReadDetail();
    emit Changed();
  }
}

void WaveformModel::SetMarks(int32_t markBeginMs, int32_t markEndMs) {
  if (markBeginMs == markBeginMs_ && markEndMs == markEndMs_) return;
  markBeginMs_ = markBeginMs;
  markEndMs_ = markEndMs;
  if (active_) emit Changed();
}

void WaveformModel::SetSplitPoints(std::vector<SampleIndex> points) {
  if (points == splitPoints_) return;
  splitPoints_ = std::move(points);
  if (active_) emit Changed();
}

void WaveformModel::SetDetailSpanMs(int32_t spanMs) {
  spanMs = std::clamp(spanMs, kDetailMinSpanMs, kDetailSpanMs);
  if (spanMs == detailSpanMs_) return;
  detailSpanMs_ = spanMs;
  if (active_) {
    ReadDetail();
    emit Changed();
  }
}

int32_t WaveformModel::PositionForOverviewX(int x) const {
  const double fraction = static_cast<double>(std::clamp(x, 0, columns_)) / columns_;
  return static_cast<int32_t>(
      std::clamp<int64_t>(RoundHalfEven(fraction * info_.LengthMs), 0, info_.LengthMs));
}

int WaveformModel::OverviewXForMs(int32_t ms) const {
  return OverviewXForSample(SampleOfMs(info_, ms));
}

int WaveformModel::OverviewXForSample(SampleIndex sample) const {
  const int64_t length = info_.LengthFrames.Frame();
  if (length <= 0) return 0;
  return static_cast<int>(sample.Frame() * columns_ / length);
}

double WaveformModel::DetailXForMs(int32_t ms) const {
  return detail_.XForFrame(SampleOfMs(info_, ms).Frame());
}

int32_t WaveformModel::PositionForDetailX(double x) const {
  const auto frame =
      detail_.firstFrame + static_cast<int64_t>(std::floor(x * detail_.FramesPerPixel()));
  return MsOfSample(info_, SampleIndex(std::clamp<int64_t>(frame, 0, info_.LengthFrames.Frame())));
}

void WaveformModel::StartOverview() {
  overviewStarted_ = true;
  if (path_.empty() || info_.LengthFrames <= SampleIndex(0)) return;
  const uint64_t generation = ++generation_;
  job_ = std::make_unique<OverviewJob>(
      path_, info_, columns_, OverviewJob::DefaultThreads(),
      [this, generation](int firstColumn, std::vector<ColumnPeak> peaks) {
        // Worker thread: hand the batch to the user-interface thread. The
        // call is dropped if the model is gone by then.
        postedBatches_.fetch_add(1, std::memory_order_acq_rel);
        QMetaObject::invokeMethod(
            this,
            [this, generation, firstColumn, peaks = std::move(peaks)]() mutable {
              Receive(generation, firstColumn, std::move(peaks));
            },
            Qt::QueuedConnection);
      });
}

void WaveformModel::StopOverview() {
  ++generation_;  // batches still queued from the old job are ignored
  if (job_) {
    job_->Cancel();
    retired_.push_back(std::move(job_));
  }
  // Jobs whose threads have all returned are joined without waiting.
  std::erase_if(retired_, [](const std::unique_ptr<OverviewJob>& job) { return job->Finished(); });
}

void WaveformModel::Receive(uint64_t generation, int firstColumn, std::vector<ColumnPeak> peaks) {
  ++receivedBatches_;
  if (generation != generation_) return;
  for (size_t i = 0; i < peaks.size() && firstColumn + i < overview_.size(); ++i) {
    overview_[firstColumn + i] = peaks[i];
  }
  std::erase_if(retired_, [](const std::unique_ptr<OverviewJob>& job) { return job->Finished(); });
  emit Changed();
}

void WaveformModel::ReadDetail() {
  detail_ = DetailWindowFor(SampleOfMs(info_, positionMs_), detailSpanMs_, info_.SampleRate,
                            detailWidthPx_);
  validFirst_ = validEnd_ = 0;
  if (!detailOpened_ && !path_.empty()) {
    detailOpened_ = true;  // a file that cannot be read is not retried on every key
    detailSource_ = OpenPeakSource(path_, info_, PeakRate::Full, scan_);
  }
  detailChannels_ = detailSource_ ? detailSource_->Channels() : 0;
  detailSamples_.assign(static_cast<size_t>(detail_.frames * std::max(detailChannels_, 1)), 0);
  if (detailSource_) {
    const int64_t from = std::max<int64_t>(detail_.firstFrame, 0);
    const int64_t to = std::min(detail_.firstFrame + detail_.frames, detailSource_->TotalFrames());
    int64_t frame = from;
    if (from < to && detailSource_->Seek(from)) {
      while (frame < to) {
        const int64_t got = detailSource_->Read(
            detailSamples_.data() + (frame - detail_.firstFrame) * detailChannels_, to - frame);
        if (got <= 0) break;
        frame += got;
      }
    }
    // A damaged stretch ends the read early; the next seek starts afresh.
    validFirst_ = from - detail_.firstFrame;
    validEnd_ = std::max(frame, from) - detail_.firstFrame;
  }
  DetailColumns(detail_, detailSamples_, std::max(detailChannels_, 1),
                detail_.firstFrame + validFirst_, detail_.firstFrame + validEnd_, detailPeaks_);
}
