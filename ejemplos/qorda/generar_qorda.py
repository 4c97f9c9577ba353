#!/usr/bin/env python3
"""Writes DIASHORAST.DBF and SOLUC.DBF as Mirvane leaves them for the sample
school ejemplos/saga/instituto.xml: five days of six intervals, and the
timetable Mirvane solved from the assignments the export wrote (ASIGT).

    python3 ejemplos/qorda/generar_qorda.py [CARPETA]

Only the standard library is used and the output is always the same bytes.
Lessons that find no free interval for their group and teacher stay
unplaced (DIA 0), as Mirvane leaves them; a half hour of a subject becomes a
row with SESIONES 0.5.
"""

import os
import struct
import sys

FECHA = (2024, 9, 2)  # "last update" in the headers, fixed so the files never change

DIAS = ["Lunes", "Martes", "Miércoles", "Jueves", "Viernes"]
HORAS = [("8:00", "8:55"), ("9:00", "9:55"), ("10:00", "10:55"),
         ("11:25", "12:20"), ("12:25", "13:20"), ("13:25", "14:20")]

# (group, teacher, subject, hours): the assignments of the sample school, as
# the export writes them into ASIGT.
ASIGNACIONES = [
    ('ESO1A', 'LFS', 'Lcyl', 4),
    ('ESO1A', 'MOV', 'Matemá', 4),
    ('ESO1A', 'JB', 'EF', 2),
    ('ESO1A', 'ACG', 'GH', 3),
    ('ESO1A', 'RIM', 'BG', 3),
    ('ESO1A', 'ACG1', 'PLEI', 4),
    ('ESO1A', 'ACG2', 'T3', 2),
    ('ESO1A', 'PNR', 'Música', 2),
    ('ESO1A', 'LFS', 'Tutorí', 1),
    ('ESO1B', 'LFS1', 'Lcyl', 4),
    ('ESO1B', 'MOV', 'Matemá', 4),
    ('ESO1B', 'JB', 'EF', 2),
    ('ESO1B', 'ACG', 'GH', 3),
    ('ESO1B', 'RIM', 'BG', 3),
    ('ESO1B', 'ACG1', 'inglés', 3),
    ('ESO1B', 'CVL', 'EPVA', 2),
    ('ESO1B', '', 'Religi', 4),
    ('ESO1B', 'LFS1', 'Tutorí', 1),
    ('ESO2A', 'LFS', 'Lcyl', 4),
    ('ESO2A', 'pnr1', 'Matemá1', 4),
    ('ESO2A', 'JB', 'EF', 2),
    ('ESO2A', 'EDP', 'FQ', 3),
    ('ESO2A', 'ACG1', 'PLEI', 4),
    ('ESO2A', 'PNR', 'Música1', 4),
    ('ESO2A', 'LFS1', 'RL', 1),
    ('ESO2A', 'TIM', 'VÉ', 1),
    ('ESO3A', 'LFS1', 'Lcyl', 4),
    ('ESO3A', 'pnr1', 'Matemá1', 4),
    ('ESO3A', 'EDP', 'FQ', 3),
    ('ESO3A', 'RIM', 'BG', 3),
    ('ESO3A', 'ACG2', 'T4', 3),
    ('ESO3A', 'MOV', 'AM', 4),
    ('ESO3A', '', 'VÉ', 1),
    ('ESO3A', 'EDP', 'Tutorí', 1),
    ('ESO4A', 'LFS', 'Lcyl', 4),
    ('ESO4A', 'MOV', 'Matemá', 4),
    ('ESO4A', 'ACG2', 'T1', 2),
    ('ESO4A', 'NER', 'CC', 2.5),
    ('ESO4A', 'NER', 'Latín', 4),
    ('ESO4A', 'DSV', 'CAAP', 3),
    ('ESO4B', 'LFS2', 'Lcyl', 4),
    ('ESO4B', 'pnr1', 'Matemá', 4),
    ('ESO4B', 'ACG2', 'T4', 3),
    ('ESO4B', 'THC', 'TIC', 2),
    ('ESO4B', 'ILP', 'Filoso', 3),
    ('ESO4B', 'SMP', 'PI', 20),
    ('Bachil', 'ILP', 'Filoso', 3),
    ('Bachil', 'EDP', 'Químic', 4),
    ('Bachil', 'SMP', 'Física', 4),
    ('Bachil', 'MOV', 'MII', 4),
    ('Bachil', 'ACG1', 'PLEI', 4),
    ('Bachil', 'JB', 'EF', 2),
    ('Bachil1', 'ILP', 'Filoso', 3),
    ('Bachil1', 'RMC', 'Econom', 4),
    ('Bachil1', 'pnr1', 'MACSII', 4),
    ('Bachil1', 'NER', 'Latín', 4),
    ('Bachil1', 'ÍSB', 'PLEI', 4),
    ('Bachil2', 'ACG', 'HE', 3),
    ('Bachil2', 'MOV', 'MII', 4),
    ('Bachil2', 'EDP', 'Químic', 4),
    ('Bachil2', 'THC', 'DTII', 4),
    ('Bachil2', 'MJdlFA', '2BI', 1.5),
    ('Bachil3', 'ÓDB', 'HE', 3),
    ('Bachil3', 'pnr1', 'MACSII', 4),
    ('Bachil3', 'RMC', 'Econom', 4),
    ('Bachil3', '', 'TIC', 2),
    ('Bachil3', 'MJdlFA', '2BI', 1.5),
    ('FPB 1', 'B', 'CAAP', 3),
    ('FPB 1', 'B', 'Lcyl', 4),
    ('FPB 1', 'DSV', 'T3', 2),
]

