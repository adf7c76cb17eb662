// The Toolkit on GTK 3, and xdg-open for the desktop shell. The only file
// of the program that includes GTK headers.
//
// GTK is started by openWindow (gtk_init_check, so that a missing display
// is told in one line and a -1) and driven without gtk_main: waitEvent runs
// the main loop one iteration at a time until a button, shortcut, drop,
// close or child-watch handler has queued an event for the shell, or
// another thread has posted one (postEvent wakes the loop). Close
// requests are refused and queued; the shell decides.
//
// The window's icon is the installed one, by its name in the icon theme;
// a program that is not installed uses the same icon built into it
// (window_icon.gresource.xml).
//
// Sizes: every design unit is multiplied by scale_, how much larger text in
// the interface font is than in the design font ("Sans 10" at 96 DPI), never
// below 1: the largest of the ratios of a sample line's width and height,
// and of each one-line caption's width to its box's where the caption fits
// the box at the design font (hinting makes widths grow a little faster
// than the font). With GTK's defaults the two fonts are the same at the
// same resolution, so the factor is exactly 1. The window is laid out and
// shown once its controls are made, before the first event or box.
#include <fnmatch.h>
#include <gtk/gtk.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/launch.h"
#include "desktop/toolkit.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "base/utf8.h"
#include "base/wording.h"
#include "serve/browser.h"

// Makes the built-in icon's resources (glib-compile-resources) known.
void flowsvg_icon_register_resource(void);

namespace {

// A Text as GTK shows it: UTF-8, CR and CR LF made the newline GTK breaks
// lines at, and each byte of a name that is not UTF-8 as U+FFFD (the shell
// shows names through shownPath, so such a byte only reaches here in a
// name the user typed into no dialog; this keeps GTK's input valid).
std::string toGtk(TextView text) {
  Text lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      lines += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      lines += text[i];
    }
  }
  std::string bytes = encodeUtf8(lines);
  const char* end = nullptr;
  if (g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), &end)) {
    return bytes;
  }
  gchar* valid = g_utf8_make_valid(bytes.data(), -1);
  std::string made(valid);
  g_free(valid);
  return made;
}

// Inner margin between the status area's sunken border and its text, and
// the margins of a message box, in design units.
constexpr int kStatusPadding = 4;
constexpr int kBoxMargin = 12;
constexpr int kBoxWidth = 600;

// The first icon of the theme that exists: the full-colour one, else its
// symbolic form.
const char* themeIcon(const char* full, const char* symbolic) {
  return gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), full) ? full
                                                                     : symbolic;
}

// The resource folder of the built-in icon's PNG images, and their sizes.
constexpr char kIconResources[] = "/io/github/flowsvg/FlowsvgDesktop/";
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128};

// The PNG image of a resource, for the caller to unref; nullptr when it
// cannot be read. Read as PNG by name, not by guessing its type, which
// needs the desktop's MIME database.
GdkPixbuf* pngFromResource(const char* path) {
  GBytes* bytes =
      g_resources_lookup_data(path, G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
  if (bytes == nullptr) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
  GdkPixbuf* image = nullptr;
  if (loader != nullptr) {
    gsize size = 0;
    const auto* data =
        static_cast<const guchar*>(g_bytes_get_data(bytes, &size));
    if (gdk_pixbuf_loader_write(loader, data, size, nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr)) {
      image = gdk_pixbuf_loader_get_pixbuf(loader);
      if (image != nullptr) g_object_ref(image);
    } else {
      gdk_pixbuf_loader_close(loader, nullptr);
    }
    g_object_unref(loader);
  }
  g_bytes_unref(bytes);
  return image;
}

// Gives every window of the program its icon: the installed one by name
// when the icon theme has it, else the built-in images.
void setProgramIcon() {
  if (gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), ApplicationId)) {
    gtk_window_set_default_icon_name(ApplicationId);
    return;
  }
  flowsvg_icon_register_resource();
  GList* images = nullptr;
  for (const int size : kIconSizes) {
    const std::string path =
        std::string(kIconResources) + "icon-" + std::to_string(size) + ".png";
    GdkPixbuf* image = pngFromResource(path.c_str());
    if (image != nullptr) images = g_list_append(images, image);
  }
  gtk_window_set_default_icon_list(images);
  g_list_free_full(images, g_object_unref);
}

