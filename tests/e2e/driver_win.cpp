// The end-to-end driver: runs TransOrvalentSICE.exe under Wine the way a
// user and Orvalent do, and checks what it shows and writes.
//   tos_e2e_driver SCENARIO PROGRAM WORK SAMPLES CLI
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <map>

#include "app/gradient.h"
#include "app/layout.h"
#include "core/error_text.h"
#include "data/table.h"
#include "e2e/driver_harness_win.h"

namespace tos::e2e {

namespace {

Paths paths;
const wchar_t kOtemp[] = L"C:\\OTEMP";
const std::string kCaption = "Exportar e importar datos entre Orvalent y SICE";
const std::string kTitle = kApplicationTitle;
const char* kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

struct Window {
  HWND form = nullptr;
  HWND d1 = nullptr, d2 = nullptr, d3 = nullptr;
  HWND bExportar = nullptr, bImportar = nullptr, bClose = nullptr, button1 = nullptr;
  HWND list = nullptr, drives = nullptr;
  HWND label(int id) const {
    HWND panel = id == kLabel3Id ? d2 : id == kLabel4Id ? d3 : d1;
    return GetDlgItem(panel, id);
  }
};

Window Locate(HWND form) {
  Window w;
  w.form = form;
  w.d1 = GetDlgItem(form, kDraw3D1Id);
  w.d2 = GetDlgItem(form, kDraw3D2Id);
  w.d3 = GetDlgItem(form, kDraw3D3Id);
  w.bExportar = GetDlgItem(w.d2, kBExportarId);
  w.bImportar = GetDlgItem(w.d3, kBImportarId);
  w.bClose = GetDlgItem(w.d1, kBCloseId);
  w.button1 = GetDlgItem(w.d1, kButton1Id);
  w.list = GetDlgItem(w.d1, kDirectoriosId);
  w.drives = GetDlgItem(w.d1, kUnidadesId);
  Check(w.d1 && w.d2 && w.d3 && w.bExportar && w.bImportar && w.bClose && w.button1 && w.list &&
            w.drives,
        "every control is there");
  return w;
}

bool Visible(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}
std::string Describe(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) +
         "x" + std::to_string(r.height);
}

std::string Hex(uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(value & 0xFFFFFFFFu));
  return text;
}

std::wstring WorkFile(const wchar_t* name) {
  return Join(paths.work, name);
}
std::wstring IniPath() {
  return WorkFile(L"Orvalent.ini");
}

void CheckPanels(const Window& w, Panels panels) {
  PanelLayout layout = LayoutFor(panels);
  CheckEq(Visible(w.d2), layout.showDraw3D2, "Draw3D2 shown as the mode says");
  CheckEq(Visible(w.d3), layout.showDraw3D3, "Draw3D3 shown as the mode says");
  if (layout.showDraw3D2)
    CheckEq(Describe(RectIn(w.d2, w.form)), Describe(layout.draw3D2), "Draw3D2 rectangle");
  if (layout.showDraw3D3)
    CheckEq(Describe(RectIn(w.d3, w.form)), Describe(layout.draw3D3), "Draw3D3 rectangle");
  CheckEq(Describe(RectIn(w.d1, w.form)), Describe(layout.draw3D1), "Draw3D1 rectangle");
}

void CheckStandAloneFrame(const Window& w) {
  CheckEq(Text(w.form), kCaption, "caption");
  RECT client;
  GetClientRect(w.form, &client);
  CheckEq(Describe(client), std::string("0,0 599x311"), "client area");
  LONG style = GetWindowLongW(w.form, GWL_STYLE);
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU),
        "framed, with caption and close box");
  Check(!(style & (WS_CHILD | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)),
        "top-level, fixed size, no minimize or maximize box");
  // Windows gives CW_USEDEFAULT a place only to overlapped windows.
  Check(!(style & WS_POPUP), "an overlapped window, placed where new windows go");
  Check(GetParent(w.form) == nullptr || GetParent(w.form) == GetWindow(w.form, GW_OWNER),
        "no parent window");
  HWND owner = GetWindow(w.form, GW_OWNER);
  CheckEq(owner ? Text(owner) : std::string(), kTitle, "owned by the application window");
}

// Runs the command-line converter, its messages into a file; the lines,
// without the report's summary (the window asks about the report instead).
std::vector<std::string> Cli(const std::wstring& arguments) {
  CreateDirectoryW(WorkFile(L"otemp-cli").c_str(), nullptr);
  std::wstring errors = WorkFile(L"cli-messages.txt");
  RunConsole(L"\"" + paths.cli + L"\" " + arguments + L" --sin-informe", errors);
  std::vector<std::string> lines;
  std::string all = ReadAll(errors), line;
  auto keep = [&] {
    if (!line.empty() && line.rfind("Avisos: ", 0) != 0) lines.push_back(line);
    line.clear();
  };
  for (char c : all) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      keep();
    } else {
      line += c;
    }
  }
  keep();
  return lines;
}

const char kInforme[] = "informe_sice_a_orvalent.html";

