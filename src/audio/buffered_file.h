// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// BufferedFile: a read-only file with a 64 KiB read buffer and POSIX-like
// Read and Seek, for a decoder that reads a 4-byte frame header and then
// skips the frame's body, frame after frame. Served from the buffer, those
// small reads and short seeks cost no system call. Offsets are 64-bit.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BufferedFile {
 public:
  // Opens a regular file for reading and reports its status (size,
  // modification time, inode); null when it cannot be opened or is no
  // regular file.
  static std::unique_ptr<BufferedFile> Open(const std::string& path, struct stat& status);
  ~BufferedFile();
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;

  // Like read(2): the count read, 0 at the end of the file, -1 on an error
  // before anything was read.
  ssize_t Read(void* out, size_t bytes);
  // Like lseek(2): the new position, or -1 (negative target, failed seek).
  off_t Seek(off_t offset, int whence);

 private:
  explicit BufferedFile(int fd) : fd_(fd), buffer_(64 * 1024) {}
  // One read(2), retried when a signal interrupts it.
  ssize_t ReadFd(void* out, size_t bytes);

  int fd_;
  std::vector<uint8_t> buffer_;
  off_t bufferStart_ = 0;  // file offset of buffer_[0]; the descriptor is at bufferStart_ + fill_
  size_t fill_ = 0;        // valid bytes in buffer_
  size_t at_ = 0;          // next byte to hand out
};
