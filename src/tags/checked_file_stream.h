// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CheckedFileStream: the stream TagLib edits a written file through. TagLib's
// own file stream drops write errors, so a full disk would leave a
// half-tagged file that looks saved; this one works on a file descriptor
// with pread/pwrite, remembers the first failure and lets the caller refuse
// the file. Growing or shrinking a block moves the bytes after it in steps of
// a fixed buffer, so memory does not grow with the file.
#include <taglib/tiostream.h>

#include <string>

class CheckedFileStream : public TagLib::IOStream {
 public:
  // Opens the file at `path` for reading and writing; bytes are moved
  // through a buffer of moveBufferBytes.
  explicit CheckedFileStream(const std::string& path, long moveBufferBytes = 1 << 20);
  ~CheckedFileStream() override;
  CheckedFileStream(const CheckedFileStream&) = delete;
  CheckedFileStream& operator=(const CheckedFileStream&) = delete;

  // True when a read, write or resize failed since the file was opened (or
  // it could not be opened at all).
  bool Failed() const { return failed_; }

  TagLib::FileName name() const override { return path_.c_str(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector& data) override;
  void insert(const TagLib::ByteVector& data, unsigned long start = 0,
              unsigned long replace = 0) override;
  void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
  bool readOnly() const override { return fd_ < 0; }
  bool isOpen() const override { return fd_ >= 0; }
  void seek(long offset, Position p = Beginning) override;
  long tell() const override { return position_; }
  long length() override;
  void truncate(long length) override;

 private:
  bool WriteAt(long offset, const char* data, size_t bytes);
  // Moves the bytes from `from` to the end of the file so that they start at `to`.
  void MoveTail(long from, long to);

  std::string path_;
  long moveBufferBytes_;
  int fd_ = -1;
  long position_ = 0;
  bool failed_ = false;
};