// The report's question that follows a stand-alone run when the data had
// notices, answered with the button given; the box (none when no question
// came within timeoutMs).
Box AnswerReport(DWORD pid, int button, int timeoutMs) {
  Box box = NextBox(pid, timeoutMs);
  if (!box.hwnd) return box;
  Check(box.text.rfind("Se ha", 0) == 0 &&
            box.text.find("en los datos. \u00bfQuiere ver el informe?") != std::string::npos,
        "the report's question: " + box.text);
  CheckEq(box.caption, kTitle, "the question's caption");
  CheckEq(box.buttons, std::vector<std::string>{"S\u00ed", "No"}, "\"S\u00ed\" and \"No\"");
  PostMessageW(GetDlgItem(box.hwnd, button), BM_CLICK, 0, 0);
  WaitFor([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, 5000);
  Pump(100);
  return box;
}

std::vector<std::string> Texts(const std::vector<Box>& boxes) {
  std::vector<std::string> texts;
  for (const Box& b : boxes) texts.push_back(b.text);
  return texts;
}

void CheckPlainBoxes(const std::vector<Box>& boxes) {
  for (const Box& b : boxes) {
    CheckEq(b.caption, kTitle, "box caption for \"" + b.text + "\"");
    CheckEq(b.buttons, std::vector<std::string>{"Aceptar"}, "one \"Aceptar\" button");
    Check(!b.icon, "a plain message has no icon");
  }
}

void CheckErrorBox(const Box& b, const std::string& text) {
  CheckEq(b.text, text, "error box text");
  CheckEq(b.caption, kTitle, "error box caption");
  CheckEq(b.buttons, std::vector<std::string>{"Aceptar"}, "error box button");
  Check(b.icon, "error box has its icon");
}

void RemoveTables() {
  for (const char* t : kTables) {
    for (const wchar_t* ext : {L".DBF", L".MDX"}) {
      DeleteFileW(Join(kOtemp, Wide(t) + ext).c_str());
    }
  }
}

// The tables the window wrote, compared with the converter's of the same
// folder (the header's date bytes aside).
void CheckTablesMatch(const std::wstring& cliOtemp) {
  for (const char* t : kTables) {
    std::wstring name = Wide(t) + L".DBF";
    std::string mine = ReadAll(Join(kOtemp, name));
    std::string theirs = ReadAll(Join(cliOtemp, name));
    Check(!mine.empty(), std::string("C:\\OTEMP\\") + t + ".DBF written");
    if (mine.size() > 4 && theirs.size() > 4) {
      for (int i = 1; i <= 3; ++i) mine[static_cast<size_t>(i)] = theirs[static_cast<size_t>(i)];
    }
    Check(!mine.empty() && mine == theirs, std::string(t) + ".DBF as the converter writes it");
  }
}

// A SICE folder of our own, copied from the samples.
std::wstring SiceCopy(const wchar_t* name) {
  std::wstring folder = WorkFile(name);
  CopyFolder(paths.samples, folder);
  return folder;
}

// C:\OTEMP as Orvalent leaves it for the export: the import's tables and a
// timetable solution with three lessons.
void PrepareExport() {
  RemoveTables();
  std::wstring sice = SiceCopy(L"sice-for-tables");
  Cli(L"exportar \"" + sice + L"\" --otemp C:\\OTEMP");
  auto soluc = RecrearTabla("C:\\OTEMP", "SOLUC.DBF",
                            {{"DIA", FieldKind::kWhole, 0},
                             {"HORA", FieldKind::kWhole, 0},
                             {"PROF", FieldKind::kText, 4},
                             {"CODGRUPO", FieldKind::kText, 4},
                             {"ASIG", FieldKind::kText, 4},
                             {"AULA", FieldKind::kText, 4}});
  const char* rows[][6] = {{"1", "1", "P001", "G1A", "MAT", "A01"},
                           {"2", "3", "P002", "G1B", "LCL", "A02"},
                           {"3", "2", "P001", "G1A", "ING", "A01"}};
  for (const auto& row : rows) {
    soluc->Append();
    soluc->FieldByName("DIA").SetAsInteger(std::atoi(row[0]));
    soluc->FieldByName("HORA").SetAsInteger(std::atoi(row[1]));
    soluc->FieldByName("PROF").SetAsString(row[2]);
    soluc->FieldByName("CODGRUPO").SetAsString(row[3]);
    soluc->FieldByName("ASIG").SetAsString(row[4]);
    soluc->FieldByName("AULA").SetAsString(row[5]);
    soluc->Post();
  }
  soluc->Close();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// SICE_HORARIO.TXT as the converter writes it from the same tables; the
// header and trailer carry the time of writing, so only their kind counts.
void CheckTimetableMatches(const std::wstring& folder) {
  std::string mine = ReadAll(Join(folder, L"SICE_HORARIO.TXT"));
  Check(!mine.empty(), "SICE_HORARIO.TXT written");
  std::wstring other = SiceCopy(L"sice-cli");
  Cli(L"importar \"" + other + L"\" --otemp C:\\OTEMP");
  std::vector<std::string> a = Lines(mine), b = Lines(ReadAll(Join(other, L"SICE_HORARIO.TXT")));
  CheckEq(static_cast<int>(a.size()), static_cast<int>(b.size()),
          "as many lines as the converter's");
  if (a.size() == b.size() && a.size() >= 2) {
    Check(a.front()[0] == '0' && a.back()[0] == '9', "header and trailer lines");
    CheckEq(std::vector<std::string>(a.begin() + 1, a.end() - 1),
            std::vector<std::string>(b.begin() + 1, b.end() - 1), "lessons as the converter's");
  }
}

// The parent window an embedding Orvalent would give.
HWND MakeParent() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
    wc.lpszClassName = L"TosE2eParent";
    RegisterClassW(&wc);
    registered = true;
  }
  HWND parent = CreateWindowExW(0, L"TosE2eParent", L"Orvalent (prueba)",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 720,
                                420, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  Pump(200);
  return parent;
}

// The command line Orvalent gives the program it embeds: the direction
// word and its window's handle in hexadecimal.
std::wstring EmbeddedArguments(const std::wstring& word, HWND parent) {
  return word + L" " + Wide(Hex(reinterpret_cast<uintptr_t>(parent)));
}

// The program's window inside the parent, once shown: it is made a child,
// then placed, then shown, and only the shown window is in its place.
HWND FindEmbedded(HWND parent) {
  HWND form = nullptr;
  WaitFor(
      [&] {
        form = FindWindowExW(parent, nullptr, L"TMForm", nullptr);
        return form != nullptr && IsWindowVisible(form);
      },
      20000);
  return form;
}

std::string IniValue() {
  wchar_t value[64] = {};
  GetPrivateProfileStringW(L"Transformadores", L"Transformado", L"(nada)", value, 64,
                           IniPath().c_str());
  return Utf8(value);
}

void CheckEmbedded(const Window& w, HWND parent, Panels panels) {
  CheckEq(ToText(GetParent(w.form)), ToText(static_cast<const void*>(parent)),
          "child of the parent");
  LONG style = GetWindowLongW(w.form, GWL_STYLE);
  Check((style & WS_CHILD) && !(style & WS_CAPTION) && !(style & WS_THICKFRAME) &&
            !(style & WS_DLGFRAME),
        "a borderless child window");
  CheckEq(Describe(RectIn(w.form, parent)), std::string("2,2 599x311"), "at (2, 2) in the parent");
  CheckPanels(w, panels);
}

// A real click on the lower panel, away from its controls: the window is
// activated with the focus on its first button.
void ClickPanel(const Window& w) {
  RECT panel;
  GetWindowRect(w.d1, &panel);
  Check(Request(paths,
                "click " + std::to_string(panel.left + 560) + " " + std::to_string(panel.top + 60)),
        "click on the panel");
}

// A real click into the folder list, which then has the focus.
void FocusFolderList(const Window& w, HWND form) {
  RECT r;
  GetWindowRect(w.list, &r);
  Check(Request(paths, "click " + std::to_string(r.left + 60) + " " + std::to_string(r.top + 8)),
        "click in the folder list");
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  WaitFor(
      [&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info) &&
               info.hwndFocus == w.list;
      },
      5000);
  CheckEq(ToText(static_cast<const void*>(info.hwndFocus)),
          ToText(static_cast<const void*>(w.list)), "the folder list has the focus");
}

