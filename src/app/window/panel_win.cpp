#include "app/window/panel_win.h"

namespace tos::win {

namespace {

const wchar_t kPanelClass[] = L"TDraw3D";

struct Panel {
  PanelLook look;
  int width = 0;
  int height = 0;
  bool outOfDate = true;
  HDC memory = nullptr;
  HBITMAP image = nullptr;
  HGDIOBJ previous = nullptr;
  HBRUSH brush = nullptr;

  ~Panel() { Release(); }

  void Release() {
    if (brush) DeleteObject(brush);
    if (memory) {
      SelectObject(memory, previous);
      DeleteDC(memory);
    }
    if (image) DeleteObject(image);
    brush = nullptr;
    memory = nullptr;
    image = nullptr;
  }

  // Redraws the image when the size or the look changed since last time.
  void Update(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    int w = client.right;
    int h = client.bottom;
    if (!outOfDate && w == width && h == height && memory) return;
    Release();
    width = w;
    height = h;
    outOfDate = false;
    if (w <= 0 || h <= 0) return;

    PixelBuffer buffer(w, h);
    SystemColors system;
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    system.buttonHighlight = {GetRValue(light), GetGValue(light), GetBValue(light)};
    system.buttonShadow = {GetRValue(dark), GetGValue(dark), GetBValue(dark)};
    PanelLook resolved = look;
    PaintPanel(resolved, system, buffer);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down, as the buffer
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(hwnd);
    image = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    memory = CreateCompatibleDC(screen);
    ReleaseDC(hwnd, screen);
    if (!image || !memory || !bits) return;
    auto* out = static_cast<uint32_t*>(bits);
    const std::vector<Rgb>& pixels = buffer.Pixels();
    for (size_t i = 0; i < pixels.size(); ++i) {
      out[i] = (uint32_t{pixels[i].r} << 16) | (uint32_t{pixels[i].g} << 8) | pixels[i].b;
    }
    previous = SelectObject(memory, image);
    brush = CreatePatternBrush(image);
  }
};

Panel* PanelOf(HWND hwnd) {
  return reinterpret_cast<Panel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Panel* panel = PanelOf(hwnd);
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      auto* made = new Panel;
      made->look = *static_cast<const PanelLook*>(create->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
      break;
    }
    case WM_NCDESTROY:
      delete panel;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    case WM_SIZE:
      if (panel) panel->outOfDate = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      if (panel) {
        panel->Update(hwnd);
        if (panel->memory) {
          const RECT& r = paint.rcPaint;
          BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, panel->memory, r.left,
                 r.top, SRCCOPY);
        }
      }
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_SYSCOLORCHANGE:
      if (panel) panel->outOfDate = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_CTLCOLORSTATIC: {
      // Labels: text in the label's colour over the panel's own image.
      HDC dc = reinterpret_cast<HDC>(wParam);
      HWND label = reinterpret_cast<HWND>(lParam);
      if (!panel) break;
      panel->Update(hwnd);
      RECT r;
      GetWindowRect(label, &r);
      MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&r), 2);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, static_cast<COLORREF>(GetWindowLongPtrW(label, GWLP_USERDATA)));
      SetBrushOrgEx(dc, -r.left, -r.top, nullptr);
      if (panel->brush) return reinterpret_cast<LRESULT>(panel->brush);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_NOTIFY:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterPanelClass(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PanelProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPanelClass;
  RegisterClassExW(&wc);
}

HWND CreatePanel(HWND parent, const Rect& rect, const PanelLook& look, int id) {
  HWND panel = CreateWindowExW(
      WS_EX_CONTROLPARENT, kPanelClass, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect.left, rect.top, rect.width,
      rect.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
      const_cast<PanelLook*>(&look));
  SetWindowContextHelpId(panel, 3);
  return panel;
}

HWND CreateLabel(HWND panel, const Rect& rect, const wchar_t* text, HFONT font, COLORREF color,
                 bool wrap, int id) {
  DWORD style = WS_CHILD | WS_VISIBLE | SS_NOPREFIX | (wrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
  HWND label = CreateWindowExW(
      0, L"STATIC", text, style, rect.left, rect.top, rect.width, rect.height, panel,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(panel, GWLP_HINSTANCE)), nullptr);
  SetWindowLongPtrW(label, GWLP_USERDATA, static_cast<LONG_PTR>(color));
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

}  // namespace tos::win
