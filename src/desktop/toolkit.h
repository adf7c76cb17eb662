// The one small interface between the window shell and the outside world it
// shows itself through: a GUI toolkit (one fixed window, its controls, modal
// dialogs and message boxes, a blocking wait for the next event) and the
// desktop shell (opening a folder in the file manager, an address in the
// browser).
//
// The shell (shell.h) is written against this interface only, and every
// operation below is one any desktop toolkit offers: one adapter file per
// toolkit implements it (toolkit-gtk.cc on Linux). The tests use the
// scripted in-memory FakeToolkit (fake_toolkit.h).
//
// Contract common to every operation: nothing is thrown and nothing is
// reported back beyond the plain results named below. Texts are shown
// literally: "&", "_" and "~" are ordinary characters (never mnemonic
// markers or line breaks), and a CR (U+000D) starts a new line.
//
// Positions and sizes are design units: pixels in the window's client area,
// origin at its top left corner, at the design text size (the font "Sans 10"
// at 96 DPI on GTK, 96 DPI on Windows). The toolkit multiplies every one of
// them, the client size included, by a single factor: the desktop's text
// size over the design text size, never below 1. So with the desktop's
// default settings they are exact pixels, and with larger text nothing is
// clipped.
#ifndef FLOWSVG_DESKTOP_TOOLKIT_H_
#define FLOWSVG_DESKTOP_TOOLKIT_H_

#include <cstdint>
#include <memory>

#include "base/strings.h"

// The desktop's name for the program: the application id, and on X11 the
// window's WM_CLASS, which a desktop entry's StartupWMClass names.
inline constexpr char ApplicationId[] = "io.github.flowsvg.FlowsvgDesktop";

// A control's place in the client area, in design units.
struct ControlBox {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

enum class MessageIcon { Warning, Error, Information };

// How a static text shows its text.
enum class TextStyle {
  Wrapped,  // left-aligned, wrapping at word boundaries within its width
  Sunken,   // the same inside a sunken border: the status area
  PathLine  // one line; a text too long for it is shortened in the middle
            // with an ellipsis, so that its start and its end (a path's file
            // name) stay visible, and the whole text is the control's tooltip
};

// What the user picked in a file dialog or dropped onto the window.
struct FileChoice {
  enum class Outcome {
    Cancelled,  // nothing was picked (the dialog was cancelled or failed)
    Chosen,     // path is the picked file's full path
    NotLocal,   // something was picked that names no local file (a remote
                // location, say); path is the desktop's name for it (a URI),
                // to be shown
  };
  Outcome outcome = Outcome::Cancelled;
  // For Chosen, the name exactly as the system holds it: on POSIX each byte
  // that is not UTF-8 is kept as textFromNativePath keeps it (text/paths.h),
  // so nativePath gives back the very bytes.
  Text path;
};

enum class EventKind {
  CloseRequest,     // the close box, the system menu or the close shortcut
  Control,          // a push button was clicked or pressed from the keyboard
  FileDropped,      // a file was dropped onto the window
  FolderNotOpened,  // a folder openFolder handed over was not opened after
                    // all (the program it started failed)
  InputSaved,       // the previewed description was saved (posted by the
                    // preview's watch, preview.h)
  PreviewFailed,    // the preview's watch broke: the folder in folder, the
                    // reason in reason
  Other,            // anything else; the shell ignores it
};

struct ToolkitEvent {
  EventKind kind = EventKind::Other;
  int32_t control = 0;  // the control's id for EventKind::Control, else 0
  // For EventKind::FileDropped: the first item dropped, Chosen or NotLocal.
  FileChoice dropped;
  // For EventKind::FolderNotOpened: the folder, and why it was not opened;
  // for EventKind::PreviewFailed: the folder that cannot be watched, and
  // why.
  Text folder;
  Text reason;

  // An event of kind with the control's id (for EventKind::Control) and
  // nothing else.
  static ToolkitEvent of(EventKind kind, int32_t control = 0) {
    ToolkitEvent event;
    event.kind = kind;
    event.control = control;
    return event;
  }
};

// What a file dialog is given. filter lists labels and patterns alternately,
// separated by "|"; one entry may hold several patterns separated by ";".
// filterIndex (0-based) selects the entry shown first. initialPath: empty
// lets the toolkit choose the folder; one ending in a separator opens that
// folder with an empty name; any other opens its folder with the rest (the
// file name) filled in.
struct FileDialogRequest {
  Text title;
  Text initialPath;
  Text filter;
  int32_t filterIndex = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Opens the main window with the given client size and title: fixed size
  // (title bar with system menu and close box, no minimise or maximise box,
  // no sizing border), centred on the primary screen by its outer size,
  // shown at once, in the desktop's dialog colours and message font, and
  // accepting files dropped onto it (each drop yields a FileDropped event).
  // Returns 1 when it is open. When it cannot be opened, no other
  // operation may be called, and it returns 0 where the program is to end
  // quietly (a Windows session without a desktop, which nobody sees), or -1
  // after telling why on standard error (GTK without a display:
  // NoDisplayBefore and the display's name).
  virtual int32_t openWindow(int32_t clientWidth, int32_t clientHeight,
                             TextView title) = 0;