// ---- scenarios -----------------------------------------------------------

void StandAlone() {
  std::wstring sice = SiceCopy(L"sice");
  Program program(paths, L"", sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  Check(form != nullptr, "the window opens");
  if (!form) return;
  Window w = Locate(form);
  CheckStandAloneFrame(w);
  CheckPanels(w, Panels::kBoth);
  const std::map<int, std::string> labels = {
      {kLabel3Id, "Transformar datos desde SICE hacia Orvalent "},
      {kLabel4Id, "Transformar datos desde Orvalent hacia SICE"},
      {kLabel1Id, "TransOrvalentSICE V-1.5"},
      {kLabel5Id, "Carpeta en la que se encuentran los Ficheros TXT de SICE"},
      {kLabel6Id, "Ruta Actual:"}};
  for (const auto& [id, text] : labels)
    CheckEq(Text(w.label(id)), text, "label " + std::to_string(id));
  std::string label2 = Text(w.label(kLabel2Id));
  Check(label2.size() > 5 && label2.substr(label2.size() - 5) == "\\sice",
        "Label2 shows the folder: " + label2);
  CheckEq(Text(w.bExportar), std::string("Aceptar"), "BExportar");
  CheckEq(Text(w.bImportar), std::string("Aceptar"), "BImportar");
  CheckEq(Text(w.bClose), std::string("&Salir"), "BClose");
  CheckEq(Text(w.button1), std::string("F1 AYUDA"), "Button1");

  // Tab order: BExportar, BImportar, BClose, Directorios, Unidades, Button1.
  std::vector<HWND> expected = {w.bImportar, w.bClose, w.list, w.drives, w.button1, w.bExportar};
  HWND at = w.bExportar;
  bool inOrder = true;
  for (HWND next : expected) {
    at = GetNextDlgTabItem(w.form, at, FALSE);
    inOrder = inOrder && at == next;
  }
  Check(inOrder, "tab order");

  // The panels' pixels on screen are the gradient rows, away from controls.
  Pump(500);
  Picture shot;
  Check(Request(paths, "shot shot.ppm") && ReadPpm(WorkFile(L"shot.ppm"), shot), "screenshot");
  POINT origin = {0, 0};
  ClientToScreen(w.form, &origin);
  SystemColors system;
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  system.buttonHighlight = {GetRValue(light), GetGValue(light), GetBValue(light)};
  system.buttonShadow = {GetRValue(dark), GetGValue(dark), GetBValue(dark)};
  struct Probe {
    const char* name;
    Rect rect;
    PanelLook look;
    std::vector<int> columns;  // free of labels and buttons
  };
  PanelLayout layout = LayoutFor(Panels::kBoth);
  const Probe probes[] = {{"Draw3D2", layout.draw3D2, Draw3D2Look(), {0, 4, 12, 288}},
                          {"Draw3D3", layout.draw3D3, Draw3D2Look(), {0, 3, 309}},
                          {"Draw3D1", layout.draw3D1, Draw3D1Look(), {0, 560, 590, 598}}};
  for (const Probe& p : probes) {
    PixelBuffer expectedPixels(p.rect.width, p.rect.height);
    PaintPanel(p.look, system, expectedPixels);
    int wrong = 0;
    std::string first;
    for (int x : p.columns) {
      for (int y = 0; y < p.rect.height; ++y) {
        Rgb e = expectedPixels.At(x, y);
        COLORREF got = shot.At(origin.x + p.rect.left + x, origin.y + p.rect.top + y);
        if (got != RGB(e.r, e.g, e.b)) {
          if (!wrong++) {
            char text[96];
            std::snprintf(text, sizeof text, " first at (%d,%d): %06lX, expected %02X%02X%02X", x,
                          y, static_cast<unsigned long>(got), e.r, e.g, e.b);
            first = text;
          }
        }
      }
    }
    Check(wrong == 0, std::string(p.name) + " pixels are the gradient rows" + first);
  }
  // Row 48 of Draw3D2, as designed.
  Check(shot.At(origin.x + 4, origin.y + 48) == RGB(0xFF, 0xFE, 0xFC), "Draw3D2 row 48 is #FFFEFC");

  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "\"&Salir\" ends the program with exit code 0");
  Check(!FileExists(IniPath()), "stand-alone closing writes no status file");
}

