// The GTK dialog window: template layout on a GtkFixed, the controls' notifications, the keys
// a dialog answers to (Escape, Enter, the menu key), the background's context menu standing
// in for the system menu, and the nested modal run.
#include "gtk_dialog_window.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "anchored_fixed.h"
#include "dialog_units.h"
#include "framework/resources.h"
#include "gtk_backend.h"
#include "gtk_list_view.h"
#include "icon_pixbuf.h"

namespace {

constexpr std::uint32_t kStaticTypeMask = 0x1F;
constexpr std::uint32_t kStaticRight = 0x02;
constexpr std::uint32_t kThickFrame = 0x00040000;      // WS_THICKFRAME: the user may resize
constexpr std::uint32_t kButtonTypeMask = 0x0F;

bool IsEnter(guint keyval) {
  return keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter || keyval == GDK_KEY_ISO_Enter;
}

// Menu texts mark their mnemonic with "&", GTK with "_"; a literal "_" is doubled.
std::string MnemonicLabel(const std::string& text) {
  std::string label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      label += "__";
    } else if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
      label += '&';
      ++i;
    } else if (text[i] == '&') {
      label += '_';
    } else {
      label += text[i];
    }
  }
  return label;
}

// A popup menu of items, each activating onItem with the message to post (WM_SYSCOMMAND or
// WM_COMMAND) and its command id as the item's data.
GtkWidget* NewMenu(const std::vector<MenuItem>& items, UINT message, GCallback onItem, void* data) {
  GtkWidget* menu = gtk_menu_new();
  for (const MenuItem& entry : items) {
    GtkWidget* item = nullptr;
    if ((entry.flags & MF_SEPARATOR) != 0) {
      item = gtk_separator_menu_item_new();
    } else {
      item = gtk_menu_item_new_with_mnemonic(MnemonicLabel(entry.text).c_str());
      g_object_set_data(G_OBJECT(item), "quillmar-message",
                        GUINT_TO_POINTER(static_cast<guint>(message)));
      g_object_set_data(G_OBJECT(item), "quillmar-command",
                        GUINT_TO_POINTER(static_cast<guint>(entry.commandId)));
      g_signal_connect(item, "activate", onItem, data);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  }
  gtk_widget_show_all(menu);
  return menu;
}

}  // namespace

