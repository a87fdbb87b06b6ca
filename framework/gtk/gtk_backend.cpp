// The GTK backend's display set-up, the desktop font's measure, the folder chooser, the
// keep-responsive pump and the system metrics.
#include "gtk_backend.h"

#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/platform_files.h"
#include "gtk_dialog_window.h"
#include "gtk_message_box.h"
#include "icon_pixbuf.h"

namespace {

// The size of a full-size icon, in logical pixels; the screen's scale multiplies it.
constexpr int kIconPixels = 32;

// Template sizes are the controls' sizes: the theme's minimum heights and paddings, made for
// larger layouts, would otherwise push small buttons such as "?" and ".." out of place.
constexpr const char* kTemplateCss =
    ".quillmar-dialog button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
    ".quillmar-dialog entry { min-height: 0; padding-top: 0; padding-bottom: 0; }\n";

const char* EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

std::string WhyNoDisplay() {
  const char* wayland = EnvironmentValue("WAYLAND_DISPLAY");
  const char* x11 = EnvironmentValue("DISPLAY");
  if (wayland == nullptr && x11 == nullptr) {
    return "no display is named (neither WAYLAND_DISPLAY nor DISPLAY is set)";
  }
  std::string names;
  if (wayland != nullptr) names += std::string("Wayland display \"") + wayland + "\"";
  if (x11 != nullptr) {
    names += (names.empty() ? "" : " or ") + std::string("X display \"") + x11 + "\"";
  }
  return "no display server answers at " + names;
}

// The desktop font's base units: the average width of the 52 letters and the line height,
// laid out as GTK lays out every label.
BaseUnits MeasureDesktopFont() {
  GtkWidget* probe = gtk_label_new(nullptr);
  g_object_ref_sink(probe);
  PangoLayout* layout = gtk_widget_create_pango_layout(probe, kBaseUnitAlphabet);
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  g_object_unref(probe);
  return BaseUnitsFromMeasure(width, height);
}

// Set while KeepResponsive pumps the events: GDK's event handler is a plain function, so the
// stop request it notices has to reach the pump through here.
StopRequest* g_stopRequested = nullptr;

// Swallows what the user does (keys, clicks, scrolling, touches), but remembers Escape as a
// request to stop and a close request as one to stop and close; lets everything else,
// exposure and redraws above all, through to GTK.
void DropUserInput(GdkEvent* event, gpointer /*data*/) {
  switch (event->type) {
    case GDK_KEY_PRESS:
      if (event->key.keyval == GDK_KEY_Escape && *g_stopRequested == StopRequest::Nothing) {
        *g_stopRequested = StopRequest::Stop;
      }
      return;
    case GDK_DELETE:
      *g_stopRequested = StopRequest::Close;
      return;
    case GDK_KEY_RELEASE:
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_SCROLL:
    case GDK_MOTION_NOTIFY:
    case GDK_TOUCH_BEGIN:
    case GDK_TOUCH_UPDATE:
    case GDK_TOUCH_END:
    case GDK_TOUCH_CANCEL:
    case GDK_TOUCHPAD_SWIPE:
    case GDK_TOUCHPAD_PINCH:
    case GDK_DRAG_ENTER:
    case GDK_DRAG_MOTION:
    case GDK_DROP_START:
      return;
    default:
      gtk_main_do_event(event);
  }
}

// GTK's own handling, in the shape GDK's event handler takes.
void PassToGtk(GdkEvent* event, gpointer /*data*/) { gtk_main_do_event(event); }

}  // namespace

std::unique_ptr<GtkBackend> GtkBackend::Open(std::string* reason) {
  // Window managers and compositors group and name the windows by the program's name: the
  // executable's own.
  const std::string program = GetProgramPath();
  const std::string name = program.substr(program.find_last_of('/') + 1);
  if (!name.empty()) g_set_prgname(name.c_str());
  if (!gtk_init_check(nullptr, nullptr)) {
    *reason = WhyNoDisplay();
    return nullptr;
  }
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, kTemplateCss, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  const bool hasPointer =
      seat != nullptr && gdk_seat_get_capabilities(seat) & GDK_SEAT_CAPABILITY_POINTER;
  return std::unique_ptr<GtkBackend>(new GtkBackend(MeasureDesktopFont(), hasPointer));
}

GtkBackend::GtkBackend(BaseUnits units, bool hasPointer)
    : m_units(units), m_hasPointer(hasPointer) {}

GtkBackend::~GtkBackend() {
  if (m_defaultIconSet) gtk_window_set_default_icon_list(nullptr);
}

std::unique_ptr<DialogWindow> GtkBackend::CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                             MessageTarget& target) {
  return std::make_unique<GtkDialogWindow>(*this, dialogTemplate, target);
}

int GtkBackend::MessageBox(const std::string& text, const std::string& caption, UINT style) {
  return RunGtkMessageBox(InnermostWindow(), text, caption, style, m_hasPointer);
}

int GtkBackend::MessageBoxWithCheck(const std::string& text, const std::string& detail,
                                    const std::string& caption, UINT style,
                                    const std::string& checkText, bool& checked) {
  return RunGtkMessageBox(InnermostWindow(), text, caption, style, m_hasPointer,
                          MessageBoxCheck{detail, checkText, &checked});
}

std::optional<std::string> GtkBackend::BrowseForPath(const std::string& title,
                                                     const std::string& startFolder) {
  // The desktop's own chooser: through the portal where one runs, GTK's dialog otherwise.
  GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
      title.c_str(), InnermostWindow(), GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, nullptr, nullptr);
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(chooser), TRUE);
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), startFolder.c_str());
  std::optional<std::string> chosen;
  if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    if (gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
      chosen = path;
      g_free(path);
    }
  }
  g_object_unref(chooser);
  return chosen;
}

int GtkBackend::GetSystemMetrics(int index) const {
  return (index == SM_CXICON || index == SM_CYICON) ? kIconPixels : 0;
}

StopRequest GtkBackend::KeepResponsive() {
  // Only repaints may happen here: a click or key handled now would start a handler in the
  // middle of the work that called us.
  StopRequest stopRequested = StopRequest::Nothing;
  g_stopRequested = &stopRequested;
  gdk_event_handler_set(DropUserInput, nullptr, nullptr);
  m_pumping = true;
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  m_pumping = false;
  gdk_event_handler_set(PassToGtk, nullptr, nullptr);
  g_stopRequested = nullptr;
  return stopRequested;
}

void GtkBackend::OfferDefaultIcon(const Icon& icon) {
  if (m_defaultIconSet || icon.images.empty()) return;
  GList* pixbufs = nullptr;
  for (const IconImage& image : icon.images) {
    if (GdkPixbuf* pixbuf = NewIconPixbuf(image)) pixbufs = g_list_append(pixbufs, pixbuf);
  }
  gtk_window_set_default_icon_list(pixbufs);
  g_list_free_full(pixbufs, g_object_unref);
  m_defaultIconSet = true;
}
