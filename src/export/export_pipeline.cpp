// SPDX-License-Identifier: GPL-3.0-or-later
// The two export routes and their shared per-piece loop; see export_pipeline.h.
#include "export/export_pipeline.h"

#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "base/application_error.h"
#include "base/dialogs.h"
#include "base/rounding.h"
#include "export/export_options.h"
#include "export/export_pieces.h"
#include "export/fades.h"
#include "export/lame_encoder.h"
#include "export/lossless_export.h"
#include "export/mp3_chunker.h"
#include "export/output_file.h"
#include "export/parallel_export.h"
#include "export/wav_writer.h"
#include "tags/export_tags.h"

namespace {

// Takes the bytes of one cut, faded block; false stops the export.
using BlockSink = std::function<bool(const uint8_t* data, uint32_t bytes)>;

enum class PiecesResult { Done, SourceFailed, SinkFailed, Cancelled };

// Reads, cuts, fades and hands on every block of every piece.
PiecesResult RunPieces(const ExportJob& job, ExportHost& host, ExportSource& source,
                       const BlockSink& sink) {
  const std::vector<ExportPiece> pieces =
      PlanExportPieces(job.FileInfo, job.BeginSample, job.EndSample, job.ExportUnmarked);
  const uint64_t total = TotalFrames(pieces);
  const int channels = job.FileInfo.Channels;
  const uint32_t frameBytes = 2u * static_cast<uint32_t>(channels);
  const FadeFrames fades = MakeFadeFrames(job.FadeIn, job.FadeInSeconds, job.FadeOut,
                                          job.FadeOutSeconds, job.FileInfo.SampleRate);
  ExportClock clock(job.Route, job.StartTick);

  for (const ExportPiece& piece : pieces) {
    const bool opened = source.Open(job.SourceFileName, job.FileInfo, piece.start);
    if (!opened && piece.frames > 0) {
      source.Close();
      return PiecesResult::SourceFailed;
    }
    uint64_t remaining = piece.frames;
    uint64_t doneInPiece = 0;
    int emptyBlocksInARow = 0;
    while (remaining > 0) {
      uint8_t* data = nullptr;
      uint32_t bytes = 0;
      if (!source.Read(data, bytes)) break;
      uint64_t blockFrames = bytes / frameBytes;
      if (blockFrames > remaining) blockFrames = remaining;
      // Only whole frames go on: a trailing partial frame would shift every
      // later sample by a byte or a channel.
      bytes = static_cast<uint32_t>(blockFrames * frameBytes);
      ApplyFades(reinterpret_cast<int16_t*>(data), static_cast<uint32_t>(blockFrames), channels,
                 piece.frames, doneInPiece, fades);
      doneInPiece += blockFrames;
      remaining -= blockFrames;
      if (bytes > 0 && !sink(data, bytes)) {
        source.Close();
        return PiecesResult::SinkFailed;
      }
      const uint64_t done = total - remaining - piece.pendingFrames;
      ShowExportProgress(host, clock, done, total);
      if (host.CancelRequested()) {
        source.Close();
        return PiecesResult::Cancelled;
      }
      emptyBlocksInARow = blockFrames == 0 ? emptyBlocksInARow + 1 : 0;
      if (emptyBlocksInARow >= kMaxEmptyBlocksInARow) break;
    }
    source.Close();
    // Every piece lies inside the file: a source that ends before the piece
    // does would leave the export short.
    if (remaining > 0) return PiecesResult::SourceFailed;
  }
  return PiecesResult::Done;
}

void ShowErrorBox(Dialogs& dialogs, const std::string& text) {
  dialogs.ShowMessage(text, kErrorCaption, MessageIcon::Error);
}

// Closes an encoder stream on every way out that does not close it in order.
class EncoderStreamGuard {
 public:
  explicit EncoderStreamGuard(HBE_STREAM stream) : stream_(stream) {}
  ~EncoderStreamGuard() {
    if (stream_) beCloseStream(stream_);
  }
  EncoderStreamGuard(const EncoderStreamGuard&) = delete;
  EncoderStreamGuard& operator=(const EncoderStreamGuard&) = delete;
  HBE_STREAM get() const { return stream_; }
  BE_ERR Close() {
    HBE_STREAM stream = stream_;
    stream_ = nullptr;
    return beCloseStream(stream);
  }

