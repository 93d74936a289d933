#!/usr/bin/env python3
"""Writes the hostile workbook files that the reader must refuse (or, for the lying dimension,
open without trusting it). Nothing here is committed: the files are made fresh for each run.

Usage: make_hostile_files.py OUTPUT_DIR
"""
import os
import struct
import sys
import zipfile
import zlib

NS = "http://schemas.openxmlformats.org/"
MAIN = NS + "spreadsheetml/2006/main"

CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="%spackage/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/></Types>' % NS)
ROOT_RELS = (
    '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%spackage/2006/relationships">'
    '<Relationship Id="rId1" Type="%sofficeDocument/2006/relationships/officeDocument" '
    'Target="xl/workbook.xml"/></Relationships>' % (NS, NS))
WORKBOOK = (
    '<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="%s" xmlns:r="%sofficeDocument/2006/'
    'relationships"><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>' % (MAIN, NS))
WORKBOOK_RELS = (
    '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%spackage/2006/relationships">'
    '<Relationship Id="rId1" Type="%sofficeDocument/2006/relationships/worksheet" '
    'Target="worksheets/sheet1.xml"/>'
    '<Relationship Id="rId2" Type="%sofficeDocument/2006/relationships/sharedStrings" '
    'Target="sharedStrings.xml"/></Relationships>' % (NS, NS, NS))
SHEET_HEAD = '<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="%s">' % MAIN
SMALL_SHEET = SHEET_HEAD + '<sheetData><row r="1"><c r="A1"><v>1</v></c></row></sheetData></worksheet>'
NO_STRINGS = '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="%s" count="0" uniqueCount="0"/>' % MAIN


def write_skeleton(z, strings=NO_STRINGS, workbook=WORKBOOK):
    """Every part of a workbook but its sheet."""
    z.writestr("[Content_Types].xml", CONTENT_TYPES)
    z.writestr("_rels/.rels", ROOT_RELS)
    z.writestr("xl/workbook.xml", workbook)
    z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
    z.writestr("xl/sharedStrings.xml", strings)


def write_book(path, sheet=SMALL_SHEET, strings=NO_STRINGS, workbook=WORKBOOK):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        write_skeleton(z, strings, workbook)
        z.writestr("xl/worksheets/sheet1.xml", sheet)


def zip_bomb(path, size=1 << 30):
    """A sheet that unpacks to 1 GiB from about a megabyte, its sizes declared honestly."""
    row = b'<row><c t="inlineStr"><is><t>bomb</t></is></c></row>'
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        write_skeleton(z)
        with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as f:
            head = (SHEET_HEAD + "<sheetData>").encode()
            f.write(head)
            chunk = row * ((1 << 20) // len(row))
            written = len(head)
            while written < size:
                f.write(chunk)
                written += len(chunk)
            f.write(b"</sheetData></worksheet>")


def lying_sizes(path):
    """A 40 MiB sheet whose headers say it unpacks to 1,000 bytes."""
    rows = "".join('<row r="%d"><c r="A%d"><v>%d</v></c></row>' % (i, i, i) for i in range(1, 800001))
    sheet = SHEET_HEAD + "<sheetData>" + rows + "</sheetData></worksheet>"
    write_book(path, sheet=sheet)
    data = bytearray(open(path, "rb").read())
    name = b"xl/worksheets/sheet1.xml"
    # Local headers: name length at 26, name at 30, uncompressed size at 22.
    # Central directory entries: name length at 28, name at 46, uncompressed size at 24.
    for signature, name_len_at, name_at, size_at in ((b"PK\x03\x04", 26, 30, 22),
                                                     (b"PK\x01\x02", 28, 46, 24)):
        i = data.find(signature)
        while i >= 0:
            name_len = struct.unpack_from("<H", data, i + name_len_at)[0]
            if data[i + name_at:i + name_at + name_len] == name:
                struct.pack_into("<I", data, i + size_at, 1000)
            i = data.find(signature, i + 4)
    open(path, "wb").write(bytes(data))


def truncated(path, source, keep):
    data = open(source, "rb").read()
    open(path, "wb").write(data[:keep(len(data))])


def corrupted(path, scratch, large):
    """A valid workbook with one byte of its sheet's compressed data changed."""
    rows = "".join('<row r="%d"><c r="A%d"><v>%d</v></c></row>' % (i, i, i) for i in range(1, 20001))
    write_book(large, sheet=SHEET_HEAD + "<sheetData>" + rows + "</sheetData></worksheet>")
    data = bytearray(open(large, "rb").read())
    with zipfile.ZipFile(large) as z:
        info = z.getinfo("xl/worksheets/sheet1.xml")
    name_len = struct.unpack_from("<H", data, info.header_offset + 26)[0]
    extra_len = struct.unpack_from("<H", data, info.header_offset + 28)[0]
    start = info.header_offset + 30 + name_len + extra_len
    data[start + info.compress_size // 2] ^= 0xFF
    open(path, "wb").write(bytes(data))


def billion_laughs(entity_count=10):
    decl = '<!ENTITY lol "lol">'
    for i in range(1, entity_count):
        prev = "lol" if i == 1 else "lol%d" % (i - 1)
        decl += '<!ENTITY lol%d "%s">' % (i, ("&%s;" % prev) * 10)
    return ('<?xml version="1.0"?><!DOCTYPE sst [%s]><sst xmlns="%s"><si><t>&lol%d;</t></si></sst>'
            % (decl, MAIN, entity_count - 1))


def many_entries(path, count=200000):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
        write_skeleton(z)
        z.writestr("xl/worksheets/sheet1.xml", SMALL_SHEET)
        for i in range(count):
            z.writestr("xl/media/pad%d.bin" % i, b"")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    p = lambda name: os.path.join(out, name)
    write_book(p("valid.xlsx"))
    zip_bomb(p("zip_bomb.xlsx"))
    lying_sizes(p("lying_sizes.xlsx"))
    truncated(p("truncated_half.xlsx"), p("lying_sizes.xlsx"), lambda n: n // 2)
    truncated(p("truncated_tail.xlsx"), p("valid.xlsx"), lambda n: n - 10)
    corrupted(p("corrupted.xlsx"), p("lying_sizes.xlsx"), p("valid_large.xlsx"))
    write_book(p("billion_laughs.xlsx"), strings=billion_laughs())
    write_book(p("billion_laughs_workbook.xlsx"),
               workbook=WORKBOOK.replace('<?xml version="1.0" encoding="UTF-8"?>',
                                         '<?xml version="1.0"?><!DOCTYPE workbook [<!ENTITY a "aaaa">'
                                         '<!ENTITY b "&a;&a;&a;&a;">]>'))
    write_book(p("external_entity.xlsx"),
               sheet=SHEET_HEAD.replace('<worksheet', '<!DOCTYPE worksheet [<!ENTITY xxe SYSTEM '
                                        '"file:///etc/hostname">]><worksheet') +
               '<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>X&xxe;X</t></is></c></row>'
               '</sheetData></worksheet>')
    many_entries(p("many_entries.xlsx"))
    write_book(p("huge_dimension.xlsx"),
               sheet=SHEET_HEAD + '<dimension ref="A1:XFD1048576"/><sheetData><row r="2">'
               '<c r="B2"><v>7</v></c></row><row r="9"><c r="C9" t="inlineStr"><is><t>end</t></is>'
               '</c></row></sheetData></worksheet>')
    open(p("not_a_zip.xlsx"), "w").write("Defect,Count\nScratch,3\n")


if __name__ == "__main__":
    main()
