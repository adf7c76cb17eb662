// The Toolkit on Win32: a plain top-level window with STATIC and BUTTON
// controls, the common file dialogs, message and question boxes of its own
// (a dialog with the system's icons and sounds: MessageBoxW can neither keep
// to a width nor, under Wine, show a long path whole), tooltips from the
// common controls, the buttons' accessible names through Microsoft Active
// Accessibility's dynamic annotation, and ShellExecuteExW for the desktop
// shell. The only file of the program that includes <windows.h> for the
// window.
//
// The window is created hidden by openWindow, gets its controls, and is
// shown once they are all there, before the first event, focus, dialog or
// box (show()). Close requests (the close box, the system menu, Alt+F4) are
// queued for the shell and never close the window by themselves; the shell
// decides.
//
// Keyboard: IsDialogMessageW in the loop moves the focus with Tab and
// Shift+Tab between the push buttons and presses the focused one with Enter
// or Space; the shell's Ctrl shortcuts are an accelerator table, translated
// before that.
//
// Sizes: the program declares per-monitor DPI awareness in its manifest, so
// the system does not stretch its bitmap; every design unit is multiplied
// by scale_, the window's DPI over 96, or the message font's height over
// the design font's (12 pixels, Segoe UI 9 pt at 96 DPI) where the user made
// text larger, never below 1. At 96 DPI with the default font the window is
// exactly the design's pixels. A move to a monitor of another DPI
// (WM_DPICHANGED) lays everything out again at the new scale.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <commdlg.h>
#include <initguid.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "desktop/toolkit.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "base/wording.h"
#include "serve/browser.h"

namespace {

// The window class of the main window.
constexpr wchar_t kWindowClass[] = L"io.github.flowsvg.FlowsvgDesktop";
// Sent to the window when another thread has posted an event for the shell.
constexpr UINT kPostedMessage = WM_APP + 1;

// The height of the design font in pixels at 96 DPI (Segoe UI 9 pt).
constexpr int kDesignFontHeight = 12;
// The room between the status area's sunken edge and its text, and the
// most a line of a message box may take: with the icon and the box's
// margins the box stays within 600 design units.
constexpr int kStatusPadding = 4;
constexpr int kBoxTextWidth = 480;
// The message and question boxes: their margins and the gap between icon
// and text and between buttons, the icon's size, a button's least size and
// the room around its caption.
constexpr int kBoxMargin = 12;
constexpr int kBoxGap = 10;
constexpr int kBoxIcon = 32;
constexpr int kBoxButtonWidth = 88;
constexpr int kBoxButtonHeight = 26;
constexpr int kBoxButtonPadding = 24;
// Where the shortcuts' command ids start: above every control id.
constexpr WORD kFirstShortcutCommand = 0x7000;

// A Text as Win32 takes it: the same UTF-16 code units.
std::wstring wide(TextView text) {
  return std::wstring(text.begin(), text.end());
}

// A text as a static control shows it: a CR that starts a line becomes
// CR LF, the line break it knows.
std::wstring withLineBreaks(TextView text) {
  std::wstring lines;
  lines.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    lines += static_cast<wchar_t>(text[i]);
    if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')) {
      lines += L'\n';
    }
  }
  return lines;
}

// A caption for a button, which always takes "&" as a mnemonic marker:
// "&&" shows one "&".
std::wstring withoutMnemonics(TextView text) {
  std::wstring caption;
  for (const char16_t c : text) {
    if (c == u'&') caption += L'&';
    caption += static_cast<wchar_t>(c);
  }
  return caption;
}

// The "|"-separated labels and patterns as the dialogs take them: each part
// ended by a 0, and the list by a second one.
std::wstring dialogFilter(TextView filter) {
  std::wstring list = wide(filter);
  std::replace(list.begin(), list.end(), L'|', L'\0');
  list += L'\0';
  list += L'\0';
  return list;
}

class Win32Toolkit : public Toolkit {
 public:
  ~Win32Toolkit() override { shutDown(); }

