#include "platform/file_update.h"

#include <cerrno>
#include <random>
#include <string>
#include <system_error>

#include "platform/error.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/system_errors.h"
#include "platform/utf8_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace pontexa::platform {

namespace {

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

[[noreturn]] void FailSaving(const fs::path& file, int error) {
  throw Error("No se puede guardar " + Quoted(file) + ": " + ErrnoText(error));
}

[[noreturn]] void FailReadOnly(const fs::path& file) {
  throw Error("No se puede guardar " + Quoted(file) + ": el archivo es de solo lectura");
}

bool HasWriteBits(const fs::file_status& status) {
  constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (status.permissions() & kWrite) != fs::perms::none;
}

// The open file, read, overwritten and restored through one handle.
class OpenFile {
 public:
  explicit OpenFile(const fs::path& path) : path_(path) {
    if (faults::ShouldFail(faults::Operation::Open, Utf8(path))) FailSaving(path, EACCES);
#ifdef _WIN32
    handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) FailSaving(path, EACCES);
#else
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) FailSaving(path, errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0) FailSaving(path, errno);
    if (!S_ISREG(info.st_mode)) FailSaving(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
#endif
  }
  ~OpenFile() {
#ifdef _WIN32
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
    if (fd_ >= 0) ::close(fd_);
#endif
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  // 0 or the errno of the failure.
  int ReadAll(std::string& bytes) {
    bytes.clear();
    char buffer[16384];
    for (;;) {
#ifdef _WIN32
      DWORD got = 0;
      if (!::ReadFile(handle_, buffer, sizeof buffer, &got, nullptr)) return EIO;
#else
      const ssize_t got = ::pread(fd_, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
      if (got < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
#endif
      if (got == 0) return 0;
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
  }

  // Writes `bytes` from the start and cuts the file after them, then flushes.
  // `testable`: the fault seam may fail it (not the restoring write).
  int Overwrite(std::string_view bytes, bool testable) {
    if (testable && faults::ShouldFail(faults::Operation::Write, Utf8(path_))) return ENOSPC;
#ifdef _WIN32
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN)) return EIO;
    while (!bytes.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) return EIO;
      bytes.remove_prefix(written);
    }
    if (!SetEndOfFile(handle_)) return EIO;
    if (testable && faults::ShouldFail(faults::Operation::Sync, Utf8(path_))) return EIO;
    if (!FlushFileBuffers(handle_)) return EIO;
#else
    const std::size_t size = bytes.size();
    off_t offset = 0;
    while (!bytes.empty()) {
      const ssize_t written = ::pwrite(fd_, bytes.data(), bytes.size(), offset);
      if (written < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      bytes.remove_prefix(static_cast<std::size_t>(written));
      offset += written;
    }
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return errno;
    if (testable && faults::ShouldFail(faults::Operation::Sync, Utf8(path_))) return EIO;
    if (::fsync(fd_) != 0) return errno;
#endif
    return 0;
  }

 private:
  fs::path path_;
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
};

}  // namespace

fs::path FollowLinks(const fs::path& path) {
  fs::path current = path;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error))) return current;
    const fs::path target = fs::read_symlink(current, error);
    if (error) return current;  // let the open report what is wrong
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  FailSaving(path, ELOOP);
}

bool FolderTakesNewFiles(const fs::path& folder) {
  const fs::path where = folder.empty() ? fs::path(".") : folder;
#ifdef _WIN32
  // Rights on Windows are ACLs the attributes do not show: ask by trying.
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const fs::path probe = where / PathFromUtf8(".pontexa-prueba-" + std::to_string(random() & 0xffffffffULL) + ".tmp");
  const HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
#else
  return ::faccessat(AT_FDCWD, where.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
#endif
}

void RewriteInPlace(const fs::path& file, std::string_view bytes) {
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  // Root may write any file; a read-only one is refused all the same, as the
  // user marked it so that it is not changed.
  if (!error && fs::is_regular_file(status) && !HasWriteBits(status)) FailReadOnly(file);
  OpenFile open(file);
  std::string old;
  if (const int failure = open.ReadAll(old)) FailSaving(file, failure);
  if (const int failure = open.Overwrite(bytes, true)) {
    // The old bytes fit where they were, so putting them back rarely fails;
    // when it does, the first failure is still the one to report.
    [[maybe_unused]] const int ignored = open.Overwrite(old, false);
    FailSaving(file, failure);
  }
}

void UpdateFile(const fs::path& file, std::string_view bytes) {
  const fs::path target = FollowLinks(file);
  std::error_code error;
  const bool exists = fs::exists(fs::symlink_status(target, error));
  if (!exists || FolderTakesNewFiles(target.parent_path())) {
    AtomicFile atomic(target);
    atomic.Write(bytes);
    atomic.Commit();
    return;
  }
  RewriteInPlace(target, bytes);
}

}  // namespace pontexa::platform
