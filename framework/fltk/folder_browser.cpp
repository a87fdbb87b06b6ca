// The folder browser window: its listing, its clicks and keys, and the path it answers with.
#include "folder_browser.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>

#include <algorithm>

#include "dialog_units.h"
#include "fltk_backend.h"
#include "framework/platform_files.h"

namespace {

constexpr const char* kUp = "../";

// Without its trailing separators, except for the root itself.
std::string Trimmed(const std::string& folder) {
  std::string trimmed = folder;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  return trimmed.empty() ? "/" : trimmed;
}

std::string WithSeparator(const std::string& folder) {
  return folder.back() == '/' ? folder : folder + "/";
}

std::string ParentFolder(const std::string& folder) {
  const std::string trimmed = Trimmed(folder);
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return trimmed.substr(0, slash);
}

bool IsEnter(int key) { return key == FL_Enter || key == FL_KP_Enter; }

// A single-selection list that leaves Enter to its window (OK), as the dialogs' lists do,
// instead of taking it as a selection key.
class EntryList : public Fl_Hold_Browser {
 public:
  EntryList(int x, int y, int w, int h) : Fl_Hold_Browser(x, y, w, h) {}
  int handle(int event) override {
    if (event == FL_KEYBOARD && IsEnter(Fl::event_key())) return 0;
    return Fl_Hold_Browser::handle(event);
  }
};

class FolderBrowserWindow : public Fl_Double_Window {
 public:
  FolderBrowserWindow(FltkBackend& backend, const std::string& title, const std::string& folder)
      : Fl_Double_Window(0, 0), m_folder(folder) {
    const BaseUnits& units = backend.Units();
    const int fontPixels = backend.FontPixels();
    const int margin = VerticalPixels(7, units);
    const int gap = HorizontalPixels(4, units);
    const int width = HorizontalPixels(212, units);
    const int inputH = VerticalPixels(14, units);
    const int listH = VerticalPixels(140, units);
    const int buttonW = HorizontalPixels(50, units);
    const int buttonH = VerticalPixels(14, units);
    const int height = margin + inputH + gap + listH + margin + buttonH + margin;
    size(width, height);
    copy_label(title.c_str());
    box(FL_UP_BOX);  // stands apart from the dialog beneath, with or without window frames
    callback(OnCloseBox, this);

    begin();
    m_input = new Fl_Input(margin, margin, width - 2 * margin, inputH);
    m_input->textfont(FL_HELVETICA);
    m_input->textsize(fontPixels);
    m_list = new EntryList(margin, margin + inputH + gap, width - 2 * margin, listH);
    m_list->textfont(FL_HELVETICA);
    m_list->textsize(fontPixels);
    // Names are shown as they are: no '@' formatting codes, no tab columns.
    m_list->format_char(0);
    m_list->column_char(0);
    m_list->when(FL_WHEN_RELEASE_ALWAYS);
    m_list->callback(OnList, this);
    const int buttonY = height - margin - buttonH;
    m_ok =
        new Fl_Return_Button(width - margin - 2 * buttonW - gap, buttonY, buttonW, buttonH, "OK");
    m_cancel = new Fl_Button(width - margin - buttonW, buttonY, buttonW, buttonH, "Cancel");
    for (Fl_Button* button : {static_cast<Fl_Button*>(m_ok), m_cancel}) {
      button->labelfont(FL_HELVETICA);
      button->labelsize(fontPixels);
      button->callback(OnButton, this);
    }
    end();
    position(std::max(0, (Fl::w() - width) / 2), std::max(0, (Fl::h() - height) / 2));
    Enter(m_folder);
  }

  std::optional<std::string> Run() {
    set_modal();
    show();
    m_input->take_focus();
    m_input->position(m_input->size(), 0);
    while (!m_answered && shown()) Fl::wait();
    hide();
    if (!m_answered || !m_accepted) return std::nullopt;
    const char* text = m_input->value();
    if (text == nullptr || *text == '\0') return std::nullopt;
    return FullChosenPath(m_folder, text);
  }

