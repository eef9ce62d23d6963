// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary-file-then-rename writer of an export; see output_file.h.
#include "export/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr size_t kBufferBytes = 256 * 1024;
// The usual limit on one name in a folder, for a folder that does not say.
constexpr size_t kFallbackNameMax = 255;
constexpr const char* kTemporaryMark = ".snipola-";
constexpr const char* kTemporaryEnd = ".part";

bool WriteAll(int fd, const uint8_t* data, size_t bytes) {
  while (bytes > 0) {
    const ssize_t written = ::write(fd, data, bytes);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    data += written;
    bytes -= static_cast<size_t>(written);
  }
  return true;
}

bool WriteAllAt(int fd, uint64_t offset, const uint8_t* data, size_t bytes) {
  while (bytes > 0) {
    const ssize_t written = ::pwrite(fd, data, bytes, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    data += written;
    bytes -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return true;
}

fs::path FolderOf(const fs::path& path) {
  fs::path folder = path.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

std::atomic<bool> unnamedAllowed{true};
std::atomic<unsigned> nameCounter{0};

// A fresh hidden name beside the target: ".NAME.snipola-PID-N.part", so the
// final rename never crosses file systems. The target's name is shortened
// where needed so that the name stays within the folder's limit on a name
// even when the target's name is at it.
std::string TemporaryName(const fs::path& target) {
  const fs::path folder = FolderOf(target);
  const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const size_t maxNameBytes = nameMax > 0 ? static_cast<size_t>(nameMax) : kFallbackNameMax;
  const std::string suffix = std::string(kTemporaryMark) + std::to_string(::getpid()) + '-' +
                             std::to_string(nameCounter++) + kTemporaryEnd;
  std::string name = ".";
  const size_t roomBytes =
      maxNameBytes > name.size() + suffix.size() ? maxNameBytes - name.size() - suffix.size() : 0;
  name += target.filename().string().substr(0, roomBytes);
  name += suffix;
  return (folder / name).string();
}

// The paths of named temporary files that exist right now, for removal from
// a signal handler: fixed slots, each published only once its path is
// complete and withdrawn only after the file is gone or renamed.
constexpr int kLiveSlots = 8;
struct LiveSlot {
  volatile std::sig_atomic_t used = 0;
  char path[PATH_MAX] = {};
};
LiveSlot liveSlots[kLiveSlots];

int Publish(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kLiveSlots; ++i) {
    if (liveSlots[i].used) continue;
    std::memcpy(liveSlots[i].path, path.c_str(), path.size() + 1);
    liveSlots[i].used = 1;
    return i;
  }
  return -1;
}

void Withdraw(int& slot) {
  if (slot >= 0) liveSlots[slot].used = 0;
  slot = -1;
}

// The process id in a temporary name of this program, or 0 for other names.
pid_t PidOfTemporaryName(const std::string& name) {
  const size_t mark = name.rfind(kTemporaryMark);
  if (name.empty() || name[0] != '.' || mark == std::string::npos ||
      !name.ends_with(kTemporaryEnd)) {
    return 0;
  }
  const size_t digits = mark + std::strlen(kTemporaryMark);
  const size_t dash = name.find('-', digits);
  if (dash == std::string::npos || dash == digits || dash - digits > 9) return 0;
  pid_t pid = 0;
  for (size_t i = digits; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  return pid;
}

// Removes the temporary files that processes which no longer run left in
// `folder` (a crash, kill -9, a power cut on a file system that cannot hold
// unnamed files). Files of running processes, this one included, stay.
void RemoveStaleTemporaryFiles(const fs::path& folder) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const pid_t pid = PidOfTemporaryName(it->path().filename().string());
    if (pid <= 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    std::error_code statusError;
    if (fs::is_regular_file(it->symlink_status(statusError))) ::unlink(it->path().c_str());
  }
}

}  // namespace

void AllowUnnamedTemporaryFiles(bool allowed) { unnamedAllowed = allowed; }

void RemoveLiveTemporaryFiles() {
  for (LiveSlot& slot : liveSlots) {
    if (slot.used) ::unlink(slot.path);
  }
}

OutputFile::~OutputFile() { Abandon(); }

OutputFile::OutputFile(OutputFile&& other) noexcept { *this = std::move(other); }

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this == &other) return *this;
  Abandon();
  fd_ = std::exchange(other.fd_, -1);
  failed_ = std::exchange(other.failed_, false);
  createError_ = std::exchange(other.createError_, 0);
  closed_ = std::exchange(other.closed_, false);
  unnamed_ = std::exchange(other.unnamed_, false);
  liveSlot_ = std::exchange(other.liveSlot_, -1);
  targetPath_ = std::move(other.targetPath_);
  tempPath_ = std::exchange(other.tempPath_, {});
  buffer_ = std::move(other.buffer_);
  bufferedBytes_ = std::exchange(other.bufferedBytes_, 0);
  sizeBytes_ = std::exchange(other.sizeBytes_, 0);
  return *this;
}

