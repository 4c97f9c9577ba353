#include "support/usuario_comun.h"

#include <exception>

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace pontexa::testing {

#ifdef _WIN32

ResultadoComun ComoUsuarioComun(const std::function<void()>&) {
  return {"los permisos de POSIX no se aplican en Windows", {}};
}

#else

namespace {

// What the child sends back: a kind letter, then the text.
constexpr char kBien = 'B', kFallo = 'F', kOmitido = 'O';

void Enviar(int fd, char clase, const std::string& texto) {
  const std::string mensaje = clase + texto;
  std::size_t hecho = 0;
  while (hecho < mensaje.size()) {
    const ssize_t n = ::write(fd, mensaje.data() + hecho, mensaje.size() - hecho);
    if (n <= 0 && errno != EINTR) return;
    if (n > 0) hecho += static_cast<std::size_t>(n);
  }
}

}  // namespace

ResultadoComun ComoUsuarioComun(const std::function<void()>& accion) {
  const bool root = ::geteuid() == 0;
  uid_t uid = 0;
  gid_t gid = 0;
  if (root) {
    const passwd* nadie = ::getpwnam("nobody");
    if (nadie == nullptr) return {"no existe el usuario nobody para dejar de ser root", {}};
    uid = nadie->pw_uid;
    gid = nadie->pw_gid;
  }
  int tubo[2];
  if (::pipe(tubo) != 0) return {"no se puede crear la tubería hacia el proceso hijo", {}};
  const pid_t hijo = ::fork();
  if (hijo < 0) {
    ::close(tubo[0]);
    ::close(tubo[1]);
    return {"no se puede crear el proceso hijo", {}};
  }
  if (hijo == 0) {
    ::close(tubo[0]);
    if (root && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0 || ::geteuid() == 0)) {
      Enviar(tubo[1], kOmitido, "root no puede dejar sus privilegios aquí (setuid denegado)");
      ::_exit(0);
    }
    try {
      accion();
      Enviar(tubo[1], kBien, {});
    } catch (const std::exception& fallo) {
      Enviar(tubo[1], kFallo, fallo.what());
    } catch (...) {
      Enviar(tubo[1], kFallo, "excepción desconocida");
    }
    ::_exit(0);
  }
  ::close(tubo[1]);
  std::string recibido;
  char bloque[4096];
  for (;;) {
    const ssize_t n = ::read(tubo[0], bloque, sizeof bloque);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    recibido.append(bloque, static_cast<std::size_t>(n));
  }
  ::close(tubo[0]);
  int estado = 0;
  while (::waitpid(hijo, &estado, 0) < 0 && errno == EINTR) {
  }
  if (recibido.empty()) {
    return {{}, WIFSIGNALED(estado) ? "el proceso hijo murió por la señal " + std::to_string(WTERMSIG(estado))
                                    : std::string("el proceso hijo terminó sin responder")};
  }
  const std::string texto = recibido.substr(1);
  if (recibido[0] == kOmitido) return {texto, {}};
  if (recibido[0] == kFallo) return {{}, texto.empty() ? "fallo sin mensaje" : texto};
  return {};
}

#endif

}  // namespace pontexa::testing
