// SPDX-License-Identifier: GPL-3.0-or-later
// The self-pipe behind TerminationSignals; see termination_signals.h.
#include "app/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe's write end for the handler; -1 while no object is installed.
volatile sig_atomic_t signalWriteFd = -1;
std::array<struct sigaction, kSignals.size()> previousActions{};

// Runs inside the signal: one non-blocking write, errno kept for the code it
// interrupted. A full pipe already holds a signal, so a lost byte is harmless.
void OnSignal(int signalNumber) {
  const int savedErrno = errno;
  const int fd = signalWriteFd;
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  int fds[2];
  if (signalWriteFd >= 0 || pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readFd_ = fds[0];
  writeFd_ = fds[1];
  notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { ReadPipe(); });
  signalWriteFd = writeFd_;

  struct sigaction action {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  installed_ = true;
  for (size_t i = 0; i < kSignals.size(); ++i) {
    if (sigaction(kSignals[i], nullptr, &previousActions[i]) != 0) {
      installed_ = false;
      continue;
    }
    // Started under nohup, the program keeps running when its terminal goes.
    if (kSignals[i] == SIGHUP && previousActions[i].sa_handler == SIG_IGN) continue;
    if (sigaction(kSignals[i], &action, nullptr) != 0) installed_ = false;
  }
}

TerminationSignals::~TerminationSignals() {
  if (readFd_ < 0) return;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previousActions[i], nullptr);
  signalWriteFd = -1;
  delete notifier_;
  close(readFd_);
  close(writeFd_);
}

void TerminationSignals::ReadPipe() {
  unsigned char byte = 0;
  while (read(readFd_, &byte, 1) == 1) {
    if (onSignal_) onSignal_(byte);
  }
}