bool OutputFile::Create(const std::string& targetPath) {
  Abandon();
  targetPath_ = targetPath;
  createError_ = 0;
  failed_ = false;
  closed_ = false;
  unnamed_ = false;
  sizeBytes_ = 0;
  bufferedBytes_ = 0;
  const fs::path target(targetPath);
  const fs::path folder = FolderOf(target);
  RemoveStaleTemporaryFiles(folder);
  // An unnamed file in the target's folder vanishes by itself when the
  // process ends before the commit, however it ends. It is linked in through
  // /proc, so both must be there.
  if (unnamedAllowed && ::access("/proc/self/fd", X_OK) == 0) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fd_ = fd;
      unnamed_ = true;
      tempPath_ = "/proc/self/fd/" + std::to_string(fd);
      buffer_.resize(kBufferBytes);
      return true;
    }
  }
  // Elsewhere a named file, created exclusively, so no existing file is ever
  // touched.
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Listed before it exists, so a signal cannot come between the two; a
    // file already there under this process's id and number is stale.
    const std::string candidate = TemporaryName(target);
    liveSlot_ = Publish(candidate);
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fd_ = fd;
      tempPath_ = candidate;
      buffer_.resize(kBufferBytes);
      return true;
    }
    createError_ = errno;
    Withdraw(liveSlot_);
    if (createError_ != EEXIST) break;
  }
  failed_ = true;
  return false;
}

bool OutputFile::Flush() {
  if (bufferedBytes_ == 0) return !failed_;
  if (!failed_ && !WriteAll(fd_, buffer_.data(), bufferedBytes_)) failed_ = true;
  bufferedBytes_ = 0;
  return !failed_;
}

bool OutputFile::Write(const void* data, size_t bytes) {
  if (fd_ < 0 || closed_ || failed_) return false;
  if (bytes == 0) return true;  // nothing to copy (data may be null)
  const auto* source = static_cast<const uint8_t*>(data);
  sizeBytes_ += bytes;
  if (bufferedBytes_ + bytes > buffer_.size()) {
    if (!Flush()) return false;
    if (bytes >= buffer_.size()) {
      if (!WriteAll(fd_, source, bytes)) failed_ = true;
      return !failed_;
    }
  }
  std::memcpy(buffer_.data() + bufferedBytes_, source, bytes);
  bufferedBytes_ += bytes;
  return true;
}

bool OutputFile::AppendZeros(uint64_t bytes) {
  if (fd_ < 0 || closed_ || failed_ || !Flush()) return false;
  const auto end = static_cast<off_t>(sizeBytes_ + bytes);
  if (::ftruncate(fd_, end) != 0 || ::lseek(fd_, end, SEEK_SET) != end) {
    failed_ = true;
    return false;
  }
  sizeBytes_ += bytes;
  return true;
}

bool OutputFile::WriteAt(uint64_t offsetBytes, const void* data, size_t bytes) {
  if (fd_ < 0 || closed_ || failed_) return false;
  if (offsetBytes + bytes > sizeBytes_) {
    failed_ = true;
    return false;
  }
  if (!Flush()) return false;
  if (!WriteAllAt(fd_, offsetBytes, static_cast<const uint8_t*>(data), bytes)) failed_ = true;
  return !failed_;
}

bool OutputFile::Close() {
  if (closed_ || fd_ < 0) return closed_ && !failed_;
  Flush();
  // The bytes reach the disk before the rename can replace an old target, so
  // a crash right after the commit cannot leave an empty target behind; and
  // fsync() and close() can both report a delayed write error (a full disk
  // on some file systems), so their results count like a write's. A file
  // system that cannot sync at all says EINVAL, which loses nothing.
  if (!failed_ && ::fsync(fd_) != 0 && errno != EINVAL) failed_ = true;
  // An unnamed file stays open until it is linked in: its descriptor is its
  // only name.
  if (!unnamed_) {
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
  }
  closed_ = true;
  buffer_.clear();
  buffer_.shrink_to_fit();
  return !failed_;
}

namespace {

// Syncs what was written through the temporary path after Close (an MP3's
// Info tag) before the file becomes the target.
bool SyncAgain(int fd, const std::string& path) {
  const int syncFd = fd >= 0 ? fd : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (syncFd < 0) return false;
  const bool synced = ::fsync(syncFd) == 0 || errno == EINVAL;
  if (syncFd != fd) ::close(syncFd);
  return synced;
}

}  // namespace

bool OutputFile::Commit() {
  if (!closed_) Close();
  if (!closed_ || failed_ || tempPath_.empty() || !SyncAgain(unnamed_ ? fd_ : -1, tempPath_)) {
    Abandon();
    return false;
  }
  if (unnamed_) {
    // A link cannot replace a file, so the unnamed file gets a temporary name
    // first and is then renamed over the target in one step, as a named one.
    std::string linked;
    for (int attempt = 0; attempt < 100 && linked.empty(); ++attempt) {
      const std::string candidate = TemporaryName(fs::path(targetPath_));
      liveSlot_ = Publish(candidate);
      if (::linkat(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) ==
          0) {
        linked = candidate;
        break;
      }
      const int linkError = errno;
      Withdraw(liveSlot_);
      if (linkError != EEXIST) break;
    }
    if (linked.empty()) {
      Abandon();
      return false;
    }
    ::close(fd_);
    fd_ = -1;
    unnamed_ = false;
    tempPath_ = linked;
  }
  if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
    Abandon();
    return false;
  }
  Withdraw(liveSlot_);
  tempPath_.clear();
  return true;
}

void OutputFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty() && !unnamed_) ::unlink(tempPath_.c_str());
  Withdraw(liveSlot_);
  tempPath_.clear();
  unnamed_ = false;
  buffer_.clear();
  bufferedBytes_ = 0;
}

bool CanReplaceFile(const std::string& path) {
  std::error_code error;
  const fs::path target(path);
  const fs::file_status status = fs::symlink_status(target, error);
  if (fs::is_directory(status)) return false;
  return ::access(FolderOf(target).c_str(), W_OK | X_OK) == 0;
}

bool IsSameFile(const std::string& pathA, const std::string& pathB) {
  std::error_code error;
  const bool same = fs::equivalent(pathA, pathB, error);
  return !error && same;
}
