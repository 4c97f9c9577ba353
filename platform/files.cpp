#include "platform/files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#include "platform/error.h"
#include "platform/faults.h"
#include "platform/interrupts.h"
#include "platform/system_errors.h"
#include "platform/utf8_path.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/wide_text.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#if defined(__linux__)
#include <linux/fs.h>
#endif
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace pontexa::platform {
namespace {

std::string Describe(const fs::path& path) { return Quoted(path); }

// A failed call on a file: the whole sentence, and the system's reason alone
// for a caller that can say better what the user was doing (AtomicFile names
// the user's file, not its temporary).
class FileFailure : public Error {
 public:
  FileFailure(const std::string& message, std::string reason) : Error(message), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

[[noreturn]] void Fail(const std::string& what, const fs::path& path, int error) {
  std::string reason = ErrnoText(error);
  throw FileFailure(what + " " + Describe(path) + ": " + reason, reason);
}

#ifdef _WIN32
// A failed Windows call, in the system's own words (and the user's language).
[[noreturn]] void FailWindows(const std::string& what, const fs::path& path) {
  std::string reason = WindowsErrorText(GetLastError());
  throw FileFailure(what + " " + Describe(path) + ": " + reason, reason);
}
#endif

bool IsReadOnlyFile(const fs::path& path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return !error && fs::is_regular_file(status) && (status.permissions() & kWrite) == fs::perms::none;
#endif
}

// A file of megabytes (a district's SAGA file) is read into memory fresh from
// the system: asking for large pages where the system offers them saves most
// of the page faults of filling the buffer. Only a hint; nothing changes when
// it is not taken.
void AdviseLargePages(char* data, std::size_t length) {
#if defined(MADV_HUGEPAGE)
  constexpr std::size_t kLargePage = std::size_t{2} << 20;
  if (length < kLargePage) return;
  const auto start = (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + length) & ~(kLargePage - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)data;
  (void)length;
#endif
}

}  // namespace

void RequireRegularFile(const fs::path& path, const std::string& what) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) Fail(what, path, error ? error.value() : ENOENT);
  if (fs::is_directory(status)) throw Error(what + " " + Describe(path) + ": es una carpeta, no un archivo");
  if (!fs::is_regular_file(status))
    throw Error(what + " " + Describe(path) + ": no es un archivo normal (es una tubería, un dispositivo o un socket)");
}

std::string ReadFile(const fs::path& path) {
  if (faults::ShouldFail(faults::Operation::Open, Utf8(path))) Fail("No se puede leer", path, EACCES);
  // Checked before opening: opening a FIFO waits for a writer, and a folder
  // "opens" with a nonsense size.
  RequireRegularFile(path, "No se puede abrir");
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("No se puede abrir", path, errno ? errno : ENOENT);
  std::string bytes;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) Fail("No se puede leer", path, errno ? errno : EIO);
  bytes.reserve(static_cast<std::size_t>(size));
  AdviseLargePages(bytes.data(), bytes.capacity());
  bytes.resize(static_cast<std::size_t>(size));
  in.seekg(0, std::ios::beg);
  if (size > 0 && !in.read(bytes.data(), size)) Fail("No se puede leer", path, errno ? errno : EIO);
  return bytes;
}

// ---------------------------------------------------------------------------
// OutputFile

struct OutputFile::Impl {
#ifdef _WIN32
  HANDLE handle = INVALID_HANDLE_VALUE;
#else
  int fd = -1;
#endif
  bool closed = false;
};

OutputFile::OutputFile(const fs::path& path) : impl_(std::make_unique<Impl>()), path_(path) {
  if (faults::ShouldFail(faults::Operation::Open, Utf8(path))) Fail("No se puede crear", path, EACCES);
#ifdef _WIN32
  // Others may read it and take a FileLock on it (AtomicFile locks its
  // temporary through a second handle); sharing delete keeps a rename or
  // removal of the file possible while that lock is held.
  impl_->handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (impl_->handle == INVALID_HANDLE_VALUE) FailWindows("No se puede crear", path);
#else
  impl_->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (impl_->fd < 0) Fail("No se puede crear", path, errno);
#endif
}

OutputFile::~OutputFile() {
  if (!impl_ || impl_->closed) return;
#ifdef _WIN32
  CloseHandle(impl_->handle);
#else
  ::close(impl_->fd);
#endif
  std::error_code ignored;
  fs::remove(path_, ignored);
}

