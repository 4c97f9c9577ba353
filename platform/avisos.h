#pragma once

// What a transfer loses or refuses without stopping, told to whoever asks.
// The transfers keep going where the data does not fit (that is what Mirvane
// and SAGA expect); an Observador hears each such case, so a dry run or
// `--avisos` can tell the user. Without one the transfers do no extra work.

#include <charconv>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace pontexa {

// A field that locates a case: its name and value (UTF-8); numbers (record,
// line) keep their decimal text and say so, for formats that tell them apart.
struct Dato {
  std::string clave;
  std::string valor;
  bool esNumero = false;
};

inline Dato DatoTexto(std::string clave, std::string valorUtf8) { return {std::move(clave), std::move(valorUtf8)}; }
inline Dato DatoNumero(std::string clave, std::size_t valor) {
  char cifras[24];
  const auto fin = std::to_chars(cifras, cifras + sizeof cifras, valor).ptr;
  return {std::move(clave), std::string(cifras, fin), true};
}

// One case: a fixed kind ("asignatura_desconocida"), a Spanish message in
// UTF-8, and the fields that locate it, in the order they are best read.
struct Aviso {
  std::string tipo;
  std::string mensaje;
  std::vector<Dato> datos = {};
};

class Observador {
 public:
  virtual ~Observador() = default;
  // Something the transfer writes other than the user may expect.
  virtual void Avisar(Aviso aviso) = 0;
  // A failure that stops the real transfer. Returns true when the caller
  // should go on to find the next one (a dry run gathers them all); false
  // when it must raise the error as it would without an observer.
  virtual bool Fallar(Aviso error) = 0;
};

// Keeps everything it hears, in order.
class Recopilador final : public Observador {
 public:
  // `seguirTrasErrores`: a dry run gathers every error; a real run with
  // --avisos stops at the first, as it does without.
  explicit Recopilador(bool seguirTrasErrores) : seguir_(seguirTrasErrores) {}

  void Avisar(Aviso aviso) override { avisos_.push_back(std::move(aviso)); }
  bool Fallar(Aviso error) override {
    errores_.push_back(std::move(error));
    return seguir_;
  }

  const std::vector<Aviso>& Avisos() const { return avisos_; }
  const std::vector<Aviso>& Errores() const { return errores_; }

 private:
  bool seguir_;
  std::vector<Aviso> avisos_;
  std::vector<Aviso> errores_;
};

}  // namespace pontexa
