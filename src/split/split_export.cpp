// SPDX-License-Identifier: GPL-3.0-or-later
// Naming, checking and writing the pieces of a split; see split_export.h.
#include "split/split_export.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "base/application_error.h"
#include "base/dialogs.h"
#include "export/export_options.h"
#include "export/lossless_cut.h"
#include "export/output_file.h"

namespace fs = std::filesystem;

namespace {

std::string StemOf(const std::string& path) { return fs::path(path).stem().string(); }

// Characters that file systems refuse or that do not travel between them.
std::string Portable(const std::string& text) {
  std::string name;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool refused = byte < 0x20 || byte == 0x7f ||
                         std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    name += refused ? '_' : c;
  }
  // Blanks and dots at either end are lost or hidden on some systems.
  const size_t first = name.find_first_not_of(" .");
  if (first == std::string::npos) return {};
  const size_t last = name.find_last_not_of(" .");
  return name.substr(first, last - first + 1);
}

std::string NumberText(size_t number, int width) {
  std::string text = std::to_string(number);
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
  return text;
}

std::string ArtistOf(const SplitSheet& sheet, const SplitPiece& piece) {
  return piece.Performer.empty() ? sheet.Performer : piece.Performer;
}

// A file no one may write to: its owner protected it (root, who may write
// anyway, included).
bool IsReadOnly(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool ExistsAsEntry(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

// Answers the routes run on a worker: the progress goes to the split's
// display, a cancel comes from it.
class PieceHost : public ExportHost {
 public:
  PieceHost(std::atomic<int>& percent, const std::atomic<bool>& stop)
      : percent_(percent), stop_(stop) {}
  void SetProgress(int percent) override { percent_.store(percent, std::memory_order_relaxed); }
  void SetTimeText(const std::string&) override {}
  void ProcessMessages() override {}
  bool CancelRequested() override { return stop_.load(std::memory_order_relaxed); }

 private:
  std::atomic<int>& percent_;
  const std::atomic<bool>& stop_;
};

// Keeps the message a route shows on a worker, to be shown on the calling
// thread once every worker has stopped.
class PieceDialogs : public Dialogs {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    if (!shown) message = {text, caption, icon};
    shown = true;
  }
  std::optional<std::string> InputQuery(const std::string&, const std::string&,
                                        const std::string&) override {
    return std::nullopt;
  }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  std::optional<std::string> OpenFileName(const std::string&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }

  struct Message {
    std::string text, caption;
    MessageIcon icon = MessageIcon::None;
  };
  Message message;
  bool shown = false;
};

struct PieceState {
  OutputFile file;
  std::atomic<int> percent{0};
  std::atomic<bool> finished{false};
  PieceDialogs dialogs;
  bool written = false;
};

}  // namespace

std::string DefaultNameTemplate(const SplitSheet& sheet) {
  const bool titled = std::any_of(sheet.Pieces.begin(), sheet.Pieces.end(),
                                  [](const SplitPiece& piece) { return !piece.Title.empty(); });
  return titled ? kTitledNameTemplate : kPlainNameTemplate;
}

std::string PieceFileName(const SplitJob& job, size_t index, std::string& reason) {
  const std::string pattern =
      job.NameTemplate.empty() ? DefaultNameTemplate(job.Sheet) : job.NameTemplate;
  const SplitPiece& piece = job.Sheet.Pieces[index];
  std::string name;
  for (size_t at = 0; at < pattern.size(); ++at) {
    if (pattern[at] != '{') {
      name += pattern[at];
      continue;
    }
    const size_t close = pattern.find('}', at);
    if (close == std::string::npos) {
      reason = "the name template has a '{' without its '}'";
      return {};
    }
    const std::string field = pattern.substr(at + 1, close - at - 1);
    at = close;
    if (field == "n") {
      name += std::to_string(index + 1);
    } else if (field.size() == 4 && field.compare(0, 3, "n:0") == 0 && field[3] >= '1' &&
               field[3] <= '9') {
      name += NumberText(index + 1, field[3] - '0');
    } else if (field == "title") {
      name += piece.Title;
    } else if (field == "artist") {
      name += ArtistOf(job.Sheet, piece);
    } else if (field == "album") {
      name += job.Sheet.Title;
    } else if (field == "stem") {
      name += StemOf(job.SourceFileName);
    } else {
      reason = "unknown field {" + field +
               "} in the name template (use {n}, {n:02}, {title}, {artist}, {album}, {stem})";
      return {};
    }
  }
  name = Portable(name);
  if (name.empty()) {
    reason = "piece " + std::to_string(index + 1) + " would get an empty file name";
    return {};
  }
  return name + (job.Route == ExportRoute::Mp3 ? ".mp3" : ".wav");
}

