#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/).

    /usr/bin/python3 fuzz/corpus/generar.py CARPETA_EXPORTADA

CARPETA_EXPORTADA holds the tables that `pontexa-cli exportar` made from the
import target's fixed SAGA file (saved as fuzz/corpus/fuzz_exportacion/
centro_latin1.xml); they seed the table target too. Only the standard library
is used and the output is always the same bytes. Small files on purpose: the
fuzzer mutates them, and short inputs run fast.
"""

import os
import shutil
import struct
import sys

AQUI = os.path.dirname(os.path.abspath(__file__))


def celda(tipo, longitud, valor):
    if isinstance(valor, bytes):
        return valor.ljust(longitud, b"\0")[:longitud]
    texto = str(valor).encode("cp1252")
    if tipo in "NF":
        return texto.rjust(longitud)[:longitud]
    return texto.ljust(longitud)[:longitud]


def tabla(campos, filas, version=0x03, sabor="dbase3", borrados=(), idioma=0x57):
    """campos: (nombre, tipo, longitud, decimales); filas: listas de valores."""
    longitud_registro = 1 + sum(c[2] for c in campos)
    if sabor == "dbase7":
        cabecera_fija, descriptor = 68, 48
    else:
        cabecera_fija, descriptor = 32, 32
    longitud_cabecera = cabecera_fija + descriptor * len(campos) + 1
    if sabor == "vfp":
        longitud_cabecera += 263
    salida = bytearray(struct.pack("<BBBBIHH", version, 124, 9, 2, len(filas),
                                   longitud_cabecera, longitud_registro))
    salida += bytes(17) + bytes([idioma]) + bytes(2)
    if sabor == "dbase7":
        salida += b"DBWINUS0".ljust(32, b"\0") + bytes(4)
    desplazamiento = 1
    for nombre, tipo, longitud, decimales in campos:
        if sabor == "dbase7":
            d = nombre.encode().ljust(32, b"\0") + tipo.encode() + bytes([longitud, decimales])
            d += bytes(48 - len(d))
        else:
            d = nombre.encode().ljust(11, b"\0") + tipo.encode()
            d += struct.pack("<I", desplazamiento if sabor == "vfp" else 0)
            d += bytes([longitud, decimales]) + bytes(14)
        salida += d
        desplazamiento += longitud
    salida += b"\r"
    if sabor == "vfp":
        salida += bytes(263)
    for numero, fila in enumerate(filas):
        salida += b"*" if numero in borrados else b" "
        for (nombre, tipo, longitud, _), valor in zip(campos, fila):
            salida += celda(tipo, longitud, valor)
    salida += b"\x1a"
    return bytes(salida)


DIASHORAST = [("DIHO", "C", 10, 0), ("CODDIHO", "C", 10, 0), ("DIA", "C", 20, 0), ("TEXTODIA", "C", 20, 0),
              ("HORA", "C", 8, 0), ("HORADESDE", "C", 8, 0), ("HORAHASTA", "C", 8, 0), ("MINUTOS", "C", 8, 0)]


def dias_horas(filas):
    return tabla(DIASHORAST, [["", "", d, t, h, desde, hasta, ""] for d, t, h, desde, hasta in filas])


DIAS = [("1", "Lunes", "1", "8:00", "8:55"), ("1", "Lunes", "2", "9:00", "9:55"),
        ("2", "Martes", "1", "8:00", "8:55"), ("2", "Martes", "2", "9:00", "945"),
        ("5", "Viernes", "1", "10:00", ""), ("01", "Lunes", "41", "x", "y")]

SOLUC_NUMERICA = [("CODGRUPO", "C", 10, 0), ("PROF", "C", 10, 0), ("ASIG", "C", 10, 0), ("DIA", "N", 2, 0),
                  ("HORA", "N", 5, 2), ("SESIONES", "N", 5, 2), ("AULA", "C", 10, 0), ("OTRO", "C", 4, 0)]
SOLUC_TEXTO = [(n, "C", 8 if t == "N" else l, 0) for n, t, l, _ in SOLUC_NUMERICA]
SOLUC_MINUSCULAS = [(n.lower(), t, l, d) for n, t, l, d in SOLUC_NUMERICA]
SOLUC_SIN_AULA = [c for c in SOLUC_NUMERICA if c[0] != "AULA"]

LECCIONES = [["ESO1A", "LFS", "Matemá", "1", "1", "1", "A1", ""],
             ["ESO1A", "LFS1", "Lengua", "0", "0", "1", "", ""],
             ["BAC2B", "LFS", "Tutorí", "2", "3", "0.5", "Labora", ""],
             ["XX", "", "1002", "5", "2.5", "1", "", ""]]


def soluc(campos, filas=LECCIONES, **opciones):
    nombres = [c[0].upper() for c in campos]
    orden = [n for n, _, _, _ in SOLUC_NUMERICA]
    return tabla(campos, [[f[orden.index(n)] for n in nombres] for f in filas], **opciones)


def escribe(objetivo, nombre, contenido):
    carpeta = os.path.join(AQUI, objetivo)
    os.makedirs(carpeta, exist_ok=True)
    with open(os.path.join(carpeta, nombre), "wb") as f:
        f.write(contenido)


def importacion(nombre, soluc_bytes, dias_bytes):
    escribe("fuzz_importacion", nombre, struct.pack("<H", len(soluc_bytes)) + soluc_bytes + dias_bytes)


def main():
    exportada = sys.argv[1]
    for nombre in sorted(os.listdir(exportada)):
        if nombre.upper().endswith(".DBF"):
            with open(os.path.join(exportada, nombre), "rb") as f:
                escribe("fuzz_tabla", "exportada_" + nombre.lower(), f.read())

    escribe("fuzz_tabla", "soluc_dbase3_borrado.dbf", soluc(SOLUC_NUMERICA, borrados={1}))
    escribe("fuzz_tabla", "soluc_texto_dbase4.dbf", soluc(SOLUC_TEXTO, version=0x8B))
    escribe("fuzz_tabla", "soluc_minusculas_dbase7.dbf", soluc(SOLUC_MINUSCULAS, version=0x04, sabor="dbase7"))
    escribe("fuzz_tabla", "diashorast_foxpro2.dbf", tabla(DIASHORAST, [["", "", d, t, h, a, b, ""] for d, t, h, a, b in DIAS],
                                                          version=0xF5, idioma=0x03))
    vfp = [("CODGRUPO", "C", 10, 0), ("DIA", "I", 4, 0), ("HORA", "B", 8, 2), ("SESIONES", "Y", 8, 4),
           ("CUANDO", "T", 8, 0), ("FECHA", "D", 8, 0), ("HECHO", "L", 1, 0), ("_NullFlags", "0", 1, 0)]
    filas_vfp = [["ESO1A", struct.pack("<i", 3), struct.pack("<d", 2.5), struct.pack("<q", 5000),
                  struct.pack("<ii", 2460556, 3600000), "20240902", "T", b"\0"],
                 ["BAC2B", struct.pack("<i", 0), struct.pack("<d", -1.0), struct.pack("<q", 10000),
                  bytes(8), "", "?", b"\0"]]
    escribe("fuzz_tabla", "soluc_visualfoxpro.dbf", tabla(vfp, filas_vfp, version=0x30, sabor="vfp"))

    dias = dias_horas(DIAS)
    importacion("numerica.bin", soluc(SOLUC_NUMERICA), dias)
    importacion("texto.bin", soluc(SOLUC_TEXTO), dias)
    importacion("minusculas_borrado.bin", soluc(SOLUC_MINUSCULAS, borrados={0}), dias_horas(DIAS[:2]))
    importacion("sin_aula.bin", soluc(SOLUC_SIN_AULA), dias)
    importacion("vacias.bin", soluc(SOLUC_NUMERICA, filas=[]), dias_horas([]))
    importacion("texto_no_numerico.bin", soluc(SOLUC_TEXTO, filas=[["ESO1A", "LFS", "Matemá", "uno", "1,5", "", "A1", ""]]), dias)


if __name__ == "__main__":
    main()
