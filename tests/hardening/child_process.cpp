#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace pontexa::testing {
namespace {

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

int Reap(int pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  return DecodeStatus(status);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildLimits& limits,
                           const std::optional<fs::path>& output) {
  const std::vector<char*> args = ArgvOf(argv);
  const std::string outputPath = output ? output->string() : "/dev/null";
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // Only async-signal-safe calls from here to exec.
    const int fd = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
      ::close(fd);
    }
    if (limits.fileSizeBytes) {
      ::signal(SIGXFSZ, SIG_IGN);  // survives exec: writes fail with EFBIG instead
      const rlimit limit{static_cast<rlim_t>(*limits.fileSizeBytes), static_cast<rlim_t>(*limits.fileSizeBytes)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execv(args[0], args.data());
    ::_exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    status_ = Reap(pid_);
  }
}

int ChildProcess::Wait() {
  if (!status_) status_ = Reap(pid_);
  return *status_;
}

void ChildProcess::Kill() {
  if (status_) return;
  ::kill(pid_, SIGKILL);
  status_ = Reap(pid_);
}

void ChildProcess::Signal(int signal) {
  if (!status_) ::kill(pid_, signal);
}

bool ChildProcess::Finished() {
  if (status_) return true;
  int status = 0;
  const int result = ::waitpid(pid_, &status, WNOHANG);
  if (result == pid_) status_ = DecodeStatus(status);
  return status_.has_value();
}

RunResult RunChild(const std::vector<std::string>& argv, const ChildLimits& limits) {
  TempFolder scratch;
  const fs::path output = scratch / "salida.txt";
  RunResult result;
  {
    ChildProcess child(argv, limits, output);
    result.exitCode = child.Wait();
  }
  result.output = ReadBytes(output);
  return result;
}

fs::path CliPath() { return PONTEXA_CLI_PATH; }

FileHolder::FileHolder(const fs::path& file) {
  int toChild[2], fromChild[2];
  // Close-on-exec, so no other child keeps the holder's stdin open.
  if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  static const char* kScript =
      "import fcntl, sys\n"
      "f = open(sys.argv[1], 'rb')\n"
      "fcntl.flock(f, fcntl.LOCK_EX)\n"
      "sys.stdout.write('ok\\n'); sys.stdout.flush()\n"
      "sys.stdin.read()\n";
  const std::vector<std::string> argv{"/usr/bin/python3", "-c", kScript, file.string()};
  const std::vector<char*> args = ArgvOf(argv);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::dup2(toChild[0], STDIN_FILENO);
    ::dup2(fromChild[1], STDOUT_FILENO);
    ::close(toChild[0]);
    ::close(toChild[1]);
    ::close(fromChild[0]);
    ::close(fromChild[1]);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(toChild[0]);
  ::close(fromChild[1]);
  stdinWrite_ = toChild[1];
  // Wait until the lock is really held.
  char answer[3] = {};
  std::size_t got = 0;
  while (got < 3) {
    const ssize_t n = ::read(fromChild[0], answer + got, 3 - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fromChild[0]);
  if (got != 3 || answer[0] != 'o' || answer[1] != 'k') {
    ::close(stdinWrite_);
    Reap(pid_);
    throw std::runtime_error("the holder could not lock " + file.string());
  }
}

FileHolder::~FileHolder() {
  ::close(stdinWrite_);  // end of its stdin: it lets go and exits
  Reap(pid_);
}

bool RunningAsRoot() { return ::geteuid() == 0; }

}  // namespace pontexa::testing
