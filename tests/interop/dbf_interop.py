#!/usr/bin/python3
"""Interop of our dBase tables with independent readers and writers.

Tables written by our engine (through dbf_interop_writer) must read back
with the same values in dbfread, python3-dbf and GDAL's ogrinfo; tables
written by python3-dbf and ogr2ogr must read correctly through our
converter's "ver" command. Needs TOS_DBF_WRITER and TOS_CLI.
"""

import csv
import datetime
import io
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest

import dbf
import dbfread

WRITER = os.environ.get("TOS_DBF_WRITER", "")
CLI = os.environ.get("TOS_CLI", "")

FIELDS = "NOMBRE:C:20,HORAS:F,DNI:W,CODIGO:C:4"

# (NOMBRE, HORAS, DNI, CODIGO) as written; "" leaves a field never written.
ROWS = [
    ("Año ½ €", "2.5", "12345", "A1"),
    ("ÑANDÚ ñ á ü", "-3", "-7", ""),
    ("", "1000000000", "", "X"),
    ("texto que no cabe en veinte", "0.5", "0", "ABCDEF"),
    ("  sangría", "14", "2147483647", "Z"),
    ("tercio", "0.3333333333333333", "-2147483648", "T"),
    ("grande", "1e300", "", "G"),
    ("vacío", "", "", ""),
]


def expected_rows():
    """What every reader must see: text cut to width and right-stripped,
    numbers as numbers, never-written numbers as None."""
    out = []
    for nombre, horas, dni, codigo in ROWS:
        out.append((nombre[:20].rstrip(" "),
                    float(horas) if horas else None,
                    int(dni) if dni else None,
                    codigo[:4].rstrip(" ")))
    return out


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def run(args, **kw):
    return subprocess.run(args, capture_output=True, timeout=60, **kw)


def write_rows(path, rows):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        for row in rows:
            f.write("\t".join(row) + "\n")


def ogr_features(path):
    """Feature values as ogrinfo -al prints them: a list of {name: text}."""
    r = run(["ogrinfo", "-ro", "-al", "-q", path])
    if r.returncode != 0:
        raise AssertionError(r.stderr.decode())
    features = []
    for line in r.stdout.decode("utf-8").splitlines():
        if line.startswith("OGRFeature"):
            features.append({})
            continue
        m = re.match(r"^  (\w+) \((\w+)\) = (.*)$", line)
        if m and features:
            features[-1][m.group(1)] = m.group(3)
    return features, r.stderr.decode()


def ver_with_format(path, *options):
    """The table's format, from ver's first line, and the CSV rows after it."""
    r = run([CLI, "ver", *options, path])
    if r.returncode != 0:
        raise AssertionError("ver failed: " + r.stderr.decode())
    text = r.stdout.decode("utf-8")
    first, _, rest = text.partition("\n")
    return first, list(csv.reader(io.StringIO(rest, newline="")))


def ver(path, *options):
    return ver_with_format(path, *options)[1]


