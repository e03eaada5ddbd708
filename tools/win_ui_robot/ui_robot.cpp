// The UI robot of the end-to-end tests: waits for a window of a class (a
// message box by default), reports what it shows, takes a screenshot, and
// answers it the way a user would, with a button or a key.
//
//   ui_robot.exe [options]
//     --class NAME     class of the window to wait for (default VMsgBox)
//     --wait MS        how long to wait for it (default 30000)
//     --ready FILE     created as soon as the robot watches, before it waits
//     --report FILE    what the window shows, as "key=value" lines
//     --delay MS       pause once the window is found, before shot and answer
//                      (the report is written before the pause and again after it)
//     --shot FILE      screenshot of the window as a 24-bit BMP
//     --press CAPTION  clicks the button with this caption ("&" and case ignored)
//     --key KEY        a key for the focused control: A-Z, ENTER, ESCAPE, TAB,
//                      LEFT, RIGHT, UP, DOWN, or ALT+letter
//     --close          asks the window to close (WM_CLOSE)
//     --gone MS        after an answer, how long the window may take to go
//                      (default 10000; 0: do not wait)
//   ui_robot.exe --watch FILE --stop FILE [--class NAME]
//     Until STOP exists: every window of the class is reported into FILE
//     (appended) and closed, so that a box nobody expected cannot hang a test.
//
// Keys are posted to the focused control of the window's thread, as the
// keyboard would deliver them after translation (Alt+letter as WM_SYSCHAR).
// A click is posted too, followed by WM_NULL, so that a modal loop waiting
// in GetMessage wakes and sees the box is done.
//
// Exit codes: 0 done; 2 bad command line; 3 no window in time; 4 no button
// with that caption; 5 the window was still there after the answer; 6 the
// report or screenshot could not be written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Options {
  std::string cls = "VMsgBox";
  int waitMs = 30000;
  std::string ready, report, shot, press, key, watch, stop;
  int delayMs = 0;
  bool close = false;
  int goneMs = 10000;
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteAll(const std::string& path, const std::string& bytes, bool append) {
  HANDLE f = CreateFileA(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}

std::string ClassOf(HWND w) {
  char buf[512] = {};
  GetClassNameA(w, buf, sizeof buf);
  return buf;
}

// The text of a window of another process: WM_GETTEXT is marshalled by the
// system; a time-out keeps a hung window from hanging the robot.
std::string TextOf(HWND w) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &length)) return "";
  std::vector<char> buf(length + 2, '\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutA(w, WM_GETTEXT, WPARAM(buf.size()), reinterpret_cast<LPARAM>(buf.data()),
                      SMTO_ABORTIFHUNG, 3000, &got);
  return std::string(buf.data(), size_t(got) < buf.size() ? size_t(got) : 0);
}

std::string Caption(HWND w) {
  char buf[1024] = {};
  GetWindowTextA(w, buf, sizeof buf);  // read without a message for other processes
  return buf;
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string Hex(uintptr_t v) {
  char buf[32];
  snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(v));
  return buf;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) +
         "," + std::to_string(r.bottom - r.top);
}

RECT ChildRect(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct Children {
  std::vector<HWND> buttons;  // left to right
  HWND text = nullptr;        // the first child that is not a button
};

BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
  auto* c = reinterpret_cast<Children*>(lp);
  if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0) {
    c->buttons.push_back(child);
  } else if (!c->text) {
    c->text = child;
  }
  return TRUE;
}

Children ChildrenOf(HWND w) {
  Children c;
  EnumChildWindows(w, CollectChild, reinterpret_cast<LPARAM>(&c));
  for (size_t i = 1; i < c.buttons.size(); ++i)  // few buttons: insertion sort by x
    for (size_t j = i; j > 0; --j) {
      RECT a, b;
      GetWindowRect(c.buttons[j - 1], &a);
      GetWindowRect(c.buttons[j], &b);
      if (a.left <= b.left) break;
      std::swap(c.buttons[j - 1], c.buttons[j]);
    }
  return c;
}

