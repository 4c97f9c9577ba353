#pragma once

// Permission tests need a user the permissions bind: root writes any file in
// any folder. These run a piece of a test in a child process as such a user.

#include <functional>
#include <string>

namespace pontexa::testing {

struct ResultadoComun {
  std::string omitido;  // why no common user could run it (then nothing ran)
  std::string fallo;    // what the action threw; empty when it ended normally
};

// Runs `accion` in a child process: as this user when it is not root, else
// as "nobody". The files it touches must be open to that user. `accion` must
// not use gtest's assertions (they would count in the child only); it
// reports by throwing.
ResultadoComun ComoUsuarioComun(const std::function<void()>& accion);

}  // namespace pontexa::testing
