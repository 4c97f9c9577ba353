// The system's reasons as a Spanish user reads them.

#include "platform/system_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace pontexa::platform {
namespace {

TEST(SystemErrors, CommonOnesAreSpanish) {
  const struct {
    int error;
    const char* text;
  } cases[] = {
      {EACCES, "Permiso denegado"},
      {ENOSPC, "No queda espacio en el disco"},
      {EIO, "Error de entrada/salida"},
      {EISDIR, "Es una carpeta"},
      {EXDEV, "El origen y el destino están en discos o sistemas de archivos distintos"},
      {ENAMETOOLONG, "El nombre del archivo es demasiado largo"},
      {ELOOP, "Hay demasiados enlaces simbólicos en la ruta"},
      {EFBIG, "El archivo es demasiado grande"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrnoText(c.error), c.text) << c.error;
}

TEST(SystemErrors, EveryCommonFileErrorHasItsOwnSpanishText) {
  std::vector<int> errors = {EPERM,     ENOENT, EROFS,  ENOTDIR, EEXIST, EBUSY,  ETXTBSY,  EMFILE,
                             ENFILE,    ENOTEMPTY, ENOMEM, EINVAL, EPIPE,  EAGAIN, ETIMEDOUT};
#ifdef EDQUOT  // not in every C library (MinGW's lacks it)
  errors.push_back(EDQUOT);
#endif
  for (const int error : errors) {
    const std::string text = ErrnoText(error);
    EXPECT_EQ(text.find("Error del sistema"), std::string::npos) << error << ": " << text;
  }
}

TEST(SystemErrors, ARareOneKeepsItsNumberAndTheSystemsWords) {
  const std::string text = ErrnoText(EDOM);
  EXPECT_EQ(text.rfind("Error del sistema " + std::to_string(EDOM) + " (", 0), 0u) << text;
}

}  // namespace
}  // namespace pontexa::platform