std::vector<std::string> SplitTargets(const SplitJob& job, std::string& reason) {
  reason.clear();
  if (job.Sheet.Pieces.empty()) {
    reason = "there are no pieces to write";
    return {};
  }
  if (job.Sheet.Pieces.size() > kMaxSplitPieces) {
    reason = "a split makes at most " + std::to_string(kMaxSplitPieces) + " pieces, not " +
             std::to_string(job.Sheet.Pieces.size());
    return {};
  }
  std::vector<std::string> targets;
  std::map<std::string, size_t> numberOf;
  for (size_t i = 0; i < job.Sheet.Pieces.size(); ++i) {
    const std::string name = PieceFileName(job, i, reason);
    if (!reason.empty()) return {};
    if (const auto [at, fresh] = numberOf.emplace(name, i + 1); !fresh) {
      reason = "pieces " + std::to_string(at->second) + " and " + std::to_string(i + 1) +
               " would both be named " + name;
      return {};
    }
    targets.push_back((fs::path(job.Folder) / name).string());
  }
  return targets;
}

std::vector<std::string> ExistingTargets(const std::vector<std::string>& targets) {
  std::vector<std::string> existing;
  std::copy_if(targets.begin(), targets.end(), std::back_inserter(existing), ExistsAsEntry);
  return existing;
}

std::string ReplaceTargetsQuestion(const std::vector<std::string>& existing) {
  std::string names;
  for (size_t i = 0; i < existing.size() && i < 3; ++i) {
    names += (i ? ", " : "") + fs::path(existing[i]).filename().string();
  }
  if (existing.size() > 3) names += ", ...";
  const std::string folder = existing.empty() ? "" : fs::path(existing[0]).parent_path().string();
  return std::to_string(existing.size()) +
         (existing.size() == 1 ? " file already exists" : " files already exist") + " in " +
         folder + " (" + names + ").\nDo you want to replace them?";
}

bool CheckSplitTargets(const SplitJob& job, Dialogs& dialogs) {
  std::string reason;
  const std::vector<std::string> targets = SplitTargets(job, reason);
  if (!reason.empty()) {
    ShowApplicationError(dialogs, reason);
    return false;
  }
  std::error_code error;
  if (!fs::is_directory(job.Folder, error)) {
    ShowApplicationError(dialogs, "The folder " + job.Folder + " does not exist");
    return false;
  }
  const std::vector<std::string> existing = ExistingTargets(targets);
  for (const std::string& target : existing) {
    if (IsSameFile(target, job.SourceFileName)) {
      dialogs.ShowMessage(kOriginFileError, kErrorCaption, MessageIcon::Error);
      return false;
    }
    if (!CanReplaceFile(target) || IsReadOnly(target)) {
      dialogs.ShowMessage(kCantAccessFile + target, kErrorCaption, MessageIcon::Error);
      return false;
    }
  }
  return existing.empty() || job.Existing == ExistingTarget::Replace ||
         dialogs.Confirm(ReplaceTargetsQuestion(existing), kReplaceCaption);
}

ExportJob PieceExportJob(const SplitJob& job, size_t index, const std::string& target) {
  const SplitPiece& piece = job.Sheet.Pieces[index];
  ExportJob piecejob;
  piecejob.FileInfo = job.FileInfo;
  piecejob.BeginSample = piece.Begin;
  piecejob.EndSample = piece.End;
  piecejob.SourceFileName = job.SourceFileName;
  piecejob.OutFileName = target;
  piecejob.Route = job.Route;
  piecejob.BitrateKbps = job.BitrateKbps;
  piecejob.Lossless = job.Lossless;
  piecejob.FadeIn = job.FadeIn;
  piecejob.FadeInSeconds = job.FadeInSeconds;
  piecejob.FadeOut = job.FadeOut;
  piecejob.FadeOutSeconds = job.FadeOutSeconds;
  piecejob.StartTick = job.StartTick;
  piecejob.Jobs = 1;
  piecejob.Tags = job.Tags;
  std::map<std::string, std::string>& values = piecejob.Tags.Values;
  const auto set = [&](const char* key, const std::string& value) {
    if (!value.empty()) values.try_emplace(key, value);
  };
  set("track", std::to_string(index + 1) + "/" + std::to_string(job.Sheet.Pieces.size()));
  set("title", piece.Title);
  set("artist", ArtistOf(job.Sheet, piece));
  set("album", job.Sheet.Title);
  set("year", job.Sheet.Date);
  set("genre", job.Sheet.Genre);
  return piecejob;
}