GtkDialogWindow::GtkDialogWindow(GtkBackend& backend, const DialogTemplate& dialogTemplate,
                                 MessageTarget& target)
    : m_backend(backend),
      m_template(dialogTemplate),
      m_target(target),
      m_window(gtk_window_new(GTK_WINDOW_TOPLEVEL)),
      m_fixed(AnchoredFixedNew(HorizontalPixels(dialogTemplate.cx, backend.Units()),
                               VerticalPixels(dialogTemplate.cy, backend.Units()))) {
  GtkWindow* window = GTK_WINDOW(m_window);
  gtk_window_set_title(window, dialogTemplate.title);
  gtk_window_set_resizable(window, (dialogTemplate.style & kThickFrame) != 0);
  // A window with a taskbar button of its own is the application's; the others are dialogs.
  if ((dialogTemplate.exStyle & WS_EX_APPWINDOW) == 0) {
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
  }
  if (GtkWindow* parent = backend.InnermostWindow()) {
    gtk_window_set_transient_for(window, parent);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
  } else if (backend.HasPointer()) {
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  }
  gtk_style_context_add_class(gtk_widget_get_style_context(m_window), "quillmar-dialog");
  gtk_container_add(GTK_CONTAINER(m_window), m_fixed);
  for (const ControlTemplate& control : dialogTemplate.controls) BuildControl(control);
  NameControlsByTheirLabels();
  for (std::size_t i = 0; i < m_controls.size(); ++i) {
    const int target = dialogTemplate.controls[i].typingGoesTo;
    const Control* entry = target != 0 ? FindControl(target, ControlClass::Edit) : nullptr;
    if (m_controls[i].list && entry != nullptr && GTK_IS_ENTRY(entry->inner)) {
      m_controls[i].list->SetTypingTarget(entry->inner);
    }
  }

  // The tab order is the template's order, not the order of the places on the screen.
  GList* chain = nullptr;
  for (const Control& control : m_controls) {
    if (gtk_widget_get_can_focus(control.inner)) {
      chain = g_list_append(chain, control.widget);
    }
  }
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_container_set_focus_chain(GTK_CONTAINER(m_fixed), chain);
  G_GNUC_END_IGNORE_DEPRECATIONS
  g_list_free(chain);

  gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
  g_signal_connect(m_window, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect(m_window, "button-press-event", G_CALLBACK(OnButtonPress), this);
  g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect_after(m_window, "draw", G_CALLBACK(OnDrawAfter), this);
}

GtkDialogWindow::~GtkDialogWindow() {
  if (m_postSource != 0) g_source_remove(m_postSource);
  g_signal_handlers_disconnect_by_data(m_window, this);
  // The lists let go of their widgets while these still live.
  for (Control& control : m_controls) {
    if (control.list) {
      g_signal_handlers_disconnect_by_data(control.inner, this);
      control.list.reset();
    } else {
      g_signal_handlers_disconnect_by_data(control.widget, this);
      if (GTK_IS_TEXT_VIEW(control.inner)) {
        g_signal_handlers_disconnect_by_data(gtk_text_view_get_buffer(GTK_TEXT_VIEW(control.inner)),
                                             this);
      }
    }
  }
  if (m_menu != nullptr) gtk_widget_destroy(m_menu);
  gtk_widget_destroy(m_window);
}

GtkWindow* GtkDialogWindow::Window() const { return GTK_WINDOW(m_window); }

void GtkDialogWindow::BuildControl(const ControlTemplate& control) {
  const BaseUnits& units = m_backend.Units();
  int x = HorizontalPixels(control.x, units);
  const int y = VerticalPixels(control.y, units);
  const int w = HorizontalPixels(control.cx, units);
  const int h = VerticalPixels(control.cy, units);

  Control made{control.id, control.cls, control.style, nullptr, nullptr, nullptr};
  switch (control.cls) {
    case ControlClass::Button: {
      GtkWidget* button = gtk_button_new_with_label(control.text);
      if ((control.style & kButtonTypeMask) == BS_DEFPUSHBUTTON) {
        gtk_widget_set_can_default(button, TRUE);
        gtk_window_set_default(GTK_WINDOW(m_window), button);
      }
      g_signal_connect(button, "clicked", G_CALLBACK(OnButtonClicked), this);
      made.widget = button;
      break;
    }
    case ControlClass::Edit: {
      if ((control.style & ES_MULTILINE) != 0) {
        // Several lines, in a box that scrolls both ways; read-only text stays selectable,
        // so it can be copied.
        GtkWidget* view = gtk_text_view_new();
        gtk_text_view_set_editable(GTK_TEXT_VIEW(view), (control.style & ES_READONLY) == 0);
        gtk_text_view_set_monospace(GTK_TEXT_VIEW(view), FALSE);
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
        gtk_text_buffer_set_text(buffer, control.text, -1);
        g_signal_connect(buffer, "changed", G_CALLBACK(OnTextChanged), this);
        GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
        gtk_container_add(GTK_CONTAINER(scroller), view);
        made.widget = scroller;
        made.inner = view;
        break;
      }
      GtkWidget* edit = gtk_entry_new();
      gtk_entry_set_text(GTK_ENTRY(edit), control.text);
      g_signal_connect(edit, "changed", G_CALLBACK(OnEditChanged), this);
      made.widget = edit;
      break;
    }
    case ControlClass::ListBox: {
      const int id = control.id;
      made.list = std::make_shared<GtkListView>([this, id] { Notify(LBN_SELCHANGE, id); });
      made.widget = made.list->Outer();
      made.inner = made.list->View();
      // Before the view's own handling, which would move the highlight to the row.
      g_signal_connect(made.inner, "button-press-event", G_CALLBACK(OnListButtonPress), this);
      break;
    }
    case ControlClass::Static: {
      if ((control.style & kStaticTypeMask) == SS_ICON) {
        const int iconPixels = m_backend.GetSystemMetrics(SM_CXICON);
        GtkWidget* image = gtk_image_new();
        if (const Icon* icon = LoadIconResource(control.iconResource)) {
          // The picture for the screen's scale, so a 200 % screen shows it sharp.
          cairo_surface_t* surface =
              NewIconSurface(*icon, iconPixels, gtk_widget_get_scale_factor(m_window));
          gtk_image_set_from_surface(GTK_IMAGE(image), surface);
          if (surface != nullptr) cairo_surface_destroy(surface);
        }
        made.widget = image;
        made.inner = image;
        gtk_fixed_put(GTK_FIXED(m_fixed), image, x, y);
        gtk_widget_set_size_request(image, iconPixels, iconPixels);
        if ((control.style & WS_VISIBLE) == 0) gtk_widget_set_no_show_all(image, TRUE);
        m_controls.push_back(made);
        return;
      }
      GtkWidget* label = gtk_label_new(control.text);
      if ((control.style & SS_PATHELLIPSIS) != 0) {
        // One line, a path too long for it shortened in its middle: the start says which
        // tree, the end which folder.
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
        gtk_label_set_single_line_mode(GTK_LABEL(label), TRUE);
      } else {
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
      }
      const std::uint32_t type = control.style & kStaticTypeMask;
      const float xalign = type == SS_CENTER ? 0.5f : type == kStaticRight ? 1.0f : 0.0f;
      gtk_label_set_xalign(GTK_LABEL(label), xalign);
      gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
      gtk_label_set_justify(GTK_LABEL(label), type == SS_CENTER      ? GTK_JUSTIFY_CENTER
                                              : type == kStaticRight ? GTK_JUSTIFY_RIGHT
                                                                     : GTK_JUSTIFY_LEFT);
      // A word wider than its box cannot wrap; it widens the box about the template's
      // alignment point instead of spilling over to one side only.
      int minimum = 0;
      gtk_widget_get_preferred_width(label, &minimum, nullptr);
      if (minimum > w) x -= static_cast<int>((minimum - w) * xalign);
      made.widget = label;
      break;
    }
  }
  if (made.inner == nullptr) made.inner = made.widget;
  gtk_widget_set_size_request(made.widget, w, h);
  SetControlAnchors(made.widget, control.anchors);
  gtk_fixed_put(GTK_FIXED(m_fixed), made.widget, std::max(0, x), y);
  const bool tabStop = (control.style & WS_TABSTOP) != 0;
  if (control.cls != ControlClass::Static) {
    gtk_widget_set_can_focus(made.inner, tabStop);
  }
  if ((control.style & WS_VISIBLE) == 0) gtk_widget_set_no_show_all(made.widget, TRUE);
  m_controls.push_back(made);
}

void GtkDialogWindow::NameControlsByTheirLabels() {
  // An edit box's or a list's label is the text to its left on the same line, or else the
  // text just above it, as a reader sees it; the template keeps them apart (the tab order
  // puts other controls between them).
  const auto& controls = m_template.controls;
  for (std::size_t e = 0; e < controls.size(); ++e) {
    if (controls[e].cls != ControlClass::Edit && controls[e].cls != ControlClass::ListBox) {
      continue;
    }
    const ControlTemplate* best = nullptr;
    for (const ControlTemplate& label : controls) {
      if (label.cls != ControlClass::Static || label.text[0] == '\0') continue;
      const int middle = label.y + label.cy / 2;
      if (middle < controls[e].y || middle > controls[e].y + controls[e].cy) continue;
      if (label.x >= controls[e].x) continue;
      if (best == nullptr || label.x > best->x) best = &label;
    }
    for (const ControlTemplate& label : controls) {
      if (best != nullptr) break;
      if (label.cls != ControlClass::Static || label.text[0] == '\0') continue;
      const bool above =
          label.y + label.cy <= controls[e].y && controls[e].y - (label.y + label.cy) <= label.cy;
      const bool overlaps =
          label.x < controls[e].x + controls[e].cx && controls[e].x < label.x + label.cx;
      if (above && overlaps) best = &label;
    }
    if (best == nullptr) continue;
    const auto index = static_cast<std::size_t>(best - controls.data());
    GtkWidget* named = m_controls[e].inner;
    GtkWidget* label = m_controls[index].widget;
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), named);
    atk_object_set_name(gtk_widget_get_accessible(named), best->text);
  }
}

