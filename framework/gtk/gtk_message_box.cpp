// The GTK message box: a GtkMessageDialog, which assistive technology sees as an alert
// carrying its text.
#include "gtk_message_box.h"

#include <gtk/gtk.h>

MessageBoxButtons ButtonsForStyle(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{{"_OK", IDOK}, {"_Cancel", IDCANCEL}}, IDCANCEL};
    case MB_YESNO:
      return {{{"_Yes", IDYES}, {"_No", IDNO}}, IDNO};
    default:
      return {{{"_OK", IDOK}}, IDOK};
  }
}

int RunGtkMessageBox(GtkWindow* parent, const std::string& text, const std::string& caption,
                     UINT style, bool hasPointer, const MessageBoxCheck& check) {
  const bool information = (style & MB_ICONINFORMATION) != 0;
  // The text goes in as an argument, never as the format: a "%" in a path stays a "%".
  GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL,
                                             information ? GTK_MESSAGE_INFO : GTK_MESSAGE_OTHER,
                                             GTK_BUTTONS_NONE, "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  if (parent != nullptr) {
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
  } else if (hasPointer) {
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  }
  // Texts are paths and messages, not markup; long paths wrap rather than widen the box.
  g_object_set(dialog, "use-markup", FALSE, nullptr);
  if (information) {
    // GTK 3 no longer shows the message type's picture by itself; the theme's information
    // icon is put back so the box says what kind of message it is.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_message_dialog_set_image(
        GTK_MESSAGE_DIALOG(dialog),
        gtk_image_new_from_icon_name("dialog-information", GTK_ICON_SIZE_DIALOG));
    G_GNUC_END_IGNORE_DEPRECATIONS
  }
  AtkObject* accessible = gtk_widget_get_accessible(dialog);
  atk_object_set_name(accessible, caption.c_str());
  atk_object_set_description(accessible, text.c_str());

  if (!check.detail.empty()) {
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s",
                                             check.detail.c_str());
  }
  GtkWidget* checkButton = nullptr;
  if (check.checked != nullptr && !check.label.empty()) {
    // Below the text, in the box's own area for it.
    checkButton = gtk_check_button_new_with_label(check.label.c_str());
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    gtk_box_pack_end(GTK_BOX(area), checkButton, FALSE, FALSE, 0);
    gtk_widget_show(checkButton);
  }

  const MessageBoxButtons layout = ButtonsForStyle(style);
  for (const MessageBoxButton& button : layout.buttons) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), button.label.c_str(), button.result);
  }
  const int first = layout.buttons.front().result;
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), first);
  if (GtkWidget* focus = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), first)) {
    gtk_widget_grab_focus(focus);
  }
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  if (checkButton != nullptr) {
    *check.checked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(checkButton)) != FALSE;
  }
  gtk_widget_destroy(dialog);
  // Escape and the close box give no button's response.
  for (const MessageBoxButton& button : layout.buttons) {
    if (button.result == response) return response;
  }
  return layout.escapeResult;
}
