#pragma once

// The one place that talks to the operating system about files. Everything
// above it uses std::filesystem and these calls, so a Windows build only has to
// supply this layer.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pontexa::platform {

// Reads a whole file. Throws pontexa::Error naming the file on failure.
std::string ReadFile(const std::filesystem::path& path);

// A new file written in place: write, then Close() flushes it to disk.
// The destructor closes without flushing and removes the file when Close()
// was never reached, so a failure never leaves a half-written file behind.
class OutputFile {
 public:
  explicit OutputFile(const std::filesystem::path& path);  // truncates
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  void Close();  // flush + fsync; throws on failure
  const std::filesystem::path& Path() const { return path_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::filesystem::path path_;
};

class FileLock;

// Replaces `target` atomically: the bytes go to a temporary file in the same
// folder, which is flushed, given the target's permissions and renamed over
// it. Until Commit() returns, the target is untouched; on any failure (or when
// the object dies without Commit) the temporary file is removed. The
// temporary is locked while it is written, so the next AtomicFile of the same
// target removes the ones a killed process left behind.
class AtomicFile {
 public:
  explicit AtomicFile(const std::filesystem::path& target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void Write(std::string_view bytes);
  void Commit();
  const std::filesystem::path& Target() const { return target_; }

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::unique_ptr<OutputFile> out_;
  std::unique_ptr<FileLock> lock_;
  bool committed_ = false;
};

// Renames `from` over `to` (replacing it) and makes the rename durable.
void ReplaceDurably(const std::filesystem::path& from, const std::filesystem::path& to);

// The same rename without flushing the folder: for a batch of renames that
// ends with one SyncFolder.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// Flushes a folder's entries to disk, so renames inside it survive a crash.
void SyncFolder(const std::filesystem::path& folder);

// An exclusive advisory lock on a file, held while the object lives
// (flock on POSIX, LockFileEx on Windows). Other processes that ask for the
// same lock fail at once instead of waiting.
class FileLock {
 public:
  // Empty when another process holds the lock (on Windows also when it holds
  // the file open without sharing); throws pontexa::Error when the file
  // cannot be opened at all.
  static std::optional<FileLock> TryExclusive(const std::filesystem::path& path);
  FileLock(FileLock&&) noexcept;
  FileLock& operator=(FileLock&&) noexcept;
  ~FileLock();

 private:
  FileLock() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Full path of the running executable.
std::filesystem::path ExecutablePath();

// The decimal separator of the user's regional settings where the platform
// keeps one (Windows); empty elsewhere, where the locale variables tell.
std::optional<char> NativeDecimalSeparator();

// The value of an environment variable, if set.
std::optional<std::string> GetEnv(const char* name);

}  // namespace pontexa::platform
