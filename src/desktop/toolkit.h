// The one small interface between the window shell and the outside world it
// shows itself through: a GUI toolkit (one fixed window, its controls, modal
// dialogs and message boxes, a blocking wait for the next event) and the
// desktop shell (opening a folder in the file manager).
//
// The shell (shell.h) is written against this interface only. The desktop
// program gets the wxWidgets implementation from newDesktopToolkit; the tests
// use the scripted in-memory FakeToolkit (fake_toolkit.h).
//
// Contract common to every operation: nothing is thrown and nothing is
// reported back beyond the plain results named below. Texts are shown
// literally: "&" is never a mnemonic marker, "~" is an ordinary character,
// and a CR (U+000D) starts a new line. Positions and sizes are pixels in the
// window's client area, origin at its top left corner, used unscaled.
#ifndef FLOWSVG_DESKTOP_TOOLKIT_H_
#define FLOWSVG_DESKTOP_TOOLKIT_H_

#include <cstdint>
#include <memory>

#include "text/strings.h"

// A control's place in the client area.
struct ControlBox {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

enum class MessageIcon { Warning, Error, Information };

enum class EventKind {
  CloseRequest,  // the close box, the system menu or the close shortcut
  Control,       // a push button was clicked or pressed from the keyboard
  Other,         // anything else; the shell ignores it
};

struct ToolkitEvent {
  EventKind kind = EventKind::Other;
  int32_t control = 0;  // the control's id for EventKind::Control, else 0
};

// What a file dialog is given. filter lists labels and patterns alternately,
// separated by "|"; one entry may hold several patterns separated by ";".
// filterIndex (0-based) selects the entry shown first. An initialPath ending
// in a separator opens that folder with an empty name; an empty one lets the
// toolkit choose the folder.
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
  // shown at once, in the desktop's dialog colours and message font. Returns
  // 1 when it is open; 0 when it cannot be opened (no display, for one), and
  // then no other operation may be called.
  virtual int32_t openWindow(int32_t clientWidth, int32_t clientHeight,
                             TextView title) = 0;

  // Create one control in the window. Ids are the shell's; each is created
  // once. Static texts are left-aligned and wrap at word boundaries within
  // their width; sunken gives one a sunken border. Group frames are inert.
  // A push button yields a Control event with its id when pressed.
  virtual void createStaticText(int32_t id, ControlBox box, TextView text,
                                bool sunken) = 0;
  virtual void createGroupFrame(int32_t id, ControlBox box,
                                TextView caption) = 0;
  virtual void createPushButton(int32_t id, ControlBox box,
                                TextView caption) = 0;

  // Shows text in place of the control's current text.
  virtual void setControlText(int32_t id, TextView text) = 0;

  // Blocks until the next event and returns it.
  virtual ToolkitEvent waitEvent() = 0;

  // Modal file dialogs over the main window. A typed name need not name an
  // existing file. The save dialog asks nothing when the file exists and
  // adds no extension. Both return the full path, or the empty text when
  // cancelled or failed.
  virtual Text openFileDialog(const FileDialogRequest& request) = 0;
  virtual Text saveFileDialog(const FileDialogRequest& request) = 0;

  // A modal message box over the main window with one OK button.
  virtual void messageBox(TextView title, TextView text, MessageIcon icon) = 0;

  // Asks the desktop shell to open folder with its default action (a file
  // manager window on it). The folder is handed over as one argument, never
  // through a shell command line. Does not wait; failures are not reported
  // and nothing is shown for them.
  virtual void openFolder(TextView folder) = 0;

  // Closes the main window and shuts the toolkit down. Called once, last.
  virtual void closeWindow() = 0;
};

// The desktop program's toolkit: wxWidgets for the window, xdg-open for the
// folder. Defined by the wxWidgets adapter, which only the desktop program
// links.
std::unique_ptr<Toolkit> newDesktopToolkit();

#endif  // FLOWSVG_DESKTOP_TOOLKIT_H_
