// SPDX-License-Identifier: GPL-3.0-or-later
// The MP3 route on several encoders; see parallel_export.h.
#include "export/parallel_export.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "base/application_error.h"
#include "base/dialogs.h"
#include "export/export_options.h"
#include "export/export_pieces.h"
#include "export/fades.h"
#include "export/output_file.h"
#include "export/parallel_mp3_encoder.h"

namespace {

// How often the progress is shown while the encoders run; well under the
// 50 ms the UI thread may be kept from its events.
constexpr auto kProgressInterval = std::chrono::milliseconds(20);

}  // namespace

int ExportEncoderCount(int64_t totalFrames, int32_t sampleRate, int jobs, unsigned cores) {
  if (sampleRate <= 0 || totalFrames < kParallelMinSeconds * sampleRate) return 1;
  const int64_t wanted = jobs > 0 ? jobs : std::max(1u, cores);
  return static_cast<int>(std::min(wanted, totalFrames / (kSegmentMinSeconds * sampleRate)));
}

std::optional<bool> ExportMP3Parallel(const ExportJob& job, ExportHost& host, Dialogs& dialogs,
                                      int encoders) {
  const AudioFileInfo& info = job.FileInfo;
  // The pieces lie inside the source's exact length (the window waits for
  // the scan, the command line scans first). A source that holds fewer frames
  // than that fails in the encoders' reads, so a short file is never reported
  // as success.
  std::vector<ExportPcmPiece> pieces;
  int64_t totalFrames = 0;
  for (const ExportPiece& piece :
       PlanExportPieces(info, job.BeginSample, job.EndSample, job.ExportUnmarked)) {
    const int64_t frames = static_cast<int64_t>(piece.frames);
    pieces.push_back({piece.start.Frame(), frames});
    totalFrames += frames;
  }
  const FadeFrames fades = MakeFadeFrames(job.FadeIn, job.FadeInSeconds, job.FadeOut,
                                          job.FadeOutSeconds, info.SampleRate);
  OutputFile file;
  if (!file.Create(job.OutFileName)) {
    ShowApplicationError(dialogs, CannotCreateFileText(job.OutFileName, file.CreateError()));
    return false;
  }

  ParallelMp3Job encode;
  encode.sampleRate = info.SampleRate;
  encode.channels = info.Channels;
  encode.bitrateKbps = job.BitrateKbps;
  encode.totalFrames = totalFrames;
  encode.encoders = encoders;
  std::atomic<bool> cancel = false;
  encode.cancel = &cancel;
  const ExportPcmOpener open = [&] {
    return OpenExportPcmReader(job.SourceFileName, info, pieces, fades);
  };
  std::atomic<int64_t> doneFrames = 0;
  std::future<ParallelMp3Result> running = std::async(std::launch::async, [&] {
    return EncodeParallelMp3(encode, open, file, doneFrames);
  });
  ExportClock clock(job.Route, job.StartTick);
  const auto showProgress = [&] {
    const uint64_t done = static_cast<uint64_t>(doneFrames.load());
    const uint64_t total = static_cast<uint64_t>(std::max<int64_t>(totalFrames, 1));
    ShowExportProgress(host, clock, done, total);
    if (host.CancelRequested()) cancel = true;
  };
  while (running.wait_for(kProgressInterval) != std::future_status::ready) showProgress();
  const ParallelMp3Result result = running.get();
  switch (result) {
    case ParallelMp3Result::Done:
      break;
    case ParallelMp3Result::NoCleanSeam:
      file.Abandon();
      return std::nullopt;
    case ParallelMp3Result::Cancelled:
      file.Abandon();
      return false;  // the user knows
    case ParallelMp3Result::EncoderStartFailed:
      ShowApplicationError(dialogs, kEncoderStartError);
      return false;
    case ParallelMp3Result::SourceFailed:
      ShowApplicationError(dialogs, "Cannot read file " + job.SourceFileName);
      return false;
    case ParallelMp3Result::WriteFailed:
      ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
      return false;
  }
  showProgress();
  if (!file.Close()) {
    ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
    return false;
  }
  return CommitExport(file, job, dialogs);
}
