#include "platform/console.h"

#ifdef _WIN32
#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string_view>

#include "platform/wide_text.h"
#endif

namespace pontexa::platform {

#ifdef _WIN32
namespace {

// The few shell32 declarations this needs, resolved at run time so that the
// executable links to nothing beyond kernel32.
using CommandLineToArgvWFunction = wchar_t** (WINAPI*)(const wchar_t*, int*);

// Gathers UTF-8 bytes and hands whole characters to the console as UTF-16.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + sizeof buffer_); }

 protected:
  int_type overflow(int_type c) override {
    if (Flush(false) != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Flush(true); }

 private:
  // Writes what is gathered; a character cut at the end of the buffer waits
  // for its other bytes unless `all`.
  int Flush(bool all) {
    std::string_view bytes(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    std::size_t complete = bytes.size();
    if (!all) {
      std::size_t back = 0;
      while (back < 3 && back < bytes.size() && (static_cast<unsigned char>(bytes[bytes.size() - 1 - back]) & 0xC0) == 0x80)
        ++back;
      if (back < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[bytes.size() - 1 - back]);
        const std::size_t needed = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (needed > back) complete = bytes.size() - 1 - back;
      }
    }
    const std::wstring wide = WideFromUtf8(bytes.substr(0, complete));
    DWORD written = 0;
    if (!wide.empty() && !WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr))
      return -1;
    const std::string_view rest = bytes.substr(complete);
    std::copy(rest.begin(), rest.end(), buffer_);
    setp(buffer_, buffer_ + sizeof buffer_);
    pbump(static_cast<int>(rest.size()));
    return 0;
  }

  HANDLE console_;
  char buffer_[4096];
};

void UseConsoleFor(std::ostream& stream, DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return;  // a pipe or a file
  stream.flush();
  // Lives until the process ends: the streams flush into it at exit.
  stream.rdbuf(new ConsoleBuffer(handle));
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  const HMODULE shell = LoadLibraryW(L"shell32.dll");
  const auto split = shell != nullptr ? reinterpret_cast<CommandLineToArgvWFunction>(
                                            reinterpret_cast<void*>(GetProcAddress(shell, "CommandLineToArgvW")))
                                      : nullptr;
  int count = 0;
  wchar_t** wide = split != nullptr ? split(GetCommandLineW(), &count) : nullptr;
  if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return args;
}

void UseUtf8Output() {
  // Anything printed past these streams (C stdio) is read as UTF-8 too.
  SetConsoleOutputCP(CP_UTF8);
  UseConsoleFor(std::cout, STD_OUTPUT_HANDLE);
  UseConsoleFor(std::cerr, STD_ERROR_HANDLE);
}

#else

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseUtf8Output() {}

#endif

}  // namespace pontexa::platform
