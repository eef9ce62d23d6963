// SPDX-License-Identifier: GPL-3.0-or-later
// The export's PCM over a private reader of the source; see export_pcm_reader.h.
#include "export/export_pcm_reader.h"

#include <algorithm>
#include <utility>

#include "audio/peak_source.h"

namespace {

class PiecesPcmReader : public ExportPcmReader {
 public:
  PiecesPcmReader(std::unique_ptr<PeakSource> source, std::vector<ExportPcmPiece> pieces,
                  const FadeFrames& fades)
      : source_(std::move(source)), pieces_(std::move(pieces)), fades_(fades) {}

  bool Seek(int64_t frame) override {
    piece_ = 0;
    while (piece_ < pieces_.size() && frame >= pieces_[piece_].frames) {
      frame -= pieces_[piece_].frames;
      ++piece_;
    }
    inPiece_ = frame;
    return piece_ == pieces_.size() || source_->Seek(pieces_[piece_].sourceFrame + frame);
  }

  int64_t Read(int16_t* out, int64_t maxFrames) override {
    while (piece_ < pieces_.size() && inPiece_ == pieces_[piece_].frames) {
      inPiece_ = 0;
      if (++piece_ < pieces_.size() && !source_->Seek(pieces_[piece_].sourceFrame)) return 0;
    }
    if (piece_ == pieces_.size()) return 0;
    const ExportPcmPiece& piece = pieces_[piece_];
    const int64_t frames = source_->Read(out, std::min(maxFrames, piece.frames - inPiece_));
    ApplyFades(out, static_cast<uint32_t>(frames), source_->Channels(),
               static_cast<uint64_t>(piece.frames), static_cast<uint64_t>(inPiece_), fades_);
    inPiece_ += frames;
    return frames;
  }

 private:
  std::unique_ptr<PeakSource> source_;
  std::vector<ExportPcmPiece> pieces_;
  FadeFrames fades_;
  size_t piece_ = 0;
  int64_t inPiece_ = 0;
};

}  // namespace

std::unique_ptr<ExportPcmReader> OpenExportPcmReader(const std::string& path,
                                                     const AudioFileInfo& info,
                                                     std::vector<ExportPcmPiece> pieces,
                                                     const FadeFrames& fades) {
  std::unique_ptr<PeakSource> source = OpenPeakSource(path, info, PeakRate::Full);
  if (!source || source->SampleRate() != info.SampleRate || source->Channels() != info.Channels) {
    return nullptr;
  }
  return std::make_unique<PiecesPcmReader>(std::move(source), std::move(pieces), fades);
}
