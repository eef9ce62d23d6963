// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MainScan: the main window's background scan of the opened MP3. It owns the
// Mp3Scanner of the file and hands its reports to the MainWindowModel by
// queued calls, so the model hears them on the UI thread between events.
// Opening another file, Exit and the termination signals end the scan
// through StopScan or the destructor, which never wait for more than the
// worker's next read.
//
// Created and used on the UI thread; its scanner's callbacks run on the
// worker and only post.
#include <QObject>
#include <memory>

#include "app/main_window_hooks.h"

class MainWindowModel;
class Mp3Scanner;

class MainScan final : public QObject, public ScanHooks {
 public:
  // Plugs itself into the model; must not outlive it.
  explicit MainScan(MainWindowModel& model);
  ~MainScan() override;
  MainScan(const MainScan&) = delete;
  MainScan& operator=(const MainScan&) = delete;

  std::shared_ptr<Mp3ScanIndex> StartScan(const std::string& fileName, uint32_t serial) override;
  void StopScan() override;

 private:
  MainWindowModel& model_;
  std::unique_ptr<Mp3Scanner> scanner_;
};
