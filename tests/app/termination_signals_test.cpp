// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM, SIGINT and SIGHUP reach the callback from the event loop, never
// inside the handler; opening the SDL device leaves the signals alone.
#include "app/termination_signals.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "audio/sdl_wave_out.h"
#include "support/core_application.h"

static bool IsDefault(int signalNumber) {
  struct sigaction current {};
  sigaction(signalNumber, nullptr, &current);
  return current.sa_handler == SIG_DFL;
}

TEST(TerminationSignals, EachSignalReachesTheCallbackFromTheEventLoopAndSdlLeavesThemAlone) {
  EnsureCoreApplication();
  for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    std::vector<int> received;
    {
      const TerminationSignals watcher([&received](int n) { received.push_back(n); });
      raise(signalNumber);
      EXPECT_TRUE(received.empty()) << "work done inside the handler";
      ASSERT_TRUE(WaitUntil([&received] { return !received.empty(); }, 2000));
      EXPECT_EQ(received, std::vector<int>{signalNumber});
    }
    EXPECT_TRUE(IsDefault(signalNumber)) << "previous handler not restored";
  }
  QObject completions;
  SdlWaveOut device;
  ASSERT_TRUE(device.Open(Pcm16Format(44100, 2), &completions));
  EXPECT_TRUE(IsDefault(SIGTERM) && IsDefault(SIGINT));
}