void ImportRun(bool withEnter) {
  std::wstring sice = SiceCopy(L"sice");
  std::vector<std::string> expected =
      Cli(L"exportar \"" + sice + L"\" --otemp \"" + WorkFile(L"otemp-cli") + L"\"");
  RemoveTables();
  Program program(paths, L"", sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  Check(form != nullptr, "the window opens");
  if (!form) return;
  Window w = Locate(form);
  if (withEnter) {
    // Focus into the folder list with a real click, then a real Enter.
    FocusFolderList(w, form);
    Check(Request(paths, "key Return"), "Enter");
  } else {
    Click(w.bExportar);
  }
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 60000);
  AnswerReport(program.Pid(), IDNO, 2000);
  CheckEq(Texts(boxes), expected, "the messages, in order, as the converter gives them");
  CheckEq(boxes.empty() ? std::string() : boxes.back().text, std::string("Proceso finalizado"),
          "the run ends");
  CheckPlainBoxes(boxes);
  CheckTablesMatch(WorkFile(L"otemp-cli"));
  Pump(500);
  Check(IsWindow(form) && program.Running(), "stand-alone, the window stays open after a run");
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
  Check(!FileExists(IniPath()), "stand-alone closing writes no status file after a run");
}

void ImportEmpty() {
  std::wstring empty = WorkFile(L"vacia");
  CreateDirectoryW(empty.c_str(), nullptr);
  std::vector<std::string> expected =
      Cli(L"exportar \"" + empty + L"\" --otemp \"" + WorkFile(L"otemp-cli") + L"\"");
  Program program(paths, L"", empty);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "the window opens");
  Window w = Locate(form);
  Click(w.bExportar);
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 30000);
  AnswerReport(program.Pid(), IDNO, 2000);
  CheckEq(static_cast<int>(boxes.size()), 7, "six messages, then \"Proceso finalizado\"");
  CheckEq(Texts(boxes), expected, "the messages as the converter gives them");
  CheckPlainBoxes(boxes);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
}