void OutputFile::Write(std::string_view bytes) {
  if (faults::ShouldFail(faults::Operation::Write, Utf8(path_))) Fail("No se puede escribir", path_, ENOSPC);
#ifdef _WIN32
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(impl_->handle, bytes.data(), chunk, &written, nullptr)) FailWindows("No se puede escribir", path_);
    bytes.remove_prefix(written);
  }
#else
  while (!bytes.empty()) {
    const ssize_t written = ::write(impl_->fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("No se puede escribir", path_, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
#endif
}

void OutputFile::Close() {
  if (impl_->closed) return;
  if (faults::ShouldFail(faults::Operation::Sync, Utf8(path_))) Fail("No se puede guardar", path_, EIO);
#ifdef _WIN32
  if (!FlushFileBuffers(impl_->handle)) FailWindows("No se puede guardar", path_);
  const BOOL closed = CloseHandle(impl_->handle);
  impl_->closed = true;
  if (!closed) {
    const DWORD code = GetLastError();
    std::error_code ignored;
    fs::remove(path_, ignored);
    SetLastError(code);
    FailWindows("No se puede guardar", path_);
  }
#else
  if (::fsync(impl_->fd) != 0) Fail("No se puede guardar", path_, errno);
  const int result = ::close(impl_->fd);
  impl_->closed = true;
  if (result != 0) {
    const int error = errno;
    std::error_code ignored;
    fs::remove(path_, ignored);
    Fail("No se puede guardar", path_, error);
  }
#endif
}

// ---------------------------------------------------------------------------
// AtomicFile

namespace {
fs::path TemporaryBeside(const fs::path& target) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%08llx.tmp",
                static_cast<unsigned long long>(random() & 0xffffffffULL));
  return target.parent_path() / PathFromUtf8("." + Utf8(target.filename()) + ".pontexa" + suffix);
}

// Temporaries of `target` named as TemporaryBeside names them whose writer
// is gone: nobody holds their lock (on Windows, nobody has them open). One
// that another process has just created and not yet locked may go too; its
// rename then fails and its target stays as it was, so nothing is lost.
void RemoveAbandonedTemporaries(const fs::path& target, const fs::path& own) {
  const std::string prefix = "." + Utf8(target.filename()) + ".pontexa.";
  constexpr std::string_view kTail = ".tmp";
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::vector<fs::path> candidates;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = Utf8(it->path().filename());
    if (name.size() != prefix.size() + 8 + kTail.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - kTail.size(), kTail.size(), kTail) != 0 || it->path() == own)
      continue;
    const std::string hex = name.substr(prefix.size(), 8);
    if (hex.find_first_not_of("0123456789abcdef") == std::string::npos) candidates.push_back(it->path());
  }
  for (const fs::path& candidate : candidates) {
    try {
      if (std::optional<FileLock> lock = FileLock::TryExclusive(candidate)) {
        std::error_code ignored;
        fs::remove(candidate, ignored);
      }
    } catch (const Error&) {
      // Cannot be opened: in use, or not ours to judge.
    }
  }
}
}  // namespace

AtomicFile::AtomicFile(const fs::path& target)
    : target_(target), destination_(FinalTarget(target)), temporary_(TemporaryBeside(destination_)) {
  // A rename would replace a read-only file on POSIX; the user marked it so
  // that it is not changed, as Windows (and its XML DOM) would refuse.
  if (IsReadOnlyFile(destination_)) {
    throw Error("No se puede guardar " + Describe(target_) + ": el archivo es de solo lectura");
  }
  onInterrupt_ = std::make_unique<RemovedOnInterrupt>(temporary_);
  try {
    out_ = std::make_unique<OutputFile>(temporary_);
  } catch (const FileFailure& failure) {
    throw Error("No se puede guardar " + Describe(target_) + ": no se puede crear un archivo nuevo en su carpeta (" +
                failure.Reason() + ")");
  }
  try {
    if (std::optional<FileLock> lock = FileLock::TryExclusive(temporary_))
      lock_ = std::make_unique<FileLock>(std::move(*lock));
  } catch (const Error&) {
    // Best effort: without the lock only the cleanup of others is less sure.
  }
  RemoveAbandonedTemporaries(destination_, temporary_);
}

