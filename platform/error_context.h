#pragma once

#include <string>

namespace pontexa {

// A failure seen through two layers, as one sentence: the outer layer's
// `context` ("No se puede guardar el archivo 'X'") goes before the inner
// message only when that one does not name `subject` ('X') already, so the
// user never reads the same thing twice.
inline std::string WithContext(const std::string& context, const std::string& subject, const std::string& inner) {
  if (!subject.empty() && inner.find(subject) != std::string::npos) return inner;
  return context + ": " + inner;
}

}  // namespace pontexa