  int32_t openWindow(int32_t clientWidth, int32_t clientHeight,
                     TextView title) override {
    // A window station that is not shown (a service's) has no display: no
    // window would ever be seen.
    USEROBJECTFLAGS station = {};
    if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS,
                                  &station, sizeof station, nullptr) &&
        (station.dwFlags & WSF_VISIBLE) == 0) {
      return 0;
    }
    instance_ = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    comStarted_ = SUCCEEDED(CoInitializeEx(
        nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0,
                   LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                   LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) return 0;
    classRegistered_ = true;

    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    // Made on the primary monitor, hidden, so that its DPI is known before
    // its size is.
    const RECT work = primaryWorkArea();
    window_ = CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass,
                              wide(title).c_str(), kStyle, work.left, work.top,
                              1, 1, nullptr, nullptr, instance_, this);
    // Without a display (under Wine: no X server) no window is made.
    if (window_ == nullptr) return 0;
    setScale(GetDpiForWindow(window_));  // no font before

    tooltip_ = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    placeWindow();
    return 1;
  }

  void createStaticText(int32_t id, ControlBox box, TextView text,
                        TextStyle style) override {
    DWORD look = SS_LEFT;
    if (style == TextStyle::PathLine) {
      // One line, shortened in the middle keeping the file name; SS_NOTIFY
      // lets it have the mouse, for its tooltip.
      look = SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS | SS_NOTIFY;
    }
    Control control;
    control.box = box;
    if (style == TextStyle::Sunken) {
      // The status area: a sunken edge with the text inside it, a little
      // away from the edge.
      control.window =
          newControl(L"STATIC", L"", SS_SUNKEN | WS_CLIPCHILDREN, window_, id);
      control.text =
          newControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, control.window, 0);
    } else {
      control.window =
          newControl(L"STATIC", L"", look | SS_NOPREFIX, window_, id);
      control.text = control.window;
    }
    control.kind = style == TextStyle::PathLine ? Kind::PathLine : Kind::Text;
    controls_[id] = control;
    if (control.kind == Kind::PathLine) addTooltip(control.window);
    layOut(controls_[id]);
    setControlText(id, text);
  }

  void createGroupFrame(int32_t id, ControlBox box, TextView caption) override {
    Control control;
    control.box = box;
    control.kind = Kind::Frame;
    control.window = newControl(L"BUTTON", withoutMnemonics(caption).c_str(),
                                BS_GROUPBOX, window_, id);
    control.text = control.window;
    controls_[id] = control;
    layOut(controls_[id]);
  }

  void createPushButton(int32_t id, ControlBox box, TextView caption) override {
    Control control;
    control.box = box;
    control.kind = Kind::Button;
    control.window =
        newControl(L"BUTTON", withoutMnemonics(caption).c_str(),
                   BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP, window_, id);
    control.text = control.window;
    controls_[id] = control;
    layOut(controls_[id]);
  }

  void describeControl(int32_t id, TextView accessibleName,
                       TextView tooltip) override {
    const auto found = controls_.find(id);
    if (found == controls_.end() || found->second.kind != Kind::Button) return;
    const HWND button = found->second.window;
    addTooltip(button);
    setTooltip(button, tooltip);
    // What a screen reader says for the button in place of its caption.
    if (accessibility_ == nullptr && comStarted_) {
      CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                       IID_IAccPropServices,
                       reinterpret_cast<void**>(&accessibility_));
    }
    if (accessibility_ != nullptr) {
      accessibility_->SetHwndPropStr(button, OBJID_CLIENT, CHILDID_SELF,
                                     PROPID_ACC_NAME,
                                     wide(accessibleName).c_str());
    }
  }

  void setControlText(int32_t id, TextView text) override {
    const auto found = controls_.find(id);
    if (found == controls_.end()) return;
    const Control& control = found->second;
    if (control.kind == Kind::Button || control.kind == Kind::Frame) {
      SetWindowTextW(control.text, withoutMnemonics(text).c_str());
    } else {
      SetWindowTextW(control.text, withLineBreaks(text).c_str());
    }
    if (control.kind == Kind::PathLine) setTooltip(control.window, text);
    // Shown now: a command may run a while before the loop paints again.
    if (shown_) UpdateWindow(control.window);
  }

  void focusControl(int32_t id) override {
    show();
    const auto found = controls_.find(id);
    if (found != controls_.end() && found->second.kind == Kind::Button) {
      SetFocus(found->second.window);
      focus_ = found->second.window;
    }
  }

  void addShortcut(char16_t letter, ToolkitEvent event) override {
    if (letter >= u'a' && letter <= u'z') letter -= u'a' - u'A';
    if (letter < u'A' || letter > u'Z') return;
    const WORD command = static_cast<WORD>(
        kFirstShortcutCommand + static_cast<WORD>(shortcuts_.size()));
    shortcuts_[command] = event;
    accelerators_.push_back(
        {FVIRTKEY | FCONTROL, static_cast<WORD>(letter), command});
    if (acceleratorTable_ != nullptr)
      DestroyAcceleratorTable(acceleratorTable_);
    acceleratorTable_ = CreateAcceleratorTableW(
        accelerators_.data(), static_cast<int>(accelerators_.size()));
  }

  ToolkitEvent waitEvent() override {
    show();
    while (queue_.empty()) {
      MSG message;
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0 || got == -1) {
        // WM_QUIT, or the queue is gone: nothing more can come.
        return ToolkitEvent::of(EventKind::CloseRequest);
      }
      if (acceleratorTable_ != nullptr &&
          TranslateAcceleratorW(window_, acceleratorTable_, &message)) {
        continue;
      }
      if (IsDialogMessageW(window_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    ToolkitEvent event = queue_.front();
    queue_.pop_front();
    return event;
  }

  void postEvent(ToolkitEvent event) override {
    {
      std::lock_guard<std::mutex> hold(postedLock_);
      posted_.push_back(std::move(event));
    }
    // Wakes GetMessageW; the window takes the events when it handles it.
    PostMessageW(window_, kPostedMessage, 0, 0);
  }

  FileChoice openFileDialog(const FileDialogRequest& request) override {
    return fileDialog(request, false);
  }

  FileChoice saveFileDialog(const FileDialogRequest& request) override {
    return fileDialog(request, true);
  }

  void messageBox(TextView title, TextView text, MessageIcon icon) override {
    const LPCWSTR image = icon == MessageIcon::Warning ? IDI_WARNING
                          : icon == MessageIcon::Error ? IDI_ERROR
                                                       : IDI_INFORMATION;
    const UINT sound = icon == MessageIcon::Warning ? MB_ICONWARNING
                       : icon == MessageIcon::Error ? MB_ICONERROR
                                                    : MB_ICONINFORMATION;
    showBox({title, text, image, sound, wording::OkButton, u""});
  }

  int32_t questionBox(TextView title, TextView text, TextView confirm,
                      TextView cancel) override {
    return showBox({title, text, IDI_QUESTION, MB_ICONQUESTION, confirm,
                    cancel}) == IDOK
               ? 1
               : 0;
  }

  int32_t openFolder(TextView folder, Text* reason) override {
    // The folder is the one thing handed over: the shell's default action
    // on it, no command line built from its name. Without its closing
    // separator (a root such as "C:\" keeps it): where the default action
    // is a program's command line (Wine's file manager), "\"" would
    // otherwise end the quoted name with an escaped quote.
    std::wstring name = wide(folder);
    if (name.size() > 1 && isSeparator(name.back()) &&
        name[name.size() - 2] != L':' && !isSeparator(name[name.size() - 2])) {
      name.pop_back();
    }
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof request;
    // The failure is told in the window's own error box.
    request.fMask = SEE_MASK_FLAG_NO_UI;
    request.hwnd = window_;
    request.lpFile = name.c_str();
    request.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&request)) return 1;
    *reason = systemErrorText(GetLastError());
    return 0;
  }

  int32_t openAddress(TextView address, Text* reason) override {
    // The shell's "open" verb on the address: the default browser.
    const Status opened = openInBrowser(Text(address));
    if (opened.ok()) return 1;
    *reason = opened.reason();
    return 0;
  }

  void closeWindow() override { shutDown(); }

 private:
  static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

  enum class Kind { Text, PathLine, Frame, Button };
  struct Control {
    HWND window = nullptr;  // the control as placed in the main window
    HWND text = nullptr;    // the window showing its text (for the status
                            // area, the text inside its sunken edge)
    ControlBox box;
    Kind kind = Kind::Text;
  };

  static LRESULT CALLBACK windowProcedure(HWND window, UINT message,
                                          WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Toolkit*>(
        GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
      LRESULT result = 0;
      if (self->handle(message, wParam, lParam, result)) return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  // The main window's messages; true when handled, with its result.
  bool handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
      case WM_CLOSE:
        queue_.push_back(ToolkitEvent::of(EventKind::CloseRequest));
        return true;
      case kPostedMessage: {
        std::lock_guard<std::mutex> hold(postedLock_);
        while (!posted_.empty()) {
          queue_.push_back(std::move(posted_.front()));
          posted_.pop_front();
        }
        return true;
      }
      case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return true;
      case DM_GETDEFID: {
        // Enter presses the button that has the focus.
        const int32_t id = buttonId(GetFocus());
        result = id != 0 ? MAKELRESULT(id, DC_HASDEFID) : 0;
        return true;
      }
      case WM_ACTIVATE:
        // The focus leaves with a box or dialog and comes back to the
        // button that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
          if (buttonId(GetFocus()) != 0) focus_ = GetFocus();
          return false;
        }
        if (focus_ == nullptr) return false;
        SetFocus(focus_);
        return true;
      case WM_DROPFILES:
        dropped(reinterpret_cast<HDROP>(wParam));
        return true;
      case WM_GETDPISCALEDSIZE: {
        const SIZE size = outerSize(scaleFor(static_cast<UINT>(wParam)),
                                    static_cast<UINT>(wParam));
        *reinterpret_cast<SIZE*>(lParam) = size;
        result = TRUE;
        return true;
      }
      case WM_DPICHANGED:
        dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return true;
      default:
        return false;
    }
  }

  void command(WORD id, WORD code, HWND from) {
    if (from == nullptr && code == 1) {
      // An accelerator: one of the shell's shortcuts.
      const auto shortcut = shortcuts_.find(id);
      if (shortcut != shortcuts_.end()) queue_.push_back(shortcut->second);
      return;
    }
    const int32_t button = buttonId(from);
    if (button == 0) return;
    if (code == BN_CLICKED) {
      queue_.push_back(ToolkitEvent::of(EventKind::Control, button));
    } else if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
      // The focused button looks like the default button, as in a dialog;
      // its other button styles (BS_NOTIFY) stay.
      const auto style =
          static_cast<DWORD>(GetWindowLongPtrW(from, GWL_STYLE)) & 0xFFFF;
      SendMessageW(from, BM_SETSTYLE,
                   (style & ~DWORD{BS_TYPEMASK}) |
                       (code == BN_SETFOCUS ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                   TRUE);
    }
  }

  // The id of the push button window is, or 0.
  int32_t buttonId(HWND window) const {
    if (window == nullptr) return 0;
    for (const auto& [id, control] : controls_) {
      if (control.kind == Kind::Button && control.window == window) return id;
    }
    return 0;
  }

  void dropped(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length != 0) {
      std::wstring name(length + 1, L'\0');
      const UINT got = DragQueryFileW(drop, 0, name.data(), length + 1);
      name.resize(got);
      ToolkitEvent event;
      event.kind = EventKind::FileDropped;
      event.dropped.outcome = FileChoice::Outcome::Chosen;
      event.dropped.path = textFromNativePath(name);
      queue_.push_back(event);
    }
    DragFinish(drop);
  }

  static RECT primaryWorkArea() {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (primary == nullptr || !GetMonitorInfoW(primary, &info)) {
      RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN),
                   GetSystemMetrics(SM_CYSCREEN)};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      return work;
    }
    return info.rcWork;
  }

  // The desktop's message font at dpi (for the caller to delete); nullptr
  // when the system does not tell it.
  static HFONT messageFontAt(UINT dpi) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics,
                                    &metrics, 0, dpi)) {
      return nullptr;
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }

  // The scale at dpi, where font is the message font: the DPI's, or the
  // font's where the user made text larger still.
  static double scaleWith(UINT dpi, HFONT font) {
    double scale = static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI;
    if (font == nullptr) return scale;
    const HDC context = GetDC(nullptr);
    const HGDIOBJ before = SelectObject(context, font);
    TEXTMETRICW text = {};
    if (GetTextMetricsW(context, &text)) {
      const double height = text.tmHeight - text.tmInternalLeading;
      scale = std::max(scale, height / kDesignFontHeight);
    }
    SelectObject(context, before);
    ReleaseDC(nullptr, context);
    return scale;
  }

  // The scale at dpi, without taking it on.
  static double scaleFor(UINT dpi) {
    if (dpi == 0) dpi = USER_DEFAULT_SCREEN_DPI;
    const HFONT font = messageFontAt(dpi);
    const double scale = scaleWith(dpi, font);
    if (font != nullptr) DeleteObject(font);
    return scale;
  }

  // Takes on dpi: the scale and the message font at it. Returns the font
  // used until now, for the caller to delete once no control has it.
  HFONT setScale(UINT dpi) {
    if (dpi == 0) dpi = USER_DEFAULT_SCREEN_DPI;
    dpi_ = dpi;
    const HFONT font = messageFontAt(dpi);
    scale_ = scaleWith(dpi, font);
    const HFONT before = font_;
    font_ = font;
    return before;
  }

  int scaled(int units) const {
    return static_cast<int>(std::lround(units * scale_));
  }

  // The outer size of the window whose client area is the design's at
  // scale, at dpi.
  SIZE outerSize(double scale, UINT dpi) const {
    RECT frame = {0, 0, static_cast<LONG>(std::lround(clientWidth_ * scale)),
                  static_cast<LONG>(std::lround(clientHeight_ * scale))};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, WS_EX_ACCEPTFILES, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
  }

  // Sizes the window for the current scale and centres it on the primary
  // monitor's work area by its outer size (at its top left corner where it
  // is the larger), so that the taskbar never covers it.
  void placeWindow() {
    const SIZE size = outerSize(scale_, dpi_);
    const RECT work = primaryWorkArea();
    const LONG left =
        work.left + std::max<LONG>(0, (work.right - work.left - size.cx) / 2);
    const LONG top =
        work.top + std::max<LONG>(0, (work.bottom - work.top - size.cy) / 2);
    SetWindowPos(window_, nullptr, left, top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND newControl(const wchar_t* kind, const wchar_t* text, DWORD style,
                  HWND parent, int32_t id) {
    const HWND control = CreateWindowExW(
        0, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (control != nullptr && font_ != nullptr) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    return control;
  }

  // Places the control at the current scale. Both edges of a box are
  // scaled, so that controls that meet in design units still meet.
  void layOut(const Control& control) {
    const ControlBox& box = control.box;
    const int left = scaled(box.x);
    const int top = scaled(box.y);
    const int width = scaled(box.x + box.width) - left;
    const int height = scaled(box.y + box.height) - top;
    SetWindowPos(control.window, nullptr, left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_),
                 TRUE);
    if (control.text != control.window) {
      // Inside the sunken edge (the edge itself takes a pixel on each side).
      const int padding = scaled(kStatusPadding);
      SetWindowPos(control.text, nullptr, padding, padding,
                   std::max(0, width - 2 * padding),
                   std::max(0, height - 2 * padding),
                   SWP_NOZORDER | SWP_NOACTIVATE);
      SendMessageW(control.text, WM_SETFONT, reinterpret_cast<WPARAM>(font_),
                   TRUE);
    }
  }

  void addTooltip(HWND control) {
    if (tooltip_ == nullptr) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A long path wraps in the tip rather than running off the screen.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, scaled(600));
  }

  // The whole text as the control's tooltip; none while it is empty.
  void setTooltip(HWND control, TextView text) {
    if (tooltip_ == nullptr) return;
    const std::wstring tip = wide(text);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(tip.c_str());
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0,
                 reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
  }

  void dpiChanged(UINT dpi, const RECT& suggested) {
    const HFONT before = setScale(dpi);
    for (const auto& [id, control] : controls_) layOut(control);
    if (before != nullptr) DeleteObject(before);
    if (tooltip_ != nullptr) {
      SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, scaled(600));
    }
    const SIZE size = outerSize(scale_, dpi_);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, size.cx,
                 size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
  }

  // Shows the window, once, with all its controls.
  void show() {
    if (shown_ || window_ == nullptr) return;
    shown_ = true;
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
  }

  // A text for a message box: every line that would be wider than
  // kBoxTextWidth design units in the message font broken, at a space where
  // the line has one and anywhere else where it has none (a long path), so
  // that the box stays narrow and no character is cut off.
  std::wstring boxText(TextView text) const {
    // Less the room the text control is given to spare (see layOutBox).
    const int room = scaled(kBoxTextWidth) * 32 / 33 - 2;
    const HDC context = GetDC(window_);
    const HGDIOBJ before =
        font_ != nullptr ? SelectObject(context, font_) : nullptr;
    // How many characters at the start of line fit the room.
    auto fitting = [&](const std::wstring& line) {
      int fit = 0;
      SIZE size = {};
      GetTextExtentExPointW(context, line.c_str(),
                            static_cast<int>(line.size()), room, &fit, nullptr,
                            &size);
      return static_cast<size_t>(std::max(fit, 0));
    };
    std::wstring result;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(u'\r', start);
      if (end == TextView::npos) end = text.size();
      std::wstring rest = wide(text.substr(start, end - start));
      for (size_t length = fitting(rest); length < rest.size();
           length = fitting(rest)) {
        // Broken after the last space that fits, or after the characters
        // that fit (one at least).
        length = std::max<size_t>(length, 1);
        size_t cut = rest.rfind(L' ', length);
        if (cut == std::wstring::npos || cut == 0) cut = length;
        result += rest.substr(0, cut);
        result += L"\r\n";
        while (cut < rest.size() && rest[cut] == L' ') ++cut;
        rest.erase(0, cut);
      }
      result += rest;
      if (end == text.size()) break;
      result += L"\r\n";
      start = end + 1;
    }
    if (before != nullptr) SelectObject(context, before);
    ReleaseDC(window_, context);
    return result;
  }

  // What a message or question box shows: the title, the text, a system
  // icon (IDI_...) and its sound (MB_ICON...), and its buttons: confirm
  // (IDOK), and cancel (IDCANCEL), the default one, when not empty.
  struct BoxRequest {
    TextView title;
    TextView text;
    LPCWSTR icon;
    UINT sound;
    TextView confirm;
    TextView cancel;
  };
  struct Box {
    Win32Toolkit* toolkit;
    const BoxRequest* request;
    HICON icon;
  };

  // A modal box over the main window, laid out by the box itself in the
  // message font at the window's scale, at most 600 design units wide with
  // every line of its text whole. Returns IDOK or IDCANCEL (Escape, the
  // close box).
  INT_PTR showBox(const BoxRequest& request) {
    show();
    // A template without controls: the box makes them when it starts.
    struct alignas(4) {
      DLGTEMPLATE dialog;
      WORD menu;
      WORD windowClass;
      WORD title;
    } empty = {};
    empty.dialog.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    Box box = {this, &request, nullptr};
    MessageBeep(request.sound);
    const INT_PTR answer =
        DialogBoxIndirectParamW(instance_, &empty.dialog, window_, boxProcedure,
                                reinterpret_cast<LPARAM>(&box));
    if (box.icon != nullptr) DestroyIcon(box.icon);
    return answer;
  }

  static INT_PTR CALLBACK boxProcedure(HWND dialog, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      auto* box = reinterpret_cast<Box*>(lParam);
      box->toolkit->layOutBox(dialog, *box);
      return FALSE;  // the default button has the focus
    }
    if (message == WM_COMMAND &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
      EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    }
    return FALSE;
  }

  HWND newBoxControl(HWND dialog, const wchar_t* kind, const wchar_t* text,
                     DWORD style, int id, RECT place) {
    const HWND control = CreateWindowExW(
        0, kind, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
        place.right - place.left, place.bottom - place.top, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
  }

  // The box's title, icon, text and buttons, its size, and its place:
  // centred over the main window.
  void layOutBox(HWND dialog, Box& box) {
    const BoxRequest& request = *box.request;
    SetWindowTextW(dialog, wide(request.title).c_str());
    const int margin = scaled(kBoxMargin);
    const int gap = scaled(kBoxGap);
    const int icon = scaled(kBoxIcon);

    const std::wstring text = boxText(request.text);
    const std::wstring confirm = withoutMnemonics(request.confirm);
    const std::wstring cancel = withoutMnemonics(request.cancel);
    RECT textSize = {0, 0, scaled(kBoxTextWidth), 0};
    int confirmWidth = scaled(kBoxButtonWidth);
    int cancelWidth = request.cancel.empty() ? 0 : scaled(kBoxButtonWidth);
    {
      const HDC context = GetDC(dialog);
      const HGDIOBJ before = SelectObject(context, font_);
      DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &textSize,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
      auto widthOf = [&](const std::wstring& caption) {
        SIZE size = {};
        GetTextExtentPoint32W(context, caption.c_str(),
                              static_cast<int>(caption.size()), &size);
        return static_cast<int>(size.cx) + scaled(kBoxButtonPadding);
      };
      confirmWidth = std::max(confirmWidth, widthOf(confirm));
      if (!request.cancel.empty()) {
        cancelWidth = std::max(cancelWidth, widthOf(cancel));
      }
      SelectObject(context, before);
      ReleaseDC(dialog, context);
    }
    // Drawn text can take a little more than its measure (under Wine up to
    // about 2 %): the text control gets that much to spare, so that it
    // neither cuts nor wraps a line the measure kept.
    const int measured = textSize.right - textSize.left;
    const int textWidth = measured + measured / 32 + 2;
    const int textHeight = textSize.bottom - textSize.top;
    const int buttonsWidth =
        confirmWidth + (cancelWidth > 0 ? gap : 0) + cancelWidth;
    const int width = std::max(margin + icon + gap + textWidth + margin,
                               margin + buttonsWidth + margin);
    const int buttonTop = margin + std::max(icon, textHeight) + margin;
    const int buttonHeight = scaled(kBoxButtonHeight);
    const int height = buttonTop + buttonHeight + margin;

    // The system's icon drawn at the size asked for (its own, unshared).
    box.icon = static_cast<HICON>(
        LoadImageW(nullptr, request.icon, IMAGE_ICON, icon, icon, 0));
    const HWND image =
        newBoxControl(dialog, L"STATIC", nullptr, SS_ICON, -1,
                      {margin, margin, margin + icon, margin + icon});
    SendMessageW(
        image, STM_SETICON,
        reinterpret_cast<WPARAM>(
            box.icon != nullptr ? box.icon : LoadIconW(nullptr, request.icon)),
        0);
    const int textLeft = margin + icon + gap;
    const int textTop = margin + std::max(0, (icon - textHeight) / 2);
    newBoxControl(
        dialog, L"STATIC", text.c_str(), SS_LEFT | SS_NOPREFIX, -1,
        {textLeft, textTop, textLeft + textWidth, textTop + textHeight});

    int left = width - margin - buttonsWidth;
    const HWND yes = newBoxControl(
        dialog, L"BUTTON", confirm.c_str(),
        WS_TABSTOP | (cancelWidth > 0 ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON), IDOK,
        {left, buttonTop, left + confirmWidth, buttonTop + buttonHeight});
    HWND chosen = yes;
    if (cancelWidth > 0) {
      left += confirmWidth + gap;
      chosen = newBoxControl(
          dialog, L"BUTTON", cancel.c_str(), WS_TABSTOP | BS_DEFPUSHBUTTON,
          IDCANCEL,
          {left, buttonTop, left + cancelWidth, buttonTop + buttonHeight});
    }
    SendMessageW(dialog, DM_SETDEFID, GetDlgCtrlID(chosen), 0);
    SetFocus(chosen);

    RECT frame = {0, 0, width, height};
    AdjustWindowRectExForDpi(
        &frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
        static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)), dpi_);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    RECT owner = {};
    GetWindowRect(window_, &owner);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT& work = monitor.rcWork;
    LONG x = (owner.left + owner.right - outerWidth) / 2;
    LONG y = (owner.top + owner.bottom - outerHeight) / 2;
    x = std::max(work.left, std::min(x, work.right - outerWidth));
    y = std::max(work.top, std::min(y, work.bottom - outerHeight));
    SetWindowPos(dialog, nullptr, x, y, outerWidth, outerHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  FileChoice fileDialog(const FileDialogRequest& request, bool save) {
    show();
    // The folder the dialog starts in, and the name filled in.
    const Text folderText = folderPart(request.initialPath);
    const std::wstring folder = wide(folderText);
    const std::wstring name =
        wide(TextView(request.initialPath).substr(folderText.size()));
    const std::wstring title = wide(request.title);
    const std::wstring filter = dialogFilter(request.filter);

    // Room for the longest path the system has (32767 characters); should a
    // dialog still ask for more, it gets it and is shown again.
    std::wstring buffer(std::max<size_t>(32768, name.size() + 1), L'\0');
    for (;;) {
      std::fill(buffer.begin(), buffer.end(), L'\0');
      std::copy(name.begin(), name.end(), buffer.begin());
      OPENFILENAMEW dialog = {};
      dialog.lStructSize = sizeof dialog;
      dialog.hwndOwner = window_;
      dialog.lpstrFilter = filter.c_str();
      dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex) + 1;
      dialog.lpstrFile = buffer.data();
      dialog.nMaxFile = static_cast<DWORD>(buffer.size());
      dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
      dialog.lpstrTitle = title.c_str();
      // A typed name need not exist, but its folder must; the working
      // folder stays; the save dialog asks before it accepts an existing
      // file, and adds no extension.
      dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                     OFN_HIDEREADONLY | OFN_ENABLESIZING;
      if (save) dialog.Flags |= OFN_OVERWRITEPROMPT;
      const BOOL chosen =
          save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
      if (chosen) {
        FileChoice choice;
        choice.outcome = FileChoice::Outcome::Chosen;
        const std::wstring path(buffer.c_str());
        choice.path = textFromNativePath(path);
        return choice;
      }
      if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) return FileChoice();
      // The first two bytes hold the size needed, in characters.
      const size_t needed = *reinterpret_cast<const WORD*>(buffer.data());
      buffer.assign(std::max(buffer.size() * 2, needed + 1), L'\0');
    }
  }

  void shutDown() {
    if (accessibility_ != nullptr) {
      // The names given go with their buttons.
      for (const auto& [id, control] : controls_) {
        if (control.kind != Kind::Button) continue;
        MSAAPROPID name = PROPID_ACC_NAME;
        accessibility_->ClearHwndProps(control.window, OBJID_CLIENT,
                                       CHILDID_SELF, &name, 1);
      }
    }
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    tooltip_ = nullptr;  // owned by the window, gone with it
    if (font_ != nullptr) DeleteObject(font_);
    font_ = nullptr;
    if (acceleratorTable_ != nullptr)
      DestroyAcceleratorTable(acceleratorTable_);
    acceleratorTable_ = nullptr;
    if (classRegistered_) UnregisterClassW(kWindowClass, instance_);
    classRegistered_ = false;
    if (accessibility_ != nullptr) accessibility_->Release();
    accessibility_ = nullptr;
    if (comStarted_) CoUninitialize();
    comStarted_ = false;
  }

  HINSTANCE instance_ = nullptr;
  bool classRegistered_ = false;
  bool comStarted_ = false;
  bool shown_ = false;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND focus_ = nullptr;  // the button to give the focus back to
  IAccPropServices* accessibility_ = nullptr;  // the buttons' names
  HFONT font_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  double scale_ = 1.0;
  int32_t clientWidth_ = 0;
  int32_t clientHeight_ = 0;
  std::map<int32_t, Control> controls_;
  std::vector<ACCEL> accelerators_;
  HACCEL acceleratorTable_ = nullptr;
  std::map<WORD, ToolkitEvent> shortcuts_;
  std::deque<ToolkitEvent> queue_;
  std::mutex postedLock_;
  std::deque<ToolkitEvent> posted_;  // by other threads, not taken yet
};

}  // namespace

std::unique_ptr<Toolkit> newDesktopToolkit() {
  return std::make_unique<Win32Toolkit>();
}

void showMessageWithoutWindow(TextView title, TextView text, MessageIcon icon) {
  const UINT kind = icon == MessageIcon::Warning ? MB_ICONWARNING
                    : icon == MessageIcon::Error ? MB_ICONERROR
                                                 : MB_ICONINFORMATION;
  MessageBoxW(nullptr, withLineBreaks(text).c_str(), wide(title).c_str(),
              MB_OK | MB_SETFOREGROUND | kind);
}
