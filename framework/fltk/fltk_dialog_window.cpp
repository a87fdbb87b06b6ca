// The FLTK dialog window: template layout, the controls' notifications, the keys a dialog
// answers to (Escape, Enter, Alt+Space), the system-menu stand-in and the nested modal run.
#include "fltk_dialog_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Multiline_Output.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Multi_Browser.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>

#include <algorithm>
#include <optional>

#include "dialog_units.h"
#include "fltk_backend.h"
#include "framework/list_box_caret.h"
#include "framework/list_box_keys.h"
#include "framework/resources.h"
#include "icon_picture.h"

namespace {

constexpr std::uint32_t kStaticTypeMask = 0x1F;
constexpr std::uint32_t kStaticRight = 0x02;
constexpr std::uint32_t kButtonTypeMask = 0x0F;

bool IsEnter(int key) { return key == FL_Enter || key == FL_KP_Enter; }

std::optional<ListKey> MovingKey(int key) {
  switch (key) {
    case FL_Up:
      return ListKey::Up;
    case FL_Down:
      return ListKey::Down;
    case FL_Page_Up:
      return ListKey::PageUp;
    case FL_Page_Down:
      return ListKey::PageDown;
    case FL_Home:
      return ListKey::Home;
    case FL_End:
      return ListKey::End;
    default:
      return std::nullopt;
  }
}

// A multiple-selection list box that behaves as the platform's: the moving keys move the
// focus line (the caret that Restore acts on) and scroll it into view, leaving the selection
// alone; Space toggles the selection at the focus line; a click moves both. FLTK's own
// browser would let Home, End and the page keys scroll the view and leave the focus line
// out of sight. Enter is left to the dialog, as list boxes do.
class ListWidget : public Fl_Multi_Browser {
 public:
  ListWidget(int x, int y, int w, int h) : Fl_Multi_Browser(x, y, w, h) {}
  int handle(int event) override {
    if (event == FL_KEYBOARD) {
      if (IsEnter(Fl::event_key())) return 0;
      if (const std::optional<ListKey> key = MovingKey(Fl::event_key())) {
        MoveFocusLine(*key);
        return 1;
      }
    }
    return Fl_Multi_Browser::handle(event);
  }

  // The focus line as an index, or LB_ERR.
  int Caret() const { return value() > 0 ? value() - 1 : LB_ERR; }
  // Moves the focus line to the item at caret (nothing for LB_ERR), keeping its selection.
  void SetCaret(int caret) {
    if (caret == LB_ERR) return;
    const int line = caret + 1;
    select(line, selected(line));
  }

 protected:
  // FLTK frames the focus line only while the list has the keyboard focus; but the line is
  // what a button beside the list acts on, so it stays framed while that button has it.
  void item_draw(void* item, int x, int y, int w, int h) const override {
    Fl_Multi_Browser::item_draw(item, x, y, w, h);
    if (item == selection() && Fl::focus() != this) {
      draw_focus(FL_NO_BOX, x + hposition(), y, w - hposition() + 1, h + 1);
    }
  }

 private:
  void MoveFocusLine(ListKey key) {
    const int caret = CaretAfterListKey(key, Caret(), size(), RowsInView());
    if (caret == LB_ERR) return;
    SetCaret(caret);
    make_visible(caret + 1);
  }
  int RowsInView() const {
    int x = 0, y = 0, w = 0, h = 0;
    bbox(x, y, w, h);
    const int row = incr_height();
    return row > 0 ? h / row : 1;
  }
};

}  // namespace

// The top-level FLTK window: hands keys, right-clicks and repaints to its dialog window.
class FltkDialogWindow::Frame : public Fl_Double_Window {
 public:
  Frame(FltkDialogWindow& owner, int w, int h) : Fl_Double_Window(w, h), m_owner(owner) {}

  int handle(int event) override {
    switch (event) {
      case FL_KEYBOARD:
      case FL_SHORTCUT:
        if (m_owner.HandleKey(Fl::event_key(), Fl::event_state())) return 1;
        break;
      case FL_PUSH:
        if (Fl::event_button() == FL_RIGHT_MOUSE && !OverTextControl()) {
          m_owner.ShowSystemMenu();
          return 1;
        }
        break;
      default:
        break;
    }
    return Fl_Double_Window::handle(event);
  }

 protected:
  void draw() override {
    Fl_Double_Window::draw();
    m_owner.Painted();
  }

 private:
  // Edit and list boxes keep their own right-click; everywhere else is the background.
  bool OverTextControl() {
    for (int i = 0; i < children(); ++i) {
      Fl_Widget* c = child(i);
      if (!c->visible() || !Fl::event_inside(c)) continue;
      if (dynamic_cast<Fl_Input_*>(c) != nullptr || dynamic_cast<Fl_Browser_*>(c) != nullptr) {
        return true;
      }
    }
    return false;
  }