bool RunSplit(const SplitJob& job, SplitHost& host, Dialogs& dialogs) {
  if (!CheckSplitTargets(job, dialogs)) return false;
  std::string reason;
  const std::vector<std::string> targets = SplitTargets(job, reason);
  std::vector<bool> existedBefore;
  for (const std::string& target : targets) existedBefore.push_back(ExistsAsEntry(target));

  const size_t count = targets.size();
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t workers =
      std::min<size_t>(count, job.Jobs > 0 ? static_cast<size_t>(job.Jobs) : cores);
  std::vector<PieceState> states(count);
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};
  std::atomic<size_t> running{workers};
  std::mutex mutex;
  std::condition_variable allDone;

  // Lossless pieces share one walk of the source, taken by the first worker
  // that needs it (the others wait for it there).
  std::once_flag walkOnce;
  std::shared_ptr<const LosslessCensus> walk;
  const auto work = [&] {
    StreamExportSource source(job.Scan);
    for (size_t i; !stop.load() && (i = next.fetch_add(1)) < count;) {
      PieceState& state = states[i];
      ExportJob pieceJob = PieceExportJob(job, i, targets[i]);
      pieceJob.CommitLater = &state.file;
      if (job.Lossless && job.Route == ExportRoute::Mp3) {
        std::call_once(walkOnce, [&] { walk = TakeLosslessCensus(job.SourceFileName); });
        pieceJob.SourceWalk = walk;
      }
      PieceHost pieceHost(state.percent, stop);
      state.written = RunExport(pieceJob, pieceHost, state.dialogs, source);
      if (!state.written) stop.store(true);
      state.finished.store(true, std::memory_order_release);
    }
    std::lock_guard lock(mutex);
    if (--running == 0) allDone.notify_all();
  };
  std::vector<std::thread> threads;
  for (size_t i = 0; i < workers; ++i) threads.emplace_back(work);

  // The calling thread shows the progress and pumps the host's messages
  // until every worker has stopped.
  uint64_t totalFrames = 0;
  for (const SplitPiece& piece : job.Sheet.Pieces) {
    totalFrames += static_cast<uint64_t>(piece.End - piece.Begin);
  }
  ExportClock clock(job.Route, job.StartTick);
  bool cancelled = false;
  for (;;) {
    {
      std::unique_lock lock(mutex);
      if (allDone.wait_for(lock, std::chrono::milliseconds(40), [&] { return running == 0; })) {
        break;
      }
    }
    double done = 0;
    size_t current = count;
    for (size_t i = 0; i < count; ++i) {
      const double frames =
          static_cast<double>(job.Sheet.Pieces[i].End - job.Sheet.Pieces[i].Begin);
      const bool finished = states[i].finished.load(std::memory_order_acquire);
      done += finished ? frames : frames * states[i].percent.load() / 100.0;
      if (!finished && current == count) current = i;
    }
    if (current < count) {
      host.SetPiece(static_cast<int>(current + 1), static_cast<int>(count),
                    states[current].percent.load());
    }
    ShowExportProgress(host, clock, static_cast<uint64_t>(done),
                       std::max<uint64_t>(totalFrames, 1));
    if (!cancelled && host.CancelRequested()) {
      cancelled = true;
      stop.store(true);
    }
  }
  for (std::thread& thread : threads) thread.join();
  // A cancel that comes after the last block still keeps the folder as it was.
  if (cancelled || host.CancelRequested()) return false;
  // A piece that failed showed why; the others it stopped were cancelled.
  for (PieceState& state : states) {
    if (state.dialogs.shown) {
      dialogs.ShowMessage(state.dialogs.message.text, state.dialogs.message.caption,
                          state.dialogs.message.icon);
      return false;
    }
  }
  if (stop.load()) return false;

  // Every piece is written and checked: link them in. Should one fail, the
  // new files linked so far go again.
  for (size_t i = 0; i < count; ++i) {
    if (states[i].file.Commit()) continue;
    for (size_t j = 0; j < i; ++j) {
      if (!existedBefore[j]) ::unlink(targets[j].c_str());
    }
    dialogs.ShowMessage(kCantAccessFile + targets[i], kErrorCaption, MessageIcon::Error);
    return false;
  }
  host.SetPiece(static_cast<int>(count), static_cast<int>(count), 100);
  host.SetProgress(100);
  return true;
}