class OursReadByOthers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="tos-interop-")
        rows = os.path.join(cls.dir, "rows.tsv")
        write_rows(rows, ROWS)
        r = run([WRITER, "create", cls.dir, "MUESTRA", FIELDS, rows])
        assert r.returncode == 0, r.stderr.decode()
        cls.path = os.path.join(cls.dir, "MUESTRA.DBF")

        # Edited in place, then appended to, by a second and third run.
        write_rows(rows, ROWS[:3])
        assert run([WRITER, "create", cls.dir, "EDITADA", FIELDS, rows]).returncode == 0
        assert run([WRITER, "edit", cls.dir, "EDITADA.DBF", "2", "NOMBRE", "cambiado"]).returncode == 0
        write_rows(rows, [ROWS[3]])
        assert run([WRITER, "append", cls.dir, "EDITADA", rows]).returncode == 0
        cls.edited = os.path.join(cls.dir, "EDITADA.DBF")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def check_layout(self, path, records):
        data = read_bytes(path)
        self.assertEqual(data[0], 0x03)
        self.assertEqual(data[28], 0, "an MDX flag without an index")
        self.assertEqual(data[29], 0x03, "Windows ANSI language id")
        count, header, record = struct.unpack("<IHH", data[4:12])
        self.assertEqual(count, records)
        self.assertEqual(len(data), header + count * record + 1)
        self.assertEqual(data[-1], 0x1A)
        self.assertEqual(data.count(b"\x1a"), 1)

    def test_layout(self):
        self.check_layout(self.path, len(ROWS))
        self.check_layout(self.edited, 4)

    def test_dbfread(self):
        table = dbfread.DBF(self.path)  # decodes by the language id
        self.assertEqual(table.field_names, ["NOMBRE", "HORAS", "DNI", "CODIGO"])
        got = [tuple(r.values()) for r in table]
        self.assertEqual(got, expected_rows())

    def test_dbfread_edited_then_appended(self):
        got = [r["NOMBRE"] for r in dbfread.DBF(self.edited)]
        self.assertEqual(got, ["Año ½ €", "cambiado", "", "texto que no cabe en"])

    def test_python_dbf(self):
        table = dbf.Table(self.path)
        table.open(dbf.READ_ONLY)
        try:
            got = [(r.nombre.rstrip(), r.horas, r.dni, r.codigo.rstrip()) for r in table]
        finally:
            table.close()
        self.assertEqual(got, expected_rows())

    def test_ogrinfo_values(self):
        features, errors = ogr_features(self.path)
        self.assertEqual(errors, "")
        self.assertEqual(len(features), len(ROWS))
        for f, (nombre, horas, dni, codigo) in zip(features, expected_rows()):
            # GDAL trims leading blanks and takes an all-blank field for a null.
            self.assertEqual(f["NOMBRE"], nombre.lstrip(" ") or "(null)")
            self.assertEqual(f["CODIGO"], codigo or "(null)")
            if horas is None:
                self.assertEqual(f["HORAS"], "(null)")
            else:
                # GDAL shows a value with the column's declared decimals, in at
                # most 79 characters.
                self.assertEqual(f["HORAS"], ("%.4f" % horas)[:79])
            self.assertEqual(f["DNI"], "(null)" if dni is None else str(dni))

    def test_ogrinfo_schema_and_quiet_on_edited_table(self):
        r = run(["ogrinfo", "-ro", "-al", "-so", self.edited])
        self.assertEqual(r.returncode, 0)
        self.assertEqual(r.stderr.decode(), "")
        out = r.stdout.decode()
        self.assertIn("Feature Count: 4", out)
        self.assertRegex(out, r"NOMBRE: String \(20\.0\)")
        self.assertRegex(out, r"HORAS: Real \(20\.4\)")
        self.assertRegex(out, r"DNI: Integer(64)? \(11\.0\)")
        self.assertRegex(out, r"CODIGO: String \(4\.0\)")
        features, errors = ogr_features(self.edited)
        self.assertEqual(errors, "")
        self.assertEqual([f["NOMBRE"] for f in features],
                         ["Año ½ €", "cambiado", "(null)", "texto que no cabe en"])

    def test_our_own_reader_agrees(self):
        rows = ver(self.path)
        self.assertEqual(rows[0], ["NOMBRE", "HORAS", "DNI", "CODIGO"])
        self.assertEqual(len(rows), len(ROWS) + 1)
        self.assertEqual(rows[1], ["Año ½ €", "2.5", "12345", "A1"])
        self.assertEqual(rows[6], ["tercio", "0.333333333333333", "-2147483648", "T"])
        self.assertEqual(rows[7], ["grande", "1E300", "", "G"])
        self.assertEqual(rows[8], ["vacío", "", "", ""])