AtomicFile::~AtomicFile() {
  // OutputFile removes the temporary when it was not closed; a closed but
  // uncommitted one is removed here.
  lock_.reset();
  if (!committed_) {
    out_.reset();
    std::error_code ignored;
    fs::remove(temporary_, ignored);
  }
}

void AtomicFile::Write(std::string_view bytes) {
  try {
    out_->Write(bytes);
  } catch (const FileFailure& failure) {
    throw Error("No se puede guardar " + Describe(target_) + ": " + failure.Reason());
  }
}

void AtomicFile::Commit() {
  try {
    CommitOrThrow();
  } catch (const FileFailure& failure) {
    throw Error("No se puede guardar " + Describe(target_) + ": " + failure.Reason());
  }
}

void AtomicFile::CommitOrThrow() {
  out_->Close();
  std::error_code error;
  const auto status = fs::status(destination_, error);
  if (!error && fs::exists(status)) {
    fs::permissions(temporary_, status.permissions(), fs::perm_options::replace, error);
#ifndef _WIN32
    struct stat info {};
    if (::stat(destination_.c_str(), &info) == 0) {
      // Keeps the owner where we may (root saving someone's file); failure is harmless.
      [[maybe_unused]] int ignored = ::chown(temporary_.c_str(), info.st_uid, info.st_gid);
    }
#endif
  }
  ReplaceDurably(temporary_, destination_);
  onInterrupt_->Release();
  committed_ = true;
  lock_.reset();
}

// ---------------------------------------------------------------------------

void RenameOver(const fs::path& from, const fs::path& to) {
  if (faults::ShouldFail(faults::Operation::Rename, Utf8(to))) Fail("No se puede reemplazar", to, EACCES);
#ifdef _WIN32
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    FailWindows("No se puede reemplazar", to);
#else
  if (::rename(from.c_str(), to.c_str()) != 0) Fail("No se puede reemplazar", to, errno);
#endif
}

void KeepAside(const fs::path& file, const fs::path& aside) {
  if (faults::ShouldFail(faults::Operation::Rename, Utf8(aside))) Fail("No se puede apartar", file, EACCES);
  std::error_code error;
  fs::create_hard_link(file, aside, error);
  if (!error) return;
  RenameOver(file, aside);
}

void ReplaceDurably(const fs::path& from, const fs::path& to) {
  RenameOver(from, to);
  SyncFolder(to.parent_path().empty() ? fs::path(".") : to.parent_path());
}

void SyncFolder(const fs::path& folder) {
#ifndef _WIN32
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);  // best effort: some file systems refuse fsync on folders
    ::close(fd);
  }
#else
  (void)folder;
#endif
}

// ---------------------------------------------------------------------------
// FileLock

struct FileLock::Impl {
#ifdef _WIN32
  HANDLE handle = INVALID_HANDLE_VALUE;
#else
  int fd = -1;
#endif
};

std::optional<FileLock> FileLock::TryExclusive(const fs::path& path) {
  if (faults::ShouldFail(faults::Operation::Open, Utf8(path))) return std::nullopt;
  FileLock lock;
  lock.impl_ = std::make_unique<Impl>();
#ifdef _WIN32
  lock.impl_->handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (lock.impl_->handle == INVALID_HANDLE_VALUE) {
    // Another program holding the file open without sharing (a spreadsheet,
    // Mirvane itself) keeps it as surely as a lock would.
    const DWORD code = GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return std::nullopt;
    SetLastError(code);
    FailWindows("No se puede abrir", path);
  }
  // Windows locks are mandatory for the range they cover; a byte far past the
  // end keeps the lock advisory, so our own reads through other handles work.
  OVERLAPPED farByte{};
  farByte.Offset = 0;
  farByte.OffsetHigh = 0x7FFFFFFF;
  if (!LockFileEx(lock.impl_->handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &farByte)) {
    CloseHandle(lock.impl_->handle);
    lock.impl_->handle = INVALID_HANDLE_VALUE;
    return std::nullopt;
  }
#else
  // O_NONBLOCK: a FIFO in place of a table must not hang the open.
  lock.impl_->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (lock.impl_->fd < 0) Fail("No se puede abrir", path, errno);
  if (::flock(lock.impl_->fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(lock.impl_->fd);
    lock.impl_->fd = -1;
    return std::nullopt;
  }
#endif
  return lock;
}

std::optional<FileLock> FileLock::TryExclusiveCreating(const fs::path& path) {
  if (faults::ShouldFail(faults::Operation::Open, Utf8(path))) Fail("No se puede crear", path, EACCES);
  FileLock lock;
  lock.impl_ = std::make_unique<Impl>();
#ifdef _WIN32
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    handle = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) Fail("No se puede crear", path, EACCES);
  lock.impl_->handle = handle;
  OVERLAPPED farByte{};
  farByte.OffsetHigh = 0x7FFFFFFF;
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &farByte)) return std::nullopt;
#else
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0666);
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) Fail("No se puede crear", path, errno);
  lock.impl_->fd = fd;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return std::nullopt;