  FltkDialogWindow& m_owner;
};

FltkDialogWindow::FltkDialogWindow(FltkBackend& backend, const DialogTemplate& dialogTemplate,
                                   MessageTarget& target)
    : m_backend(backend), m_template(dialogTemplate), m_target(target) {
  const BaseUnits& units = backend.Units();
  const int width = HorizontalPixels(dialogTemplate.cx, units);
  const int height = VerticalPixels(dialogTemplate.cy, units);
  // A window made while some group is open would become a child of it.
  Fl_Group::current(nullptr);
  m_frame = std::make_unique<Frame>(*this, width, height);
  for (const ControlTemplate& control : dialogTemplate.controls) BuildControl(control);
  m_frame->end();
  // A raised edge keeps a nested dialog apart from the one beneath it even where no window
  // manager draws frames.
  m_frame->box(FL_UP_BOX);
  m_frame->copy_label(dialogTemplate.title);
  m_frame->callback(OnCloseBox, this);
  // Centred on the screen: a window at the very corner would hide under panels and docks.
  m_frame->position(std::max(0, (Fl::w() - width) / 2), std::max(0, (Fl::h() - height) / 2));
}

FltkDialogWindow::~FltkDialogWindow() = default;

void FltkDialogWindow::BuildControl(const ControlTemplate& control) {
  const BaseUnits& units = m_backend.Units();
  const int x = HorizontalPixels(control.x, units);
  const int y = VerticalPixels(control.y, units);
  const int w = HorizontalPixels(control.cx, units);
  const int h = VerticalPixels(control.cy, units);
  const int fontPixels = m_backend.FontPixels();

  Fl_Widget* widget = nullptr;
  switch (control.cls) {
    case ControlClass::Button: {
      const bool isDefault = (control.style & kButtonTypeMask) == BS_DEFPUSHBUTTON;
      Fl_Button* button = isDefault ? new Fl_Return_Button(x, y, w, h) : new Fl_Button(x, y, w, h);
      button->callback(OnButton, this);
      widget = button;
      break;
    }
    case ControlClass::Edit: {
      // A read-only text of several lines stays selectable, so it can be copied.
      Fl_Input* edit = (control.style & ES_MULTILINE) ? new Fl_Multiline_Output(x, y, w, h)
                                                      : new Fl_Input(x, y, w, h);
      edit->textfont(FL_HELVETICA);
      edit->textsize(fontPixels);
      edit->value(control.text);
      edit->when(FL_WHEN_CHANGED);
      edit->callback(OnEditChanged, this);
      widget = edit;
      break;
    }
    case ControlClass::ListBox: {
      auto* list = new ListWidget(x, y, w, h);
      list->textfont(FL_HELVETICA);
      list->textsize(fontPixels);
      // Items are paths, shown as they are: no '@' formatting codes, no tab columns.
      list->format_char(0);
      list->column_char(0);
      list->when(FL_WHEN_CHANGED);
      list->callback(OnListClicked, this);
      widget = list;
      break;
    }
    case ControlClass::Static: {
      if ((control.style & kStaticTypeMask) == SS_ICON) {
        const int iconPixels = m_backend.GetSystemMetrics(SM_CXICON);
        auto* box = new Fl_Box(x, y, iconPixels, iconPixels);
        if (const Icon* icon = LoadIconResource(control.iconResource)) {
          m_pictures.push_back(std::make_unique<IconPicture>(icon->BestFor(iconPixels)));
          box->image(m_pictures.back()->Image());
        }
        widget = box;
        break;
      }
      auto* box = new Fl_Box(x, y, w, h);
      Fl_Align align = FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_WRAP;
      if ((control.style & kStaticTypeMask) == SS_CENTER) {
        align |= FL_ALIGN_CENTER;
      } else if ((control.style & kStaticTypeMask) == kStaticRight) {
        align |= FL_ALIGN_RIGHT;
      } else {
        align |= FL_ALIGN_LEFT;
      }
      box->align(align);
      widget = box;
      break;
    }
  }
  if (control.cls != ControlClass::Edit && control.cls != ControlClass::ListBox &&
      control.text[0] != '\0') {
    widget->copy_label(control.text);
  }
  widget->labelfont(FL_HELVETICA);
  widget->labelsize(fontPixels);
  if ((control.style & WS_TABSTOP) == 0) widget->clear_visible_focus();
  if ((control.style & WS_VISIBLE) == 0) widget->hide();
  m_controls.push_back(Control{control.id, control.cls, control.style, widget});
}

