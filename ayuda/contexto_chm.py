#!/usr/bin/env python3
"""Mends the context map of a CHM that chmcmd 3.2 compiled.

chmcmd writes the topic of every [MAP] context as the page's absolute path on
the build machine ("/home/.../ayuda/index.htm"), which names no file inside
the CHM, so the HTML help viewer finds no topic for the context. The page's
own name ("index.htm") is the tail of that string, so a new #IVB that points
at the tail maps the context correctly. The #IVB lies in the compressed
section; the new one goes into the uncompressed section over the first bytes
of chmcmd's "_#_README_#_" note (text no viewer reads), so no directory entry
changes its size: only #IVB's section number changes.

Usage: contexto_chm.py ARCHIVO.chm CARPETA_DEL_PROYECTO CONTEXTO=PAGINA...
"""

import os
import struct
import sys


def encint(data, at):
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, at


def directory(data):
    """Yields (name, position of its section number, section, offset, length)."""
    if data[:4] != b"ITSF":
        raise SystemExit("no es un archivo CHM (falta la cabecera ITSF)")
    dir_offset, dir_length = struct.unpack_from("<QQ", data, 0x48)
    itsp = data[dir_offset:dir_offset + dir_length]
    if itsp[:4] != b"ITSP":
        raise SystemExit("el CHM no tiene directorio ITSP")
    header_length, = struct.unpack_from("<I", itsp, 8)
    chunk_size, = struct.unpack_from("<I", itsp, 0x10)
    chunks, = struct.unpack_from("<I", itsp, 0x2C)
    for number in range(chunks):
        start = dir_offset + header_length + number * chunk_size
        chunk = data[start:start + chunk_size]
        if chunk[:4] != b"PMGL":
            continue
        free, = struct.unpack_from("<I", chunk, 4)
        at, end = 0x14, chunk_size - free
        while at < end:
            length, at = encint(chunk, at)
            name = chunk[at:at + length].decode("utf-8")
            at += length
            section_at = start + at
            section, at = encint(chunk, at)
            offset, at = encint(chunk, at)
            size, at = encint(chunk, at)
            yield name, section_at, section, offset, size


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    path, project = sys.argv[1], os.path.abspath(sys.argv[2])
    data = bytearray(open(path, "rb").read())
    entries = {name: rest for name, *rest in directory(data)}
    readme = entries.get("/_#_README_#_")
    ivb = entries.get("/#IVB")
    if ivb is None:
        raise SystemExit("el CHM no tiene mapa de contextos (#IVB)")
    pairs = []
    # chmcmd adds the context topics to #STRINGS first, from offset 1, in the
    # order of the project's [FILES].
    string_offset = 1
    for mapping in sys.argv[3:]:
        context, page = mapping.split("=", 1)
        written = (project + "/" + page).encode("utf-8")
        pairs.append((int(context), string_offset + len(written) - len(page.encode("utf-8"))))
        string_offset += len(written) + 1
    content = struct.pack("<I", 8 * len(pairs)) + b"".join(struct.pack("<II", c, o) for c, o in pairs)
    section_at, section, offset, size = ivb
    if size != len(content):
        raise SystemExit("el #IVB del CHM tiene %d bytes y se esperaban %d" % (size, len(content)))
    if section != 1 or offset != 0:
        raise SystemExit("el #IVB no está al principio de la sección comprimida")
    if readme is None or readme[1] != 0 or readme[2] != 0 or readme[3] < len(content):
        raise SystemExit("el CHM no tiene la nota _#_README_#_ al principio de la sección sin comprimir")
    content_offset, = struct.unpack_from("<Q", data, 0x58)
    data[content_offset:content_offset + len(content)] = content
    # Section 1 -> 0; the offset (0) and the size that follow keep their bytes.
    data[section_at] = 0
    tmp = path + ".tmp"
    with open(tmp, "wb") as out:
        out.write(data)
    os.replace(tmp, path)


if __name__ == "__main__":
    main()
