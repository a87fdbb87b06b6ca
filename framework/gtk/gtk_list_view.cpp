// The restoration list's GTK list: focus row and highlight kept apart, as the keys expect.
#include "gtk_list_view.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <vector>

#include "framework/list_box_caret.h"
#include "framework/list_box_keys.h"
#include "framework/window_constants.h"
#include "text_rows_model.h"

namespace {

std::optional<ListKey> MovingKey(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
      return ListKey::Up;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
      return ListKey::Down;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
      return ListKey::PageUp;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
      return ListKey::PageDown;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
      return ListKey::Home;
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
      return ListKey::End;
    default:
      return std::nullopt;
  }
}

std::vector<int> SelectedRows(GtkTreeView* view) {
  std::vector<int> rows;
  GList* paths = gtk_tree_selection_get_selected_rows(gtk_tree_view_get_selection(view), nullptr);
  for (GList* each = paths; each != nullptr; each = each->next) {
    rows.push_back(gtk_tree_path_get_indices(static_cast<GtkTreePath*>(each->data))[0]);
  }
  g_list_free_full(paths, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  return rows;
}

void SelectOnly(GtkTreeView* view, const std::vector<int>& rows) {
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  gtk_tree_selection_unselect_all(selection);
  for (int row : rows) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_selection_select_path(selection, path);
    gtk_tree_path_free(path);
  }
}

}  // namespace

GtkListView::GtkListView(std::function<void()> onSelectionChange)
    : m_onSelectionChange(std::move(onSelectionChange)),
      m_rows(TextRowsModelNew()),
      m_view(gtk_tree_view_new_with_model(m_rows)),
      m_scroller(gtk_scrolled_window_new(nullptr, nullptr)) {
  GtkTreeView* view = GTK_TREE_VIEW(m_view);
  // Items are paths, shown as they are: plain text, not markup.
  GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
  gtk_tree_view_insert_column_with_attributes(view, -1, "", renderer, "text", 0, nullptr);
  // Rows of one height and a column as wide as the longest text: GTK otherwise measures every
  // row, in the background and again after each change, which for a list of a hundred
  // thousand paths keeps the window busy for seconds after each restore.
  m_column = gtk_tree_view_get_column(view, 0);
  gtk_tree_view_column_set_sizing(m_column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_set_fixed_height_mode(view, TRUE);
  gtk_tree_view_set_headers_visible(view, FALSE);
  gtk_tree_view_set_enable_search(view, FALSE);
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(view), GTK_SELECTION_MULTIPLE);
  // A path too long for the box scrolls sideways rather than being cut off unreadably.
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(m_scroller), GTK_POLICY_AUTOMATIC,
                                 GTK_POLICY_ALWAYS);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(m_scroller), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(m_scroller), m_view);
  g_object_ref_sink(m_scroller);  // kept alive until this object goes, placed or not
  g_signal_connect(m_view, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect_after(m_view, "draw", G_CALLBACK(OnDrawAfter), this);
  g_signal_connect(gtk_tree_view_get_selection(view), "changed", G_CALLBACK(OnSelectionChanged),
                   this);
}

GtkListView::~GtkListView() {
  if (m_widthUpdate != 0) g_source_remove(m_widthUpdate);
  if (m_attachLater != 0) g_source_remove(m_attachLater);
  g_signal_handlers_disconnect_by_data(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_view)), this);
  g_signal_handlers_disconnect_by_data(m_view, this);
  g_object_unref(m_scroller);
  g_object_unref(m_rows);
}

int GtkListView::Count() const { return TextRowsCount(m_rows); }

std::vector<int> GtkListView::Highlighted() const { return SelectedRows(GTK_TREE_VIEW(m_view)); }

int GtkListView::FocusRow() const {
  if (m_detached) return m_pendingFocus;
  GtkTreePath* path = nullptr;
  gtk_tree_view_get_cursor(GTK_TREE_VIEW(m_view), &path, nullptr);
  if (path == nullptr) return LB_ERR;
  const int row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  return row < Count() ? row : LB_ERR;
}

std::string GtkListView::Text(int index) const { return TextRowsText(m_rows, index); }

