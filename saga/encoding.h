#pragma once

// Reading a SAGA file into one UTF-8 buffer, and writing UTF-8 back in the
// file's own encoding. The parser only ever sees UTF-8, so its offsets are
// offsets into that buffer.

#include <cstddef>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "saga/document.h"

namespace pontexa::saga::detail {

struct DecodedText {
  std::string utf8;         // the whole file as UTF-8, BOM removed
  Encoding encoding = Encoding::Utf8;
  bool byteOrderMark = false;
};

// Detects the encoding (byte order mark, UTF-16 without one, or the XML
// declaration) and decodes. Throws DocumentError naming `displayName` for an
// unknown declared encoding or broken UTF-16.
DecodedText DecodeFile(std::string bytes, const std::filesystem::path& displayName);

// Whether the encoding can hold the code point as a character of its own.
bool CanEncode(Encoding encoding, char32_t codePoint);

// Where the encoded bytes go.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Put(std::string_view bytes) = 0;
};

// Takes the serializer's UTF-8 and streams it into a sink in the target
// encoding. A character the encoding cannot hold becomes a character
// reference. Errors from the sink are kept and rethrown by Finish(), so they
// never travel through the parser library.
class EncodingWriter final : public pugi::xml_writer {
 public:
  EncodingWriter(Encoding encoding, ByteSink& sink);
  void WriteByteOrderMark();
  void Write(std::string_view utf8);
  void write(const void* data, std::size_t size) override;
  // Flushes; rethrows the first error the sink raised.
  void Finish();

 private:
  void Emit(char32_t codePoint);
  void PutByte(char byte) {
    buffer_.push_back(byte);
    if (buffer_.size() >= kChunk) Flush();
  }
  void Flush();

  static constexpr std::size_t kChunk = 1 << 16;
  Encoding encoding_;
  ByteSink& sink_;
  std::string buffer_;
  unsigned char pending_[4] = {};  // a UTF-8 sequence split between two calls
  std::size_t pendingSize_ = 0;
  std::exception_ptr error_;
};

}  // namespace pontexa::saga::detail