void Export() {
  PrepareExport();
  std::wstring sice = SiceCopy(L"sice");
  DeleteFileW(Join(sice, L"SICE_HORARIO.TXT").c_str());
  Program program(paths, L"", sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "the window opens");
  Window w = Locate(form);
  // Real keys: a click on the panel activates the window with the focus on
  // BExportar; Tab moves it to BImportar, and Enter presses the focused button.
  ClickPanel(w);
  Check(Request(paths, "key Tab Return"), "Tab, then Enter");
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 30000);
  AnswerReport(program.Pid(), IDNO, 2000);
  CheckEq(Texts(boxes), std::vector<std::string>{"Proceso finalizado"},
          "only \"Proceso finalizado\"");
  CheckPlainBoxes(boxes);
  CheckTimetableMatches(sice);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
  Check(!FileExists(IniPath()), "stand-alone closing writes no status file after a run");
}

const std::string kIniBefore =
    "[Orvalent]\r\nRuta=C:\\OTEMP\r\nVentana=3\r\n[Transformadores]\r\nTransformado=7\r\n"
    "Otro=x\r\n[Z]\r\nk=v\r\n";

void EmbeddedImportar() {
  PrepareExport();
  WriteAll(IniPath(), kIniBefore);
  std::wstring sice = SiceCopy(L"sice");
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"IMPORTAR", parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  Window w = Locate(form);
  CheckEmbedded(w, parent, Panels::kExportOnly);
  CheckEq(Describe(RectIn(w.d3, w.form)), std::string("0,0 599x106"),
          "Draw3D3 across the upper band");
  Click(w.bImportar);
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 30000);
  CheckEq(Texts(boxes), std::vector<std::string>{"Proceso finalizado"},
          "only \"Proceso finalizado\"");
  CheckEq(program.WaitExit(15000), 0, "the run closes the window and the program ends with 0");
  std::string expected = kIniBefore;
  expected.replace(expected.find("Transformado=7"), 14, "Transformado=1");
  CheckEq(ReadAll(IniPath()), expected, "Orvalent.ini gets 1, everything else byte for byte");
  CheckTimetableMatches(sice);
  DestroyWindow(parent);
}

void EmbeddedSalir(const wchar_t* word, Panels panels) {
  DeleteFileW(IniPath().c_str());
  std::wstring sice = SiceCopy(L"sice");
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(word, parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  Window w = Locate(form);
  CheckEmbedded(w, parent, panels);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "\"&Salir\" ends the program with 0");
  CheckEq(IniValue(), std::string("0"), "closing before any run writes 0");
  DestroyWindow(parent);
}

void EmbeddedError() {
  DeleteFileW(IniPath().c_str());
  std::wstring sice = SiceCopy(L"sice");
  // An hours text that is no number ends the import run with an error.
  std::string hours = ReadAll(Join(sice, L"sice_asignatcurso.txt"));
  std::vector<std::string> lines = Lines(hours);
  std::string broken;
  for (std::string& line : lines) {
    if (line.size() > 28 && line[0] == '1' && line[27] >= '0' && line[27] <= '9') line[27] = 'x';
    broken += line + "\r\n";
  }
  WriteAll(Join(sice, L"sice_asignatcurso.txt"), broken);
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"exportar", parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  Window w = Locate(form);
  CheckEmbedded(w, parent, Panels::kImportOnly);
  Click(w.bExportar);
  Box box = NextBox(program.Pid(), 30000);
  Check(box.icon && box.caption == kTitle && !box.text.empty() && box.text.back() == '.',
        "the default error box: " + box.text);
  Dismiss(box);
  Pump(1500);
  Check(IsWindow(form) && program.Running(), "after an error the window stays open, also embedded");
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
  CheckEq(IniValue(), std::string("-1"), "an error in the run, then closing, writes -1");
  DestroyWindow(parent);
}

void NoSuchWindow() {
  PrepareExport();
  DeleteFileW(IniPath().c_str());
  std::wstring sice = SiceCopy(L"sice");
  HWND gone = MakeParent();
  DestroyWindow(gone);
  Program program(paths, EmbeddedArguments(L"importar", gone), sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "a framed window opens");
  Window w = Locate(form);
  CheckStandAloneFrame(w);
  CheckPanels(w, Panels::kExportOnly);
  Click(w.bImportar);
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 30000);
  CheckEq(Texts(boxes), std::vector<std::string>{"Proceso finalizado"}, "the export runs");
  CheckEq(program.WaitExit(15000), 0, "embedded behaviour: the run closes the window");
  CheckEq(IniValue(), std::string("1"), "and the status is written");
}

void BadHandle() {
  DeleteFileW(IniPath().c_str());
  std::wstring sice = SiceCopy(L"sice");
  Program program(paths, L"importar xyz", sice);
  Box box = NextBox(program.Pid(), 30000);
  CheckErrorBox(box, "'$xyz' no es un valor entero válido.");
  Dismiss(box);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "then the window opens");
  Window w = Locate(form);
  CheckStandAloneFrame(w);
  CheckPanels(w, Panels::kBoth);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
  Check(!FileExists(IniPath()), "closing writes nothing");
}