 private:
  HBE_STREAM stream_;
};

// The end every route shares: a pieces failure becomes its message; the
// finished file replaces the target.
bool ReportPiecesFailure(PiecesResult result, const ExportJob& job, Dialogs& dialogs) {
  if (result == PiecesResult::Cancelled) return false;  // the user knows
  if (result == PiecesResult::SourceFailed) {
    ShowApplicationError(dialogs, "Cannot read file " + job.SourceFileName);
  } else {
    ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
  }
  return false;
}

}  // namespace

void ShowExportProgress(ExportHost& host, ExportClock& clock, uint64_t done, uint64_t total) {
  host.SetProgress(static_cast<int>(
      RoundHalfEven(static_cast<double>(done) / static_cast<double>(total) * 100.0)));
  if (auto text = clock.Refresh(host.TickMs(), done, total)) host.SetTimeText(*text);
  host.ProcessMessages();
}

std::string CannotWriteTagsText(const std::string& path) {
  return "Cannot write the tags of " + path + "; nothing was saved";
}

bool CommitExport(OutputFile& file, const ExportJob& job, Dialogs& dialogs) {
  ExportTagsJob tags;
  tags.sourcePath = job.SourceFileName;
  tags.sourceFormat = job.FileInfo.FileType == AudioFileInfo::kTypeMp3 ? TagFileFormat::Mp3
                                                                       : TagFileFormat::Wav;
  tags.outputPath = file.TempPath();
  tags.outputFormat = job.Route == ExportRoute::Mp3 ? TagFileFormat::Mp3 : TagFileFormat::Wav;
  tags.edits = job.Tags;
  for (const ExportPiece& piece :
       PlanExportPieces(job.FileInfo, job.BeginSample, job.EndSample, job.ExportUnmarked)) {
    const int64_t begin = piece.start.Frame();
    tags.pieces.push_back(
        {FramesToMs(static_cast<double>(begin), job.FileInfo.SampleRate),
         FramesToMs(static_cast<double>(begin + static_cast<int64_t>(piece.frames)),
                    job.FileInfo.SampleRate)});
  }
  if (!WriteExportTags(tags)) {
    file.Abandon();
    ShowApplicationError(dialogs, CannotWriteTagsText(job.OutFileName));
    return false;
  }
  if (job.CommitLater) {
    *job.CommitLater = std::move(file);
    return true;
  }
  if (file.Commit()) return true;
  ShowErrorBox(dialogs, kCantAccessFile + job.OutFileName);
  return false;
}

std::string ReplaceQuestion(const std::string& outFileName) {
  return outFileName + " already exists.\nDo you want to replace it?";
}

bool CheckExportTarget(const std::string& outFileName, const std::string& sourceFileName,
                       Dialogs& dialogs, ExistingTarget existing) {
  if (outFileName == sourceFileName || IsSameFile(outFileName, sourceFileName)) {
    ShowErrorBox(dialogs, kOriginFileError);
    return false;
  }
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(outFileName, error))) return true;
  if (!CanReplaceFile(outFileName)) {
    ShowErrorBox(dialogs, kCantAccessFile + outFileName);
    return false;
  }
  return existing == ExistingTarget::Replace ||
         dialogs.Confirm(ReplaceQuestion(outFileName), kReplaceCaption);
}

bool RefuseEmptyExport(const ExportJob& job, Dialogs& dialogs) {
  if (TotalFrames(
          PlanExportPieces(job.FileInfo, job.BeginSample, job.EndSample, job.ExportUnmarked)) > 0) {
    return false;
  }
  ShowApplicationError(dialogs, job.ExportUnmarked ? kNothingUnmarkedText : kNothingMarkedText);
  return true;
}

bool RunExport(const ExportJob& job, ExportHost& host, Dialogs& dialogs, ExportSource& source) {
  if (RefuseEmptyExport(job, dialogs)) return false;
  if (job.Route == ExportRoute::Mp3 && job.Lossless) return ExportLossless(job, host, dialogs);
  return job.Route == ExportRoute::Mp3 ? ExportMP3(job, host, dialogs, source)
                                       : ExportWAV(job, host, dialogs, source);
}

