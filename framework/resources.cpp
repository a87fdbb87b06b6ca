// The resource registry: templates, strings and icons registered by their owners at start-up
// and looked up by id.
#include "resources.h"

#include <cstdlib>
#include <map>

namespace {

// Function-local tables, so that registrations from any translation unit's static
// initialisation find them constructed.
std::map<int, const DialogTemplate*>& Templates() {
  static std::map<int, const DialogTemplate*> table;
  return table;
}
std::map<int, const char*>& Strings() {
  static std::map<int, const char*> table;
  return table;
}
std::map<int, const Icon*>& Icons() {
  static std::map<int, const Icon*> table;
  return table;
}

std::map<int, const Icon& (*)()>& IconsToDraw() {
  static std::map<int, const Icon& (*)()> table;
  return table;
}

template <class T>
T* Find(const std::map<int, T*>& table, int id) {
  auto it = table.find(id);
  return it == table.end() ? nullptr : it->second;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) { return Find(Templates(), id); }

std::string LoadStringResource(int id) {
  const char* text = Find(Strings(), id);
  return text ? std::string(text) : std::string();
}

const Icon* LoadIconResource(int id) {
  if (const Icon* icon = Find(Icons(), id)) return icon;
  const auto draw = IconsToDraw().find(id);
  if (draw == IconsToDraw().end()) return nullptr;
  const Icon* icon = &draw->second();
  Icons()[id] = icon;
  return icon;
}

ResourceRegistration::ResourceRegistration(const DialogTemplate& dialogTemplate) {
  Templates()[dialogTemplate.id] = &dialogTemplate;
}

ResourceRegistration::ResourceRegistration(int stringId, const char* text) {
  Strings()[stringId] = text;
}

ResourceRegistration::ResourceRegistration(const Icon& icon) { Icons()[icon.id] = &icon; }

ResourceRegistration::ResourceRegistration(int iconId, const Icon& (*draw)()) {
  IconsToDraw()[iconId] = draw;
}

const IconImage& Icon::BestFor(int size) const {
  if (images.empty()) std::abort();  // an icon resource always carries a picture
  const IconImage* best = &images.front();
  int bestDistance = std::abs(best->width - size);
  for (const IconImage& image : images) {
    const int distance = std::abs(image.width - size);
    // Strictly closer only: among equally close pictures the larger (earlier) one wins.
    if (distance < bestDistance) {
      best = &image;
      bestDistance = distance;
    }
  }
  return *best;
}