// Any count of parameters but two starts the stand-alone window.
void Parameters(const std::wstring& parameters) {
  DeleteFileW(IniPath().c_str());
  std::wstring sice = SiceCopy(L"sice");
  Program program(paths, parameters, sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "the window opens");
  Window w = Locate(form);
  CheckStandAloneFrame(w);
  CheckPanels(w, Panels::kBoth);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
  Check(!FileExists(IniPath()), "stand-alone closing writes no status file");
}

// Esc presses no button: the window stays and nothing runs.
void Escape() {
  DeleteFileW(IniPath().c_str());
  RemoveTables();
  std::wstring sice = SiceCopy(L"sice");
  Program program(paths, L"", sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "the window opens");
  Window w = Locate(form);
  ClickPanel(w);
  Check(Request(paths, "key Escape"), "Esc");
  Check(!NextBox(program.Pid(), 2000).hwnd, "no message box");
  Check(IsWindow(form) && program.Running(), "the window stays open");
  Check(!FileExists(Join(kOtemp, L"ASIGNOMT.DBF")), "no conversion ran");
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
  Check(!FileExists(IniPath()), "stand-alone closing writes no status file");
}

// Embedded for the export, with the focus in the folder list (no button),
// Enter presses BImportar.
void EmbeddedEnter() {
  PrepareExport();
  DeleteFileW(IniPath().c_str());
  std::wstring sice = SiceCopy(L"sice");
  DeleteFileW(Join(sice, L"SICE_HORARIO.TXT").c_str());
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"importar", parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  Window w = Locate(form);
  FocusFolderList(w, form);
  Check(Request(paths, "key Return"), "Enter");
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 30000);
  CheckEq(Texts(boxes), std::vector<std::string>{"Proceso finalizado"}, "the export runs");
  CheckEq(program.WaitExit(15000), 0, "the run closes the window");
  CheckEq(IniValue(), std::string("1"), "and writes 1");
  CheckTimetableMatches(sice);
  DestroyWindow(parent);
}

void ReadOnlyIni() {
  WriteAll(IniPath(), "[Transformadores]\r\nTransformado=5\r\n");
  SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_READONLY);
  std::wstring sice = SiceCopy(L"sice");
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"exportar", parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  Window w = Locate(form);
  Click(w.bClose);
  Box box = NextBox(program.Pid(), 15000);
  CheckErrorBox(box, "Unable to write to " + Utf8(IniPath()) + ".");
  Dismiss(box);
  Pump(1000);
  Check(IsWindow(form) && program.Running(), "the close is abandoned: the window stays open");
  SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "a later close writes and ends");
  CheckEq(IniValue(), std::string("0"), "the status once the file is writable");
  DestroyWindow(parent);
}

void ParentGoneIdle() {
  DeleteFileW(IniPath().c_str());
  std::wstring sice = SiceCopy(L"sice");
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"importar", parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  DestroyWindow(parent);
  CheckEq(program.WaitExit(15000), 0, "the parent gone, the program ends with 0");
  CheckEq(IniValue(), std::string("0"), "after writing its status");
}

void ParentGoneUnwritable() {
  WriteAll(IniPath(), "[Transformadores]\r\nTransformado=5\r\n");
  SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_READONLY);
  std::wstring sice = SiceCopy(L"sice");
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"importar", parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  DestroyWindow(parent);
  CheckEq(program.WaitExit(15000), 1,
          "the status cannot be written and nobody is left to tell: exit 1");
  Check(!FindTop(program.Pid(), L"#32770", 500), "no box left behind");
  SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  CheckEq(IniValue(), std::string("5"), "the file is as it was");
}

void ParentGoneDuringRun() {
  DeleteFileW(IniPath().c_str());
  std::wstring empty = WorkFile(L"vacia");
  CreateDirectoryW(empty.c_str(), nullptr);
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"exportar", parent), empty);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  Window w = Locate(form);
  Click(w.bExportar);
  Box first = NextBox(program.Pid(), 30000);
  Check(first.hwnd != nullptr, "the run shows its first message: " + first.text);
  DestroyWindow(parent);
  CheckEq(program.WaitExit(20000), 0, "the run ends without its window, then the program with 0");
  CheckEq(IniValue(), std::string("-1"), "the status the run reached, written at its end");
}