  int handle(int event) override {
    if (event == FL_KEYBOARD || event == FL_SHORTCUT) {
      const int key = Fl::event_key();
      if (key == FL_Escape) {
        Answer(false);
        return 1;
      }
      if (IsEnter(key)) {
        Answer(Fl::focus() != m_cancel);
        return 1;
      }
    }
    return Fl_Double_Window::handle(event);
  }

 private:
  void Enter(const std::string& folder) {
    m_folder = Trimmed(folder);
    m_list->clear();
    for (const std::string& entry : BrowserEntries(m_folder)) m_list->add(entry.c_str());
    m_list->topline(1);
    ShowInBox(WithSeparator(m_folder));
  }

  // What the browser puts in the box is selected, so that typing replaces it: a typed full
  // path stands as it is, and a typed name is taken in the folder listed.
  void ShowInBox(const std::string& path) {
    m_input->value(path.c_str());
    m_input->position(m_input->size(), 0);
  }

  void Clicked() {
    const int line = m_list->value();
    if (line <= 0) return;
    const std::string entry = m_list->text(line);
    const std::string path = EntryPath(m_folder, entry);
    ShowInBox(path);
    const bool doubleClick =
        (Fl::event() == FL_PUSH || Fl::event() == FL_RELEASE) && Fl::event_clicks() > 0;
    if (!doubleClick) return;
    // A click on the same spot straight after would count as a third click, and enter
    // whatever took this entry's place in the new list: start the count afresh.
    Fl::event_is_click(0);
    Fl::event_clicks(0);
    if (entry.back() == '/') {
      Enter(path);
    } else {
      Answer(true);
    }
  }

  void Answer(bool accepted) {
    m_accepted = accepted;
    m_answered = true;
  }

  static void OnList(Fl_Widget* /*widget*/, void* data) {
    static_cast<FolderBrowserWindow*>(data)->Clicked();
  }
  static void OnButton(Fl_Widget* widget, void* data) {
    auto* self = static_cast<FolderBrowserWindow*>(data);
    self->Answer(widget == self->m_ok);
  }
  static void OnCloseBox(Fl_Widget* /*widget*/, void* data) {
    static_cast<FolderBrowserWindow*>(data)->Answer(false);
  }

  std::string m_folder;  // the folder listed, no trailing separator unless it is the root
  Fl_Input* m_input = nullptr;
  EntryList* m_list = nullptr;
  Fl_Return_Button* m_ok = nullptr;
  Fl_Button* m_cancel = nullptr;
  bool m_answered = false;
  bool m_accepted = false;
};

}  // namespace

std::vector<std::string> BrowserEntries(const std::string& folder) {
  const std::string trimmed = Trimmed(folder);
  std::vector<std::string> folders;
  std::vector<std::string> files;
  DirectorySearch search;
  FindData data;
  const std::string pattern = WithSeparator(trimmed) + "*";
  if (!search.Start(pattern.c_str(), data)) {
    std::error_code ended;
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        folders.push_back(name + "/");
      } else {
        files.push_back(name);
      }
    } while (search.Next(data, ended));
  }
  // std::string compares its characters as unsigned bytes: byte order, whatever the locale.
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  std::vector<std::string> entries;
  if (trimmed != "/") entries.push_back(kUp);
  entries.insert(entries.end(), folders.begin(), folders.end());
  entries.insert(entries.end(), files.begin(), files.end());
  return entries;
}

std::string EntryPath(const std::string& folder, const std::string& entry) {
  if (entry == kUp) return WithSeparator(ParentFolder(folder));
  return WithSeparator(Trimmed(folder)) + entry;
}

std::string FullChosenPath(const std::string& folder, const std::string& chosen) {
  if (chosen.empty()) return chosen;
  std::string path = chosen;
  if (path.front() != '/') {
    path = folder.empty() || folder.back() == '/' ? folder + path : folder + "/" + path;
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> RunFolderBrowser(FltkBackend& backend, const std::string& title,
                                            const std::string& startFolder) {
  // A window made while some group is open would become a child of it.
  Fl_Group::current(nullptr);
  FolderBrowserWindow window(backend, title, startFolder);
  return window.Run();
}
