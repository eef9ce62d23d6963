// SPDX-License-Identifier: GPL-3.0-or-later
// snipola-cli split: arguments, the pieces and the progress display around the
// split's export; see cli_split.h.
#include "cli/cli_split.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <map>
#include <optional>
#include <vector>

#include "audio/mp3io.h"
#include "base/tag_edits.h"
#include "base/tick_count.h"
#include "base/time_text.h"
#include "cli/cut_signals.h"
#include "cli/stderr_dialogs.h"
#include "export/export_options.h"
#include "split/cue_sheet.h"
#include "split/silence_finder.h"
#include "split/split_export.h"

namespace {

constexpr const char* kUsage =
    "usage: snipola-cli split IN -d DIR (--at T,T,... | --every T | --parts N |\n"
    "                            --cue FILE | --silence [--threshold DB]\n"
    "                            [--min-silence S] [--cut-at F] [--min-piece S] [--trim])\n"
    "                            [--format mp3|wav] [--bitrate KBPS|origin] [--lossless]\n"
    "                            [--fade-in S] [--fade-out S] [--jobs N] [--name TEMPLATE]\n"
    "                            [--overwrite] [--no-tags] [--tag KEY=VALUE] [--dry-run]\n";

void PrintHelp(std::ostream& out) {
  out << kUsage
      << "\n"
         "Splits the MP3 or WAV file IN into pieces that follow each other without a\n"
         "gap, and writes each to its own file in DIR. Either every piece is written or\n"
         "none: DIR is left as it was after a failure, Ctrl+C or a kill.\n"
         "\n"
         "where to split (exactly one):\n"
         "  --at T,T,...       at these times (commas or blanks between them); T as\n"
         "                     for cut: seconds, m:ss[.mmm], h:mm:ss[.mmm] or NNNms\n"
         "  --every T          a piece every T; the last holds what is left\n"
         "  --parts N          N pieces of equal length\n"
         "  --cue FILE         at the INDEX 01 of every TRACK of a CUE sheet (UTF-8 or\n"
         "                     Windows-1252); titles and performers name and tag the\n"
         "                     pieces; a sheet naming another FILE is applied to IN\n"
         "  --silence          in the silences: below --threshold DB dBFS (default -48)\n"
         "                     for at least --min-silence S seconds (0.5), cut at\n"
         "                     --cut-at F of each silence (0 its start, 1 its end;\n"
         "                     0.5); no piece shorter than --min-piece S seconds (0);\n"
         "                     --trim cuts the silence off both ends of every piece\n"
         "\n"
         "output:\n"
         "  -d, --dir DIR      the folder the pieces go to (it must exist)\n"
         "  --format mp3|wav   the pieces' format (default: IN's own)\n"
         "  --bitrate KBPS     MP3 bitrate as for cut ('origin' keeps an MP3's own)\n"
         "  --lossless         copy the MP3's frames: exact to the sample, no quality\n"
         "                     lost, no fades\n"
         "  --fade-in S, --fade-out S   fade every piece in/out over S whole seconds\n"
         "  --jobs N           pieces written at once (default: one per core)\n"
         "  --name TEMPLATE    file names: {n}, {n:02} (number, zero-padded), {title},\n"
         "                     {artist}, {album}, {stem} (IN's name); default\n"
         "                     '{n:02} {title}' with titles, else '{stem} {n:02}';\n"
         "                     / \\ : * ? \" < > | become _\n"
         "  --overwrite        replace pieces that exist already (refused otherwise)\n"
         "  --no-tags          do not carry IN's tags; pieces still get their track\n"
         "                     number, title and artist\n"
         "  --tag KEY=VALUE    set a tag on every piece: title, artist, album, track,\n"
         "                     year, genre, comment (repeatable; empty removes it)\n"
         "  --dry-run          print the pieces (number, begin, end, length, title,\n"
         "                     file) and write nothing\n"
         "  -h, --help         show this help\n"
         "\n"
         "examples:\n"
         "  snipola-cli split concert.mp3 -d tracks --cue concert.cue --lossless\n"
         "  snipola-cli split book.mp3 -d parts --every 10:00 --bitrate 64\n"
         "  snipola-cli split side-a.wav -d songs --silence --min-silence 1.5 --trim\n"
         "\n"
         "exit status: 0 done, 1 the split failed (the reason goes to standard error),\n"
         "2 a usage error, 130/143/129 ended by SIGINT/SIGTERM/SIGHUP.\n";
}

int UsageError(std::ostream& err, const std::string& message) {
  err << "snipola-cli split: " << message << '\n' << kUsage;
  return kCliUsageError;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The progress of the whole and of the current piece, on a terminal.
class SplitCliHost : public SplitHost {
 public:
  SplitCliHost(std::ostream& err, bool show) : err_(err), show_(show) {}
  ~SplitCliHost() override {
    if (drawn_) err_ << '\n' << std::flush;
  }
  void SetProgress(int percent) override {
    if (percent != percent_) percent_ = percent, Draw();
  }
  void SetTimeText(const std::string& text) override { timeText_ = text, Draw(); }
  void SetPiece(int number, int count, int percent) override {
    pieceText_ = "piece " + std::to_string(number) + "/" + std::to_string(count) + " " +
                 std::to_string(percent) + "%";
  }
  void ProcessMessages() override {}

 private:
  void Draw() {
    if (!show_) return;
    constexpr int kWidth = 30;
    const int filled = std::clamp(percent_, 0, 100) * kWidth / 100;
    err_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '-') << "] "
         << std::setw(3) << percent_ << "%  " << pieceText_ << "  " << timeText_ << "\x1b[K"
         << std::flush;
    drawn_ = true;
  }

  std::ostream& err_;
  bool show_;
  bool drawn_ = false;
  int percent_ = -1;
  std::string timeText_;
  std::string pieceText_;
};

struct SplitArguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // the options that take a value
  std::map<std::string, bool> flags;
  TagEdits tags;
};

