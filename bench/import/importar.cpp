// Times one import of a SAGA file (run it under /usr/bin/time -v for the
// peak memory):
//
//   pontexa_bench_import ARCHIVO.xml CARPETA
//
// Prints the seconds the import took, loading and saving included.

#include <chrono>
#include <iostream>

#include "import/importador.h"
#include "platform/error.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "uso: " << argv[0] << " ARCHIVO.xml CARPETA\n";
    return 2;
  }
  try {
    const auto inicio = std::chrono::steady_clock::now();
    const auto resumen = pontexa::importacion::ImportarArchivo(argv[1], argv[2], pontexa::text::RegionalSettings{','});
    const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
    std::cout << duracion.count() << " s, " << resumen.entradas << " sesiones\n";
  } catch (const pontexa::Error& error) {
    std::cerr << error.what() << '\n';
    return 1;
  }
  return 0;
}
