// The executable's resources: dialog templates, strings and icons, registered by the modules
// that own them (a registration object at namespace scope in the owner's file) and looked up
// by id, as the dialogs and the main dialog's initialisation do.
#pragma once

#include <string>

#include "dialog_template.h"

// Null when no template of that id is registered.
const DialogTemplate* FindDialogTemplate(int id);
// Empty when no string of that id is registered.
std::string LoadStringResource(int id);
// Null when no icon of that id is registered.
const Icon* LoadIconResource(int id);

// Registers resources at static-initialisation time. The objects passed must outlive the
// program (they are namespace-scope constants).
struct ResourceRegistration {
  explicit ResourceRegistration(const DialogTemplate& dialogTemplate);
  ResourceRegistration(int stringId, const char* text);
  explicit ResourceRegistration(const Icon& icon);
  // An icon drawn by draw when first loaded: a command that shows no window never pays for it.
  ResourceRegistration(int iconId, const Icon& (*draw)());
};
