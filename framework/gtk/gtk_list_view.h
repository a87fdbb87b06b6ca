// The list box of a template on GTK: a GtkTreeView of one text column in a scrolled window,
// with several highlighted rows and one focus row, as a list box with extended selection.
// A click or a moving key takes the focus row and the highlight to a row; with Shift they
// stretch the highlight from where it began, with Ctrl a click adds or takes away one row and
// a moving key moves the focus row alone; Space adds or takes away the focus row. The focus
// row stays marked while the keyboard is elsewhere, since Restore acts on it when nothing is
// highlighted.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/window_constants.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkTreeView GtkTreeView;
typedef struct _GtkTreeModel GtkTreeModel;
typedef struct _GtkTreeSelection GtkTreeSelection;
typedef struct _GtkTreeViewColumn GtkTreeViewColumn;
typedef struct _cairo cairo_t;

class GtkListView {
 public:
  // onSelectionChange runs whenever the user changes the highlighted rows.
  explicit GtkListView(std::function<void()> onSelectionChange);
  ~GtkListView();
  GtkListView(const GtkListView&) = delete;
  GtkListView& operator=(const GtkListView&) = delete;

  // The widget to place: the scrolled window. Owned by the dialog's window once placed.
  GtkWidget* Outer() const { return m_scroller; }
  // The widget that takes the keyboard and that assistive technology reads.
  GtkWidget* View() const { return m_view; }

  int Count() const;
  // The focus row, or LB_ERR when the list is empty.
  int FocusRow() const;
  // Moves the focus row to index without touching the highlight, and scrolls it into view.
  void SetFocusRow(int index);
  // The entry that takes the letters typed into the list, and the keyboard with them; it
  // must outlive the list.
  void SetTypingTarget(GtkWidget* entry) { m_typingTarget = entry; }
  // The highlighted rows, in list order.
  std::vector<int> Highlighted() const;
  std::string Text(int index) const;
  // index -1 appends; returns the new item's index or LB_ERR.
  int Insert(int index, const std::string& text);
  // Returns the number of items left, or LB_ERR.
  int Delete(int index);
  void Reset();

 private:
  // Moves the focus row to index and highlights that row alone, as a click does.
  void MoveToRow(int index);
  int RowsInView() const;
  // Hands a typed letter to the typing target, which takes the keyboard; false when there is
  // no target or the key is no letter for it.
  bool TypeIntoTarget(unsigned keyval);
  // While detached the view shows no rows and costs nothing per appended one; the focus row
  // waits in m_pendingFocus. Attach puts the rows back (at the latest once GTK is idle,
  // before it draws) and every operation that needs the view attaches first.
  void Detach();
  void Attach();
  static int OnAttachLater(void* data);
  // Widens the column, once GTK is idle, when text is longer than every earlier item.
  void NoteWidthOf(const std::string& text);
  static int OnWidthUpdate(void* data);

  static int OnKeyPress(GtkWidget* widget, void* event, void* data);
  static void OnSelectionChanged(GtkTreeSelection* selection, void* data);
  static int OnDrawAfter(GtkWidget* widget, cairo_t* cr, void* data);

  std::function<void()> m_onSelectionChange;
  GtkTreeModel* m_rows;
  GtkWidget* m_view;
  GtkWidget* m_scroller;
  GtkTreeViewColumn* m_column;
  GtkWidget* m_typingTarget = nullptr;
  std::string m_widest;        // the longest item so far, which sets the column's width
  unsigned m_widthUpdate = 0;  // the idle source that will measure it, or 0
  int m_quiet = 0;             // above zero while the program itself changes the highlight
  bool m_detached = false;
  int m_pendingFocus = LB_ERR;
  unsigned m_attachLater = 0;  // the idle source that will attach, or 0
};
