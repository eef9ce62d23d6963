// SPDX-License-Identifier: GPL-3.0-or-later
// WaitForScan and AdoptExactLength; see scan_wait.h.
#include "export/scan_wait.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "base/dialogs.h"
#include "export/export_pieces.h"

namespace {

// Between two looks at the scan the UI thread sleeps this long, far below
// what a user notices, so the wait neither spins nor stalls the window.
constexpr auto kLookEvery = std::chrono::milliseconds(10);

}  // namespace

std::optional<Mp3StreamFacts> WaitForScan(const Mp3ScanIndex& scan, ExportHost& host) {
  while (!scan.Ended()) {
    const int percent = static_cast<int>(std::floor(scan.Progress() * 100.0));
    host.SetProgress(percent);
    host.SetTimeText("scanning " + std::to_string(percent) + " %");
    host.ProcessMessages();
    if (!scan.Ended()) std::this_thread::sleep_for(kLookEvery);
  }
  return scan.FinishedFacts();
}

bool AdoptExactLength(ExportJob& job, const Mp3StreamFacts& facts) {
  const SampleIndex estimateEnd = job.FileInfo.LengthFrames;
  const SampleIndex exactEnd(facts.lengthFrames);
  job.BeginSample = std::min(job.BeginSample, exactEnd);
  job.EndSample = job.EndSample >= estimateEnd ? exactEnd : std::min(job.EndSample, exactEnd);
  job.FileInfo.LengthMs = facts.lengthMs;
  job.FileInfo.LengthFrames = exactEnd;
  job.FileInfo.Bitrate = facts.bitrateKbps;
  return TotalFrames(PlanExportPieces(job.FileInfo, job.BeginSample, job.EndSample,
                                      job.ExportUnmarked)) > 0;
}

bool WaitForExactLength(ExportJob& job, const Mp3ScanIndex& scan, ExportHost& host,
                        Dialogs& dialogs) {
  const std::optional<Mp3StreamFacts> facts = WaitForScan(scan, host);
  const char* refusal = !facts                           ? kScanFailedText
                        : !AdoptExactLength(job, *facts) ? kNothingLeftText
                                                         : nullptr;
  if (refusal != nullptr) dialogs.ShowMessage(refusal, kErrorCaption, MessageIcon::Error);
  return refusal == nullptr;
}