int GtkListView::Insert(int index, const std::string& text) {
  const int count = Count();
  if (index == -1) index = count;
  if (index < 0 || index > count) return LB_ERR;
  NoteWidthOf(text);
  if (index == count && m_detached) {
    // Filling a list the view does not show yet: the rows alone, nothing per row in the view.
    TextRowsInsert(m_rows, index, text, false);
    if (m_pendingFocus == LB_ERR) m_pendingFocus = CaretAfterInsert(LB_ERR, index);
    return index;
  }
  Attach();
  const int focus = FocusRow();
  if (index == count) {
    // Appending, as a list is filled, moves no row: the highlight and the focus row stay as
    // they are, and nothing here may cost more than the row itself, or filling a long list
    // grows with the square of its length.
    TextRowsInsert(m_rows, index, text, true);
    if (focus == LB_ERR) SetFocusRow(CaretAfterInsert(focus, index));
    return index;
  }
  std::vector<int> selected = SelectedRows(GTK_TREE_VIEW(m_view));
  for (int& row : selected) row += row >= index ? 1 : 0;
  ++m_quiet;
  TextRowsInsert(m_rows, index, text, true);
  SelectOnly(GTK_TREE_VIEW(m_view), selected);
  --m_quiet;
  SetFocusRow(CaretAfterInsert(focus, index));
  return index;
}

int GtkListView::Delete(int index) {
  if (index < 0 || index >= Count()) return LB_ERR;
  Attach();
  const int focus = FocusRow();
  if (index != focus) {
    // GTK keeps the focus row and the highlight of the other rows: nothing here may cost more
    // than the row itself, or deleting many rows grows with the square of their number.
    ++m_quiet;
    TextRowsRemove(m_rows, index);
    --m_quiet;
    return Count();
  }
  // GTK moves and highlights a new cursor row itself when the cursor's row goes; the
  // highlight the user made is put back, less the deleted row.
  std::vector<int> selected;
  for (int row : SelectedRows(GTK_TREE_VIEW(m_view))) {
    if (row != index) selected.push_back(row > index ? row - 1 : row);
  }
  ++m_quiet;
  TextRowsRemove(m_rows, index);
  SelectOnly(GTK_TREE_VIEW(m_view), selected);
  --m_quiet;
  const int count = Count();
  SetFocusRow(CaretAfterDelete(focus, index, count));
  return count;
}

void GtkListView::Reset() {
  ++m_quiet;
  // An emptied list is about to be filled, most often: the view lets go of the rows until
  // then, since a view that follows every appended row takes seconds for a long list.
  Detach();
  TextRowsClear(m_rows);
  --m_quiet;
  m_pendingFocus = LB_ERR;
  m_widest.clear();
}

void GtkListView::Detach() {
  if (m_detached) return;
  m_pendingFocus = FocusRow();
  m_detached = true;
  gtk_tree_view_set_model(GTK_TREE_VIEW(m_view), nullptr);
  if (m_attachLater == 0)
    m_attachLater = g_idle_add_full(G_PRIORITY_HIGH_IDLE, OnAttachLater, this, nullptr);
}

void GtkListView::Attach() {
  if (!m_detached) return;
  m_detached = false;
  ++m_quiet;
  gtk_tree_view_set_model(GTK_TREE_VIEW(m_view), m_rows);
  --m_quiet;
  const int focus = m_pendingFocus;
  m_pendingFocus = LB_ERR;
  SetFocusRow(focus);
}

int GtkListView::OnAttachLater(void* data) {
  auto* self = static_cast<GtkListView*>(data);
  self->m_attachLater = 0;
  self->Attach();
  return G_SOURCE_REMOVE;
}

void GtkListView::NoteWidthOf(const std::string& text) {
  // The longest text in bytes stands for the widest: measuring every one would cost what the
  // fixed width saves. Measured once the list has been filled, before it is drawn.
  if (text.size() <= m_widest.size()) return;
  m_widest = text;
  if (m_widthUpdate == 0)
    m_widthUpdate = g_idle_add_full(G_PRIORITY_HIGH_IDLE, OnWidthUpdate, this, nullptr);
}

int GtkListView::OnWidthUpdate(void* data) {
  auto* self = static_cast<GtkListView*>(data);
  self->m_widthUpdate = 0;
  PangoLayout* layout = gtk_widget_create_pango_layout(self->m_view, self->m_widest.c_str());
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  g_object_unref(layout);
  int xpad = 0;
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(self->m_column));
  if (cells != nullptr)
    gtk_cell_renderer_get_padding(GTK_CELL_RENDERER(cells->data), &xpad, nullptr);
  g_list_free(cells);
  // The renderer's padding on both sides, and room for the focus rectangle's margin.
  const int wanted = width + 2 * xpad + 8;
  if (wanted > gtk_tree_view_column_get_fixed_width(self->m_column)) {
    gtk_tree_view_column_set_fixed_width(self->m_column, wanted);
  }
  return G_SOURCE_REMOVE;
}