int GtkDialogWindow::RunModal() {
  if (m_ended) return m_result;  // ended while it was being set up
  GtkWindow* window = GTK_WINDOW(m_window);
  gtk_window_set_modal(window, TRUE);
  gtk_widget_show_all(m_window);
  // The first control in tab order that can take the keyboard gets it.
  for (const Control& control : m_controls) {
    if (gtk_widget_get_can_focus(control.inner) && gtk_widget_get_visible(control.widget)) {
      gtk_widget_grab_focus(control.inner);
      break;
    }
  }
  m_backend.Opened(window);
  m_target.SendMessage(WM_SHOWWINDOW, 1, 0);
  while (!m_ended && gtk_widget_get_visible(m_window)) gtk_main_iteration();
  m_backend.Closed();
  gtk_widget_hide(m_window);
  return m_ended ? m_result : IDCANCEL;
}

void GtkDialogWindow::EndModal(int result) {
  m_result = result;
  m_ended = true;
}

const GtkDialogWindow::Control* GtkDialogWindow::FindControl(int id, ControlClass cls) const {
  for (const Control& control : m_controls) {
    if (control.id == id && control.cls == cls) return &control;
  }
  return nullptr;
}

const GtkDialogWindow::Control* GtkDialogWindow::FindWidget(const GtkWidget* widget) const {
  for (const Control& control : m_controls) {
    if (control.widget == widget) return &control;
  }
  return nullptr;
}

