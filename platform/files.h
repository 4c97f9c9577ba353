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

// Reads a whole file. Throws pontexa::Error naming the file on failure, also
// when it is not a regular file (a folder, a FIFO, a device), which is never
// waited on.
std::string ReadFile(const std::filesystem::path& path);

// Throws pontexa::Error naming `path` unless it is a regular file (links
// followed); `what` starts the message ("No se puede abrir").
void RequireRegularFile(const std::filesystem::path& path, const std::string& what);

// The file a path finally names: symbolic links followed (relative ones from
// their own folder) up to the first entry that is not a link, which need not
// exist. A path that is no link is returned as it is.
std::filesystem::path FinalTarget(const std::filesystem::path& path);

// Throws pontexa::Error naming `path` with the reason when renaming another
// file over it, or moving it aside, would fail for a reason known in advance:
// a folder or other non-regular file, read-only, immutable or append-only,
// or (on Windows) open in another program. A missing file passes.
void RequireReplaceable(const std::filesystem::path& path);

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
class RemovedOnInterrupt;

// Replaces `target` atomically: the bytes go to a temporary file in the same
// folder, which is flushed, given the target's permissions and renamed over
// it. Until Commit() returns, the target is untouched; on any failure (or when
// the object dies without Commit) the temporary file is removed. A target
// that is a symbolic link keeps its link: the file it finally names is the
// one replaced, with the temporary in that file's own folder. The
// temporary is locked while it is written, so the next AtomicFile of the same
// target removes the ones a killed process left behind.
class AtomicFile {
 public:
  explicit AtomicFile(const std::filesystem::path& target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Failures name the target, never the temporary the user does not know.
  void Write(std::string_view bytes);
  void Commit();
  const std::filesystem::path& Target() const { return target_; }

 private:
  void CommitOrThrow();

  std::filesystem::path target_;
  std::filesystem::path destination_;  // target_ with its links followed
  std::filesystem::path temporary_;
  std::unique_ptr<OutputFile> out_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<RemovedOnInterrupt> onInterrupt_;  // the temporary, should a signal end the run
  bool committed_ = false;
};

// Renames `from` over `to` (replacing it) and makes the rename durable.
void ReplaceDurably(const std::filesystem::path& from, const std::filesystem::path& to);

// The same rename without flushing the folder: for a batch of renames that
// ends with one SyncFolder.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// Gives `file` the second name `aside` in the same folder (a hard link), so
// that a rename over `file` can later be undone; where the file system has
// no hard links, moves `file` to `aside` instead. Either way `aside` then
// holds the file's bytes.
void KeepAside(const std::filesystem::path& file, const std::filesystem::path& aside);

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
  // The same on a lock file of ours, created when missing (opened for
  // reading when it exists but cannot be written).
  static std::optional<FileLock> TryExclusiveCreating(const std::filesystem::path& path);
  // The same on a folder itself, where the system can lock one (POSIX);
  // elsewhere always held at once, as nothing can be locked.
  static std::optional<FileLock> TryExclusiveFolder(const std::filesystem::path& folder);
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
