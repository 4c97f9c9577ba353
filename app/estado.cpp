#include "app/estado.h"

namespace pontexa::app {

std::filesystem::path ArchivoXML;
std::int32_t NumParametros = 0;
std::int32_t Transformado = 0;

}  // namespace pontexa::app
