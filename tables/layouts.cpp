#include "tables/layouts.h"

#include <array>

namespace pontexa::tables {
namespace {

using enum FieldType;

constexpr std::array<FieldDef, 5> kAsignomtFields{{
    {"COD", String, 10},
    {"CODLARGO", String, 10},
    {"NOMBRE", String, 80},
    {"IDSAGA", String, 60},
    {"HORAS", String, 8},
}};

constexpr std::array<FieldDef, 5> kProftFields{{
    {"ABREV", String, 10},
    {"NOMBRE", String, 80},
    {"DEPART", String, 40},
    {"DNI", Integer, 0},
    {"IDSAGA", String, 60},
}};

constexpr std::array<FieldDef, 5> kAulatFields{{
    {"ABREV", String, 10},
    {"NOMBRE", String, 80},
    {"EDIFICIO", String, 1},
    {"MAXALUM", Integer, 0},
    {"IDSAGA", String, 60},
}};

constexpr std::array<FieldDef, 7> kGrupostFields{{
    {"ABREV", String, 10},
    {"TURNO", String, 1},
    {"NIVEL", String, 5},
    {"CURSO", String, 3},
    {"GRUPO", String, 2},
    {"IDSAGA", String, 60},
    {"DESCRIP", String, 80},
}};

constexpr std::array<FieldDef, 10> kAsigtFields{{
    {"CASIG", String, 10},
    {"CPROF", String, 10},
    {"CGRUP", String, 10},
    {"CAULA", String, 10},
    {"TURNO", String, 1},
    {"NIVEL", String, 5},
    {"CURSO", String, 3},
    {"GRUPO", String, 2},
    {"HORAS", Float, 0},
    {"SESIONES", String, 20},
}};

constexpr std::array<FieldDef, 8> kDiashorastFields{{
    {"DIHO", String, 10},
    {"CODDIHO", String, 10},
    {"DIA", String, 20},
    {"TEXTODIA", String, 20},
    {"HORA", String, 8},
    {"HORADESDE", String, 8},
    {"HORAHASTA", String, 8},
    {"MINUTOS", String, 8},
}};

}  // namespace

const TableLayout kAsignomt{"ASIGNOMT", kAsignomtFields};
const TableLayout kProft{"PROFT", kProftFields};
const TableLayout kAulat{"AULAT", kAulatFields};
const TableLayout kGrupost{"GRUPOST", kGrupostFields};
const TableLayout kAsigt{"ASIGT", kAsigtFields};
const TableLayout kDiashorast{"DIASHORAST", kDiashorastFields};

std::span<const TableLayout* const> ExportedLayouts() {
  static const std::array<const TableLayout*, 6> kAll{&kAsignomt, &kProft,  &kAulat,
                                                      &kGrupost,  &kAsigt,  &kDiashorast};
  return kAll;
}

}  // namespace pontexa::tables