constexpr const char* kValueOptions[] = {"--dir",       "--at",        "--every",   "--parts",
                                         "--cue",       "--threshold", "--cut-at",  "--min-silence",
                                         "--min-piece", "--format",    "--bitrate", "--fade-in",
                                         "--fade-out",  "--jobs",      "--name"};
constexpr const char* kFlagOptions[] = {"--silence", "--trim",    "--lossless", "--overwrite",
                                        "--no-tags", "--dry-run", "--help"};

std::optional<std::string> ParseArguments(const CliArgs& args, SplitArguments& parsed) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string word = args[i] == "-d" ? "--dir" : args[i] == "-h" ? "--help" : args[i];
    std::optional<std::string> inlineValue;
    if (const size_t equals = word.find('='); word.rfind("--", 0) == 0 && equals != word.npos) {
      inlineValue = word.substr(equals + 1);
      word = word.substr(0, equals);
    }
    const auto is = [&](const auto& list) {
      return std::find_if(std::begin(list), std::end(list),
                          [&](const char* name) { return word == name; }) != std::end(list);
    };
    if (word == "--tag") {
      if (!inlineValue && i + 1 >= args.size()) return "option --tag needs a value";
      if (auto problem = AddTagOption(inlineValue ? *inlineValue : args[++i], parsed.tags)) {
        return problem;
      }
    } else if (is(kValueOptions)) {
      if (parsed.values.count(word)) return "option " + word + " given twice";
      if (!inlineValue && i + 1 >= args.size()) return "option " + word + " needs a value";
      parsed.values[word] = inlineValue ? *inlineValue : args[++i];
    } else if (is(kFlagOptions) && !inlineValue) {
      parsed.flags[word] = true;
    } else if (word.size() > 1 && word[0] == '-') {
      return "unknown option " + args[i];
    } else {
      parsed.positional.push_back(word);
    }
  }
  if (parsed.flags.count("--help")) return std::nullopt;
  if (parsed.positional.empty()) return "IN is missing";
  if (parsed.positional.size() > 1) {
    return "only one IN file can be split (got '" + parsed.positional[1] + "')";
  }
  const int sources =
      static_cast<int>(parsed.values.count("--at") + parsed.values.count("--every") +
                       parsed.values.count("--parts") + parsed.values.count("--cue") +
                       parsed.flags.count("--silence"));
  if (sources != 1) {
    return "give exactly one of --at, --every, --parts, --cue and --silence";
  }
  if (!parsed.flags.count("--silence")) {
    for (const char* option : {"--threshold", "--min-silence", "--cut-at", "--min-piece"}) {
      if (parsed.values.count(option)) return std::string(option) + " goes with --silence";
    }
    if (parsed.flags.count("--trim")) return "--trim goes with --silence";
  }
  if (!parsed.values.count("--dir") && !parsed.flags.count("--dry-run")) return "-d DIR is missing";
  return std::nullopt;
}

