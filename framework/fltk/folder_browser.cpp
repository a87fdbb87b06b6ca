// The folder browser on Fl_File_Chooser.
#include "folder_browser.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Chooser.H>
#include <pwd.h>
#include <unistd.h>

namespace {

// The chooser keeps its file list to itself; find it among the children of its window.
Fl_File_Browser* FindFileList(Fl_Group* group) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (auto* list = dynamic_cast<Fl_File_Browser*>(child)) return list;
    if (Fl_Group* inner = child->as_group()) {
      if (Fl_File_Browser* list = FindFileList(inner)) return list;
    }
  }
  return nullptr;
}

std::string HomeFolder() {
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return entry->pw_dir;
  }
  return "/";
}

}  // namespace

std::string FullChosenPath(const std::string& folder, const std::string& chosen) {
  if (chosen.empty()) return chosen;
  std::string path = chosen;
  if (path.front() != '/') {
    path = folder.empty() || folder.back() == '/' ? folder + path : folder + "/" + path;
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> BrowseWithFileChooser(const std::string& title, int fontPixels) {
  // DIRECTORY lets a folder be the answer; the list is then switched back to showing files
  // too, so that a file can be picked or typed as well.
  Fl_File_Chooser chooser(HomeFolder().c_str(), "*", Fl_File_Chooser::DIRECTORY, title.c_str());
  chooser.textsize(static_cast<Fl_Fontsize>(fontPixels + 1));
  chooser.preview(0);
  if (Fl_Window* window = chooser.newButton->window()) {
    if (Fl_File_Browser* list = FindFileList(window)) {
      list->filetype(Fl_File_Browser::FILES);
      chooser.rescan();
    }
  }
  chooser.show();
  while (chooser.shown()) Fl::wait();

  const char* value = chooser.value();
  if (value == nullptr || *value == '\0') return std::nullopt;
  const char* folder = chooser.directory();
  return FullChosenPath(folder ? folder : "", value);
}