class TheirsReadByUs(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="tos-interop-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def test_python_dbf_cp850(self):
        path = os.path.join(self.dir, "pydbf.dbf")
        table = dbf.Table(path, "NOMBRE C(12); HORAS N(8,2); NUM N(5,0); F F(12,3)",
                          codepage="cp850")
        table.open(dbf.READ_WRITE)
        table.append(("Año ½ Ñá", 2.5, 12, -1.125))
        table.append(('a,"b"', -3, None, None))
        table.append(("borrado", 1, 1, 1))
        dbf.delete(table[-1])
        table.append(("último", 0.25, -99, 1e6))
        table.close()
        self.assertEqual(read_bytes(path)[29], 0x02)
        self.assertEqual(ver(path), [
            ["NOMBRE", "HORAS", "NUM", "F"],
            ["Año ½ Ñá", "2.5", "12", "-1.125"],
            ['a,"b"', "-3", "", ""],
            ["último", "0.25", "-99", "1000000"],
        ])
        self.assertEqual(ver(path, "--campos"), [
            ["NOMBRE", "texto", "12", "0"],
            ["HORAS", "flotante", "8", "2"],
            ["NUM", "entero", "5", "0"],
            ["F", "flotante", "12", "3"],
        ])

    def test_python_dbf_visual_foxpro(self):
        path = os.path.join(self.dir, "vfp.dbf")
        table = dbf.Table(path, "DIA I; HORA B; PRECIO Y; F D; TS T; OK L; NOTA M; NOMBRE C(5)",
                          dbf_type="vfp", codepage="cp1252")
        table.open(dbf.READ_WRITE)
        table.append((3, 2.5, 12.25, datetime.date(2026, 12, 9),
                      datetime.datetime(2026, 12, 9, 8, 5, 7), True, "hola", "Año"))
        table.append((-2147483647, -1e300, -922337203685.5, None, None, False, "", "x"))
        table.close()
        self.assertEqual(read_bytes(path)[0], 0x30)
        fmt, rows = ver_with_format(path)
        self.assertEqual(fmt, "Visual FoxPro")
        self.assertEqual(rows[0], ["DIA", "HORA", "PRECIO", "F", "TS", "OK", "NOTA", "NOMBRE"])
        self.assertEqual([r[:6] + r[7:] for r in rows[1:]], [
            ["3", "2.5", "12.25", "20261209", "20261209 08:05:07", "T", "Año"],
            ["-2147483647", "-1E300", "-922337203685.5", "", "", "F", "x"],
        ])
        self.assertRegex(rows[1][6], r"^[1-9][0-9]*$")  # the memo's block number
        self.assertEqual(ver(path, "--campos")[:3], [
            ["DIA", "entero", "4", "0"],
            ["HORA", "flotante", "8", "0"],
            ["PRECIO", "flotante", "8", "0"],
        ])

    def ogr2ogr(self, encoding, name):
        src = os.path.join(self.dir, name + ".csv")
        with open(src, "w", encoding="utf-8") as f:
            f.write('NOMBRE,HORAS,NUM\n"Año ½ Ñ",2.5,12\n"€ y ü",-3,\n,,7\n')
        out = os.path.join(self.dir, name)
        r = run(["ogr2ogr", "-f", "ESRI Shapefile", "-lco", "ENCODING=" + encoding,
                 "-oo", "AUTODETECT_TYPE=YES", out, src])
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        return os.path.join(out, name + ".dbf")

    def test_ogr2ogr_cp850_language_id(self):
        path = self.ogr2ogr("LDID/2", "oem")
        self.assertEqual(read_bytes(path)[29], 0x02)
        self.assertFalse(os.path.exists(path[:-4] + ".cpg"))
        # cp850 has no euro sign: GDAL leaves it out.
        rows = ver(path)
        self.assertEqual(rows[1], ["Año ½ Ñ", "2.5", "12"])
        self.assertEqual(rows[2][0].strip(), "y ü")
        self.assertEqual(rows[2][1:], ["-3", ""])  # GDAL fills a null with "*"
        self.assertEqual(rows[3], ["", "", "7"])

    def test_ogr2ogr_id_zero_with_cpg(self):
        for encoding in ("CP1252", "UTF-8"):
            with self.subTest(encoding=encoding):
                path = self.ogr2ogr(encoding, "ansi" + encoding.replace("-", ""))
                data = read_bytes(path)
                self.assertEqual(data[29], 0x00)
                cpg = path[:-4] + ".cpg"
                self.assertTrue(os.path.exists(cpg))
                # The note is found whatever the letter case of its name.
                os.rename(cpg, path[:-4] + ".CPG")
                upper = os.path.join(os.path.dirname(path), os.path.basename(path).upper())
                rows = ver(upper)
                self.assertEqual(rows, [["NOMBRE", "HORAS", "NUM"],
                                        ["Año ½ Ñ", "2.5", "12"],
                                        ["€ y ü", "-3", ""],
                                        ["", "", "7"]])


if __name__ == "__main__":
    if not WRITER or not CLI:
        raise SystemExit("TOS_DBF_WRITER and TOS_CLI must name the programs")
    unittest.main()
