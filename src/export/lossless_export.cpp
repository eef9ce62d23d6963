// SPDX-License-Identifier: GPL-3.0-or-later
// The lossless route of the export pipeline; see lossless_export.h.
#include "export/lossless_export.h"

#include "base/application_error.h"
#include "base/dialogs.h"
#include "base/rounding.h"
#include "export/export_options.h"
#include "export/export_pieces.h"
#include "export/lossless_cut.h"
#include "export/output_file.h"

namespace {

int64_t MsOf(int64_t sample, int32_t rate) {
  return static_cast<int64_t>(RoundHalfEven(static_cast<double>(sample) * 1000.0 / rate));
}

std::string TextOf(const LosslessCutResult& result, const ExportJob& job) {
  switch (result.error) {
    case LosslessCutError::AcrossJoin:
      return LosslessAcrossJoinText(MsOf(result.atSample, job.FileInfo.SampleRate));
    case LosslessCutError::FormatChange:
      return LosslessFormatChangeText(MsOf(result.atSample, job.FileInfo.SampleRate));
    case LosslessCutError::CannotRead:
      return "Cannot read file " + job.SourceFileName;
    case LosslessCutError::NotLayer3:
      return kLosslessNotLayer3Text;
    case LosslessCutError::FreeFormat:
      return kLosslessFreeFormatText;
    case LosslessCutError::Damaged:
      return kLosslessDamagedText;
    case LosslessCutError::Empty:
      return kLosslessEmptyText;
    default:
      return UnableToWriteText(job.OutFileName);
  }
}

}  // namespace

std::string LosslessAcrossJoinText(int64_t atMs) {
  return "Lossless export is not possible: the marked piece runs from the first part of a joined "
         "MP3, which ends at " +
         std::to_string(atMs) +
         " ms, into the middle of the next; end it before that or at the end of the file, or "
         "choose a bitrate instead";
}

std::string LosslessFormatChangeText(int64_t atMs) {
  return "Lossless export is not possible: the MP3's sample rate, channels or MPEG version change "
         "at " +
         std::to_string(atMs) +
         " ms, which the marked piece reaches; a re-encoded export (choose a bitrate) works";
}

std::string LosslessShortText(int64_t plannedSamples, int64_t writtenSamples) {
  return "Lossless export failed: the written file holds " + std::to_string(writtenSamples) +
         " samples instead of the " + std::to_string(plannedSamples) + " marked; nothing was saved";
}

bool ExportLossless(const ExportJob& job, ExportHost& host, Dialogs& dialogs) {
  if (job.FileInfo.FileType != AudioFileInfo::kTypeMp3) {
    ShowApplicationError(dialogs, kLosslessNeedsMp3Text);
    return false;
  }
  if (job.ExportUnmarked || (job.FadeIn && job.FadeInSeconds > 0) ||
      (job.FadeOut && job.FadeOutSeconds > 0)) {
    ShowApplicationError(dialogs, kLosslessOptionsText);
    return false;
  }
  const ExportPiece piece =
      PlanExportPieces(job.FileInfo, job.BeginSample, job.EndSample, false)[0];

  OutputFile file;
  if (!file.Create(job.OutFileName)) {
    ShowApplicationError(dialogs, CannotCreateFileText(job.OutFileName, file.CreateError()));
    return false;
  }
  ExportClock clock(ExportRoute::Mp3, job.StartTick);
  const LosslessCutResult result = CutLosslessly(
      job.SourceFileName, piece.start.Frame(), static_cast<int64_t>(piece.frames), file,
      [&](uint64_t done, uint64_t total) { ShowExportProgress(host, clock, done, total); },
      job.SourceWalk.get());
  if (result.error != LosslessCutError::None) {
    ShowApplicationError(dialogs, TextOf(result, job));
    return false;
  }
  host.SetProgress(100);
  if (!file.Close()) {
    ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
    return false;
  }
  if (const int64_t written = LosslessCutSamples(file.TempPath());
      written != result.plan.pieceSamples) {
    file.Abandon();
    ShowApplicationError(dialogs, LosslessShortText(result.plan.pieceSamples, written));
    return false;
  }
  return CommitExport(file, job, dialogs);
}
