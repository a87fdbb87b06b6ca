// The FLTK backend's display set-up, its keep-responsive pump and the system metrics.
#include "fltk_backend.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include "fltk_dialog_window.h"
#include "fltk_message_box.h"
#include "folder_browser.h"
#include "framework/platform_files.h"
#include "icon_picture.h"

namespace {

// Dialog templates name an 8-point font; FLTK's Helvetica stands in for it.
constexpr int kDialogFontPoints = 8;
// The size of a full-size icon, as the platform reports it.
constexpr int kIconPixels = 32;

// Set while KeepResponsive pumps the events: FLTK's dispatch hook is a plain function, so
// the stop request it notices has to reach the pump through here.
StopRequest* g_stopRequested = nullptr;

// Swallows what the user does (mouse, keys, paste, drops), but remembers Escape as a request
// to stop and a close request as one to stop and close; lets everything else, exposure and
// redraws above all, through to FLTK's own dispatch.
int DropUserInput(int event, Fl_Window* window) {
  switch (event) {
    case FL_KEYBOARD:
      if (Fl::event_key() == FL_Escape && *g_stopRequested == StopRequest::Nothing) {
        *g_stopRequested = StopRequest::Stop;
      }
      return 1;
    case FL_CLOSE:
      *g_stopRequested = StopRequest::Close;
      return 1;
    case FL_PUSH:
    case FL_RELEASE:
    case FL_DRAG:
    case FL_MOUSEWHEEL:
    case FL_KEYUP:
    case FL_SHORTCUT:
    case FL_PASTE:
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_RELEASE:
      return 1;
    default:
      return Fl::handle_(event, window);
  }
}

}  // namespace

std::unique_ptr<FltkBackend> FltkBackend::Open(std::string* reason) {
  // FLTK ends the process itself when it cannot open the display, so the display is opened
  // here first and handed over; a failure then stays ours to report.
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    const char* name = XDisplayName(nullptr);
    if (name == nullptr || *name == '\0') {
      *reason = "no display is named (DISPLAY is not set)";
    } else {
      *reason = std::string("no X server answers at \"") + name + "\"";
    }
    return nullptr;
  }
  fl_open_display(display);
  Fl::scheme("gtk+");
  // Window managers group and name the windows by their class: the executable's own name.
  const std::string program = GetProgramPath();
  const std::string xclass = program.substr(program.find_last_of('/') + 1);
  if (!xclass.empty()) Fl_Window::default_xclass(xclass.c_str());  // FLTK keeps a copy
  const int fontPixels = FontPixelsForPoints(kDialogFontPoints);
  return std::unique_ptr<FltkBackend>(new FltkBackend(fontPixels, MeasureBaseUnits(fontPixels)));
}

FltkBackend::FltkBackend(int fontPixels, BaseUnits units)
    : m_fontPixels(fontPixels), m_units(units) {}

FltkBackend::~FltkBackend() {
  if (!m_defaultIcons.empty()) Fl_Window::default_icons(nullptr, 0);
}

std::unique_ptr<DialogWindow> FltkBackend::CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                              MessageTarget& target) {
  return std::make_unique<FltkDialogWindow>(*this, dialogTemplate, target);
}

int FltkBackend::MessageBox(const std::string& text, const std::string& caption, UINT style) {
  return RunFltkMessageBox(*this, text, caption, style);
}

std::optional<std::string> FltkBackend::BrowseForPath(const std::string& title,
                                                      const std::string& startFolder) {
  return RunFolderBrowser(*this, title, startFolder);
}

int FltkBackend::GetSystemMetrics(int index) const {
  return (index == SM_CXICON || index == SM_CYICON) ? kIconPixels : 0;
}

StopRequest FltkBackend::KeepResponsive() {
  // Only repaints may happen here: a click or key handled now would start a handler in the
  // middle of the work that called us.
  StopRequest stopRequested = StopRequest::Nothing;
  g_stopRequested = &stopRequested;
  const Fl_Event_Dispatch previous = Fl::event_dispatch();
  Fl::event_dispatch(DropUserInput);
  Fl::check();
  Fl::event_dispatch(previous);
  g_stopRequested = nullptr;
  return stopRequested;
}

void FltkBackend::OfferDefaultIcon(const Icon& icon) {
  if (!m_defaultIcons.empty() || icon.images.empty()) return;
  std::vector<const Fl_RGB_Image*> images;
  for (const IconImage& image : icon.images) {
    m_defaultIcons.push_back(std::make_unique<IconPicture>(image));
    images.push_back(m_defaultIcons.back()->Image());
  }
  Fl_Window::default_icons(images.data(), static_cast<int>(images.size()));
}
