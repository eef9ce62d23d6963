// SPDX-License-Identifier: GPL-3.0-or-later
// BufferedFile over POSIX open/read/lseek.
#include "audio/buffered_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

std::unique_ptr<BufferedFile> BufferedFile::Open(const std::string& path, struct stat& status) {
  // Without O_NONBLOCK, opening a named pipe would wait for a writer forever;
  // on a regular file the flag changes nothing.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<BufferedFile>(new BufferedFile(fd));
}

BufferedFile::~BufferedFile() { ::close(fd_); }

ssize_t BufferedFile::ReadFd(void* out, size_t bytes) {
  for (;;) {
    const ssize_t count = ::read(fd_, out, bytes);
    if (count >= 0 || errno != EINTR) return count;
  }
}

ssize_t BufferedFile::Read(void* out, size_t bytes) {
  auto* target = static_cast<uint8_t*>(out);
  size_t copied = 0;
  while (copied < bytes) {
    if (at_ == fill_) {
      bufferStart_ += static_cast<off_t>(fill_);
      at_ = fill_ = 0;
      const size_t wanted = bytes - copied;
      // Large reads (decoding) go straight to the caller's memory.
      uint8_t* into = wanted >= buffer_.size() ? target + copied : buffer_.data();
      const ssize_t count = ReadFd(into, into == buffer_.data() ? buffer_.size() : wanted);
      if (count < 0) return copied > 0 ? static_cast<ssize_t>(copied) : -1;
      if (count == 0) break;
      if (into != buffer_.data()) {
        bufferStart_ += count;
        copied += static_cast<size_t>(count);
        continue;
      }
      fill_ = static_cast<size_t>(count);
    }
    const size_t n = std::min(fill_ - at_, bytes - copied);
    std::memcpy(target + copied, buffer_.data() + at_, n);
    at_ += n;
    copied += n;
  }
  return static_cast<ssize_t>(copied);
}

off_t BufferedFile::Seek(off_t offset, int whence) {
  off_t target = -1;
  if (whence == SEEK_SET) {
    target = offset;
  } else if (whence == SEEK_CUR) {
    target = bufferStart_ + static_cast<off_t>(at_) + offset;
  } else if (whence == SEEK_END) {
    struct stat status {};
    if (fstat(fd_, &status) != 0) return -1;
    target = status.st_size + offset;
  }
  if (target < 0) {
    errno = EINVAL;
    return -1;
  }
  if (target >= bufferStart_ && target <= bufferStart_ + static_cast<off_t>(fill_)) {
    at_ = static_cast<size_t>(target - bufferStart_);
    return target;
  }
  if (::lseek(fd_, target, SEEK_SET) < 0) return -1;
  bufferStart_ = target;
  at_ = fill_ = 0;
  return target;
}
