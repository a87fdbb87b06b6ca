// The rows of a GTK list box: a GtkTreeModel of one text column over a vector of strings.
// GtkListStore keeps each row as a node with its own value array and emits a signal for each
// appended row, which for 200,000 paths costs a third of a second before the list can be
// shown; here a row is its string, reached by index, and rows appended while no view shows
// the model are not announced.
#pragma once

#include <string>

typedef struct _GtkTreeModel GtkTreeModel;

// A new model without rows; the caller owns the reference.
GtkTreeModel* TextRowsModelNew();

int TextRowsCount(GtkTreeModel* model);
// Empty when index is out of range.
const std::string& TextRowsText(GtkTreeModel* model, int index);
// index must be 0 to the count. announce is false only while no view shows the model.
void TextRowsInsert(GtkTreeModel* model, int index, const std::string& text, bool announce);
// index must be in range; the view is told.
void TextRowsRemove(GtkTreeModel* model, int index);
// Only while no view shows the model: nothing is announced.
void TextRowsClear(GtkTreeModel* model);