// What a program's wait status says went wrong, as the reason after
// OpenFolderFailureCaption; empty when it ended well.
Text openerFailure(int status) {
  int code = 0;
  if (WIFEXITED(status)) {
    code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    code = 128 + WTERMSIG(status);  // as a shell counts it
  }
  if (code == 0) return Text();
  Text reason = Text(wording::OpenerStatusBefore) + formatInteger(code);
  if (code < static_cast<int>(std::size(wording::OpenerStatusMeanings))) {
    reason += wording::OpenerStatusMeanings[code];
  }
  return reason;
}

// Puts NoDisplayBefore and the display's name on standard error.
void tellNoDisplay() {
  const char* name = std::getenv("DISPLAY");
  const Text shown = name != nullptr ? shownPath(decodeUtf8Escaped(name))
                                     : Text(wording::DisplayUnset);
  writeToStream(StandardStream::Error,
                Text(wording::NoDisplayBefore) + shown + u"\n");
}

const char* iconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning:
      return themeIcon("dialog-warning", "dialog-warning-symbolic");
    case MessageIcon::Error:
      return themeIcon("dialog-error", "dialog-error-symbolic");
    default:
      return themeIcon("dialog-information", "dialog-information-symbolic");
  }
}

// The pixel size of text on one line in the context's resolution, in font
// (the context's own when null).
void measureText(PangoContext* context, const char* font, const char* text,
                 int& width, int& height) {
  PangoLayout* layout = pango_layout_new(context);
  if (font != nullptr) {
    PangoFontDescription* description =
        pango_font_description_from_string(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
  }
  pango_layout_set_text(layout, text, -1);
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
}

class GtkToolkit : public Toolkit {
 public:
  ~GtkToolkit() override { shutDown(); }

  int32_t openWindow(int32_t clientWidth, int32_t clientHeight,
                     TextView title) override {
    // The application id names the program to the desktop, and on X11 is
    // both parts of WM_CLASS, so a desktop entry's StartupWMClass matches.
    g_set_prgname(ApplicationId);
    if (!gtk_init_check(nullptr, nullptr)) {
      tellNoDisplay();
      return -1;
    }
    // After GTK's start-up, which sets the class from the program name with
    // its first letter made upper case.
    gdk_set_program_class(ApplicationId);
    setProgramIcon();

    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    scale_ = measureScale(window_);
    gtk_window_set_title(GTK_WINDOW(window_), toGtk(title).c_str());
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
    g_signal_connect(window_, "configure-event", G_CALLBACK(onConfigure), this);
    g_signal_connect(window_, "realize", G_CALLBACK(onRealize), nullptr);
    gtk_drag_dest_set(window_, GTK_DEST_DEFAULT_ALL, nullptr, 0,
                      GDK_ACTION_COPY);
    gtk_drag_dest_add_uri_targets(window_);
    g_signal_connect(window_, "drag-data-received", G_CALLBACK(onDrop), this);

    // Controls sit at exact places on a GtkLayout: unlike a GtkFixed, its
    // size is the one it is given, never derived from what its children
    // would like (a wrapping label's natural width, say).
    layout_ = gtk_layout_new(nullptr, nullptr);
    // The tooltips of the path lines and the buttons are asked of the
    // layout: GTK looks for the widget under the pointer among the layout's
    // children in the order they were added, so the group frames, added
    // first to be drawn beneath, would hide the controls inside them.
    gtk_widget_set_has_tooltip(layout_, TRUE);
    g_signal_connect(layout_, "query-tooltip", G_CALLBACK(onTooltip), this);
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    gtk_container_add(GTK_CONTAINER(window_), layout_);
    return 1;
  }

  void createStaticText(int32_t id, ControlBox box, TextView text,
                        TextStyle style) override {
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    if (style == TextStyle::PathLine) {
      gtk_label_set_single_line_mode(GTK_LABEL(label), TRUE);
      gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
      pathLines_[id] = label;
    } else {
      gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
      gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    }
    if (style == TextStyle::Wrapped) fitCaption(label, text, box.width);
    labels_[id] = label;
    GtkWidget* placed = label;
    if (style == TextStyle::Sunken) {
      placed = gtk_frame_new(nullptr);
      gtk_frame_set_shadow_type(GTK_FRAME(placed), GTK_SHADOW_IN);
      const int padding = scaled(kStatusPadding);
      gtk_widget_set_margin_start(label, padding);
      gtk_widget_set_margin_end(label, padding);
      gtk_widget_set_margin_top(label, padding);
      gtk_widget_set_margin_bottom(label, padding);
      gtk_container_add(GTK_CONTAINER(placed), label);
    }
    place(placed, box);
    setControlText(id, text);
  }

  void createGroupFrame(int32_t id, ControlBox box, TextView caption) override {
    GtkWidget* frame = gtk_frame_new(nullptr);
    // A plain label: no markup, no mnemonic.
    GtkWidget* label = gtk_label_new(toGtk(caption).c_str());
    gtk_frame_set_label_widget(GTK_FRAME(frame), label);
    labels_[id] = label;
    place(frame, box);
  }

  void createPushButton(int32_t id, ControlBox box, TextView caption) override {
    GtkWidget* button = gtk_button_new_with_label(toGtk(caption).c_str());
    gtk_button_set_use_underline(GTK_BUTTON(button), FALSE);
    g_object_set_data(G_OBJECT(button), "flowsvg-id", GINT_TO_POINTER(id));
    g_signal_connect(button, "clicked", G_CALLBACK(onClicked), this);
    buttons_[id] = button;
    place(button, box);
  }

  void describeControl(int32_t id, TextView accessibleName,
                       TextView tooltip) override {
    const auto button = buttons_.find(id);
    if (button == buttons_.end()) return;
    AtkObject* accessible = gtk_widget_get_accessible(button->second);
    atk_object_set_name(accessible, toGtk(accessibleName).c_str());
    // A screen reader reads the tooltip as the button's description; the
    // layout shows it (onTooltip).
    const std::string tip = toGtk(tooltip);
    atk_object_set_description(accessible, tip.c_str());
    tips_[button->second] = tip;
  }

  void setControlText(int32_t id, TextView text) override {
    const std::string shown = toGtk(text);
    if (auto label = labels_.find(id); label != labels_.end()) {
      gtk_label_set_text(GTK_LABEL(label->second), shown.c_str());
    } else if (auto button = buttons_.find(id); button != buttons_.end()) {
      gtk_button_set_label(GTK_BUTTON(button->second), shown.c_str());
    }
    // Show it now: a command may run a while before the loop paints again.
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }

  void focusControl(int32_t id) override {
    show();
    if (auto button = buttons_.find(id); button != buttons_.end()) {
      gtk_widget_grab_focus(button->second);
    }
  }

  void addShortcut(char16_t letter, ToolkitEvent event) override {
    if (letter >= u'a' && letter <= u'z') letter -= u'a' - u'A';
    shortcuts_[static_cast<guint>(GDK_KEY_A + (letter - u'A'))] = event;
  }

  ToolkitEvent waitEvent() override {
    show();
    for (;;) {
      takePosted();
      if (!queue_.empty()) break;
      // A post after takePosted wakes this iteration (the wakeup stays
      // until the loop polls).
      gtk_main_iteration_do(TRUE);
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
    g_main_context_wakeup(nullptr);
  }

  FileChoice openFileDialog(const FileDialogRequest& request) override {
    return fileDialog(request, GTK_FILE_CHOOSER_ACTION_OPEN, "Open");
  }

  FileChoice saveFileDialog(const FileDialogRequest& request) override {
    return fileDialog(request, GTK_FILE_CHOOSER_ACTION_SAVE, "Save");
  }

  void messageBox(TextView title, TextView text, MessageIcon icon) override {
    show();
    GtkWidget* dialog = newBox(title, text, iconName(icon));
    GtkWidget* ok = addBoxButton(dialog, u"OK", GTK_RESPONSE_OK);
    gtk_widget_grab_default(ok);
    gtk_widget_grab_focus(ok);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
  }

  int32_t questionBox(TextView title, TextView text, TextView confirm,
                      TextView cancel) override {
    show();
    GtkWidget* dialog = newBox(
        title, text, themeIcon("dialog-question", "dialog-question-symbolic"));
    addBoxButton(dialog, confirm, GTK_RESPONSE_ACCEPT);
    GtkWidget* no = addBoxButton(dialog, cancel, GTK_RESPONSE_CANCEL);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    gtk_widget_grab_focus(no);
    // Escape and the close box answer GTK_RESPONSE_DELETE_EVENT.
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response == GTK_RESPONSE_ACCEPT ? 1 : 0;
  }

  int32_t openFolder(TextView folder, Text* reason) override {
    const int64_t process =
        launchProgram({"xdg-open", nativePath(folder)}, reason);
    if (process == 0) return 0;
    // xdg-open may find no program for folders, or the one it runs may
    // fail: its exit status, whenever it comes, tells.
    auto* watch = new OpenerWatch{this, Text(folder)};
    openers_.push_back(watch);
    g_child_watch_add_full(G_PRIORITY_DEFAULT, static_cast<GPid>(process),
                           onOpenerEnded, watch, deleteOpenerWatch);
    return 1;
  }

  int32_t openAddress(TextView address, Text* reason) override {
    // xdg-open, reaped by a thread of its own.
    const Status opened = openInBrowser(Text(address));
    if (opened.ok()) return 1;
    *reason = opened.reason();
    return 0;
  }

  void closeWindow() override { shutDown(); }

 private:
  // A context at the design resolution, rendering as interface does.
  static PangoContext* newDesignContext(PangoContext* interface) {
    PangoContext* design =
        pango_font_map_create_context(pango_cairo_font_map_get_default());
    pango_cairo_context_set_resolution(design, 96.0);
    pango_cairo_context_set_font_options(
        design, pango_cairo_context_get_font_options(interface));
    return design;
  }

  // How much larger the interface text is than the design text: the
  // larger of the ratios of a sample line's width and height; never below 1.
  static double measureScale(GtkWidget* widget) {
    PangoContext* interface = gtk_widget_get_pango_context(widget);
    PangoContext* design = newDesignContext(interface);
    constexpr char kSample[] =
        "The quick brown fox jumps over the lazy dog. 0123456789";
    int designWidth = 0;
    int designHeight = 0;
    int width = 0;
    int height = 0;
    measureText(design, "Sans 10", kSample, designWidth, designHeight);
    measureText(interface, nullptr, kSample, width, height);
    g_object_unref(design);
    double scale = 1.0;
    if (designWidth > 0) scale = std::max(scale, double(width) / designWidth);
    if (designHeight > 0) {
      scale = std::max(scale, double(height) / designHeight);
    }
    return scale;
  }

  int scaled(int units) const {
    return static_cast<int>(std::lround(units * scale_));
  }

  void place(GtkWidget* widget, ControlBox box) {
    placed_.push_back({widget, box});
    gtk_layout_put(GTK_LAYOUT(layout_), widget, 0, 0);
  }

  // Grows scale_ so that a caption line that fits width at the design font
  // fits it scaled at the interface font.
  void fitCaption(GtkWidget* label, TextView text, int32_t width) {
    if (width <= 0) return;
    const std::string shown = toGtk(text);
    PangoContext* interface = gtk_widget_get_pango_context(label);
    PangoContext* design = newDesignContext(interface);
    size_t start = 0;
    while (start <= shown.size()) {
      size_t end = shown.find('\n', start);
      if (end == std::string::npos) end = shown.size();
      const std::string line = shown.substr(start, end - start);
      int designWidth = 0;
      int interfaceWidth = 0;
      int height = 0;
      measureText(design, "Sans 10", line.c_str(), designWidth, height);
      measureText(interface, nullptr, line.c_str(), interfaceWidth, height);
      if (designWidth <= width) {
        scale_ = std::max(scale_, double(interfaceWidth) / width);
      }
      start = end + 1;
    }
    g_object_unref(design);
  }

  // Lays the controls out at scale_ and shows the window, centred; once.
  void show() {
    if (shown_ || window_ == nullptr) return;
    shown_ = true;
    const int width = scaled(clientWidth_);
    const int height = scaled(clientHeight_);
    gtk_widget_set_size_request(layout_, width, height);
    gtk_layout_set_size(GTK_LAYOUT(layout_), width, height);
    // Both edges of a box are scaled, so that controls that meet in design
    // units still meet.
    for (const Placed& p : placed_) {
      const int left = scaled(p.box.x);
      const int top = scaled(p.box.y);
      gtk_widget_set_size_request(p.widget,
                                  scaled(p.box.x + p.box.width) - left,
                                  scaled(p.box.y + p.box.height) - top);
      gtk_layout_move(GTK_LAYOUT(layout_), p.widget, left, top);
    }
    // A first place from the client size; onConfigure centres the outer
    // size once the window manager has framed the window.
    placeWindow(width, height);
    gtk_widget_show_all(window_);
  }

  // Moves the window so that an outer size of width x height is centred on
  // the primary monitor (at its top left corner where it is the larger).
  void placeWindow(int width, int height) {
    GdkDisplay* display = gtk_widget_get_display(window_);
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
    if (monitor == nullptr) return;
    GdkRectangle screen;
    gdk_monitor_get_geometry(monitor, &screen);
    gtk_window_move(GTK_WINDOW(window_),
                    screen.x + std::max(0, (screen.width - width) / 2),
                    screen.y + std::max(0, (screen.height - height) / 2));
  }

  static void onRealize(GtkWidget* widget, gpointer) {
    // A title bar with the system menu and the close box; no minimise or
    // maximise box and no sizing border.
    GdkWindow* gdk = gtk_widget_get_window(widget);
    gdk_window_set_decorations(
        gdk, static_cast<GdkWMDecoration>(GDK_DECOR_BORDER | GDK_DECOR_TITLE |
                                          GDK_DECOR_MENU));
    gdk_window_set_functions(
        gdk, static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
  }

  static gboolean onConfigure(GtkWidget* widget, GdkEventConfigure*,
                              gpointer self) {
    auto* toolkit = static_cast<GtkToolkit*>(self);
    GdkRectangle frame;
    gdk_window_get_frame_extents(gtk_widget_get_window(widget), &frame);
    // Centre again whenever the outer size changes (the window manager's
    // frame arrives after the window is mapped); a move alone changes
    // nothing, so this settles at once.
    if (frame.width != toolkit->outerWidth_ ||
        frame.height != toolkit->outerHeight_) {
      toolkit->outerWidth_ = frame.width;
      toolkit->outerHeight_ = frame.height;
      toolkit->placeWindow(frame.width, frame.height);
    }
    return FALSE;
  }

  static gboolean onTooltip(GtkWidget*, gint x, gint y, gboolean,
                            GtkTooltip* tooltip, gpointer self) {
    auto* toolkit = static_cast<GtkToolkit*>(self);
    for (const auto& [id, label] : toolkit->pathLines_) {
      GtkAllocation box;
      gtk_widget_get_allocation(label, &box);
      // The label holds the whole path; it only shows it shortened.
      const char* text = gtk_label_get_text(GTK_LABEL(label));
      if (*text != 0 && x >= box.x && x < box.x + box.width && y >= box.y &&
          y < box.y + box.height) {
        gtk_tooltip_set_text(tooltip, text);
        gtk_tooltip_set_tip_area(tooltip, &box);
        return TRUE;
      }
    }
    for (const auto& [button, tip] : toolkit->tips_) {
      GtkAllocation box;
      gtk_widget_get_allocation(button, &box);
      if (x >= box.x && x < box.x + box.width && y >= box.y &&
          y < box.y + box.height) {
        gtk_tooltip_set_text(tooltip, tip.c_str());
        gtk_tooltip_set_tip_area(tooltip, &box);
        return TRUE;
      }
    }
    return FALSE;
  }

  // Moves the events other threads posted to the queue.
  void takePosted() {
    std::lock_guard<std::mutex> hold(postedLock_);
    while (!posted_.empty()) {
      queue_.push_back(std::move(posted_.front()));
      posted_.pop_front();
    }
  }

  // A folder handed to xdg-open, until xdg-open ends.
  struct OpenerWatch {
    GtkToolkit* toolkit;
    Text folder;
  };

  static void onOpenerEnded(GPid process, gint status, gpointer data) {
    g_spawn_close_pid(process);
    auto* watch = static_cast<OpenerWatch*>(data);
    const Text reason = openerFailure(status);
    // Nobody to tell once the window is gone.
    if (reason.empty() || watch->toolkit == nullptr) return;
    ToolkitEvent event = ToolkitEvent::of(EventKind::FolderNotOpened);
    event.folder = watch->folder;
    event.reason = reason;
    watch->toolkit->queue_.push_back(event);
  }

  static void deleteOpenerWatch(gpointer data) {
    auto* watch = static_cast<OpenerWatch*>(data);
    if (watch->toolkit != nullptr) {
      auto& openers = watch->toolkit->openers_;
      openers.erase(std::remove(openers.begin(), openers.end(), watch),
                    openers.end());
    }
    delete watch;
  }

  static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkToolkit*>(self)->queue_.push_back(
        ToolkitEvent::of(EventKind::CloseRequest));
    return TRUE;  // the shell closes the window
  }

  static gboolean onKey(GtkWidget*, GdkEventKey* key, gpointer self) {
    auto* toolkit = static_cast<GtkToolkit*>(self);
    const GdkModifierType modifiers = static_cast<GdkModifierType>(
        key->state & gtk_accelerator_get_default_mod_mask());
    if (modifiers != GDK_CONTROL_MASK) return FALSE;
    const auto found =
        toolkit->shortcuts_.find(gdk_keyval_to_upper(key->keyval));
    if (found == toolkit->shortcuts_.end()) return FALSE;
    toolkit->queue_.push_back(found->second);
    return TRUE;
  }

  static void onClicked(GtkButton* button, gpointer self) {
    const int32_t id =
        GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "flowsvg-id"));
    static_cast<GtkToolkit*>(self)->queue_.push_back(
        ToolkitEvent::of(EventKind::Control, id));
  }

  static void onDrop(GtkWidget*, GdkDragContext*, gint, gint,
                     GtkSelectionData* data, guint, guint, gpointer self) {
    gchar** uris = gtk_selection_data_get_uris(data);
    if (uris == nullptr || uris[0] == nullptr) {
      g_strfreev(uris);
      return;
    }
    ToolkitEvent event;
    event.kind = EventKind::FileDropped;
    event.dropped = choiceOfUri(uris[0]);
    g_strfreev(uris);
    static_cast<GtkToolkit*>(self)->queue_.push_back(event);
  }

  // A local file's path, its bytes kept; anything else NotLocal.
  static FileChoice choiceOfUri(const char* uri) {
    FileChoice choice;
    gchar* name = g_filename_from_uri(uri, nullptr, nullptr);
    if (name != nullptr) {
      choice.outcome = FileChoice::Outcome::Chosen;
      choice.path = textFromNativePath(name);
      g_free(name);
    } else {
      choice.outcome = FileChoice::Outcome::NotLocal;
      choice.path = textFromNativePath(uri);
    }
    return choice;
  }

  FileChoice fileDialog(const FileDialogRequest& request,
                        GtkFileChooserAction action, const char* accept) {
    show();
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        toGtk(request.title).c_str(), GTK_WINDOW(window_), action, "Cancel",
        GTK_RESPONSE_CANCEL, accept, GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    // The save dialog asks before it accepts an existing file.
    gtk_file_chooser_set_do_overwrite_confirmation(
        chooser, action == GTK_FILE_CHOOSER_ACTION_SAVE);
    addFilters(chooser, request.filter, request.filterIndex);

    const Text folder = folderPart(request.initialPath);
    const Text name(TextView(request.initialPath).substr(folder.size()));
    if (!folder.empty()) {
      gtk_file_chooser_set_current_folder(chooser, nativePath(folder).c_str());
    }
    if (!name.empty()) {
      const std::string path = nativePath(request.initialPath);
      // An existing file is selected by its very bytes; a new name is typed
      // in for the user.
      if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS) ||
          !gtk_file_chooser_set_filename(chooser, path.c_str())) {
        if (action == GTK_FILE_CHOOSER_ACTION_SAVE) {
          gtk_file_chooser_set_current_name(chooser,
                                            toGtk(shownPath(name)).c_str());
        }
      }
    }

    FileChoice choice;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
      gchar* filename = gtk_file_chooser_get_filename(chooser);
      if (filename != nullptr) {
        choice.outcome = FileChoice::Outcome::Chosen;
        choice.path = textFromNativePath(realName(filename));
        g_free(filename);
      } else {
        gchar* uri = gtk_file_chooser_get_uri(chooser);
        if (uri != nullptr) {
          choice.outcome = FileChoice::Outcome::NotLocal;
          choice.path = textFromNativePath(uri);
          g_free(uri);
        }
      }
    }
    gtk_widget_destroy(dialog);
    return choice;
  }

  static gboolean matchesPattern(const GtkFileFilterInfo* info, gpointer data) {
    const auto* patterns = static_cast<std::vector<std::string>*>(data);
    std::string name;
    if (info->filename != nullptr) {
      name = info->filename;
      name.erase(0, name.rfind('/') + 1);
    } else if (info->display_name != nullptr) {
      name = info->display_name;
    }
    for (const std::string& pattern : *patterns) {
      if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
        return TRUE;
      }
    }
    return FALSE;
  }

  static void deletePatterns(gpointer data) {
    delete static_cast<std::vector<std::string>*>(data);
  }

  // The name of the file the user meant by filename. The chooser's location
  // entry completes a name that is not UTF-8 with its display name
  // ("caf\xef\xbf\xbd.txt (invalid encoding)"), which names no file: where
  // filename does not exist and exactly one file in its folder has that
  // display name, that file's own name is meant.
  static std::string realName(const char* filename) {
    if (g_file_test(filename, G_FILE_TEST_EXISTS)) return filename;
    GFile* file = g_file_new_for_path(filename);
    GFile* folder = g_file_get_parent(file);
    gchar* typed = g_file_get_basename(file);
    std::string found;
    int matches = 0;
    GFileEnumerator* entries =
        folder == nullptr ? nullptr
                          : g_file_enumerate_children(
                                folder,
                                G_FILE_ATTRIBUTE_STANDARD_NAME
                                "," G_FILE_ATTRIBUTE_STANDARD_DISPLAY_NAME,
                                G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    if (entries != nullptr) {
      while (GFileInfo* info =
                 g_file_enumerator_next_file(entries, nullptr, nullptr)) {
        const char* shown = g_file_info_get_display_name(info);
        if (typed != nullptr && shown != nullptr &&
            std::string(shown) == typed) {
          gchar* path = g_build_filename(g_file_peek_path(folder),
                                         g_file_info_get_name(info), nullptr);
          found = path;
          g_free(path);
          ++matches;
        }
        g_object_unref(info);
      }
      g_object_unref(entries);
    }
    g_free(typed);
    if (folder != nullptr) g_object_unref(folder);
    g_object_unref(file);
    return matches == 1 ? found : std::string(filename);
  }

  // The "|"-separated label and pattern pairs as the chooser's filters, the
  // one at index selected.
  static void addFilters(GtkFileChooser* chooser, TextView filter,
                         int32_t index) {
    const int32_t parts = countText(filter, u"|") + 1;
    for (int32_t i = 1; i + 1 <= parts; i += 2) {
      GtkFileFilter* entry = gtk_file_filter_new();
      gtk_file_filter_set_name(entry, toGtk(fieldAt(filter, i, u"|")).c_str());
      // Matched against the name's own bytes: GTK's patterns match the
      // display name, which for a name that is not UTF-8 ends in
      // " (invalid encoding)" and so would hide "caf\xe9.txt" from "*.txt".
      auto* patterns = new std::vector<std::string>;
      const Text list = fieldAt(filter, i + 1, u"|");
      const int32_t count = countText(list, u";") + 1;
      for (int32_t k = 1; k <= count; ++k) {
        const Text pattern = fieldAt(list, k, u";");
        // "*.*" means every file, also one without a dot.
        patterns->push_back(pattern == u"*.*" ? "*" : nativePath(pattern));
      }
      gtk_file_filter_add_custom(
          entry,
          static_cast<GtkFileFilterFlags>(GTK_FILE_FILTER_FILENAME |
                                          GTK_FILE_FILTER_DISPLAY_NAME),
          matchesPattern, patterns, deletePatterns);
      gtk_file_chooser_add_filter(chooser, entry);
      if ((i - 1) / 2 == index) {
        gtk_file_chooser_set_filter(chooser, entry);
      }
    }
  }

  // A modal box over the main window: the icon, the text wrapped within
  // kBoxWidth design units, no buttons yet.
  GtkWidget* newBox(TextView title, TextView text, const char* icon) {
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), toGtk(title).c_str());
    gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(window_));
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);

    const int margin = scaled(kBoxMargin);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, margin);
    gtk_container_set_border_width(GTK_CONTAINER(row), margin);
    GtkWidget* image = gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(image, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);

    GtkWidget* label = gtk_label_new(toGtk(text).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_selectable(GTK_LABEL(label), TRUE);
    gtk_widget_set_can_focus(label, FALSE);
    // GTK sizes a wrapping label by max-width-chars times the font's
    // average character width: the most characters that fit the room left
    // beside the icon keep the box within its width.
    int iconWidth = 0;
    int iconHeight = 0;
    gtk_icon_size_lookup(GTK_ICON_SIZE_DIALOG, &iconWidth, &iconHeight);
    const int room = scaled(kBoxWidth) - 3 * margin - iconWidth;
    PangoContext* context = gtk_widget_get_pango_context(label);
    PangoFontMetrics* metrics = pango_context_get_metrics(
        context, pango_context_get_font_description(context), nullptr);
    const int charWidth = std::max(
        1, PANGO_PIXELS_CEIL(
               pango_font_metrics_get_approximate_char_width(metrics)));
    pango_font_metrics_unref(metrics);
    gtk_label_set_max_width_chars(GTK_LABEL(label),
                                  std::max(10, room / charWidth));
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);

    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_box_pack_start(GTK_BOX(content), row, TRUE, TRUE, 0);
    gtk_widget_show_all(row);
    return dialog;
  }

  // A button with its caption as it is (no mnemonic) in the box's row.
  static GtkWidget* addBoxButton(GtkWidget* dialog, TextView caption,
                                 int response) {
    GtkWidget* button = gtk_button_new_with_label(toGtk(caption).c_str());
    gtk_button_set_use_underline(GTK_BUTTON(button), FALSE);
    gtk_widget_set_can_default(button, TRUE);
    gtk_dialog_add_action_widget(GTK_DIALOG(dialog), button, response);
    gtk_widget_show(button);
    return button;
  }

  void shutDown() {
    // A watch that outlives the window tells nobody.
    for (OpenerWatch* watch : openers_) watch->toolkit = nullptr;
    openers_.clear();
    if (window_ == nullptr) return;
    gtk_widget_destroy(window_);
    window_ = nullptr;
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }

  struct Placed {
    GtkWidget* widget;
    ControlBox box;
  };

  bool shown_ = false;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  std::vector<Placed> placed_;
  double scale_ = 1.0;
  GtkWidget* window_ = nullptr;
  GtkWidget* layout_ = nullptr;
  int outerWidth_ = 0;
  int outerHeight_ = 0;
  std::map<int32_t, GtkWidget*> labels_;
  std::map<int32_t, GtkWidget*> pathLines_;
  std::map<int32_t, GtkWidget*> buttons_;
  std::map<GtkWidget*, std::string> tips_;  // the buttons' tooltips
  std::map<guint, ToolkitEvent> shortcuts_;
  std::deque<ToolkitEvent> queue_;
  std::mutex postedLock_;
  std::deque<ToolkitEvent> posted_;  // by other threads, not taken yet
  std::vector<OpenerWatch*> openers_;  // the xdg-open runs not ended yet
};

}  // namespace

std::unique_ptr<Toolkit> newDesktopToolkit() {
  return std::make_unique<GtkToolkit>();
}

void showMessageWithoutWindow(TextView title, TextView text, MessageIcon icon) {
  g_set_prgname(ApplicationId);
  if (!gtk_init_check(nullptr, nullptr)) return;
  setProgramIcon();
  const GtkMessageType type = icon == MessageIcon::Warning ? GTK_MESSAGE_WARNING
                              : icon == MessageIcon::Error ? GTK_MESSAGE_ERROR
                                                           : GTK_MESSAGE_INFO;
  GtkWidget* dialog =
      gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK,
                             "%s", toGtk(text).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), toGtk(title).c_str());
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}