#endif
  return lock;
}

std::optional<FileLock> FileLock::TryExclusiveFolder(const fs::path& folder) {
  FileLock lock;
  lock.impl_ = std::make_unique<Impl>();
#ifndef _WIN32
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Fail("No se puede abrir la carpeta", folder, errno);
  lock.impl_->fd = fd;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return std::nullopt;
#else
  (void)folder;  // Windows cannot lock a folder; the caller's other locks stand
#endif
  return lock;
}

FileLock::FileLock(FileLock&&) noexcept = default;
FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    FileLock dying(std::move(*this));
    impl_ = std::move(other.impl_);
  }
  return *this;
}

FileLock::~FileLock() {
  if (!impl_) return;
#ifdef _WIN32
  if (impl_->handle != INVALID_HANDLE_VALUE) CloseHandle(impl_->handle);
#else
  if (impl_->fd >= 0) ::close(impl_->fd);  // releases the flock
#endif
}

// ---------------------------------------------------------------------------
// Links and replaceable targets

fs::path FinalTarget(const fs::path& path) {
  fs::path current = path;
  // A loop of links ends here; the rename then fails on it with its own error.
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error)) || error) return current;
    const fs::path next = fs::read_symlink(current, error);
    if (error) return current;
    current = next.is_absolute() ? next : (current.parent_path() / next).lexically_normal();
  }
  return current;
}

void RequireReplaceable(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || !fs::exists(status)) return;
  const std::string what = "No se puede reemplazar " + Describe(path);
  if (fs::is_directory(status)) throw Error(what + ": es una carpeta, no un archivo");
  if (!fs::is_regular_file(status)) throw Error(what + ": no es un archivo normal");
  constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & kWrite) == fs::perms::none) throw Error(what + ": el archivo es de solo lectura");
#ifdef _WIN32
  // Windows refuses to rename a file another program has open. An exclusive
  // open finds that now; it is closed at once, as it would refuse our rename too.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_SHARING_VIOLATION) throw Error(what + ": está en uso por otro programa");
    throw Error(what + ": " + ErrnoText(EACCES));
  }
  CloseHandle(handle);
#elif defined(__linux__) && defined(FS_IOC_GETFLAGS)
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd >= 0) {
    int flags = 0;
    const bool known = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;  // not every file system keeps them
    ::close(fd);
    if (known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0)
      throw Error(what + ": el archivo está marcado como inmutable");
  }
#endif
}

// ---------------------------------------------------------------------------

fs::path ExecutablePath() {
#ifdef _WIN32
  // Long paths (beyond MAX_PATH) need a bigger buffer: the call fills it
  // completely when the name does not fit.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return fs::path();
    if (length < buffer.size()) return fs::path(buffer.substr(0, length));
    if (buffer.size() >= 32768) return fs::path();
    buffer.resize(buffer.size() * 2);
  }
#else
  std::error_code error;
  fs::path path = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : path;
#endif
}

std::optional<char> NativeDecimalSeparator() {
#ifdef _WIN32
  wchar_t separator[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 && separator[0] < 0x80)
    return static_cast<char>(separator[0]);
#endif
  return std::nullopt;
}

std::optional<std::string> GetEnv(const char* name) {
#ifdef _WIN32
  // The wide environment holds names and values exactly; the narrow one is
  // in the ANSI code page.
  const std::wstring wideName = WideFromUtf8(name);
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (length < value.size()) return Utf8FromWide(std::wstring_view(value.data(), length));
    value.resize(length);  // length counts the terminating null here
  }
#else
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
#endif
}

}  // namespace pontexa::platform
