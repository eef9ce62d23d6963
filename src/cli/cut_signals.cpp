// SPDX-License-Identifier: GPL-3.0-or-later
// The signal handling of snipola-cli cut; see cut_signals.h.
#include "cli/cut_signals.h"

#include <unistd.h>

#include "export/output_file.h"

namespace {

void EndOnSignal(int signal) {
  RemoveLiveTemporaryFiles();
  ::_exit(128 + signal);
}

}  // namespace

CutSignals::CutSignals() {
  struct sigaction action = {};
  action.sa_handler = &EndOnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

CutSignals::~CutSignals() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}