int FltkDialogWindow::RunModal() {
  if (m_ended) return m_result;  // ended while it was being set up
  m_frame->set_modal();
  m_frame->show();
  // The first control in tab order that can take the keyboard gets it.
  for (const Control& control : m_controls) {
    if (control.widget->take_focus()) break;
  }
  m_target.SendMessage(WM_SHOWWINDOW, 1, 0);
  while (!m_ended && m_frame->shown()) Fl::wait();
  m_frame->hide();
  return m_ended ? m_result : IDCANCEL;
}

void FltkDialogWindow::EndModal(int result) {
  m_result = result;
  m_ended = true;
}

const FltkDialogWindow::Control* FltkDialogWindow::FindControl(int id, ControlClass cls) const {
  for (const Control& control : m_controls) {
    if (control.id == id && control.cls == cls) return &control;
  }
  return nullptr;
}

const FltkDialogWindow::Control* FltkDialogWindow::FindWidget(const Fl_Widget* widget) const {
  for (const Control& control : m_controls) {
    if (control.widget == widget) return &control;
  }
  return nullptr;
}

std::string FltkDialogWindow::GetItemText(int id) const {
  for (const Control& control : m_controls) {
    if (control.id != id || control.cls == ControlClass::ListBox) continue;
    if (control.cls == ControlClass::Edit) {
      const char* value = static_cast<Fl_Input*>(control.widget)->value();
      return value ? value : "";
    }
    const char* label = control.widget->label();
    return label ? label : "";
  }
  return {};
}

void FltkDialogWindow::SetItemText(int id, const std::string& text) {
  for (const Control& control : m_controls) {
    if (control.id != id || control.cls == ControlClass::ListBox) continue;
    if (control.cls == ControlClass::Edit) {
      static_cast<Fl_Input*>(control.widget)->value(text.c_str());
    } else {
      control.widget->copy_label(text.c_str());
      m_frame->redraw();
    }
    return;
  }
}

void FltkDialogWindow::SetTitle(const std::string& title) { m_frame->copy_label(title.c_str()); }

int FltkDialogWindow::ListCount(int id) const {
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? static_cast<Fl_Browser*>(control->widget)->size() : LB_ERR;
}

int FltkDialogWindow::ListCaret(int id) const {
  // The browser's focus line. FLTK starts without one and forgets it when its item is
  // removed; ListInsert and ListDelete put it where the platform's list box keeps its caret.
  const Control* control = FindControl(id, ControlClass::ListBox);
  return control ? static_cast<const ListWidget*>(control->widget)->Caret() : LB_ERR;
}

std::string FltkDialogWindow::ListText(int id, int index) const {
  const Control* control = FindControl(id, ControlClass::ListBox);
  if (control == nullptr) return {};
  auto* list = static_cast<Fl_Browser*>(control->widget);
  if (index < 0 || index >= list->size()) return {};
  const char* text = list->text(index + 1);
  return text ? text : "";
}

int FltkDialogWindow::ListInsert(int id, int index, const std::string& text) {
  const Control* control = FindControl(id, ControlClass::ListBox);
  if (control == nullptr) return LB_ERR;
  auto* list = static_cast<ListWidget*>(control->widget);
  const int count = list->size();
  if (index == -1) index = count;
  if (index < 0 || index > count) return LB_ERR;
  const int caret = list->Caret();
  list->insert(index + 1, text.c_str());
  list->SetCaret(CaretAfterInsert(caret, index));
  return index;
}

int FltkDialogWindow::ListDelete(int id, int index) {
  const Control* control = FindControl(id, ControlClass::ListBox);
  if (control == nullptr) return LB_ERR;
  auto* list = static_cast<ListWidget*>(control->widget);
  if (index < 0 || index >= list->size()) return LB_ERR;
  const int caret = list->Caret();
  list->remove(index + 1);
  const int newCaret = CaretAfterDelete(caret, index, list->size());
  list->SetCaret(newCaret);
  if (newCaret != LB_ERR) list->make_visible(newCaret + 1);
  return list->size();
}

void FltkDialogWindow::ListReset(int id) {
  const Control* control = FindControl(id, ControlClass::ListBox);
  if (control == nullptr) return;
  static_cast<Fl_Browser*>(control->widget)->clear();
}

bool FltkDialogWindow::HasSystemMenu() const { return (m_template.style & WS_SYSMENU) != 0; }

void FltkDialogWindow::AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) {
  if (HasSystemMenu()) m_systemMenu.push_back(MenuEntry{flags, commandId, text});
}

void FltkDialogWindow::SetIcon(const Icon& icon, bool big) {
  (big ? m_bigIcon : m_smallIcon) = &icon;
  // The window manager picks the size it needs from one list: every picture of both icons.
  // FLTK copies the pictures it is given.
  std::vector<std::unique_ptr<IconPicture>> pictures;
  std::vector<const Fl_RGB_Image*> images;
  for (const Icon* each : {m_bigIcon, m_smallIcon}) {
    if (each == nullptr || (each == m_smallIcon && m_smallIcon == m_bigIcon)) continue;
    for (const IconImage& image : each->images) {
      pictures.push_back(std::make_unique<IconPicture>(image));
      images.push_back(pictures.back()->Image());
    }
  }
  m_frame->icons(images.data(), static_cast<int>(images.size()));
  m_backend.OfferDefaultIcon(icon);
}