// The folder list moves on a double click (the process's working folder
// with it, so the next run reads there); the drive list moves it to a
// drive's current folder.
void Folders() {
  std::wstring sice = SiceCopy(L"sice");
  Program program(paths, L"", sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "the window opens");
  Window w = Locate(form);
  HWND label2 = w.label(kLabel2Id);
  RECT r;
  GetWindowRect(w.list, &r);
  // The first entry is the drive's root; scroll it into sight first.
  SendMessageW(w.list, LB_SETTOPINDEX, 0, 0);
  Pump(300);
  Check(Request(paths,
                "doubleclick " + std::to_string(r.left + 40) + " " + std::to_string(r.top + 10)),
        "double click on the root");
  Check(WaitFor([&] { return Text(label2) == "Z:\\"; }, 5000),
        "Label2 shows the root: " + Text(label2));
  CheckEq(static_cast<int>(SendMessageW(w.list, LB_GETCOUNT, 0, 0)) > 1, true,
          "the root's subfolders are listed");
  // A run now reads the root: its messages are the converter's for Z:\.
  std::vector<std::string> expected =
      Cli(L"exportar Z:\\ --otemp \"" + WorkFile(L"otemp-cli") + L"\"");
  Click(w.bExportar);
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 30000);
  AnswerReport(program.Pid(), IDNO, 2000);
  CheckEq(Texts(boxes), expected, "the run reads the folder chosen in the list");
  // The run's page went to the root as well.
  DeleteFileW(L"Z:\\informe_sice_a_orvalent.html");

  // Drive c: from the drive list, as a user picks it: open it, type c, Enter.
  RECT d;
  GetWindowRect(w.drives, &d);
  Check(Request(paths, "click " + std::to_string(d.left + 20) + " " + std::to_string(d.top + 8)),
        "open the drive list");
  // Esc closes the open list (and presses nothing); typing c in the closed
  // list picks c:.
  Check(Request(paths, "key Escape"), "close the drive list");
  Pump(300);
  Check(Request(paths, "key c"), "pick c:");
  Check(WaitFor([&] { return Text(label2).rfind("C:\\", 0) == 0; }, 5000),
        "choosing c: moves the folder list to that drive: " + Text(label2));
  Box stray = NextBox(program.Pid(), 1000);
  Check(!stray.hwnd, "no message on the way: " + stray.text);
  Dismiss(stray);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
}

// F1 asks the help for context 3, "F1 AYUDA" for its contents: both open
// a help window of the program.
void HelpKeys() {
  std::wstring sice = SiceCopy(L"sice");
  Program program(paths, L"", sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "the window opens");
  Window w = Locate(form);
  RECT r;
  GetWindowRect(w.list, &r);
  Check(Request(paths, "click " + std::to_string(r.left + 60) + " " + std::to_string(r.top + 10)),
        "click in the folder list");
  Check(Request(paths, "key F1"), "F1");
  HWND help = FindTop(program.Pid(), L"HH Parent", 15000);
  Check(help != nullptr, "F1 opens the help window");
  if (help) PostMessageW(help, WM_CLOSE, 0, 0);
  Pump(1000);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
}

// A copy of the samples whose subjects file repeats a subject's line: the
// run drops it and reports it.
std::wstring SiceWithNotices(const wchar_t* name) {
  std::wstring sice = SiceCopy(name);
  std::wstring subjects = Join(sice, L"sice_asignat.txt");
  std::string text = ReadAll(subjects);
  std::string repeated;
  for (const std::string& line : Lines(text)) {
    if (line.size() > 5 && line[0] == '1' && line[1] != 'S') {
      repeated = line;
      break;
    }
  }
  Check(!repeated.empty(), "a subject's line to repeat");
  if (text.size() >= 2 && text.substr(text.size() - 2) != "\r\n") text += "\r\n";
  WriteAll(subjects, text + repeated + "\r\n");
  return sice;
}

// Stand-alone, a run with notices ends with the report's question, the
// page's path on its second line; "No" leaves the window open, "S\u00ed"
// opens the page (through the opener the environment names, this driver,
// which notes the path it was given); an opener that cannot be started
// gives a box that says so, with the path.
enum class Answer { kNo, kYes, kYesOpenerFails };
void ReportQuestion(Answer answer) {
  const bool yes = answer != Answer::kNo;
  RemoveTables();
  std::wstring sice = SiceWithNotices(L"sice-avisos");
  std::wstring noted = WorkFile(L"abierto.txt");
  DeleteFileW(noted.c_str());
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring missing = WorkFile(L"no-hay-tal-programa.exe");
  SetEnvironmentVariableW(L"TOS_INFORME_ABRIR",
                          answer == Answer::kYesOpenerFails ? missing.c_str() : self);
  SetEnvironmentVariableW(L"TOS_E2E_ANOTAR", noted.c_str());
  Program program(paths, L"", sice);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  if (!form) return Check(false, "the window opens");
  Window w = Locate(form);
  Click(w.bExportar);
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 60000);
  CheckEq(boxes.empty() ? std::string() : boxes.back().text, std::string("Proceso finalizado"),
          "the run ends");
  Box question = AnswerReport(program.Pid(), yes ? IDYES : IDNO, 10000);
  Check(question.hwnd != nullptr, "after \"Proceso finalizado\", the report's question");
  std::wstring page = Join(sice, Wide(kInforme));
  Check(ReadAll(page).find("<!DOCTYPE html>") == 0, "the page is written into the SICE folder");
  // The folder as the folder list holds it: its letter case may differ.
  auto lower = [](std::string t) {
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  size_t lineEnd = question.text.find('\n');
  CheckEq(lineEnd == std::string::npos ? std::string() : lower(question.text.substr(lineEnd + 1)),
          lower(Utf8(page)), "the question's second line: the page's path");
  if (answer == Answer::kYesOpenerFails) {
    Box failed = NextBox(program.Pid(), 10000);
    CheckEq(lower(failed.text),
            lower("No se ha podido abrir el informe. Est\u00e1 en:\n" + Utf8(page)),
            "an opener that fails: the box with the page's path");
    CheckEq(failed.caption, kTitle, "its caption");
    Dismiss(failed);
    Check(!FileExists(noted), "nothing opened");
  } else if (yes) {
    Check(WaitFor([&] { return FileExists(noted); }, 10000), "\"S\u00ed\" opens the page");
    CheckEq(lower(ReadAll(noted)), lower(Utf8(page)), "the page's path given to the opener");
  } else {
    Pump(1500);
    Check(!FileExists(noted), "\"No\" opens nothing");
  }
  Check(IsWindow(form) && program.Running(), "the window stays open");
  Box stray = NextBox(program.Pid(), 1000);
  Check(!stray.hwnd, "no other box: " + stray.text);
  Dismiss(stray);
  Click(w.bClose);
  CheckEq(program.WaitExit(15000), 0, "exit code 0");
  SetEnvironmentVariableW(L"TOS_INFORME_ABRIR", nullptr);
}