std::string GtkDialogWindow::GetItemText(int id) const {
  for (const Control& control : m_controls) {
    if (control.id != id || control.cls == ControlClass::ListBox) continue;
    const char* text = nullptr;
    if (control.cls == ControlClass::Edit && GTK_IS_TEXT_VIEW(control.inner)) {
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(control.inner));
      GtkTextIter start, end;
      gtk_text_buffer_get_bounds(buffer, &start, &end);
      gchar* all = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
      std::string result = all ? all : "";
      g_free(all);
      return result;
    }
    if (control.cls == ControlClass::Edit) {
      text = gtk_entry_get_text(GTK_ENTRY(control.widget));
    } else if (control.cls == ControlClass::Button) {
      text = gtk_button_get_label(GTK_BUTTON(control.widget));
    } else if (GTK_IS_LABEL(control.widget)) {
      text = gtk_label_get_text(GTK_LABEL(control.widget));
    }
    return text ? text : "";
  }
  return {};
}

void GtkDialogWindow::SetItemText(int id, const std::string& text) {
  for (const Control& control : m_controls) {
    if (control.id != id || control.cls == ControlClass::ListBox) continue;
    ++m_quiet;
    if (control.cls == ControlClass::Edit && GTK_IS_TEXT_VIEW(control.inner)) {
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(control.inner)), text.c_str(),
                               -1);
    } else if (control.cls == ControlClass::Edit) {
      gtk_entry_set_text(GTK_ENTRY(control.widget), text.c_str());
    } else if (control.cls == ControlClass::Button) {
      gtk_button_set_label(GTK_BUTTON(control.widget), text.c_str());
    } else if (GTK_IS_LABEL(control.widget)) {
      gtk_label_set_text(GTK_LABEL(control.widget), text.c_str());
    }
    --m_quiet;
    return;
  }
}

void GtkDialogWindow::SetTitle(const std::string& title) {
  gtk_window_set_title(GTK_WINDOW(m_window), title.c_str());
}

int GtkDialogWindow::ListCount(int id) const {
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? control->list->Count() : LB_ERR;
}

int GtkDialogWindow::ListCaret(int id) const {
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? control->list->FocusRow() : LB_ERR;
}

void GtkDialogWindow::ListSetCaret(int id, int index) {
  if (const Control* control = FindControl(id, ControlClass::ListBox)) {
    control->list->SetFocusRow(index);
  }
}

