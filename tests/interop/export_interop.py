#!/usr/bin/python3
"""The timetable export reads SOLUC.DBF tables written by other programs.

Writes a SICE folder and the working tables, then a SOLUC.DBF by python-dbf
(character DIA, HORA with decimals, Windows-1252), the same as Visual FoxPro
tables (integer DIA, HORA a double or currency, with date, logical, memo and
nullable columns beside them), and one by ogr2ogr (numeric
DIA, CP850 in a .cpg file, *-filled empty numbers), runs
"transorvalentsice-cli importar" on each and compares SICE_HORARIO.TXT with
the expected bytes (the date and time columns apart).

  export_interop.py --cli PATH [--loader WINE]
"""
import argparse
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile

import dbf

HEADER_CODE = "IOP2026X"
SLOTS = [("L", "1", "0001"), ("L", "2", "0002"), ("X", "2", "0032"), ("X", "1", "0031")]


def sice_header(self_name, code):
    return "0" + self_name.ljust(50) + code


def write_lines(path, lines):
    with open(path, "wb") as f:
        for line in lines:
            f.write(line.encode("cp1252") + b"\r\n")


def make_dbf(path, fields, rows, codepage="cp1252", dbf_type="db3"):
    table = dbf.Table(path, fields, codepage=codepage, dbf_type=dbf_type)
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()


def make_common(sice, otemp):
    write_lines(os.path.join(sice, "sice_asignat.txt"),
                ["1   MAT Matematicas", sice_header("SICE_ASIGNAT.TXT", HEADER_CODE), "9"])
    write_lines(os.path.join(sice, "sice_sesiones.txt"),
                [sice_header("SICE_SESIONES.TXT", HEADER_CODE), "1   0001L08000855", "9"])
    make_dbf(os.path.join(otemp, "DIASHORAST.DBF"),
             "DIHO C(10); CODDIHO C(10); DIA C(20); TEXTODIA C(20); HORA C(8); "
             "HORADESDE C(8); HORAHASTA C(8); MINUTOS C(8)",
             [(d + h, code, d, "", h, "", "", "") for d, h, code in SLOTS])
    for name in ("GRUPOST", "PROFT", "AULAT", "ASIGNOMT"):
        make_dbf(os.path.join(otemp, name + ".DBF"), "CODIGO C(10)", [("X",)])


def soluc_by_python_dbf(otemp, work, write=True):
    if write:
        make_dbf(os.path.join(otemp, "SOLUC.DBF"),
                 "DIA C(1); HORA N(5,2); PROF C(10); CODGRUPO C(10); ASIG C(10); AULA C(10)",
                 [(str(d), h, p, g, a, r) for d, h, p, g, a, r in PYTHON_DBF_LESSONS])
    return ["10032XPÑ01G1A LEC MAT A01 ",
            "10001LP02 G1B LEC LEN A02 ",
            "1    LP03 G1C LEC ING A03 "]


PYTHON_DBF_LESSONS = [(3, 2.0, "PÑ01", "G1A", "MAT", "A01"),
                      (0, 1.0, "P00", "G0A", "LEN", "A00"),
                      (1, 1.0, "P02", "G1B", "LEN", "A02"),
                      (1, 2.5, "P03", "G1C", "ING", "A03")]


def soluc_by_python_dbf_vfp(hora_type, extra=""):
    """The python-dbf case's SOLUC as Visual FoxPro, DIA an integer column and
    HORA of hora_type (B double, Y currency), plus the extra columns: the
    same lines as its dBase III twin."""
    def make(otemp, work):
        extra_values = (datetime.date(2026, 12, 9), True, "nota", None) if extra else ()
        make_dbf(os.path.join(otemp, "SOLUC.DBF"),
                 "DIA I; HORA %s; PROF C(10); CODGRUPO C(10); ASIG C(10); AULA C(10)%s"
                 % (hora_type, extra),
                 [(d, h, p, g, a, r) + extra_values for d, h, p, g, a, r in PYTHON_DBF_LESSONS],
                 dbf_type="vfp")
        with open(os.path.join(otemp, "SOLUC.DBF"), "rb") as f:
            data = f.read()
        assert data[0] == 0x30 and b"HORA\0\0\0\0\0\0\0" + hora_type.encode() in data, data[:200]
        return soluc_by_python_dbf(None, work, write=False)
    return make