// A decimal number (sign and fraction allowed); nothing when the text is not one.
std::optional<double> NumberOf(const std::string& text) {
  if (text.empty() || text.find_first_not_of("+-.0123456789") != std::string::npos) {
    return std::nullopt;
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<SilenceSettings> SilenceSettingsOf(const SplitArguments& parsed,
                                                 std::string& problem) {
  SilenceSettings settings;
  const std::pair<const char*, double*> fields[] = {{"--threshold", &settings.ThresholdDb},
                                                    {"--min-silence", &settings.MinSilenceSeconds},
                                                    {"--cut-at", &settings.CutAt},
                                                    {"--min-piece", &settings.MinPieceSeconds}};
  for (const auto& [option, field] : fields) {
    if (const auto it = parsed.values.find(option); it != parsed.values.end()) {
      const std::optional<double> value = NumberOf(it->second);
      if (!value) {
        problem = std::string(option) + " '" + it->second + "' is not a number";
        return std::nullopt;
      }
      *field = *value;
    }
  }
  settings.Trim = parsed.flags.count("--trim") > 0;
  problem = CheckSilenceSettings(settings);
  if (!problem.empty()) return std::nullopt;
  return settings;
}

// The pieces by the chosen method, or a message and the exit code.
std::optional<SplitSheet> MakeSheet(const SplitArguments& parsed, const AudioFileInfo& info,
                                    const SilenceSettings& silence, std::ostream& err, int& code) {
  const auto value = [&](const char* option) { return parsed.values.at(option); };
  SplitSheet sheet;
  SplitPieces pieces;
  code = kCliFileError;
  if (parsed.values.count("--at")) {
    std::vector<int64_t> times;
    if (const std::string problem = ParseTimeList(value("--at"), times); !problem.empty()) {
      code = UsageError(err, "--at: " + problem);
      return std::nullopt;
    }
    pieces = PiecesAtTimes(info, times);
  } else if (parsed.values.count("--every")) {
    const std::optional<int64_t> ms = ParseTimeTextMs(value("--every"));
    if (!ms) {
      code = UsageError(err, "--every '" + value("--every") + "' is not a time");
      return std::nullopt;
    }
    pieces = PiecesEvery(info, *ms);
  } else if (parsed.values.count("--parts")) {
    const std::optional<int32_t> parts = FadeSecondsOf(value("--parts"));
    if (!parts) {
      code = UsageError(err, "--parts '" + value("--parts") + "' is not a number of pieces");
      return std::nullopt;
    }
    pieces = PiecesOfParts(info, *parts);
  } else if (parsed.values.count("--cue")) {
    const CueReadResult read = ReadCueFile(value("--cue"));
    std::string reason = read.Reason;
    if (read.Ok()) sheet = SheetOfCue(read.Sheet, info, parsed.positional[0], reason);
    if (!reason.empty()) {
      err << value("--cue") << ": " << reason << '\n';
      return std::nullopt;
    }
    for (const std::string& note : sheet.Notes) err << note << '\n';
    return sheet;
  } else {
    std::optional<SilenceResult> found;
    SilenceFinder finder(parsed.positional[0], info, silence, SilenceFinder::DefaultThreads(),
                         [&](SilenceResult result) { found = std::move(result); });
    finder.Wait();
    if (found) pieces = std::move(found->Pieces);
  }
  if (!pieces.Ok()) {
    err << pieces.Reason << '\n';
    return std::nullopt;
  }
  sheet.Pieces = std::move(pieces.Pieces);
  return sheet;
}

void PrintPieces(const SplitJob& job, std::ostream& out) {
  std::string reason;
  for (size_t i = 0; i < job.Sheet.Pieces.size(); ++i) {
    const SplitPiece& piece = job.Sheet.Pieces[i];
    out << std::setw(3) << i + 1 << "  " << std::setw(12)
        << PieceTimeText(job.FileInfo, piece.Begin) << "  " << std::setw(12)
        << PieceTimeText(job.FileInfo, piece.End) << "  " << std::setw(12)
        << PieceLengthText(job.FileInfo, piece) << "  " << piece.Title;
    const std::string name = PieceFileName(job, i, reason);
    if (!name.empty()) out << "  -> " << name;
    out << '\n';
  }
}

}  // namespace

int RunSplitCommand(const CliArgs& args, std::ostream& out, std::ostream& err) {
  return RunSplitCommand(args, out, err, ErrIsTerminal(err));
}

int RunSplitCommand(const CliArgs& args, std::ostream& out, std::ostream& err, bool showProgress) {
  SplitArguments parsed;
  if (const auto problem = ParseArguments(args, parsed)) return UsageError(err, *problem);
  if (parsed.flags.count("--help")) {
    PrintHelp(out);
    return kCliOk;
  }
  const auto has = [&](const char* option) {
    return parsed.values.count(option) > 0 || parsed.flags.count(option) > 0;
  };
  const auto value = [&](const char* option) { return parsed.values.at(option); };

  // Everything that can be checked without the file first.
  std::string problem;
  SilenceSettings silence;
  if (has("--silence")) {
    const auto settings = SilenceSettingsOf(parsed, problem);
    if (!settings) return UsageError(err, problem);
    silence = *settings;
  }
  int32_t fades[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const char* option = i == 0 ? "--fade-in" : "--fade-out";
    if (!has(option)) continue;
    const std::optional<int32_t> seconds = FadeSecondsOf(value(option));
    if (!seconds)
      return UsageError(err, std::string(option) + " '" + value(option) + "' is not whole seconds");
    fades[i] = *seconds;
  }
  const std::optional<int32_t> jobs = has("--jobs") ? FadeSecondsOf(value("--jobs")) : 0;
  if (!jobs || (has("--jobs") && *jobs < 1)) {
    return UsageError(err, "--jobs '" + value("--jobs") + "' is not a number of pieces at once");
  }
  std::optional<bool> mp3;
  if (has("--format")) {
    const std::string format = Lower(value("--format"));
    if (format != "mp3" && format != "wav") {
      return UsageError(err, "--format must be mp3 or wav, not '" + value("--format") + "'");
    }
    mp3 = format == "mp3";
  }
  const bool lossless = has("--lossless");
  if (lossless) {
    if (has("--fade-in") || has("--fade-out")) {
      return UsageError(
          err, "--lossless copies the frames as they are and cannot fade (--fade-in, --fade-out)");
    }
    if (has("--bitrate"))
      return UsageError(err, "--lossless keeps the source's own frames and takes no --bitrate");
    if (mp3 == false) return UsageError(err, "--lossless writes MP3, not --format wav");
    mp3 = true;
  }

  const std::string in = parsed.positional[0];
  AudioFileInfo info;
  std::shared_ptr<Mp3ScanIndex> scan;
  if (!ProbeForCli(in, info, err) || !MeasureForCli(in, info, scan, err, showProgress)) {
    return kCliFileError;
  }
  if (!mp3) mp3 = info.FileType == AudioFileInfo::kTypeMp3;
  if (lossless && info.FileType != AudioFileInfo::kTypeMp3) {
    return UsageError(err, "--lossless needs an MP3 source; '" + in + "' is not one");
  }
  if (const std::string rate = *mp3 && !lossless ? Mp3RateProblem(info) : ""; !rate.empty()) {
    err << kEncoderStartError << '\n' << rate << '\n';
    return kCliFileError;
  }
  // The bitrate as cut takes it: one the export dialog offers for the source.
  const std::vector<std::string> items = BitrateItems(info);
  const std::string bitrateText = has("--bitrate") ? Lower(value("--bitrate")) : "";
  int bitrateIndex = has("--bitrate") ? -1 : InitialBitrateIndex(info);
  for (size_t i = 0; i < items.size() && has("--bitrate"); ++i) {
    const bool asOrigin = items[i] == kAsOriginItem;
    if ((asOrigin && bitrateText == "origin") || (!asOrigin && items[i] == bitrateText)) {
      bitrateIndex = static_cast<int>(i);
    }
  }
  if (bitrateIndex < 0 && ((*mp3 && !lossless) || has("--bitrate"))) {
    std::string accepted;
    for (const std::string& item : items) {
      accepted += (accepted.empty() ? "" : " ") + (item == kAsOriginItem ? "origin" : item);
    }
    return UsageError(
        err, "--bitrate '" + bitrateText + "' is not offered for this file; use " + accepted);
  }

  int code = kCliFileError;
  std::optional<SplitSheet> sheet = MakeSheet(parsed, info, silence, err, code);
  if (!sheet) return code;

  SplitJob job;
  job.FileInfo = info;
  job.SourceFileName = in;
  job.Route = *mp3 ? ExportRoute::Mp3 : ExportRoute::Wav;
  job.BitrateKbps = bitrateIndex < 0 ? 0 : BitrateOfItem(info, bitrateIndex, items[bitrateIndex]);
  job.Lossless = lossless;
  job.FadeIn = fades[0] > 0;
  job.FadeInSeconds = fades[0];
  job.FadeOut = fades[1] > 0;
  job.FadeOutSeconds = fades[1];
  job.Jobs = *jobs;
  job.Tags = parsed.tags;
  job.Tags.KeepSource = !has("--no-tags");
  job.Folder = has("--dir") ? value("--dir") : ".";
  job.NameTemplate = has("--name") ? value("--name") : "";
  job.Existing = has("--overwrite") ? ExistingTarget::Replace : ExistingTarget::Ask;
  job.Sheet = std::move(*sheet);
  job.Scan = scan;

  std::string reason;
  const std::vector<std::string> targets = SplitTargets(job, reason);
  if (!reason.empty()) return UsageError(err, reason);
  if (has("--dry-run")) {
    PrintPieces(job, out);
    return kCliOk;
  }
  if (const std::vector<std::string> existing = ExistingTargets(targets);
      !existing.empty() && !has("--overwrite")) {
    err << existing.size() << (existing.size() == 1 ? " piece exists" : " pieces exist")
        << " already (" << existing[0] << (existing.size() > 1 ? ", ..." : "")
        << "); nothing was written. Pass --overwrite to replace them\n";
    return kCliFileError;
  }

  StderrDialogs dialogs(err);
  job.StartTick = TickCountMs();
  bool finished;
  {
    const CutSignals signals;
    SplitCliHost host(err, showProgress);
    finished = RunSplit(job, host, dialogs);
  }
  if (finished) out << job.Sheet.Pieces.size() << " pieces written to " << job.Folder << '\n';
  return finished ? kCliOk : kCliFileError;
}