// Embedded, no question: the run closes the window as it always has, and
// the page is written all the same.
void ReportEmbedded() {
  DeleteFileW(IniPath().c_str());
  RemoveTables();
  std::wstring sice = SiceWithNotices(L"sice-avisos");
  HWND parent = MakeParent();
  Program program(paths, EmbeddedArguments(L"exportar", parent), sice);
  HWND form = FindEmbedded(parent);
  if (!form) return Check(false, "the window appears inside the parent");
  Window w = Locate(form);
  Click(w.bExportar);
  std::vector<Box> boxes = BoxesUntil(program.Pid(), "Proceso finalizado", 60000);
  CheckEq(boxes.empty() ? std::string() : boxes.back().text, std::string("Proceso finalizado"),
          "the run ends");
  CheckEq(program.WaitExit(15000), 0, "the run closes the window: exit code 0");
  Check(!FindTop(program.Pid(), L"#32770", 500), "no question");
  CheckEq(IniValue(), std::string("1"), "the status as always");
  Check(ReadAll(Join(sice, Wide(kInforme))).find("<!DOCTYPE html>") == 0,
        "the page is written into the SICE folder");
  DestroyWindow(parent);
}

}  // namespace
}  // namespace tos::e2e

int wmain(int argc, wchar_t** argv) {
  using namespace tos::e2e;
  // Run as the report's opener: note the path given in TOS_E2E_ANOTAR.
  wchar_t noted[MAX_PATH] = {};
  if (argc == 2 && GetEnvironmentVariableW(L"TOS_E2E_ANOTAR", noted, MAX_PATH)) {
    WriteAll(noted, Utf8(argv[1]));
    return 0;
  }
  if (argc < 6) {
    std::fprintf(stderr, "uso: tos_e2e_driver ESCENARIO PROGRAMA TRABAJO MUESTRAS CLI\n");
    return 2;
  }
  std::wstring scenario = argv[1];
  paths = {argv[2], argv[3], argv[4], argv[5]};
  const std::map<std::wstring, void (*)()> scenarios = {
      {L"standalone", StandAlone},
      {L"import_button", [] { ImportRun(false); }},
      {L"import_enter", [] { ImportRun(true); }},
      {L"import_empty", ImportEmpty},
      {L"export", Export},
      {L"embedded_importar", EmbeddedImportar},
      {L"embedded_exportar_salir", [] { EmbeddedSalir(L"exportar", tos::Panels::kImportOnly); }},
      {L"embedded_ambos", [] { EmbeddedSalir(L"ambos", tos::Panels::kBoth); }},
      {L"embedded_error", EmbeddedError},
      {L"no_such_window", NoSuchWindow},
      {L"bad_handle", BadHandle},
      {L"readonly_ini", ReadOnlyIni},
      {L"parent_gone_idle", ParentGoneIdle},
      {L"parent_gone_during_run", ParentGoneDuringRun},
      {L"parent_gone_unwritable", ParentGoneUnwritable},
      {L"folders", Folders},
      {L"help_f1", HelpKeys},
      {L"one_parameter", [] { Parameters(L"importar"); }},
      {L"three_parameters", [] { Parameters(L"importar 1A2B otro"); }},
      {L"escape", Escape},
      {L"embedded_enter", EmbeddedEnter},
      {L"report_no", [] { ReportQuestion(Answer::kNo); }},
      {L"report_yes", [] { ReportQuestion(Answer::kYes); }},
      {L"report_opener_fails", [] { ReportQuestion(Answer::kYesOpenerFails); }},
      {L"report_embedded", ReportEmbedded},
  };
  auto found = scenarios.find(scenario);
  if (found == scenarios.end()) {
    std::fprintf(stderr, "escenario desconocido\n");
    return 2;
  }
  try {
    found->second();
  } catch (const std::exception& e) {
    Check(false, std::string("unexpected error: ") + e.what());
  }
  Log(Failures() ? std::to_string(Failures()) + " check(s) failed" : "all checks passed");
  return Failures() ? 1 : 0;
}
