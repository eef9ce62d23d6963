// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// OutputFile: the file an export writes, made so that a failed export loses
// nothing. The bytes go to a fresh temporary file in the target's own folder;
// only Commit, after everything has been written and synced to disk without
// error, renames it over the target in one step. Until then an existing target
// keeps its old contents, and an abandoned export (any failure, or destruction
// without a commit) removes the temporary file again.
//
// Where the file system allows it the temporary file has no name at all
// (O_TMPFILE; Commit links it in), so even a crash or kill -9 leaves nothing
// behind. Elsewhere it is a hidden ".NAME.snipola-PID-N.part" created
// exclusively (no other file is ever truncated), and every Create removes such
// files that processes no longer running left in its folder.
//
// Writes are buffered; every operation reports failure (a full disk, a write
// error on close) and the first failure sticks, so a caller may check once at
// the end without missing one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Takes over the other's temporary file (open, closed or none), leaving it
  // empty: a finished file can be handed on to be committed later.
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;

  // Creates the temporary file beside targetPath. False when the folder does
  // not exist or cannot be written.
  bool Create(const std::string& targetPath);

  // Appends bytes at the end of what was written so far.
  bool Write(const void* data, size_t bytes);

  // Appends `bytes` zero bytes by growing the file: a hole that takes no disk
  // space where the file system keeps sparse files. Lets tests reach sizes
  // past 4 GiB without writing them.
  bool AppendZeros(uint64_t bytes);

  // Overwrites bytes that were already written (a size field of a header).
  bool WriteAt(uint64_t offsetBytes, const void* data, size_t bytes);

  // Bytes written so far (the position of the next Write).
  uint64_t SizeBytes() const { return sizeBytes_; }

  // Flushes, syncs to disk and closes the temporary file; false when any write
  // or the sync failed.
  bool Close();

  // Syncs the closed temporary file again (bytes may have been patched through
  // TempPath after Close) and moves it over the target. False (and the
  // temporary file removed) when the file was not closed cleanly or cannot be
  // linked in or renamed.
  bool Commit();

  // Closes and removes the temporary file; harmless when nothing is open.
  void Abandon();

  bool Failed() const { return failed_; }
  // The errno of the last failed Create (EACCES, ENOENT, ENOSPC...), for the
  // message that says why.
  int CreateError() const { return createError_; }
  // A path that opens the temporary file until the commit: its name, or
  // /proc/self/fd/N for an unnamed file (kept open after Close for this).
  const std::string& TempPath() const { return tempPath_; }
  const std::string& TargetPath() const { return targetPath_; }

 private:
  bool Flush();

  int fd_ = -1;
  bool failed_ = false;
  int createError_ = 0;
  bool closed_ = false;
  bool unnamed_ = false;
  int liveSlot_ = -1;  // where a named temporary file is listed for RemoveLiveTemporaryFiles
  std::string targetPath_;
  std::string tempPath_;
  std::vector<uint8_t> buffer_;
  size_t bufferedBytes_ = 0;
  uint64_t sizeBytes_ = 0;
};

// Lets Create use unnamed temporary files (the default) or not: tests switch
// them off to reach the named files of file systems without them.
void AllowUnnamedTemporaryFiles(bool allowed);

// Removes the named temporary files of every OutputFile of this process that
// has not committed yet. Async-signal-safe: for a handler that ends the
// process on a signal.
void RemoveLiveTemporaryFiles();

// True when a file at `path` could be replaced by a rename from a file in the
// same folder: the path is not a folder and its folder can be written.
bool CanReplaceFile(const std::string& path);

// True when both paths name the same existing file, however they are spelled
// (relative paths, links, letter case on a case-insensitive file system).
bool IsSameFile(const std::string& pathA, const std::string& pathB);
