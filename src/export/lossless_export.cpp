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

std::string TextOf(LosslessCutError error, const ExportJob& job) {
  switch (error) {
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
  const ExportPiece piece = PlanExportPieces(job.FileInfo, job.MarkBegin, job.MarkEnd, false)[0];
  const int64_t beginSample = MsToFrames(piece.startMs, job.FileInfo.SampleRate);

  OutputFile file;
  if (!file.Create(job.OutFileName)) {
    ShowApplicationError(dialogs, CannotCreateFileText(job.OutFileName, file.CreateError()));
    return false;
  }
  ExportClock clock(ExportRoute::Mp3, job.StartTick);
  const LosslessCutResult result = CutLosslessly(
      job.SourceFileName, beginSample, static_cast<int64_t>(piece.frames), file,
      [&](uint64_t done, uint64_t total) {
        host.SetProgress(static_cast<int>(
            RoundHalfEven(static_cast<double>(done) / static_cast<double>(total) * 100.0)));
        if (auto text = clock.Refresh(host.TickMs(), done, total)) host.SetTimeText(*text);
        host.ProcessMessages();
      });
  if (result.error != LosslessCutError::None) {
    ShowApplicationError(dialogs, TextOf(result.error, job));
    return false;
  }
  host.SetProgress(100);
  if (!file.Close()) {
    ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
    return false;
  }
  if (file.Commit()) return true;
  dialogs.ShowMessage(kCantAccessFile + job.OutFileName, kErrorCaption, MessageIcon::Error);
  return false;
}
