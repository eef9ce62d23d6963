// SPDX-License-Identifier: GPL-3.0-or-later
// The split dialog's logic; see split_model.h.
#include "split/split_model.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "base/time_text.h"
#include "export/export_options.h"
#include "split/cue_sheet.h"

namespace {

// A decimal number, sign and fraction allowed; nothing for any other text.
std::optional<double> NumberOf(const std::string& text) {
  if (text.empty() || text.find_first_not_of("+-.0123456789") != std::string::npos) {
    return std::nullopt;
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

SplitPieces Refused(std::string reason) { return SplitPieces{{}, std::move(reason)}; }

}  // namespace

SplitModel::SplitModel(std::string sourceFileName, AudioFileInfo info,
                       std::shared_ptr<Mp3ScanIndex> scan, int threads, QObject* parent)
    : QObject(parent),
      sourceFileName_(std::move(sourceFileName)),
      info_(info),
      scan_(std::move(scan)),
      threads_(threads > 0 ? threads : SilenceFinder::DefaultThreads()) {
  Folder = std::filesystem::path(sourceFileName_).parent_path().string();
  BitrateIndex = InitialBitrateIndex(info_);
  reason_ = "no split points given";
}

// The searches are told to stop and joined: each returns after one block.
SplitModel::~SplitModel() = default;

std::vector<std::string> SplitModel::BitrateItems() const { return DialogBitrateItems(info_); }

bool SplitModel::LosslessChosen() const { return Mp3 && IsLosslessItem(info_, BitrateIndex); }

std::string SplitModel::TemplateShown() const {
  return NameTemplate.empty() ? DefaultNameTemplate(sheet_) : NameTemplate;
}

void SplitModel::MakePieces() {
  StopFinder();
  sheet_ = SplitSheet{};
  switch (Source) {
    case SplitSource::Times: {
      std::vector<int64_t> times;
      const std::string problem = ParseTimeList(TimesText, times);
      SetPieces(problem.empty() ? PiecesAtTimes(info_, times) : Refused(problem));
      break;
    }
    case SplitSource::Every: {
      const std::optional<int64_t> ms = ParseTimeTextMs(EveryText);
      SetPieces(ms ? PiecesEvery(info_, *ms) : Refused("'" + EveryText + "' is not a time"));
      break;
    }
    case SplitSource::Parts: {
      const std::optional<int32_t> parts = FadeSecondsOf(PartsText);
      SetPieces(parts ? PiecesOfParts(info_, *parts)
                      : Refused("'" + PartsText + "' is not a number of parts"));
      break;
    }
    case SplitSource::Cue: {
      if (CueFileName.empty()) {
        SetPieces(Refused("choose a CUE sheet"));
        break;
      }
      const CueReadResult read = ReadCueFile(CueFileName);
      std::string reason = read.Reason;
      SplitSheet sheet;
      if (read.Ok()) sheet = SheetOfCue(read.Sheet, info_, sourceFileName_, reason);
      if (!reason.empty()) {
        SetPieces(Refused(reason));
        break;
      }
      const auto pieces = std::move(sheet.Pieces);
      sheet_ = std::move(sheet);
      SetPieces(SplitPieces{pieces, {}});
      break;
    }
    case SplitSource::Silence:
      StartFinder();
      break;
  }
  emit Changed();
}

void SplitModel::SetPieces(SplitPieces pieces) {
  reason_ = std::move(pieces.Reason);
  sheet_.Pieces = std::move(pieces.Pieces);
}

void SplitModel::StartFinder() {
  SilenceSettings settings;
  const std::pair<const std::string*, double*> fields[] = {
      {&ThresholdText, &settings.ThresholdDb},
      {&MinSilenceText, &settings.MinSilenceSeconds},
      {&CutAtText, &settings.CutAt},
      {&MinPieceText, &settings.MinPieceSeconds}};
  for (const auto& [text, field] : fields) {
    const std::optional<double> value = NumberOf(*text);
    if (!value) return SetPieces(Refused("'" + *text + "' is not a number"));
    *field = *value;
  }
  settings.Trim = Trim;
  if (std::string problem = CheckSilenceSettings(settings); !problem.empty()) {
    return SetPieces(Refused(std::move(problem)));
  }
  reason_.clear();
  const uint64_t generation = ++generation_;
  std::erase_if(retired_, [](const auto& finder) { return finder->Finished(); });
  finder_ = std::make_unique<SilenceFinder>(
      sourceFileName_, info_, settings, threads_, [this, generation](SilenceResult result) {
        // A worker thread: the result goes to the user-interface thread. The
        // call is dropped if the model is gone by then.
        auto moved = std::make_shared<SilenceResult>(std::move(result));
        QMetaObject::invokeMethod(
            this, [this, generation, moved] { Receive(generation, std::move(*moved)); },
            Qt::QueuedConnection);
      });
}

void SplitModel::StopFinder() {
  ++generation_;
  if (!finder_) return;
  finder_->Stop();
  retired_.push_back(std::move(finder_));
}

void SplitModel::Receive(uint64_t generation, SilenceResult result) {
  if (generation != generation_) return;
  retired_.push_back(std::move(finder_));
  SetPieces(std::move(result.Pieces));
  emit Changed();
}

std::string SplitModel::Status() const {
  if (Finding()) return kFindingStatus;
  if (!reason_.empty()) return reason_;
  const size_t count = sheet_.Pieces.size();
  std::string status = std::to_string(count) + (count == 1 ? " piece" : " pieces");
  for (const std::string& note : sheet_.Notes) status += "; " + note;
  return status;
}

void SplitModel::SetTitle(size_t index, const std::string& title) {
  if (index < sheet_.Pieces.size()) sheet_.Pieces[index].Title = title;
}

std::vector<SampleIndex> SplitModel::Points() const {
  std::vector<SampleIndex> points;
  for (const SplitPiece& piece : sheet_.Pieces) {
    for (const SampleIndex at : {piece.Begin, piece.End}) {
      if (at > SampleIndex(0) && at < info_.LengthFrames) points.push_back(at);
    }
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  return points;
}

std::optional<SplitJob> SplitModel::Job(std::string& problem) const {
  problem.clear();
  const bool lossless = LosslessChosen();
  std::optional<int32_t> fades[2] = {0, 0};
  if (!lossless) {
    if (!FadeTextIsDigitsOnly(FadeInText) || !FadeTextIsDigitsOnly(FadeOutText)) {
      problem = kFadeBoxError;
      return std::nullopt;
    }
    fades[0] = FadeSecondsOf(FadeInText);
    fades[1] = FadeSecondsOf(FadeOutText);
    for (int i = 0; i < 2; ++i) {
      if (!fades[i]) {
        problem = NotValidIntegerText(i == 0 ? FadeInText : FadeOutText);
        return std::nullopt;
      }
    }
  }
  if (Finding()) {
    problem = kStillFindingMessage;
  } else if (!reason_.empty()) {
    problem = "No pieces to write: " + reason_;
  } else if (Folder.empty()) {
    problem = kNoFolderMessage;
  } else if (Mp3 && !lossless && BitrateIndex < 0) {
    problem = Mp3RateProblem(info_);
  }
  if (!problem.empty()) return std::nullopt;

  SplitJob job;
  job.FileInfo = info_;
  job.SourceFileName = sourceFileName_;
  job.Route = Mp3 ? ExportRoute::Mp3 : ExportRoute::Wav;
  const std::vector<std::string> items = BitrateItems();
  if (Mp3 && BitrateIndex >= 0 && BitrateIndex < static_cast<int>(items.size())) {
    job.BitrateKbps = BitrateOfItem(info_, BitrateIndex, items[static_cast<size_t>(BitrateIndex)]);
  }
  job.Lossless = lossless;
  job.FadeIn = FadeIn && !lossless;
  job.FadeInSeconds = *fades[0];
  job.FadeOut = FadeOut && !lossless;
  job.FadeOutSeconds = *fades[1];
  job.Folder = Folder;
  job.NameTemplate = NameTemplate;
  job.Existing = ExistingTarget::Ask;
  job.Sheet = sheet_;
  job.Scan = scan_;
  SplitTargets(job, problem);
  if (!problem.empty()) return std::nullopt;
  return job;
}

std::string SplitModel::PieceText(int number, int count) {
  return "Piece " + std::to_string(number) + " of " + std::to_string(count);
}
