// A scripted, in-memory Toolkit for the shell's tests.
//
// The script: whether the window opens, the events waitEvent hands out in
// order (each may run an action first, to change the file system between two
// commands), the answers the file dialogs give in order, the answers
// question boxes give in order, and the reasons for which folders cannot be
// opened, in order, and the reasons for which addresses cannot be opened,
// in order. When the events run out, waitEvent answers with a close
// request; when the dialog answers run out, a dialog answers as cancelled;
// when the question answers run out, a question is cancelled; when the
// folder or address reasons run out, a folder or address is opened. An
// event posted (postEvent) comes before the scripted ones left.
// A scripted shortcut press yields what the shell registered for the letter
// (Other when nothing), as the real window would.
//
// The record: every call the shell made, in order, as one line each in log
// (control texts, message and question boxes, dialogs, folders opened), plus
// the created controls, the text each control shows now, the focused
// control, the shortcuts and the buttons' accessible names and tooltips.
#ifndef FLOWSVG_DESKTOP_FAKE_TOOLKIT_H_
#define FLOWSVG_DESKTOP_FAKE_TOOLKIT_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "desktop/toolkit.h"
#include "base/strings.h"

class FakeToolkit : public Toolkit {
 public:
  struct Control {
    int32_t id;
    TextStyle style;  // for static texts
    enum class Kind { StaticText, GroupFrame, PushButton } kind;
    ControlBox box;
    Text text;
  };

  // Script.
  int32_t windowOpens = 1;
  struct Step {
    ToolkitEvent event;
    char16_t shortcut = 0;         // when set, the event is the shortcut's
    std::function<void()> before;  // may be empty
  };
  std::deque<Step> steps;
  std::deque<FileChoice> dialogAnswers;
  std::deque<int32_t> questionAnswers;
  std::deque<Text> folderFailures;
  std::deque<Text> addressFailures;

  void click(int32_t id, std::function<void()> before = nullptr) {
    steps.push_back(
        {ToolkitEvent::of(EventKind::Control, id), 0, std::move(before)});
  }
  void press(char16_t letter, std::function<void()> before = nullptr) {
    steps.push_back({ToolkitEvent(), letter, std::move(before)});
  }
  void drop(FileChoice dropped, std::function<void()> before = nullptr) {
    ToolkitEvent event = ToolkitEvent::of(EventKind::FileDropped);
    event.dropped = std::move(dropped);
    steps.push_back({std::move(event), 0, std::move(before)});
  }
  void other() { steps.push_back({ToolkitEvent(), 0, nullptr}); }
  // The program started for an earlier openFolder failed after all.
  void folderNotOpened(const Text& folder, const Text& reason) {
    ToolkitEvent event;
    event.kind = EventKind::FolderNotOpened;
    event.folder = folder;
    event.reason = reason;
    steps.push_back({event, 0, nullptr});
  }
  // The previewed description was saved, as the preview's watch posts it.
  void saved(std::function<void()> before = nullptr) {
    steps.push_back(
        {ToolkitEvent::of(EventKind::InputSaved), 0, std::move(before)});
  }
  // A dialog's answer: the chosen path, or cancelled when empty.
  void answer(const Text& path) {
    dialogAnswers.push_back({path.empty() ? FileChoice::Outcome::Cancelled
                                          : FileChoice::Outcome::Chosen,
                             path});
  }

  // Record.
  int32_t windowWidth = 0;
  int32_t windowHeight = 0;
  Text windowTitle;
  std::vector<Control> created;
  std::map<int32_t, Text> shown;
  std::map<char16_t, ToolkitEvent> shortcuts;
  struct Description {
    Text accessibleName;
    Text tooltip;
  };
  std::map<int32_t, Description> descriptions;
  int32_t focused = 0;
  std::vector<FileDialogRequest> dialogs;
  std::vector<Text> log;
  int32_t closed = 0;
  std::deque<ToolkitEvent> posted;

  // Log lines: "text <id>: <text>", "box <icon>: <title>: <text>" with icon
  // "warning", "error" or "information", "question: <title>: <text>
  // [<confirm>|<cancel>]", "open dialog", "save dialog", "open folder:
  // <folder>", "open address: <address>", "posted: <kind>", "close".