def soluc_by_ogr2ogr(otemp, work):
    csv = os.path.join(work, "SOLUC.csv")
    with open(csv, "w", encoding="utf-8") as f:
        f.write("DIA,HORA,PROF,CODGRUPO,ASIG,AULA\n"
                "3,2,PÑ01,G1A,MAT,AÇ1\n"
                ",1,P00,G0A,LEN,A00\n"
                "1,,P03,G1C,ING,A03\n"
                "3,1,P04,G2A,FIS,A04\n")
    with open(os.path.join(work, "SOLUC.csvt"), "w") as f:
        f.write('"Integer(2)","Real(5.2)","String(10)","String(10)","String(10)","String(10)"\n')
    subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", "-lco", "ENCODING=CP850",
                    "-nln", "SOLUC", otemp, csv], check=True)
    os.rename(os.path.join(otemp, "SOLUC.dbf"), os.path.join(otemp, "SOLUC.DBF"))
    os.rename(os.path.join(otemp, "SOLUC.cpg"), os.path.join(otemp, "SOLUC.CPG"))
    with open(os.path.join(otemp, "SOLUC.DBF"), "rb") as f:
        data = f.read()
    # The file must really hold what this case is about.
    assert data[29] == 0 and b"\xa5" in data and b"*****" in data and b"**" in data, data
    return ["10032XPÑ01G1A LEC MAT AÇ1 ",
            "1    LP03 G1C LEC ING A03 ",
            "10031XP04 G2A LEC FIS A04 "]


def windows_path(path, windows):
    return "Z:" + path.replace("/", "\\") if windows else path


def check(name, make_soluc, args):
    work = tempfile.mkdtemp(prefix="tos-export-interop-")
    try:
        sice = os.path.join(work, "sice")
        otemp = os.path.join(work, "otemp")
        os.mkdir(sice)
        os.mkdir(otemp)
        make_common(sice, otemp)
        details = make_soluc(otemp, work)
        with open(os.path.join(otemp, "SOLUC.DBF"), "rb") as f:
            soluc_before = f.read()

        command = ([args.loader] if args.loader else []) + [
            args.cli, "importar", windows_path(sice, args.windows),
            "--otemp", windows_path(otemp, args.windows)]
        with open(os.path.join(work, "stderr.txt"), "wb") as err:
            status = subprocess.run(command, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err).returncode
        with open(os.path.join(work, "stderr.txt"), "rb") as err:
            messages = err.read().decode("utf-8", "replace").replace("\r", "")
        problems = []
        if status != 0:
            problems.append("exit status %d: %s" % (status, messages))
        output = os.path.join(sice, "SICE_HORARIO.TXT")
        if not os.path.exists(output):
            problems.append("no SICE_HORARIO.TXT")
        else:
            with open(output, "rb") as f:
                data = f.read()
            if not data.endswith(b"\r\n"):
                problems.append("the file does not end in CR LF")
            lines = data.decode("cp1252").split("\r\n")[:-1]
            stamp = re.compile(r"^\d{12}$")
            frame = "SICE_HORARIO.TXT".ljust(50) + HEADER_CODE
            if len(lines) != len(details) + 2:
                problems.append("%d lines: %r" % (len(lines), lines))
            else:
                if lines[0][:59] != "0" + frame or not stamp.match(lines[0][59:]):
                    problems.append("header %r" % lines[0])
                trailer = lines[-1]
                if (trailer[:59] != "9" + frame or not stamp.match(trailer[59:71])
                        or trailer[71:] != str(len(details))):
                    problems.append("trailer %r" % trailer)
                for got, want in zip(lines[1:-1], details):
                    if got != want:
                        problems.append("line %r, expected %r" % (got, want))
        with open(os.path.join(otemp, "SOLUC.DBF"), "rb") as f:
            if f.read() != soluc_before:
                problems.append("SOLUC.DBF was changed")
        for p in problems:
            print("%s: %s" % (name, p))
        if not problems:
            print("%s: ok" % name)
        return not problems
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--loader", default="",
                        help="what runs the converter: Wine for a Windows build, an emulator")
    parser.add_argument("--windows", type=int, default=0,
                        help="1 for a Windows build: paths go through drive Z:")
    args = parser.parse_args()
    ok = check("python-dbf", soluc_by_python_dbf, args)
    ok = check("python-dbf vfp I B", soluc_by_python_dbf_vfp("B"), args) and ok
    ok = check("python-dbf vfp I Y, date, logical, memo, nullable",
               soluc_by_python_dbf_vfp("Y", "; F D; OK L; NOTA M; NUL B null"), args) and ok
    ok = check("ogr2ogr cp850", soluc_by_ogr2ogr, args) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
