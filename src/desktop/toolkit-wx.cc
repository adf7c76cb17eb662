// The Toolkit on wxWidgets (GTK 3), and xdg-open for the desktop shell. The
// only file of the program that includes wx headers.
//
// wx is started lazily by openWindow (wxEntryStart, quietly, so that a
// missing display ends in a plain 0), and driven without wxApp::OnRun: a
// wxGUIEventLoop is made active and waitEvent dispatches on it until a
// button or close handler has queued an event for the shell. Close requests
// are vetoed and queued; the shell decides.
#include <wx/wx.h>
// wx/wx.h first: the headers below build on what it declares.
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

#include <deque>
#include <map>
#include <string>

#include "desktop/launch.h"
#include "desktop/toolkit.h"
#include "text/paths.h"
#include "text/utf8.h"

namespace {

// A Text as wx shows it: CR and CR LF become the newline wx breaks lines at.
wxString toWx(TextView text) {
  std::string bytes = encodeUtf8(text);
  std::string lines;
  lines.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      lines += '\n';
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      lines += bytes[i];
    }
  }
  return wxString::FromUTF8(lines.data(), lines.size());
}

Text fromWx(const wxString& text) {
  const wxScopedCharBuffer bytes = text.utf8_str();
  return decodeUtf8(std::string_view(bytes.data(), bytes.length()));
}

// Inner margin between the status area's sunken border and its text.
constexpr int kStatusPadding = 4;

class WxToolkit : public Toolkit {
 public:
  ~WxToolkit() override { shutDown(); }

  int32_t openWindow(int32_t clientWidth, int32_t clientHeight,
                     TextView title) override {
    static char programName[] = "flowsvg-desktop";
    static char* arguments[] = {programName, nullptr};
    int count = 1;
    wxApp::SetInstance(new wxApp());
    {
      wxLogNull quiet;
      if (!wxEntryStart(count, arguments)) return 0;
    }
    started_ = true;
    loop_ = new wxGUIEventLoop();
    wxEventLoopBase::SetActive(loop_);

    frame_ =
        new wxFrame(nullptr, wxID_ANY, toWx(title), wxDefaultPosition,
                    wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    frame_->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
      if (event.CanVeto()) event.Veto();
      queue_.push_back({EventKind::CloseRequest, 0});
    });
    frame_->Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
      queue_.push_back({EventKind::Control, event.GetId()});
    });
    panel_ = new wxPanel(frame_, wxID_ANY);
    frame_->SetClientSize(clientWidth, clientHeight);
    frame_->Centre(wxBOTH);
    frame_->Show();
    return 1;
  }

  void createStaticText(int32_t id, ControlBox box, TextView text,
                        bool sunken) override {
    wxWindow* parent = panel_;
    wxPoint at(box.x, box.y);
    wxSize size(box.width, box.height);
    if (sunken) {
      parent = new wxPanel(panel_, wxID_ANY, at, size, wxBORDER_SUNKEN);
      const wxSize inside = parent->GetClientSize();
      at = wxPoint(kStatusPadding, kStatusPadding);
      size = wxSize(inside.GetWidth() - 2 * kStatusPadding,
                    inside.GetHeight() - 2 * kStatusPadding);
    }
    auto* label = new wxStaticText(parent, id, wxEmptyString, at, size,
                                   wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    labels_[id] = label;
    setControlText(id, text);
  }

  void createGroupFrame(int32_t id, ControlBox box, TextView caption) override {
    auto* frame =
        new wxStaticBox(panel_, id, wxEmptyString, wxPoint(box.x, box.y),
                        wxSize(box.width, box.height));
    controls_[id] = frame;
    frame->SetLabelText(toWx(caption));
  }

  void createPushButton(int32_t id, ControlBox box, TextView caption) override {
    auto* button =
        new wxButton(panel_, id, wxEmptyString, wxPoint(box.x, box.y),
                     wxSize(box.width, box.height));
    controls_[id] = button;
    button->SetLabelText(toWx(caption));
  }

  void setControlText(int32_t id, TextView text) override {
    if (auto label = labels_.find(id); label != labels_.end()) {
      wxStaticText* control = label->second;
      control->SetLabelText(toWx(text));
      control->Wrap(control->GetSize().GetWidth());
      control->Update();
      return;
    }
    if (auto control = controls_.find(id); control != controls_.end()) {
      control->second->SetLabelText(toWx(text));
    }
  }

  ToolkitEvent waitEvent() override {
    while (queue_.empty()) {
      if (wxTheApp != nullptr) wxTheApp->ProcessPendingEvents();
      if (!queue_.empty()) break;
      loop_->Dispatch();
    }
    const ToolkitEvent event = queue_.front();
    queue_.pop_front();
    return event;
  }

  Text openFileDialog(const FileDialogRequest& request) override {
    return fileDialog(request, wxFD_OPEN);
  }

  Text saveFileDialog(const FileDialogRequest& request) override {
    return fileDialog(request, wxFD_SAVE);
  }

  void messageBox(TextView title, TextView text, MessageIcon icon) override {
    const long iconStyle = icon == MessageIcon::Warning ? wxICON_WARNING
                           : icon == MessageIcon::Error ? wxICON_ERROR
                                                        : wxICON_INFORMATION;
    // The generic dialog, since GTK's native one shows no icon. It escapes
    // the message's mnemonics itself, so an "&" stays as it is.
    wxGenericMessageDialog dialog(frame_, toWx(text), toWx(title),
                                  wxOK | iconStyle);
    dialog.ShowModal();
  }

  void openFolder(TextView folder) override {
    launchDetached({"xdg-open", nativePath(folder)});
  }

  void closeWindow() override { shutDown(); }

 private:
  Text fileDialog(const FileDialogRequest& request, long style) {
    const Text folder = folderPart(request.initialPath);
    const wxString name =
        toWx(TextView(request.initialPath).substr(folder.size()));
    wxFileDialog dialog(frame_, toWx(request.title), toWx(folder), name,
                        toWx(request.filter), style);
    dialog.SetFilterIndex(request.filterIndex);
    if (dialog.ShowModal() != wxID_OK) return Text();
    return fromWx(dialog.GetPath());
  }

  void shutDown() {
    if (!started_) return;
    started_ = false;
    if (frame_ != nullptr) frame_->Destroy();
    frame_ = nullptr;
    if (wxTheApp != nullptr) wxTheApp->ProcessIdle();
    wxEventLoopBase::SetActive(nullptr);
    delete loop_;
    loop_ = nullptr;
    wxEntryCleanup();
  }

  bool started_ = false;
  wxGUIEventLoop* loop_ = nullptr;
  wxFrame* frame_ = nullptr;
  wxPanel* panel_ = nullptr;
  std::map<int32_t, wxStaticText*> labels_;
  std::map<int32_t, wxControl*> controls_;
  std::deque<ToolkitEvent> queue_;
};

}  // namespace

std::unique_ptr<Toolkit> newDesktopToolkit() {
  return std::make_unique<WxToolkit>();
}