bool ExportMP3(const ExportJob& job, ExportHost& host, Dialogs& dialogs, ExportSource& source) {
  const uint64_t frames = TotalFrames(
      PlanExportPieces(job.FileInfo, job.BeginSample, job.EndSample, job.ExportUnmarked));
  if (const int encoders = ExportEncoderCount(static_cast<int64_t>(frames), job.FileInfo.SampleRate,
                                              job.Jobs, std::thread::hardware_concurrency());
      encoders > 1) {
    if (const std::optional<bool> done = ExportMP3Parallel(job, host, dialogs, encoders)) {
      return *done;
    }
  }
  BE_CONFIG config;
  MakeExportEncoderConfig(config, job.FileInfo.SampleRate, job.FileInfo.Channels, job.BitrateKbps);
  uint32_t samplesPerChunk = 0;
  uint32_t outputBufferBytes = 0;
  HBE_STREAM rawStream = nullptr;
  if (beInitStream(&config, &samplesPerChunk, &outputBufferBytes, &rawStream) !=
      BE_ERR_SUCCESSFUL) {
    ShowApplicationError(dialogs, kEncoderStartError);
    return false;
  }
  EncoderStreamGuard stream(rawStream);
  Mp3Chunker chunker(2 * samplesPerChunk);
  std::vector<uint8_t> output(2 * static_cast<size_t>(outputBufferBytes));

  OutputFile file;
  if (!file.Create(job.OutFileName)) {
    ShowApplicationError(dialogs, CannotCreateFileText(job.OutFileName, file.CreateError()));
    return false;
  }
  const auto encode = [&](const uint8_t* pcm, uint32_t sampleCount) {
    uint32_t bytes = outputBufferBytes;
    if (beEncodeChunk(stream.get(), sampleCount, reinterpret_cast<const int16_t*>(pcm),
                      output.data(), &bytes) != BE_ERR_SUCCESSFUL) {
      return false;
    }
    return bytes == 0 || file.Write(output.data(), bytes);
  };

  const PiecesResult pieces =
      RunPieces(job, host, source, [&](const uint8_t* data, uint32_t bytes) {
        return chunker.Feed(data, bytes,
                            [&](const uint8_t* chunk) { return encode(chunk, samplesPerChunk); });
      });
  if (pieces != PiecesResult::Done) return ReportPiecesFailure(pieces, job, dialogs);

  bool written = chunker.FillBytes() == 0 || encode(chunker.Data(), chunker.FillBytes() / 2);
  uint32_t bytes = outputBufferBytes;
  written = written && beDeinitStream(stream.get(), output.data(), &bytes) == BE_ERR_SUCCESSFUL &&
            (bytes == 0 || file.Write(output.data(), bytes));
  written = file.Close() && written;
  stream.Close();
  written = written && beWriteVBRHeader(file.TempPath().c_str()) == BE_ERR_SUCCESSFUL;
  if (!written) {
    ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
    return false;
  }
  return CommitExport(file, job, dialogs);
}

bool ExportWAV(const ExportJob& job, ExportHost& host, Dialogs& dialogs, ExportSource& source) {
  OutputFile file;
  if (!file.Create(job.OutFileName)) {
    ShowApplicationError(dialogs, CannotCreateFileText(job.OutFileName, file.CreateError()));
    return false;
  }
  WavWriter wav(file);
  const uint64_t plannedBytes = TotalFrames(PlanExportPieces(job.FileInfo, job.BeginSample,
                                                             job.EndSample, job.ExportUnmarked)) *
                                2u * static_cast<uint64_t>(job.FileInfo.Channels);
  if (!wav.Create(job.FileInfo, plannedBytes)) {
    ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
    return false;
  }
  const PiecesResult pieces =
      RunPieces(job, host, source,
                [&](const uint8_t* data, uint32_t bytes) { return wav.Append(data, bytes); });
  if (pieces != PiecesResult::Done) return ReportPiecesFailure(pieces, job, dialogs);
  if (!wav.Finish() || !file.Close()) {
    ShowApplicationError(dialogs, UnableToWriteText(job.OutFileName));
    return false;
  }
  return CommitExport(file, job, dialogs);
}
