// SPDX-License-Identifier: GPL-3.0-or-later
// A TagLib stream that reports write failures; see checked_file_stream.h.
#include "tags/checked_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

CheckedFileStream::CheckedFileStream(const std::string& path, long moveBufferBytes)
    : path_(path), moveBufferBytes_(std::max(1L, moveBufferBytes)) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  failed_ = fd_ < 0;
}

CheckedFileStream::~CheckedFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

TagLib::ByteVector CheckedFileStream::readBlock(unsigned long length) {
  if (fd_ < 0) return {};
  const long available = std::max(0L, this->length() - position_);
  TagLib::ByteVector data(static_cast<unsigned int>(std::min<long>(
                              static_cast<long>(length), available)),
                          0);
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t got = ::pread(fd_, data.data() + done, data.size() - done, position_ + done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got < 0) failed_ = true;
      break;
    }
    done += static_cast<size_t>(got);
  }
  data.resize(static_cast<unsigned int>(done));
  position_ += static_cast<long>(done);
  return data;
}

bool CheckedFileStream::WriteAt(long offset, const char* data, size_t bytes) {
  while (bytes > 0 && !failed_) {
    const ssize_t put = ::pwrite(fd_, data, bytes, offset);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      failed_ = true;
      break;
    }
    data += put;
    offset += put;
    bytes -= static_cast<size_t>(put);
  }
  return !failed_;
}

void CheckedFileStream::writeBlock(const TagLib::ByteVector& data) {
  if (fd_ < 0) return;
  if (WriteAt(position_, data.data(), data.size())) position_ += static_cast<long>(data.size());
}

void CheckedFileStream::MoveTail(long from, long to) {
  const long end = length();
  const long bytes = end - from;
  std::vector<char> buffer(static_cast<size_t>(std::min(bytes, moveBufferBytes_)));
  // Growing moves the last block first, shrinking the first, so that no byte
  // is overwritten before it was moved.
  for (long moved = 0; moved < bytes && !failed_;) {
    const long step = std::min(bytes - moved, moveBufferBytes_);
    const long at = to > from ? end - moved - step : from + moved;
    const ssize_t got = ::pread(fd_, buffer.data(), static_cast<size_t>(step), at);
    if (got != step) {
      failed_ = true;
      break;
    }
    WriteAt(at + (to - from), buffer.data(), static_cast<size_t>(step));
    moved += step;
  }
  if (to < from && !failed_) truncate(end - (from - to));
}

void CheckedFileStream::insert(const TagLib::ByteVector& data, unsigned long start,
                               unsigned long replace) {
  if (fd_ < 0) return;
  const long at = static_cast<long>(start);
  const long oldEnd = at + static_cast<long>(replace);
  const long newEnd = at + static_cast<long>(data.size());
  if (oldEnd < length()) {
    if (oldEnd != newEnd) MoveTail(oldEnd, newEnd);
  } else if (newEnd < length()) {
    truncate(newEnd);  // the replaced block ran to the end
  }
  WriteAt(at, data.data(), data.size());
}

void CheckedFileStream::removeBlock(unsigned long start, unsigned long length) {
  insert(TagLib::ByteVector(), start, length);
}

void CheckedFileStream::seek(long offset, Position p) {
  const long base = p == Beginning ? 0 : p == Current ? position_ : length();
  position_ = std::max(0L, base + offset);
}

long CheckedFileStream::length() {
  struct stat status {};
  if (fd_ < 0 || ::fstat(fd_, &status) != 0) return 0;
  return static_cast<long>(status.st_size);
}

void CheckedFileStream::truncate(long length) {
  if (fd_ >= 0 && ::ftruncate(fd_, length) != 0) failed_ = true;
}
