// The temporary-file-then-rename writer of an export; see output_file.h.
#include "export/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr size_t kBufferBytes = 256 * 1024;
// The usual limit on one name in a folder, for a folder that does not say.
constexpr size_t kFallbackNameMax = 255;

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

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Create(const std::string& targetPath) {
  Abandon();
  targetPath_ = targetPath;
  failed_ = false;
  closed_ = false;
  sizeBytes_ = 0;
  bufferedBytes_ = 0;
  const fs::path target(targetPath);
  const fs::path folder = FolderOf(target);
  static std::atomic<unsigned> counter{0};
  // A hidden name in the same folder, so the final rename never crosses file
  // systems; O_EXCL guarantees that no existing file is touched. The target's
  // name is shortened where needed so that the temporary name stays within
  // the folder's limit on a name even when the target's name is at it.
  const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const size_t maxNameBytes = nameMax > 0 ? static_cast<size_t>(nameMax) : kFallbackNameMax;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix = ".snipola-";
    suffix += std::to_string(::getpid());
    suffix += '-';
    suffix += std::to_string(counter++);
    suffix += ".part";
    std::string name = ".";
    const size_t roomBytes =
        maxNameBytes > name.size() + suffix.size() ? maxNameBytes - name.size() - suffix.size() : 0;
    name += target.filename().string().substr(0, roomBytes);
    name += suffix;
    const std::string candidate = (folder / name).string();
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fd_ = fd;
      tempPath_ = candidate;
      buffer_.resize(kBufferBytes);
      return true;
    }
    if (errno != EEXIST) break;
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
  if (fd_ < 0 || failed_) return false;
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

bool OutputFile::WriteAt(uint64_t offsetBytes, const void* data, size_t bytes) {
  if (fd_ < 0 || failed_) return false;
  if (offsetBytes + bytes > sizeBytes_) {
    failed_ = true;
    return false;
  }
  if (!Flush()) return false;
  if (!WriteAllAt(fd_, offsetBytes, static_cast<const uint8_t*>(data), bytes)) failed_ = true;
  return !failed_;
}

bool OutputFile::Close() {
  if (fd_ < 0) return closed_ && !failed_;
  Flush();
  // The bytes reach the disk before the rename can replace an old target, so
  // a crash right after the commit cannot leave an empty target behind; and
  // fsync() and close() can both report a delayed write error (a full disk
  // on some file systems), so their results count like a write's. A file
  // system that cannot sync at all says EINVAL, which loses nothing.
  if (!failed_ && ::fsync(fd_) != 0 && errno != EINVAL) failed_ = true;
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  closed_ = true;
  buffer_.clear();
  buffer_.shrink_to_fit();
  return !failed_;
}

bool OutputFile::Commit() {
  if (fd_ >= 0) Close();
  if (!closed_ || failed_ || tempPath_.empty()) {
    Abandon();
    return false;
  }
  if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
    Abandon();
    return false;
  }
  tempPath_.clear();
  return true;
}

void OutputFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }
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
