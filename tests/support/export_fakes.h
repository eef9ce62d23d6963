// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fakes for the export pipeline: a PCM source over samples in memory with a chosen block size
// (so blocks straddle chunks as a test needs), a host that records progress, a run in a child
// process and a file size limit that stands in for a full disk.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "export/export_pipeline.h"

class MemoryExportSource : public ExportSource {
 public:
  MemoryExportSource(std::vector<int16_t> samples, int channels, uint32_t blockBytes = 8192)
      : samples_(std::move(samples)),
        channels_(channels),
        blockBytes_(blockBytes),
        buffer_(blockBytes) {}
  int closes = 0, reads = 0;
  bool endlessEmptyBlocks = false;
  bool Open(const std::string&, const AudioFileInfo&, SampleIndex start) override {
    positionBytes_ = static_cast<size_t>(start.Frame()) * channels_ * 2;
    return true;
  }
  bool Read(uint8_t*& data, uint32_t& bytes) override {
    ++reads;
    data = buffer_.data();
    const size_t totalBytes = samples_.size() * 2;
    if (endlessEmptyBlocks) return bytes = 0, true;
    if (positionBytes_ >= totalBytes) return false;
    bytes = static_cast<uint32_t>(std::min<size_t>(blockBytes_, totalBytes - positionBytes_));
    std::memcpy(buffer_.data(), reinterpret_cast<const uint8_t*>(samples_.data()) + positionBytes_,
                bytes);
    positionBytes_ += bytes;
    return true;
  }
  void Close() override { ++closes; }

 private:
  std::vector<int16_t> samples_;
  int channels_;
  uint32_t blockBytes_;
  std::vector<uint8_t> buffer_;
  size_t positionBytes_ = 0;
};

class RecordingHost : public ExportHost {
 public:
  std::vector<int> progress;
  bool cancel = false;
  void SetProgress(int percent) override { progress.push_back(percent); }
  bool CancelRequested() override { return cancel; }
  void SetTimeText(const std::string&) override {}
  void ProcessMessages() override {}
  uint32_t TickMs() override { return 0; }
};

// Runs `body` in a child process: the child's exit code (body's result), or -1 when it crashed.
inline int RunInChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Lets files grow to at most `bytes` while it lives, the way a nearly full
// disk does: a write beyond fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};
