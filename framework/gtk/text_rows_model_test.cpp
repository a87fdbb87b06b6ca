// Tests of the list's tree model without a display: rows by index through GTK's own model
// calls, and the announcements a view hears for inserts and removals but not for a batch
// appended while no view shows the model.
#include "text_rows_model.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace {

struct Heard {
  std::vector<int> inserted, deleted;
};

void OnInserted(GtkTreeModel*, GtkTreePath* path, GtkTreeIter*, gpointer data) {
  static_cast<Heard*>(data)->inserted.push_back(gtk_tree_path_get_indices(path)[0]);
}

void OnDeleted(GtkTreeModel*, GtkTreePath* path, gpointer data) {
  static_cast<Heard*>(data)->deleted.push_back(gtk_tree_path_get_indices(path)[0]);
}

// The rows as GTK reads them: from the first iterator on, each value of column 0.
std::vector<std::string> RowsSeenByGtk(GtkTreeModel* model) {
  std::vector<std::string> rows;
  GtkTreeIter iter;
  for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more;
       more = gtk_tree_model_iter_next(model, &iter)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &iter, 0, &text, -1);
    rows.emplace_back(text != nullptr ? text : "");
    g_free(text);
  }
  return rows;
}

TEST(TextRowsModel, RowsAreReadByIndexAndAnnouncedOnlyWhenAsked) {
  GtkTreeModel* model = TextRowsModelNew();
  Heard heard;
  g_signal_connect(model, "row-inserted", G_CALLBACK(OnInserted), &heard);
  g_signal_connect(model, "row-deleted", G_CALLBACK(OnDeleted), &heard);
  EXPECT_EQ(gtk_tree_model_get_n_columns(model), 1);
  EXPECT_EQ(gtk_tree_model_get_column_type(model, 0), G_TYPE_STRING);

  // A batch appended with nobody to tell.
  for (const char* text : {"/a", "/b", "/c"}) {
    TextRowsInsert(model, TextRowsCount(model), text, false);
  }
  EXPECT_TRUE(heard.inserted.empty());
  TextRowsInsert(model, 1, "/new", true);
  EXPECT_EQ(heard.inserted, std::vector<int>{1});
  EXPECT_EQ(RowsSeenByGtk(model), (std::vector<std::string>{"/a", "/new", "/b", "/c"}));
  EXPECT_EQ(gtk_tree_model_iter_n_children(model, nullptr), 4);

  GtkTreeIter iter;
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model, &iter, nullptr, 3));
  GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
  EXPECT_EQ(gtk_tree_path_get_indices(path)[0], 3);
  gtk_tree_path_free(path);
  EXPECT_TRUE(gtk_tree_model_iter_previous(model, &iter));
  EXPECT_FALSE(gtk_tree_model_iter_has_child(model, &iter));
  EXPECT_FALSE(gtk_tree_model_iter_nth_child(model, &iter, nullptr, 4));

  TextRowsRemove(model, 0);
  EXPECT_EQ(heard.deleted, std::vector<int>{0});
  EXPECT_EQ(TextRowsText(model, 0), "/new");
  EXPECT_EQ(TextRowsText(model, 9), "");
  TextRowsClear(model);
  EXPECT_EQ(TextRowsCount(model), 0);
  EXPECT_FALSE(gtk_tree_model_get_iter_first(model, &iter));
  g_object_unref(model);
}

}  // namespace