HWND FocusOf(HWND w) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::string Report(HWND w) {
  std::string r;
  RECT wr, cr;
  GetWindowRect(w, &wr);
  GetClientRect(w, &cr);
  r += "class=" + ClassOf(w) + "\n";
  r += "caption=" + Escape(Caption(w)) + "\n";
  r += "visible=" + std::to_string(IsWindowVisible(w) ? 1 : 0) + "\n";
  r += "window=" + RectText(wr) + "\n";
  r += "client=" + std::to_string(cr.right) + "," + std::to_string(cr.bottom) + "\n";
  r += "style=" + Hex(uintptr_t(GetWindowLongPtrA(w, GWL_STYLE))) + "\n";
  r += "exstyle=" + Hex(uintptr_t(GetWindowLongPtrA(w, GWL_EXSTYLE))) + "\n";
  const Children c = ChildrenOf(w);
  const HWND focus = FocusOf(w);
  if (c.text) {
    r += "text.class=" + ClassOf(c.text) + "\n";
    r += "text.rect=" + RectText(ChildRect(c.text, w)) + "\n";
    r += "text.style=" + Hex(uintptr_t(GetWindowLongPtrA(c.text, GWL_STYLE))) + "\n";
    r += "text.exstyle=" + Hex(uintptr_t(GetWindowLongPtrA(c.text, GWL_EXSTYLE))) + "\n";
    r += "text=" + Escape(TextOf(c.text)) + "\n";
  }
  r += "buttons=" + std::to_string(c.buttons.size()) + "\n";
  int focused = -1;
  for (size_t i = 0; i < c.buttons.size(); ++i) {
    const HWND b = c.buttons[i];
    const bool isDefault = (GetWindowLongPtrA(b, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    if (b == focus) focused = int(i);
    r += "button" + std::to_string(i) + "=" + Escape(Caption(b)) + "|" + RectText(ChildRect(b, w)) + "|" +
         (isDefault ? "default" : "plain") + "\n";
  }
  r += "focus=" + std::to_string(focused) + "\n";
  return r;
}

// A 24-bit bottom-up BMP of what the screen shows in the window's rectangle.
bool Screenshot(HWND w, const std::string& path) {
  RECT r;
  GetWindowRect(w, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bmp && bits) {
    HGDIOBJ old = SelectObject(mem, bmp);
    ok = BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(mem, old);
    const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * DWORD(height);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + imageSize;
    std::string file(reinterpret_cast<const char*>(&fh), sizeof fh);
    bi.bmiHeader.biSizeImage = imageSize;
    file.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    file.append(static_cast<const char*>(bits), imageSize);
    ok = ok && WriteAll(path, file, false);
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

std::string StripAmpersand(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '&') out += c;
  return out;
}

// A message box is ready once it has been moved from its creation place and
// its buttons have the focus; a box without buttons after a short grace.
bool Ready(HWND w, const std::string& cls, DWORD since) {
  if (lstrcmpA(cls.c_str(), "VMsgBox") != 0) return true;
  RECT r;
  GetWindowRect(w, &r);
  if (!IsWindowVisible(w) || r.right - r.left <= 10) return false;
  const HWND focus = FocusOf(w);
  if (focus && GetParent(focus) == w && lstrcmpiA(ClassOf(focus).c_str(), "Button") == 0) return true;
  return GetTickCount() - since > 700;
}

HWND WaitForWindow(const Options& o) {
  const DWORD start = GetTickCount();
  DWORD seen = 0;
  while (GetTickCount() - start < DWORD(o.waitMs)) {
    if (HWND w = FindWindowA(o.cls.c_str(), nullptr)) {
      if (!seen) seen = GetTickCount();
      if (Ready(w, o.cls, seen)) return w;
    }
    Sleep(10);
  }
  return nullptr;
}

bool WaitGone(HWND w, int ms) {
  const DWORD start = GetTickCount();
  while (IsWindow(w)) {
    if (GetTickCount() - start > DWORD(ms)) return false;
    Sleep(20);
  }
  return true;
}

void Wake(HWND w) { PostThreadMessageA(GetWindowThreadProcessId(w, nullptr), WM_NULL, 0, 0); }

// Posts the key; false for a name it does not know.
bool SendKey(HWND w, const std::string& key) {
  HWND target = FocusOf(w);
  if (!target) target = w;
  if (key.size() == 5 && key.compare(0, 4, "ALT+") == 0) {
    return PostMessageA(target, WM_SYSCHAR, WPARAM(key[4]), 0x20000000);  // bit 29: Alt held
  }
  WPARAM vk = 0;
  if (key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z') vk = WPARAM(key[0]);
  else if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') vk = WPARAM(key[0] - 'a' + 'A');
  else if (key == "ENTER") vk = VK_RETURN;
  else if (key == "ESCAPE") vk = VK_ESCAPE;
  else if (key == "TAB") vk = VK_TAB;
  else if (key == "LEFT") vk = VK_LEFT;
  else if (key == "RIGHT") vk = VK_RIGHT;
  else if (key == "UP") vk = VK_UP;
  else if (key == "DOWN") vk = VK_DOWN;
  if (!vk) return false;
  return PostMessageA(target, WM_KEYDOWN, vk, 1);
}

int Watch(const Options& o) {
  std::vector<HWND> closed;
  while (!Exists(o.stop)) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, o.cls.c_str(), nullptr)) != nullptr) {
      bool known = false;
      for (HWND c : closed) known = known || c == w;
      if (known || !Ready(w, o.cls, GetTickCount() - 1000)) continue;
      WriteAll(o.watch, Report(w) + "--\n", true);
      closed.push_back(w);
      PostMessageA(w, WM_CLOSE, 0, 0);
      Wake(w);
    }
    Sleep(50);
  }
  return 0;
}