void GtkListView::SetFocusRow(int index) {
  if (index == LB_ERR || index < 0 || index >= Count()) return;
  if (m_detached) {
    m_pendingFocus = index;
    return;
  }
  GtkTreeView* view = GTK_TREE_VIEW(m_view);
  const std::vector<int> selected = SelectedRows(view);
  GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
  ++m_quiet;
  // Setting GTK's cursor highlights its row alone; the highlight goes back as it was.
  gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
  SelectOnly(view, selected);
  --m_quiet;
  gtk_tree_view_scroll_to_cell(view, path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
  gtk_widget_queue_draw(m_view);
}

void GtkListView::MoveToRow(int index) {
  if (index == LB_ERR) return;
  GtkTreeView* view = GTK_TREE_VIEW(m_view);
  GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
  // GTK's cursor highlights its row alone and starts the next Shift range there.
  gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
  gtk_tree_view_scroll_to_cell(view, path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
  gtk_widget_queue_draw(m_view);
}

int GtkListView::RowsInView() const {
  GdkRectangle visible;
  gtk_tree_view_get_visible_rect(GTK_TREE_VIEW(m_view), &visible);
  GdkRectangle row{};
  GtkTreePath* first = gtk_tree_path_new_first();
  gtk_tree_view_get_background_area(GTK_TREE_VIEW(m_view), first, nullptr, &row);
  gtk_tree_path_free(first);
  return row.height > 0 ? std::max(1, visible.height / row.height) : 1;
}

int GtkListView::OnKeyPress(GtkWidget* /*widget*/, void* rawEvent, void* data) {
  auto* self = static_cast<GtkListView*>(data);
  const auto* event = static_cast<GdkEventKey*>(rawEvent);
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  // Letters, capitals too, go to the typing target.
  if ((modifiers & ~GDK_SHIFT_MASK) == 0 && self->TypeIntoTarget(event->keyval)) return TRUE;
  // With Shift, GTK's own handling stretches the highlight from where its last click or
  // plain key left the range's start.
  if (modifiers != 0 && modifiers != GDK_CONTROL_MASK) return FALSE;
  if (const std::optional<ListKey> key = MovingKey(event->keyval)) {
    const int row = CaretAfterListKey(*key, self->FocusRow(), self->Count(), self->RowsInView());
    if (modifiers == GDK_CONTROL_MASK) {
      self->SetFocusRow(row);
    } else {
      self->MoveToRow(row);
    }
    return TRUE;
  }
  if (modifiers != 0) return FALSE;
  if (event->keyval == GDK_KEY_space || event->keyval == GDK_KEY_KP_Space) {
    const int focus = self->FocusRow();
    if (focus == LB_ERR) return TRUE;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(self->m_view));
    GtkTreePath* path = gtk_tree_path_new_from_indices(focus, -1);
    if (gtk_tree_selection_path_is_selected(selection, path)) {
      gtk_tree_selection_unselect_path(selection, path);
    } else {
      gtk_tree_selection_select_path(selection, path);
    }
    gtk_tree_path_free(path);
    return TRUE;
  }
  return FALSE;
}

bool GtkListView::TypeIntoTarget(unsigned keyval) {
  const gunichar letter = gdk_keyval_to_unicode(keyval);
  if (m_typingTarget == nullptr || letter <= ' ' || !g_unichar_isprint(letter)) return false;
  char utf8[8] = {};
  const int length = g_unichar_to_utf8(letter, utf8);
  // The entry would select its whole text on taking the keyboard, and the letter replace it:
  // it goes after the text instead, as if typed there.
  gtk_widget_grab_focus(m_typingTarget);
  GtkEditable* editable = GTK_EDITABLE(m_typingTarget);
  gint position = gtk_entry_get_text_length(GTK_ENTRY(m_typingTarget));
  gtk_editable_insert_text(editable, utf8, length, &position);
  gtk_editable_set_position(editable, position);
  return true;
}

void GtkListView::OnSelectionChanged(GtkTreeSelection* /*selection*/, void* data) {
  auto* self = static_cast<GtkListView*>(data);
  if (self->m_quiet == 0 && self->m_onSelectionChange) self->m_onSelectionChange();
}

int GtkListView::OnDrawAfter(GtkWidget* widget, cairo_t* cr, void* data) {
  auto* self = static_cast<GtkListView*>(data);
  const int focus = self->FocusRow();
  if (focus == LB_ERR) return FALSE;
  GtkTreeView* view = GTK_TREE_VIEW(widget);
  GtkTreePath* path = gtk_tree_path_new_from_indices(focus, -1);
  GdkRectangle area{};
  gtk_tree_view_get_background_area(view, path, nullptr, &area);
  gtk_tree_path_free(path);
  int x = 0, y = 0;
  gtk_tree_view_convert_bin_window_to_widget_coords(view, area.x, area.y, &x, &y);
  // The theme's focus rectangle, drawn whether or not the list has the keyboard: Restore
  // acts on this row even while the keyboard is on the button.
  const int width = std::max(area.width, gtk_widget_get_allocated_width(widget));
  gtk_render_focus(gtk_widget_get_style_context(widget), cr, x + 1, y + 1, width - 2,
                   area.height - 2);
  return FALSE;
}
