// SPDX-License-Identifier: GPL-3.0-or-later
// Mp3Scanner: one worker thread running Mpg123Decoder::Scan; see mp3_scanner.h.
#include "audio/mp3_scanner.h"

#include "audio/mpg123_decoder.h"

Mp3Scanner::Mp3Scanner(std::string path, Progress progress, Finished finished)
    : worker_([this, path = std::move(path), progress = std::move(progress),
               finished = std::move(finished)] { Run(path, progress, finished); }) {}

Mp3Scanner::~Mp3Scanner() {
  Stop();
  worker_.join();
}

void Mp3Scanner::Run(const std::string& path, const Progress& progress, const Finished& finished) {
  Mpg123Decoder decoder;
  Mpg123Decoder::ScanControl control;
  control.stop = &stop_;
  control.into = index_;
  control.progress = [&](double fraction) {
    index_->SetProgress(fraction);
    if (progress) progress(fraction, index_->KnownFrames());
  };
  const bool measured = decoder.Open(path) && decoder.Scan(control);
  if (!measured) index_->SetEnded();
  if (stop_.load(std::memory_order_relaxed)) return;
  if (finished) finished(measured ? std::optional(decoder.Facts()) : std::nullopt);
}