bool FltkDialogWindow::IsIconic() const { return m_frame->shown() && !m_frame->visible(); }

ClientRect FltkDialogWindow::GetClientRect() const {
  return ClientRect{0, 0, m_frame->w(), m_frame->h()};
}

void FltkDialogWindow::DrawIcon(int x, int y, const Icon& icon) {
  if (!m_frame->shown() || icon.images.empty()) return;
  const IconImage& image = icon.BestFor(m_backend.GetSystemMetrics(SM_CXICON));
  IconPicture picture(image);
  // Outside a repaint the drawing goes straight onto the window, until its next repaint.
  if (!m_painting) m_frame->make_current();
  picture.Image()->draw(x, y);
}

int FltkDialogWindow::DefaultButtonId() const {
  for (const Control& control : m_controls) {
    if (control.cls == ControlClass::Button &&
        (control.style & kButtonTypeMask) == BS_DEFPUSHBUTTON) {
      return control.id;
    }
  }
  return IDOK;
}

void FltkDialogWindow::Notify(UINT code, int id) {
  m_target.SendMessage(WM_COMMAND, MakeCommandWParam(code, id), 0);
}

bool FltkDialogWindow::HandleKey(int key, int state) {
  if (key == FL_Escape) {
    Notify(BN_CLICKED, IDCANCEL);
    return true;
  }
  if (IsEnter(key)) {
    // A push button with the keyboard focus stands in for the default button.
    const Control* focused = FindWidget(Fl::focus());
    const bool onButton = focused != nullptr && focused->cls == ControlClass::Button;
    Notify(BN_CLICKED, onButton ? focused->id : DefaultButtonId());
    return true;
  }
  if (key == ' ' && (state & FL_ALT) != 0) {
    ShowSystemMenu();
    return true;
  }
  return false;
}

void FltkDialogWindow::ShowSystemMenu() {
  if (!HasSystemMenu()) return;
  // The menu always offers Close, as the platform's does; appended items follow it.
  std::vector<Fl_Menu_Item> items;
  std::vector<UINT> commands;
  Fl_Menu_Item close{};
  close.label("&Close");
  items.push_back(close);
  commands.push_back(SC_CLOSE);
  for (const MenuEntry& entry : m_systemMenu) {
    if ((entry.flags & MF_SEPARATOR) != 0) {
      items.back().flags |= FL_MENU_DIVIDER;
      continue;
    }
    Fl_Menu_Item item{};
    item.label(entry.text.c_str());
    items.push_back(item);
    commands.push_back(entry.commandId);
  }
  for (Fl_Menu_Item& item : items) {
    item.labelfont(FL_HELVETICA);
    item.labelsize(m_backend.FontPixels() + 1);
  }
  items.push_back(Fl_Menu_Item{});  // the end of the menu
  const bool byMouse = Fl::event() == FL_PUSH;
  const Fl_Menu_Item* picked =
      items.front().popup(byMouse ? Fl::event_x() : 0, byMouse ? Fl::event_y() : 0);
  if (picked == nullptr) return;
  const auto index = static_cast<std::size_t>(picked - items.data());
  if (index < commands.size()) m_target.SendMessage(WM_SYSCOMMAND, commands[index], 0);
}

void FltkDialogWindow::Painted() {
  m_painting = true;
  m_target.SendMessage(WM_PAINT, 0, 0);
  m_painting = false;
}

void FltkDialogWindow::OnButton(Fl_Widget* widget, void* data) {
  auto* self = static_cast<FltkDialogWindow*>(data);
  if (const Control* control = self->FindWidget(widget)) self->Notify(BN_CLICKED, control->id);
}

void FltkDialogWindow::OnEditChanged(Fl_Widget* widget, void* data) {
  auto* self = static_cast<FltkDialogWindow*>(data);
  if (const Control* control = self->FindWidget(widget)) self->Notify(EN_CHANGE, control->id);
}

void FltkDialogWindow::OnListClicked(Fl_Widget* widget, void* data) {
  auto* self = static_cast<FltkDialogWindow*>(data);
  if (const Control* control = self->FindWidget(widget)) self->Notify(LBN_SELCHANGE, control->id);
}

void FltkDialogWindow::OnCloseBox(Fl_Widget* /*widget*/, void* data) {
  static_cast<FltkDialogWindow*>(data)->m_target.SendMessage(WM_CLOSE, 0, 0);
}
