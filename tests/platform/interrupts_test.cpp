#include "platform/interrupts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

#ifndef _WIN32  // signals and fork; the Windows console handler is tried under Wine by the CLI
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace pontexa::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteBytes;

// Runs `body` in a child process and returns how it ended (128 + signal).
template <typename Body>
int InChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

TEST(Interrupts, ASignalRemovesTheRegisteredFilesOnlyAndEndsAsTheSignalWould) {
  TempFolder folder;
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    WriteBytes(folder / "staging", "a medias");
    WriteBytes(folder / "released", "en su sitio");
    WriteBytes(folder / "old", "de Mirvane");
    const int ended = InChild([&] {
      RemovedOnInterrupt staging(folder / "staging");
      RemovedOnInterrupt released(folder / "released");
      released.Release();
      ::raise(signal);
      ::_exit(3);  // not reached
    });
    EXPECT_EQ(ended, 128 + signal);
    EXPECT_FALSE(fs::exists(folder / "staging"));
    EXPECT_TRUE(fs::exists(folder / "released"));
    EXPECT_TRUE(fs::exists(folder / "old"));
  }
}

TEST(Interrupts, ADeferredSignalWaitsForTheStepToEnd) {
  TempFolder folder;
  const int ended = InChild([&] {
    RemovedOnInterrupt staging(folder / "staging");
    {
      InterruptsDeferred deferred;
      ::raise(SIGTERM);
      WriteBytes(folder / "step done", "");  // still running
    }
    ::_exit(3);  // not reached: the signal ends it here
  });
  EXPECT_EQ(ended, 128 + SIGTERM);
  EXPECT_TRUE(fs::exists(folder / "step done"));
}

}  // namespace
}  // namespace pontexa::platform
#endif
