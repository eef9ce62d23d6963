// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CutSignals: while it lives, SIGINT, SIGTERM and SIGHUP end `snipola-cli cut`
// cleanly: the export's temporary file is removed and the process exits with
// 128 + the signal's number (130 for Ctrl+C, 143 for kill), as shells report a
// command ended by a signal. The handler does only async-signal-safe work
// (unlink, _exit). The handlers that were there before come back when it goes.
#include <csignal>

class CutSignals {
 public:
  CutSignals();
  ~CutSignals();
  CutSignals(const CutSignals&) = delete;
  CutSignals& operator=(const CutSignals&) = delete;

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction previous_[3] = {};
};
