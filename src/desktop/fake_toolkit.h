// A scripted, in-memory Toolkit for the shell's tests.
//
// The script: whether the window opens, the events waitEvent hands out in
// order (each may run an action first, to change the file system between two
// commands), and the answers the file dialogs give in order. When the events
// run out, waitEvent answers with a close request; when the answers run out,
// a dialog answers as cancelled.
//
// The record: every call the shell made, in order, as one line each in log
// (control texts, message boxes, dialogs, folders opened), plus the created
// controls and the text each control shows now.
#ifndef FLOWSVG_DESKTOP_FAKE_TOOLKIT_H_
#define FLOWSVG_DESKTOP_FAKE_TOOLKIT_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "desktop/toolkit.h"
#include "text/strings.h"

class FakeToolkit : public Toolkit {
 public:
  enum class Kind { StaticText, SunkenStaticText, GroupFrame, PushButton };
  struct Control {
    int32_t id;
    Kind kind;
    ControlBox box;
    Text text;
  };

  // Script.
  int32_t windowOpens = 1;
  struct Step {
    ToolkitEvent event;
    std::function<void()> before;  // may be empty
  };
  std::deque<Step> steps;
  std::deque<Text> dialogAnswers;

  void click(int32_t id, std::function<void()> before = nullptr) {
    steps.push_back({{EventKind::Control, id}, std::move(before)});
  }
  void other() { steps.push_back({{EventKind::Other, 0}, nullptr}); }

  // Record.
  int32_t windowWidth = 0;
  int32_t windowHeight = 0;
  Text windowTitle;
  std::vector<Control> created;
  std::map<int32_t, Text> shown;
  std::vector<FileDialogRequest> dialogs;
  std::vector<Text> log;
  int32_t closed = 0;

  // Log lines: "text <id>: <text>", "box <icon>: <title>: <text>" with icon
  // "warning", "error" or "information", "open dialog", "save dialog",
  // "open folder: <folder>", "close".

  int32_t openWindow(int32_t clientWidth, int32_t clientHeight,
                     TextView title) override {
    windowWidth = clientWidth;
    windowHeight = clientHeight;
    windowTitle = Text(title);
    return windowOpens;
  }
  void createStaticText(int32_t id, ControlBox box, TextView text,
                        bool sunken) override {
    add(id, sunken ? Kind::SunkenStaticText : Kind::StaticText, box, text);
  }
  void createGroupFrame(int32_t id, ControlBox box, TextView caption) override {
    add(id, Kind::GroupFrame, box, caption);
  }
  void createPushButton(int32_t id, ControlBox box, TextView caption) override {
    add(id, Kind::PushButton, box, caption);
  }
  void setControlText(int32_t id, TextView text) override {
    shown[id] = Text(text);
    log.push_back(u"text " + formatInteger(id) + u": " + Text(text));
  }
  ToolkitEvent waitEvent() override {
    if (steps.empty()) return {EventKind::CloseRequest, 0};
    Step step = std::move(steps.front());
    steps.pop_front();
    if (step.before) step.before();
    return step.event;
  }
  Text openFileDialog(const FileDialogRequest& request) override {
    log.push_back(u"open dialog");
    return answer(request);
  }
  Text saveFileDialog(const FileDialogRequest& request) override {
    log.push_back(u"save dialog");
    return answer(request);
  }
  void messageBox(TextView title, TextView text, MessageIcon icon) override {
    const char16_t* name = icon == MessageIcon::Warning ? u"warning"
                           : icon == MessageIcon::Error ? u"error"
                                                        : u"information";
    log.push_back(u"box " + Text(name) + u": " + Text(title) + u": " +
                  Text(text));
  }
  void openFolder(TextView folder) override {
    log.push_back(u"open folder: " + Text(folder));
  }
  void closeWindow() override {
    ++closed;
    log.push_back(u"close");
  }

 private:
  void add(int32_t id, Kind kind, ControlBox box, TextView text) {
    created.push_back({id, kind, box, Text(text)});
    shown[id] = Text(text);
  }
  Text answer(const FileDialogRequest& request) {
    dialogs.push_back(request);
    if (dialogAnswers.empty()) return Text();
    Text path = std::move(dialogAnswers.front());
    dialogAnswers.pop_front();
    return path;
  }
};

#endif  // FLOWSVG_DESKTOP_FAKE_TOOLKIT_H_
