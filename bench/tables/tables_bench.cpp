// Reading speed of the table component: a full walk of a large SOLUC-like
// table, and the lookups the import makes (first match by code).
//
//   build-tables/bench/tables/pontexa_tables_bench

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "tables/dbf_writer.h"
#include "tables/layouts.h"
#include "tables/table.h"

namespace fs = std::filesystem;
using namespace pontexa::tables;

namespace {

// A folder with GRUPOST holding `records` records, removed at exit.
class BenchFolder {
 public:
  explicit BenchFolder(int records) {
    path_ = fs::temp_directory_path() / ("pontexa-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(path_);
    DbfWriter writer(kGrupost);
    for (int i = 0; i < records; ++i) {
      writer.Append();
      writer.SetString("ABREV", "G" + std::to_string(i));
      writer.SetString("TURNO", "M");
      writer.SetString("NIVEL", "ESO");
      writer.SetString("IDSAGA", "grupo-" + std::to_string(i) + "-0000000000000000000");
      writer.SetString("DESCRIP", "Grupo de prueba " + std::to_string(i));
      writer.Post();
    }
    writer.WriteTo(path_ / "GRUPOST.DBF");
  }
  ~BenchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void BM_ScanTable(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  BenchFolder folder(records);
  std::size_t bytes = 0;
  for (auto _ : state) {
    Table table(folder.Path(), "GRUPOST");
    table.Open();
    for (table.First(); !table.Eof(); table.Next()) {
      bytes += table.FieldByName("ABREV").AsString().size();
      bytes += table.FieldByName("IDSAGA").AsString().size();
      bytes += table.FieldByName("NIVEL").AsString().size();
    }
    table.Close();
  }
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations() * records);
}
BENCHMARK(BM_ScanTable)->Arg(200'000)->Unit(benchmark::kMillisecond);

void BM_Locate(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  constexpr int kLookups = 200'000;
  BenchFolder folder(records);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, records * 11 / 10);  // some codes are missing
  std::vector<std::string> keys;
  for (int i = 0; i < kLookups; ++i) keys.push_back("G" + std::to_string(pick(random)));
  int found = 0;
  for (auto _ : state) {
    Table table(folder.Path(), "GRUPOST");
    table.Open();
    for (const std::string& key : keys)
      if (table.Locate("ABREV", key)) found += table.FieldByName("IDSAGA").AsString().size() > 0;
    table.Close();
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_Locate)->Arg(10'000)->Unit(benchmark::kMillisecond);

}  // namespace