# Rooms by subject; other lessons go to the group's own classroom.
AULA_ASIGNATURA = {
    "EF": "Gimnas", "FQ": "Labora", "Químic": "Labora", "Física": "LdF", "BG": "Labor1",
    "Música": "AdM", "Música1": "AdM", "TIC": "AdI", "T3": "TdT", "T4": "TdT", "T1": "TdT",
    "2BI": "Biblio",
}
AULA_GRUPO = {
    "ESO1A": "A1", "ESO1B": "A2", "ESO2A": "A3", "ESO3A": "A4", "ESO4A": "A1", "ESO4B": "A2",
    "Bachil": "A3", "Bachil1": "A4", "Bachil2": "A1", "Bachil3": "A2", "FPB 1": "A3", "PMAR2A": "A4",
}

# Classrooms a lesson may move to when its own is taken.
AULAS_LIBRES = ["A1", "A2", "A3", "A4", "Biblio", "SdA"]


def dbf(campos, filas):
    """dBase III table bytes; campos: (name, type, length, decimals)."""
    longitud = 1 + sum(c[2] for c in campos)
    cabecera = 32 + 32 * len(campos) + 1
    salida = bytearray(struct.pack("<BBBBIHH", 0x03, FECHA[0] - 1900, FECHA[1], FECHA[2],
                                   len(filas), cabecera, longitud))
    salida += bytes(17) + b"\x57" + bytes(2)  # language driver: Windows-1252
    for nombre, tipo, ancho, decimales in campos:
        salida += nombre.encode("ascii").ljust(11, b"\0") + tipo.encode("ascii") + bytes(4)
        salida += bytes([ancho, decimales]) + bytes(14)
    salida += b"\r"
    for fila in filas:
        salida += b" "
        for (nombre, tipo, ancho, decimales), valor in zip(campos, fila):
            if tipo == "C":
                salida += str(valor).encode("cp1252")[:ancho].ljust(ancho, b" ")
            else:
                salida += ("%.*f" % (decimales, valor)).encode("ascii").rjust(ancho, b" ")
    salida += b"\x1a"
    return bytes(salida)


def dias_horas():
    campos = [("DIHO", "C", 10, 0), ("CODDIHO", "C", 10, 0), ("DIA", "C", 20, 0),
              ("TEXTODIA", "C", 20, 0), ("HORA", "C", 8, 0), ("HORADESDE", "C", 8, 0),
              ("HORAHASTA", "C", 8, 0), ("MINUTOS", "C", 8, 0)]
    filas = []
    for d, nombre in enumerate(DIAS, 1):
        for h, (desde, hasta) in enumerate(HORAS, 1):
            filas.append([nombre[:2].upper() + str(h), "%d%02d" % (d, h), str(d), nombre, str(h),
                          desde, hasta, "55"])
    return dbf(campos, filas)


def soluc():
    campos = [("CODGRUPO", "C", 10, 0), ("PROF", "C", 10, 0), ("ASIG", "C", 10, 0),
              ("DIA", "N", 1, 0), ("HORA", "N", 2, 0), ("SESIONES", "N", 5, 2),
              ("AULA", "C", 10, 0), ("NUMSES", "N", 3, 0)]
    ocupado = set()  # (kind, code, day, interval)
    filas = []
    for n, (grupo, prof, asig, horas) in enumerate(ASIGNACIONES):
        sesiones = [1.0] * int(horas) + ([0.5] if horas != int(horas) else [])
        usados = set()  # days this subject already has in this group
        for s, duracion in enumerate(sesiones, 1):
            sitio = None
            for paso in range(len(DIAS)):
                d = (n + paso + s) % len(DIAS) + 1
                if d in usados and paso < len(DIAS) - 1:
                    continue
                # A half session starts at an odd interval of Mirvane's half-hour grid.
                for i in range(1, len(HORAS) + 1):
                    if duracion == 0.5 and i % 2 == 0:
                        continue
                    libre = ("g", grupo, d, i) not in ocupado and (
                        not prof or ("p", prof, d, i) not in ocupado)
                    if libre:
                        sitio = (d, i)
                        break
                if sitio:
                    break
            if not sitio:
                filas.append([grupo, prof, asig, 0, 0, duracion, "", s])
                continue
            d, i = sitio
            usados.add(d)
            ocupado.add(("g", grupo, d, i))
            if prof:
                ocupado.add(("p", prof, d, i))
            aula = ""  # no room left: Mirvane leaves it blank
            propia = AULA_ASIGNATURA.get(asig, AULA_GRUPO.get(grupo))
            for candidata in [propia] + AULAS_LIBRES:
                if ("a", candidata, d, i) not in ocupado:
                    aula = candidata
                    ocupado.add(("a", aula, d, i))
                    break
            hora = (i + 1) // 2 if duracion == 0.5 else i
            filas.append([grupo, prof, asig, d, hora, duracion, aula, s])
    return dbf(campos, filas), filas


def main():
    carpeta = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    tabla, filas = soluc()
    with open(os.path.join(carpeta, "DIASHORAST.DBF"), "wb") as f:
        f.write(dias_horas())
    with open(os.path.join(carpeta, "SOLUC.DBF"), "wb") as f:
        f.write(tabla)
    sin_colocar = sum(1 for fila in filas if fila[3] == 0)
    print("SOLUC: %d filas, %d sin colocar; DIASHORAST: %d filas" % (len(filas), sin_colocar, len(DIAS) * len(HORAS)))


if __name__ == "__main__":
    main()
