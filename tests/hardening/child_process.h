#pragma once

// Other processes for the fault tests: pontexa-cli run as a child (with a
// file-size limit, or killed mid-run), and a process that holds a table's
// lock the way Mirvane does. POSIX only, like the faults it stages.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pontexa::testing {

struct ChildLimits {
  // RLIMIT_FSIZE: a write past this size fails with EFBIG (SIGXFSZ is ignored).
  std::optional<std::uint64_t> fileSizeBytes;
};

class ChildProcess {
 public:
  // Starts `argv[0]` with its arguments; stdout and stderr go to `output`
  // (or /dev/null).
  ChildProcess(const std::vector<std::string>& argv, const ChildLimits& limits = {},
               const std::optional<std::filesystem::path>& output = std::nullopt);
  ~ChildProcess();  // kills and reaps a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit code, or 128 + the signal that ended it.
  int Wait();
  void Kill();  // SIGKILL, then reaps
  void Signal(int signal);  // sends it, without waiting
  bool Finished();

 private:
  int pid_ = -1;
  std::optional<int> status_;
};

struct RunResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

// Runs to the end and collects what it printed.
RunResult RunChild(const std::vector<std::string>& argv, const ChildLimits& limits = {});

// The pontexa-cli built with these tests.
std::filesystem::path CliPath();

// A python3 child holding an exclusive flock on `file` while this lives, as
// another program that has the table open.
class FileHolder {
 public:
  explicit FileHolder(const std::filesystem::path& file);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;

 private:
  int pid_ = -1;
  int stdinWrite_ = -1;
};

bool RunningAsRoot();

}  // namespace pontexa::testing