std::vector<int> GtkDialogWindow::ListSelection(int id) const {
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? control->list->Highlighted() : std::vector<int>{};
}

std::string GtkDialogWindow::ListText(int id, int index) const {
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? control->list->Text(index) : std::string();
}

int GtkDialogWindow::ListInsert(int id, int index, const std::string& text) {
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? control->list->Insert(index, text) : LB_ERR;
}

int GtkDialogWindow::ListDelete(int id, int index) {
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? control->list->Delete(index) : LB_ERR;
}

void GtkDialogWindow::ListReset(int id) {
  if (const Control* control = FindControl(id, ControlClass::ListBox)) control->list->Reset();
}

bool GtkDialogWindow::HasSystemMenu() const { return (m_template.style & WS_SYSMENU) != 0; }

void GtkDialogWindow::AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) {
  if (HasSystemMenu()) m_systemMenu.push_back(MenuItem{flags, commandId, text});
}

void GtkDialogWindow::ShowContextMenu(int id, const std::vector<MenuItem>& items) {
  if (m_menu != nullptr) gtk_widget_destroy(m_menu);
  m_menu = NewMenu(items, WM_COMMAND, G_CALLBACK(OnMenuItem), this);
  gtk_menu_attach_to_widget(GTK_MENU(m_menu), m_window, nullptr);
  if (m_contextEvent != nullptr) {
    gtk_menu_popup_at_pointer(GTK_MENU(m_menu), static_cast<const GdkEvent*>(m_contextEvent));
    return;
  }
  // From the keyboard: below the list's focus row, or below the control.
  const Control* control = nullptr;
  for (const Control& each : m_controls) {
    if (each.id == id) control = &each;
  }
  const int row = control != nullptr && control->list ? control->list->FocusRow() : LB_ERR;
  if (row != LB_ERR) {
    GtkTreeView* view = GTK_TREE_VIEW(control->inner);
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle area{};
    gtk_tree_view_get_cell_area(view, path, nullptr, &area);
    gtk_tree_path_free(path);
    area.width = std::max(1, std::min(area.width, gtk_widget_get_allocated_width(control->inner)));
    gtk_menu_popup_at_rect(GTK_MENU(m_menu), gtk_tree_view_get_bin_window(view), &area,
                           GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
  } else {
    gtk_menu_popup_at_widget(GTK_MENU(m_menu), control ? control->widget : m_fixed,
                             GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
  }
  gtk_menu_shell_select_first(GTK_MENU_SHELL(m_menu), FALSE);
}

void GtkDialogWindow::RequestContextMenu(int id, const void* buttonEvent) {
  m_contextEvent = buttonEvent;
  const bool shown = m_target.SendMessage(WM_CONTEXTMENU, static_cast<WPARAM>(id), 0) != 0;
  m_contextEvent = nullptr;
  if (!shown) ShowSystemMenu(buttonEvent);
}

void GtkDialogWindow::SetIcon(const Icon& icon, bool big) {
  (big ? m_bigIcon : m_smallIcon) = &icon;
  // The window manager picks the size it needs from one list: every picture of both icons.
  GList* pixbufs = nullptr;
  for (const Icon* each : {m_bigIcon, m_smallIcon}) {
    if (each == nullptr || (each == m_smallIcon && m_smallIcon == m_bigIcon)) continue;
    for (const IconImage& image : each->images) {
      if (GdkPixbuf* pixbuf = NewIconPixbuf(image)) pixbufs = g_list_append(pixbufs, pixbuf);
    }
  }
  gtk_window_set_icon_list(GTK_WINDOW(m_window), pixbufs);
  g_list_free_full(pixbufs, g_object_unref);
  m_backend.OfferDefaultIcon(icon);
}

bool GtkDialogWindow::IsIconic() const {
  GdkWindow* window = gtk_widget_get_window(m_window);
  return window != nullptr && (gdk_window_get_state(window) & GDK_WINDOW_STATE_ICONIFIED) != 0;
}

ClientRect GtkDialogWindow::GetClientRect() const {
  return ClientRect{0, 0, gtk_widget_get_allocated_width(m_fixed),
                    gtk_widget_get_allocated_height(m_fixed)};
}

void GtkDialogWindow::DrawIcon(int x, int y, const Icon& icon) {
  // GTK draws only inside a repaint; outside one there is nowhere to draw.
  if (m_paint == nullptr) return;
  const int size = m_backend.GetSystemMetrics(SM_CXICON);
  cairo_surface_t* surface = NewIconSurface(icon, size, gtk_widget_get_scale_factor(m_window));
  if (surface == nullptr) return;
  cairo_set_source_surface(m_paint, surface, x, y);
  cairo_paint(m_paint);
  cairo_surface_destroy(surface);
}

int GtkDialogWindow::DefaultButtonId() const {
  for (const Control& control : m_controls) {
    if (control.cls == ControlClass::Button &&
        (control.style & kButtonTypeMask) == BS_DEFPUSHBUTTON) {
      return control.id;
    }
  }
  return IDOK;
}

void GtkDialogWindow::Notify(UINT code, int id) {
  m_target.SendMessage(WM_COMMAND, MakeCommandWParam(code, id), 0);
}

void GtkDialogWindow::Post(UINT message, WPARAM wParam) {
  m_posted.push_back(Posted{message, wParam});
  if (m_postSource == 0) m_postSource = g_idle_add(OnPosted, this);
}

int GtkDialogWindow::OnPosted(void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  self->m_postSource = 0;
  std::vector<Posted> posted;
  posted.swap(self->m_posted);
  // A press that arrives while long work keeps the windows painted is dropped, as every
  // other input then is.
  if (self->m_backend.Pumping()) return G_SOURCE_REMOVE;
  for (const Posted& each : posted) {
    self->m_target.SendMessage(each.message, each.wParam, 0);
    if (self->m_ended) break;
  }
  return G_SOURCE_REMOVE;
}

bool GtkDialogWindow::HandleKey(unsigned keyval, unsigned state) {
  const unsigned modifiers = state & gtk_accelerator_get_default_mod_mask();
  if (keyval == GDK_KEY_Escape && modifiers == 0) {
    Notify(BN_CLICKED, IDCANCEL);
    return true;
  }
  if (IsEnter(keyval) && modifiers == 0) {
    // A push button with the keyboard focus stands in for the default button.
    const Control* focused = FindWidget(gtk_window_get_focus(GTK_WINDOW(m_window)));
    const bool onButton = focused != nullptr && focused->cls == ControlClass::Button;
    Notify(BN_CLICKED, onButton ? focused->id : DefaultButtonId());
    return true;
  }
  // The keyboard's way to a context menu, the focused control's; Alt+Space belongs to the
  // desktop's window menu.
  if ((keyval == GDK_KEY_Menu && modifiers == 0) ||
      (keyval == GDK_KEY_F10 && modifiers == GDK_SHIFT_MASK)) {
    const GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(m_window));
    int id = 0;
    for (const Control& control : m_controls) {
      if (control.inner == focus || control.widget == focus) id = control.id;
    }
    RequestContextMenu(id, nullptr);
    return true;
  }
  return false;
}

void GtkDialogWindow::ShowSystemMenu(const void* buttonEvent) {
  if (!HasSystemMenu()) return;
  if (m_menu != nullptr) gtk_widget_destroy(m_menu);
  // The menu always offers Close, as the platform's system menu does; appended items follow.
  std::vector<MenuItem> entries{MenuItem{MF_STRING, SC_CLOSE, "&Close"}};
  entries.insert(entries.end(), m_systemMenu.begin(), m_systemMenu.end());
  m_menu = NewMenu(entries, WM_SYSCOMMAND, G_CALLBACK(OnMenuItem), this);
  gtk_menu_attach_to_widget(GTK_MENU(m_menu), m_window, nullptr);
  if (buttonEvent != nullptr) {
    gtk_menu_popup_at_pointer(GTK_MENU(m_menu), static_cast<const GdkEvent*>(buttonEvent));
    return;
  }
  GtkWidget* anchor = gtk_window_get_focus(GTK_WINDOW(m_window));
  if (anchor == nullptr) anchor = m_fixed;
  gtk_menu_popup_at_widget(GTK_MENU(m_menu), anchor, GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST,
                           nullptr);
  gtk_menu_shell_select_first(GTK_MENU_SHELL(m_menu), FALSE);
}

int GtkDialogWindow::OnKeyPress(GtkWidget* /*widget*/, void* event, void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  const auto* key = static_cast<const GdkEventKey*>(event);
  return self->HandleKey(key->keyval, key->state) ? TRUE : FALSE;
}

int GtkDialogWindow::OnButtonPress(GtkWidget* /*widget*/, void* event, void* data) {
  // Reached only when no control took the press: edit boxes and the list keep their own.
  const auto* button = static_cast<const GdkEventButton*>(event);
  if (button->type != GDK_BUTTON_PRESS || button->button != GDK_BUTTON_SECONDARY) return FALSE;
  static_cast<GtkDialogWindow*>(data)->ShowSystemMenu(event);
  return TRUE;
}

int GtkDialogWindow::OnListButtonPress(GtkWidget* widget, void* event, void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  const auto* button = static_cast<const GdkEventButton*>(event);
  if (button->type != GDK_BUTTON_PRESS || button->button != GDK_BUTTON_SECONDARY) return FALSE;
  const Control* control = nullptr;
  for (const Control& each : self->m_controls) {
    if (each.inner == widget && each.list) control = &each;
  }
  if (control == nullptr) return FALSE;
  // The menu is for the row clicked: the focus rectangle moves there, the highlight stays.
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  GtkTreePath* path = nullptr;
  if (button->window == gtk_tree_view_get_bin_window(view) &&
      gtk_tree_view_get_path_at_pos(view, static_cast<int>(button->x), static_cast<int>(button->y),
                                    &path, nullptr, nullptr, nullptr)) {
    control->list->SetFocusRow(gtk_tree_path_get_indices(path)[0]);
    gtk_tree_path_free(path);
  }
  self->RequestContextMenu(control->id, event);
  return TRUE;
}

int GtkDialogWindow::OnDeleteEvent(GtkWidget* /*widget*/, void* /*event*/, void* data) {
  // The close box asks the dialog; the window stays until the dialog ends its run.
  static_cast<GtkDialogWindow*>(data)->m_target.SendMessage(WM_CLOSE, 0, 0);
  return TRUE;
}

int GtkDialogWindow::OnDrawAfter(GtkWidget* /*widget*/, cairo_t* cr, void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  self->m_paint = cr;
  self->m_target.SendMessage(WM_PAINT, 0, 0);
  self->m_paint = nullptr;
  return FALSE;
}

void GtkDialogWindow::OnButtonClicked(GtkWidget* widget, void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  if (const Control* control = self->FindWidget(widget)) {
    self->Post(WM_COMMAND, MakeCommandWParam(BN_CLICKED, control->id));
  }
}

void GtkDialogWindow::OnEditChanged(GtkWidget* widget, void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  if (self->m_quiet > 0) return;
  if (const Control* control = self->FindWidget(widget)) self->Notify(EN_CHANGE, control->id);
}

void GtkDialogWindow::OnTextChanged(void* buffer, void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  if (self->m_quiet > 0) return;
  for (const Control& control : self->m_controls) {
    if (GTK_IS_TEXT_VIEW(control.inner) &&
        gtk_text_view_get_buffer(GTK_TEXT_VIEW(control.inner)) == buffer) {
      self->Notify(EN_CHANGE, control.id);
      return;
    }
  }
}

void GtkDialogWindow::OnMenuItem(GtkWidget* item, void* data) {
  auto* self = static_cast<GtkDialogWindow*>(data);
  const auto message =
      static_cast<UINT>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "quillmar-message")));
  const auto command =
      static_cast<UINT>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "quillmar-command")));
  self->Post(message, message == WM_COMMAND ? MakeCommandWParam(0, static_cast<int>(command))
                                            : static_cast<WPARAM>(command));
}
