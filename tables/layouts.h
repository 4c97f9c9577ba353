#pragma once

// The tables Pontexa creates in the exchange folder, field by field, in file order.

#include <span>
#include <string_view>

namespace pontexa::tables {

enum class FieldType {
  String,   // C(size)
  Integer,  // N(11,0)
  Float,    // N(20,6)
};

struct FieldDef {
  std::string_view name;
  FieldType type;
  int size;  // characters for String; 0 for Integer and Float
};

struct TableLayout {
  std::string_view name;  // upper case, without extension: "ASIGNOMT"
  std::span<const FieldDef> fields;
};

extern const TableLayout kAsignomt;    // subjects
extern const TableLayout kProft;       // teachers
extern const TableLayout kAulat;       // rooms
extern const TableLayout kGrupost;     // groups
extern const TableLayout kAsigt;       // assignments
extern const TableLayout kDiashorast;  // days and hours

// The six, in the order the export writes them.
std::span<const TableLayout* const> ExportedLayouts();

}  // namespace pontexa::tables
