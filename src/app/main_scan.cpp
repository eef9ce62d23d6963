// SPDX-License-Identifier: GPL-3.0-or-later
// MainScan: Mp3Scanner reports posted to the model; see main_scan.h.
#include "app/main_scan.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>

#include "app/main_window_model.h"
#include "audio/mp3_scanner.h"
#include "base/rounding.h"

MainScan::MainScan(MainWindowModel& model) : model_(model) { model_.SetScanner(this); }

MainScan::~MainScan() {
  model_.SetScanner(nullptr);
  StopScan();
}

std::shared_ptr<Mp3ScanIndex> MainScan::StartScan(const std::string& fileName, uint32_t serial) {
  StopScan();
  const int32_t rate = model_.FileInfo.SampleRate;
  auto progress = [this, serial, rate](double fraction, int64_t knownFrames) {
    const int percent = static_cast<int>(std::floor(fraction * 100.0));
    const double knownMs = FramesToMs(static_cast<double>(knownFrames), rate);
    const auto clampedMs = static_cast<int32_t>(std::min<double>(knownMs, INT32_MAX));
    QMetaObject::invokeMethod(
        this, [this, serial, percent, clampedMs] { model_.ScanProgress(serial, percent, clampedMs); },
        Qt::QueuedConnection);
  };
  auto finished = [this, serial](std::optional<Mp3StreamFacts> facts) {
    QMetaObject::invokeMethod(
        this,
        [this, serial, facts] {
          model_.ScanFinished(serial, facts.has_value(), facts ? facts->lengthMs : 0,
                              facts ? facts->bitrateKbps : 0, facts ? facts->lengthFrames : 0);
        },
        Qt::QueuedConnection);
  };
  scanner_ = std::make_unique<Mp3Scanner>(fileName, progress, finished);
  return scanner_->Index();
}

void MainScan::StopScan() { scanner_.reset(); }