  int32_t openWindow(int32_t clientWidth, int32_t clientHeight,
                     TextView title) override {
    windowWidth = clientWidth;
    windowHeight = clientHeight;
    windowTitle = Text(title);
    return windowOpens;
  }
  void createStaticText(int32_t id, ControlBox box, TextView text,
                        TextStyle style) override {
    add(id, Control::Kind::StaticText, style, box, text);
  }
  void createGroupFrame(int32_t id, ControlBox box, TextView caption) override {
    add(id, Control::Kind::GroupFrame, TextStyle::Wrapped, box, caption);
  }
  void createPushButton(int32_t id, ControlBox box, TextView caption) override {
    add(id, Control::Kind::PushButton, TextStyle::Wrapped, box, caption);
  }
  void describeControl(int32_t id, TextView accessibleName,
                       TextView tooltip) override {
    descriptions[id] = {Text(accessibleName), Text(tooltip)};
  }
  void setControlText(int32_t id, TextView text) override {
    shown[id] = Text(text);
    log.push_back(u"text " + formatInteger(id) + u": " + Text(text));
  }
  void focusControl(int32_t id) override { focused = id; }
  void addShortcut(char16_t letter, ToolkitEvent event) override {
    shortcuts[letter] = event;
  }
  ToolkitEvent waitEvent() override {
    if (!posted.empty()) {
      ToolkitEvent event = std::move(posted.front());
      posted.pop_front();
      return event;
    }
    if (steps.empty()) return ToolkitEvent::of(EventKind::CloseRequest);
    Step step = std::move(steps.front());
    steps.pop_front();
    if (step.before) step.before();
    if (step.shortcut != 0) {
      const auto found = shortcuts.find(step.shortcut);
      return found != shortcuts.end() ? found->second : ToolkitEvent();
    }
    return step.event;
  }
  void postEvent(ToolkitEvent event) override {
    log.push_back(u"posted: " + formatInteger(static_cast<int>(event.kind)));
    posted.push_back(std::move(event));
  }
  FileChoice openFileDialog(const FileDialogRequest& request) override {
    log.push_back(u"open dialog");
    return next(request);
  }
  FileChoice saveFileDialog(const FileDialogRequest& request) override {
    log.push_back(u"save dialog");
    return next(request);
  }
  void messageBox(TextView title, TextView text, MessageIcon icon) override {
    const char16_t* name = icon == MessageIcon::Warning ? u"warning"
                           : icon == MessageIcon::Error ? u"error"
                                                        : u"information";
    log.push_back(u"box " + Text(name) + u": " + Text(title) + u": " +
                  Text(text));
  }
  int32_t questionBox(TextView title, TextView text, TextView confirm,
                      TextView cancel) override {
    log.push_back(u"question: " + Text(title) + u": " + Text(text) + u" [" +
                  Text(confirm) + u"|" + Text(cancel) + u"]");
    if (questionAnswers.empty()) return 0;
    const int32_t answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
  }
  int32_t openFolder(TextView folder, Text* reason) override {
    log.push_back(u"open folder: " + Text(folder));
    if (folderFailures.empty()) return 1;
    *reason = folderFailures.front();
    folderFailures.pop_front();
    return 0;
  }
  int32_t openAddress(TextView address, Text* reason) override {
    log.push_back(u"open address: " + Text(address));
    if (addressFailures.empty()) return 1;
    *reason = addressFailures.front();
    addressFailures.pop_front();
    return 0;
  }
  void closeWindow() override {
    ++closed;
    log.push_back(u"close");
  }

 private:
  void add(int32_t id, Control::Kind kind, TextStyle style, ControlBox box,
           TextView text) {
    created.push_back({id, style, kind, box, Text(text)});
    shown[id] = Text(text);
  }
  FileChoice next(const FileDialogRequest& request) {
    dialogs.push_back(request);
    if (dialogAnswers.empty()) return FileChoice();
    FileChoice choice = std::move(dialogAnswers.front());
    dialogAnswers.pop_front();
    return choice;
  }
};

#endif  // FLOWSVG_DESKTOP_FAKE_TOOLKIT_H_