  // Create one control in the window. Ids are the shell's; each is created
  // once. Group frames are inert. A push button yields a Control event with
  // its id when clicked, or pressed from the keyboard while it has the
  // focus; its caption is shown as it is, with no mnemonic.
  virtual void createStaticText(int32_t id, ControlBox box, TextView text,
                                TextStyle style) = 0;
  virtual void createGroupFrame(int32_t id, ControlBox box,
                                TextView caption) = 0;
  virtual void createPushButton(int32_t id, ControlBox box,
                                TextView caption) = 0;

  // Gives a push button the name assistive technology (a screen reader)
  // uses for it in place of its caption, and a tooltip shown when the
  // pointer rests on it.
  virtual void describeControl(int32_t id, TextView accessibleName,
                               TextView tooltip) = 0;

  // Shows text in place of the control's current text (and, for a PathLine,
  // as its tooltip).
  virtual void setControlText(int32_t id, TextView text) = 0;

  // Gives the control the keyboard focus, so that Enter or Space presses it.
  virtual void focusControl(int32_t id) = 0;

  // From now on, Ctrl with the Latin letter (either case) pressed anywhere
  // in the main window yields event, whichever control has the focus.
  virtual void addShortcut(char16_t letter, ToolkitEvent event) = 0;

  // Blocks until the next event and returns it.
  virtual ToolkitEvent waitEvent() = 0;

  // Hands event to waitEvent, which returns it after the events already
  // waiting. The one operation that may be called from any thread, at any
  // time between openWindow and closeWindow: it wakes a waitEvent blocked on
  // the window's thread.
  virtual void postEvent(ToolkitEvent event) = 0;

  // Modal file dialogs over the main window. A typed name need not name an
  // existing file. The save dialog asks, in the desktop's own words, before
  // it accepts the name of an existing file, and adds no extension. Paths of
  // any length are taken whole.
  virtual FileChoice openFileDialog(const FileDialogRequest& request) = 0;
  virtual FileChoice saveFileDialog(const FileDialogRequest& request) = 0;

  // A modal message box over the main window with one OK button, at most
  // 600 design units wide: a long line wraps, at word boundaries where it
  // has them and anywhere else where it has none (a long path), so that no
  // character is cut off.
  virtual void messageBox(TextView title, TextView text, MessageIcon icon) = 0;

  // A modal question over the main window, laid out as messageBox is, with
  // the buttons confirm and cancel (shown as they are). cancel is the
  // default button; Escape and closing the box cancel. Returns 1 when the
  // user chose confirm, 0 otherwise.
  virtual int32_t questionBox(TextView title, TextView text, TextView confirm,
                              TextView cancel) = 0;

  // Asks the desktop shell to open folder with its default action (a file
  // manager window on it). The folder is handed over as one argument, never
  // through a shell command line. Does not wait for the file manager.
  // Returns 1 when the request was handed over; 0 with the reason in
  // *reason when it could not be (the opener is missing, say). Where the
  // program that takes the request can still fail after this returned 1
  // (xdg-open), its failure comes later as a FolderNotOpened event.
  virtual int32_t openFolder(TextView folder, Text* reason) = 0;

  // Asks the desktop to open a web address (http://...) in the default
  // browser, the address handed over as one argument. Does not wait for the
  // browser. Returns 1 when the request was handed over; 0 with the reason
  // in *reason when it could not be.
  virtual int32_t openAddress(TextView address, Text* reason) = 0;

  // Closes the main window and shuts the toolkit down. Called once, last.
  virtual void closeWindow() = 0;
};

// The desktop program's toolkit. Defined by the platform's adapter (GTK 3
// on Linux), which only the desktop program links.
std::unique_ptr<Toolkit> newDesktopToolkit();

// A modal message box with one OK button and no main window, for what the
// program must tell a person who started it without a console (a usage
// error when two files were dropped onto it). Shows nothing when there is
// no display. Defined by the platform's adapter.
void showMessageWithoutWindow(TextView title, TextView text, MessageIcon icon);

#endif  // FLOWSVG_DESKTOP_TOOLKIT_H_
