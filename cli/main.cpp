// pontexa-cli: the export and the import without a window, for scripts.

#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/comprobar.h"
#include "export/exportador.h"
#include "import/importador.h"
#include "platform/console.h"
#include "platform/error.h"
#include "platform/system_errors.h"
#include "saga/document.h"
#include "tables/exchange_folder.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

namespace fs = std::filesystem;
using namespace pontexa;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Uso: pontexa-cli exportar ARCHIVO.xml [--carpeta DIR]\n"
    "     pontexa-cli importar ARCHIVO.xml [--carpeta DIR]\n"
    "     pontexa-cli comprobar exportar|importar ARCHIVO.xml [--carpeta DIR] [--formato texto|json]\n"
    "\n"
    "  exportar   escribe en la carpeta de intercambio las tablas ASIGNOMT, PROFT,\n"
    "             AULAT, GRUPOST, ASIGT y DIASHORAST (vacía) a partir del archivo de SAGA\n"
    "  importar   reescribe la sección time-tables del archivo de SAGA a partir de\n"
    "             DIASHORAST, SOLUC y las tablas exportadas\n"
    "\n"
    "  comprobar  dice lo que haría exportar o importar y lo que se perdería, sin\n"
    "             escribir nada; estado 0 si funcionaría, 1 si fallaría\n"
    "\n"
    "  --carpeta DIR  carpeta de intercambio; sin ella, la que representa C:\\QORDA\n"
    "  --formato F    informe de comprobar en texto (por defecto) o json\n"
    "  --avisos       tras exportar o importar, escribe en stderr lo que se ha perdido\n"
    "  --help         muestra este texto\n"
    "  --version      muestra la versión del programa\n";

struct Arguments {
  bool check = false;  // comprobar
  bool warnings = false;  // --avisos
  cli::Formato format = cli::Formato::Texto;
  std::string direction;
  fs::path file;
  std::optional<fs::path> folder;
};

// Error messages are UTF-8 already.
void PrintError(std::string_view message) { std::cerr << message << '\n'; }

std::optional<Arguments> Parse(const std::vector<std::string>& args, std::string& problem) {
  Arguments parsed;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--carpeta") {
      if (i + 1 >= args.size()) {
        problem = "falta la carpeta tras --carpeta";
        return std::nullopt;
      }
      parsed.folder = platform::PathFromUtf8(args[++i]);
    } else if (arg.rfind("--carpeta=", 0) == 0) {
      parsed.folder = platform::PathFromUtf8(arg.substr(10));
    } else if (arg == "--avisos") {
      parsed.warnings = true;
    } else if (arg == "--formato" || arg.rfind("--formato=", 0) == 0) {
      std::string value;
      if (arg == "--formato") {
        if (i + 1 >= args.size()) {
          problem = "falta el formato tras --formato";
          return std::nullopt;
        }
        value = args[++i];
      } else {
        value = arg.substr(10);
      }
      if (value != "texto" && value != "json") {
        problem = "formato desconocido: " + value;
        return std::nullopt;
      }
      parsed.format = value == "json" ? cli::Formato::Json : cli::Formato::Texto;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      problem = "opción desconocida: " + arg;
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (!positional.empty() && positional[0] == "comprobar") {
    parsed.check = true;
    positional.erase(positional.begin());
  }
  if (parsed.check && parsed.warnings) {
    problem = "--avisos es para exportar e importar; comprobar ya los muestra";
    return std::nullopt;
  }
  if (positional.size() != 2) {
    problem = positional.empty() ? "falta la orden" : "se esperan una orden y un archivo";
    return std::nullopt;
  }
  parsed.direction = positional[0];
  if (parsed.direction != "exportar" && parsed.direction != "importar") {
    problem = "orden desconocida: " + parsed.direction;
    return std::nullopt;
  }
  parsed.file = platform::PathFromUtf8(positional[1]);
  return parsed;
}

int Run(const Arguments& args) {
  if (args.check) {
    const fs::path folder = args.folder ? *args.folder : tables::ExchangeFolder();
    return cli::Comprobar(args.direction, args.file, folder, args.format, std::cout);
  }
  std::error_code error;
  // Something there that is no file (a folder, a FIFO) gets the reader's own message, naming it.
  if (!fs::exists(fs::status(args.file, error))) {
    PrintError("No existe archivo");
    return kExitFailure;
  }
  const fs::path folder = args.folder ? *args.folder : tables::ExchangeFolder();
  if (!fs::is_directory(folder, error)) {
    PrintError("No existe la carpeta de intercambio " + platform::Quoted(folder));
    return kExitFailure;
  }
  const text::RegionalSettings settings = text::RegionalSettings::FromEnvironment();
  // --avisos: the real run stops at its first error as without it.
  Recopilador gathered(/*seguirTrasErrores=*/false);
  Observador* observer = args.warnings ? &gathered : nullptr;
  tables::LockWait wait;
  wait.onWaiting = [](const std::string& message) { std::cerr << message << std::endl; };

  if (args.direction == "exportar") {
    const saga::Document document = saga::Document::LoadForReading(args.file);
    const exportacion::ResumenExportacion summary =
        exportacion::Exportar(document, folder, settings, {}, wait, observer);
    for (const auto& [table, records] : summary.registros) {
      std::cout << table << ": " << records << (records == 1 ? " registro" : " registros") << '\n';
    }
  } else {
    const importacion::ResumenImportacion summary =
        importacion::ImportarArchivo(args.file, folder, settings, {}, wait, observer);
    std::cout << "time-tables: " << summary.dias << " días, " << summary.intervalos << " intervalos, "
              << summary.grupos << " grupos, " << summary.miembros << " profesores, " << summary.actividades
              << " actividades, " << summary.entradas << " sesiones\n";
  }
  std::cout << "Proceso finalizado" << std::endl;
  if (args.warnings) cli::ImprimirAvisos(gathered, std::cerr);
  return kExitOk;
}

// A run whose output was lost has failed, whatever it did: scripts read that
// output. Said on stderr when stderr still works.
int Finish(int code) {
  // A write that failed earlier (at an endl) left its reason in errno.
  int outputError = std::cout.good() ? 0 : errno;
  if (outputError == 0) {
    errno = 0;
    std::cout.flush();
    std::fflush(stdout);
    outputError = errno;
  }
  const bool outputWritten = std::cout.good() && !std::ferror(stdout);
  if (!outputWritten) {
    std::cerr << "pontexa-cli: no se puede escribir la salida: "
              << platform::ErrnoText(outputError != 0 ? outputError : EIO) << '\n';
  }
  std::cerr.flush();
  const bool errorsWritten = std::cerr.good() && std::fflush(stderr) == 0 && !std::ferror(stderr);
  return outputWritten && errorsWritten ? code : (code == kExitOk ? kExitFailure : code);
}

}  // namespace

// Everything but the final check of the output.
static int RunCli(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kExitOk;
    }
    if (arg == "--version") {
      std::cout << "pontexa-cli " << PONTEXA_VERSION << '\n';
      return kExitOk;
    }
  }
  std::string problem;
  const std::optional<Arguments> parsed = Parse(args, problem);
  if (!parsed) {
    std::cerr << "pontexa-cli: " << problem << "\n\n" << kUsage;
    return kExitUsage;
  }
  try {
    return Run(*parsed);
  } catch (const pontexa::Error& failure) {
    PrintError(failure.what());
  } catch (const std::exception& failure) {
    PrintError(failure.what());
  }
  return kExitFailure;
}

int main(int argc, char** argv) {
  platform::UseUtf8Output();
  return Finish(RunCli(platform::CommandLineArguments(argc, argv)));
}