bool ParseInt(const char* text, int* out) {
  char* end = nullptr;
  const long v = strtol(text, &end, 10);
  if (!end || *end || v < 0) return false;
  *out = int(v);
  return true;
}

bool Parse(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--close") o->close = true;
    else if (!hasValue) return false;
    else if (a == "--class") o->cls = argv[++i];
    else if (a == "--wait") { if (!ParseInt(argv[++i], &o->waitMs)) return false; }
    else if (a == "--delay") { if (!ParseInt(argv[++i], &o->delayMs)) return false; }
    else if (a == "--gone") { if (!ParseInt(argv[++i], &o->goneMs)) return false; }
    else if (a == "--ready") o->ready = argv[++i];
    else if (a == "--report") o->report = argv[++i];
    else if (a == "--shot") o->shot = argv[++i];
    else if (a == "--press") o->press = argv[++i];
    else if (a == "--key") o->key = argv[++i];
    else if (a == "--watch") o->watch = argv[++i];
    else if (a == "--stop") o->stop = argv[++i];
    else return false;
  }
  if (o->watch.empty() != o->stop.empty()) return false;
  return int(!o->press.empty()) + int(!o->key.empty()) + int(o->close) <= 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Options o;
  if (!Parse(__argc, __argv, &o)) return 2;
  if (!o.ready.empty()) WriteAll(o.ready, "", false);
  if (!o.watch.empty()) return Watch(o);

  HWND w = WaitForWindow(o);
  if (!w) return 3;
  // Reported once found, so that a test can act while the robot waits (put a
  // missing disk in place, say), and again after the delay, as it stands
  // when the answer comes.
  if (!o.report.empty() && !WriteAll(o.report, Report(w), false)) return 6;
  if (o.delayMs > 0) {
    Sleep(DWORD(o.delayMs));
    if (!o.report.empty() && !WriteAll(o.report, Report(w), false)) return 6;
  }
  if (!o.shot.empty() && !Screenshot(w, o.shot)) return 6;

  if (!o.press.empty()) {
    HWND button = nullptr;
    for (HWND b : ChildrenOf(w).buttons)
      if (lstrcmpiA(StripAmpersand(Caption(b)).c_str(), StripAmpersand(o.press).c_str()) == 0) button = b;
    if (!button) return 4;
    PostMessageA(button, BM_CLICK, 0, 0);
  } else if (!o.key.empty()) {
    if (!SendKey(w, o.key)) return 2;
  } else if (o.close) {
    PostMessageA(w, WM_CLOSE, 0, 0);
  } else {
    return 0;
  }
  Wake(w);
  if (o.goneMs == 0) return 0;
  return WaitGone(w, o.goneMs) ? 0 : 5;
}
