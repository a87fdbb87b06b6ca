// A flat GtkTreeModel over std::vector<std::string>: an iterator holds its row's index.
#include "text_rows_model.h"

#include <gtk/gtk.h>

#include <vector>

namespace {

struct TextRowsModel {
  GObject parent;
  std::vector<std::string>* rows;
  gint stamp;  // marks the iterators of this model
};

struct TextRowsModelClass {
  GObjectClass parentClass;
};

void text_rows_model_tree_model_init(GtkTreeModelIface* iface);

G_DEFINE_TYPE_WITH_CODE(TextRowsModel, text_rows_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, text_rows_model_tree_model_init))

TextRowsModel* Self(GtkTreeModel* model) { return reinterpret_cast<TextRowsModel*>(model); }

int Size(GtkTreeModel* model) { return static_cast<int>(Self(model)->rows->size()); }

// Points iter at row index; false when there is no such row.
gboolean SetIter(GtkTreeModel* model, GtkTreeIter* iter, int index) {
  if (index < 0 || index >= Size(model)) return FALSE;
  iter->stamp = Self(model)->stamp;
  iter->user_data = GINT_TO_POINTER(index);
  return TRUE;
}

int IndexOf(const GtkTreeIter* iter) { return GPOINTER_TO_INT(iter->user_data); }

GtkTreeModelFlags GetFlags(GtkTreeModel*) { return GTK_TREE_MODEL_LIST_ONLY; }

gint GetNColumns(GtkTreeModel*) { return 1; }

GType GetColumnType(GtkTreeModel*, gint) { return G_TYPE_STRING; }

gboolean GetIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
  if (gtk_tree_path_get_depth(path) != 1) return FALSE;
  return SetIter(model, iter, gtk_tree_path_get_indices(path)[0]);
}

GtkTreePath* GetPath(GtkTreeModel*, GtkTreeIter* iter) {
  return gtk_tree_path_new_from_indices(IndexOf(iter), -1);
}

void GetValue(GtkTreeModel* model, GtkTreeIter* iter, gint, GValue* value) {
  g_value_init(value, G_TYPE_STRING);
  const int index = IndexOf(iter);
  if (index >= 0 && index < Size(model)) {
    g_value_set_string(value, (*Self(model)->rows)[static_cast<std::size_t>(index)].c_str());
  }
}

gboolean IterNext(GtkTreeModel* model, GtkTreeIter* iter) {
  return SetIter(model, iter, IndexOf(iter) + 1);
}

gboolean IterPrevious(GtkTreeModel* model, GtkTreeIter* iter) {
  return SetIter(model, iter, IndexOf(iter) - 1);
}

gboolean IterChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
  return parent == nullptr && SetIter(model, iter, 0);
}

gboolean IterHasChild(GtkTreeModel*, GtkTreeIter*) { return FALSE; }

gint IterNChildren(GtkTreeModel* model, GtkTreeIter* iter) {
  return iter == nullptr ? Size(model) : 0;
}

gboolean IterNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
  return parent == nullptr && SetIter(model, iter, n);
}

gboolean IterParent(GtkTreeModel*, GtkTreeIter*, GtkTreeIter*) { return FALSE; }

void text_rows_model_tree_model_init(GtkTreeModelIface* iface) {
  iface->get_flags = GetFlags;
  iface->get_n_columns = GetNColumns;
  iface->get_column_type = GetColumnType;
  iface->get_iter = GetIter;
  iface->get_path = GetPath;
  iface->get_value = GetValue;
  iface->iter_next = IterNext;
  iface->iter_previous = IterPrevious;
  iface->iter_children = IterChildren;
  iface->iter_has_child = IterHasChild;
  iface->iter_n_children = IterNChildren;
  iface->iter_nth_child = IterNthChild;
  iface->iter_parent = IterParent;
}

void Finalize(GObject* object) {
  delete reinterpret_cast<TextRowsModel*>(object)->rows;
  G_OBJECT_CLASS(text_rows_model_parent_class)->finalize(object);
}

void text_rows_model_class_init(TextRowsModelClass* type) {
  G_OBJECT_CLASS(type)->finalize = Finalize;
}

void text_rows_model_init(TextRowsModel* self) {
  self->rows = new std::vector<std::string>();
  self->stamp = g_random_int();
}

// Tells the view about row index, which was just inserted or is about to be removed.
void Announce(GtkTreeModel* model, int index, bool inserted) {
  GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
  if (inserted) {
    GtkTreeIter iter;
    SetIter(model, &iter, index);
    gtk_tree_model_row_inserted(model, path, &iter);
  } else {
    gtk_tree_model_row_deleted(model, path);
  }
  gtk_tree_path_free(path);
}

}  // namespace

GtkTreeModel* TextRowsModelNew() {
  return GTK_TREE_MODEL(g_object_new(text_rows_model_get_type(), nullptr));
}

int TextRowsCount(GtkTreeModel* model) { return Size(model); }

const std::string& TextRowsText(GtkTreeModel* model, int index) {
  static const std::string kNone;
  if (index < 0 || index >= Size(model)) return kNone;
  return (*Self(model)->rows)[static_cast<std::size_t>(index)];
}

void TextRowsInsert(GtkTreeModel* model, int index, const std::string& text, bool announce) {
  std::vector<std::string>& rows = *Self(model)->rows;
  rows.insert(rows.begin() + index, text);
  if (announce) Announce(model, index, true);
}

void TextRowsRemove(GtkTreeModel* model, int index) {
  std::vector<std::string>& rows = *Self(model)->rows;
  rows.erase(rows.begin() + index);
  // Announced once the row is gone, as the interface wants it.
  Announce(model, index, false);
}

void TextRowsClear(GtkTreeModel* model) { Self(model)->rows->clear(); }
