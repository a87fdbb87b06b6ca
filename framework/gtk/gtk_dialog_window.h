// GtkDialogWindow: one dialog template made into a real GTK window of native widgets placed
// where the template puts them. Its controls report clicks, edits and list picks to the
// dialog as window messages; keys, the close box and the background's context menu end it
// or reach its system commands the way the dialog's message table decides.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/window_backend.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;
typedef struct _cairo cairo_t;
class GtkBackend;
class GtkListView;

class GtkDialogWindow : public DialogWindow {
 public:
  // Builds the window and its controls, hidden, laid out in the backend's base units. The
  // template and the target must outlive the window.
  GtkDialogWindow(GtkBackend& backend, const DialogTemplate& dialogTemplate, MessageTarget& target);
  ~GtkDialogWindow() override;

  GtkWindow* Window() const;

  // DialogWindow
  int RunModal() override;
  void EndModal(int result) override;
  std::string GetItemText(int id) const override;
  void SetItemText(int id, const std::string& text) override;
  void SetTitle(const std::string& title) override;
  int ListCount(int id) const override;
  int ListCaret(int id) const override;
  void ListSetCaret(int id, int index) override;
  std::vector<int> ListSelection(int id) const override;
  std::string ListText(int id, int index) const override;
  int ListInsert(int id, int index, const std::string& text) override;
  int ListDelete(int id, int index) override;
  void ListReset(int id) override;
  bool HasSystemMenu() const override;
  void AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) override;
  void ShowContextMenu(int id, const std::vector<MenuItem>& items) override;
  void SetIcon(const Icon& icon, bool big) override;
  bool IsIconic() const override;
  ClientRect GetClientRect() const override;
  void DrawIcon(int x, int y, const Icon& icon) override;

 private:
  struct Control {
    int id;
    ControlClass cls;
    std::uint32_t style;
    GtkWidget* widget;  // the placed widget, owned by the window
    GtkWidget* inner;   // the one that takes the keyboard and holds the text: the list's
                        // view, a multi-line box's text view, or the widget itself
    std::shared_ptr<GtkListView> list;  // list boxes only
  };
  struct Posted {
    UINT message;
    WPARAM wParam;
  };
  void BuildControl(const ControlTemplate& control);
  void NameControlsByTheirLabels();
  const Control* FindControl(int id, ControlClass cls) const;
  const Control* FindWidget(const GtkWidget* widget) const;
  int DefaultButtonId() const;
  void Notify(UINT code, int id);
  // Sends the message from an idle moment of the event loop instead of from inside the
  // signal that asked for it: a button pressed through the accessibility bus signals from
  // inside the bus's own dispatch, and a dialog run there would hold the bus until it ends.
  void Post(UINT message, WPARAM wParam);
  static int OnPosted(void* data);
  bool HandleKey(unsigned keyval, unsigned state);
  // Pops the system menu up at the pointer (event given) or at the keyboard focus.
  void ShowSystemMenu(const void* buttonEvent);
  // Asks the dialog for control id's context menu, after the button press event or (null) a
  // key; the system menu when the dialog shows none.
  void RequestContextMenu(int id, const void* buttonEvent);

  static int OnKeyPress(GtkWidget* widget, void* event, void* data);
  static int OnButtonPress(GtkWidget* widget, void* event, void* data);
  static int OnListButtonPress(GtkWidget* widget, void* event, void* data);
  static int OnDeleteEvent(GtkWidget* widget, void* event, void* data);
  static int OnDrawAfter(GtkWidget* widget, cairo_t* cr, void* data);
  static void OnButtonClicked(GtkWidget* widget, void* data);
  static void OnEditChanged(GtkWidget* widget, void* data);
  static void OnTextChanged(void* buffer, void* data);
  // Posts the message and command that the chosen item carries.
  static void OnMenuItem(GtkWidget* item, void* data);

  GtkBackend& m_backend;
  const DialogTemplate& m_template;
  MessageTarget& m_target;
  GtkWidget* m_window;
  GtkWidget* m_fixed;
  GtkWidget* m_menu = nullptr;  // the last menu popped up, system or context
  std::vector<Control> m_controls;
  std::vector<MenuItem> m_systemMenu;
  const void* m_contextEvent = nullptr;  // the button press of the context menu being asked for
  const Icon* m_bigIcon = nullptr;
  const Icon* m_smallIcon = nullptr;
  std::vector<Posted> m_posted;
  unsigned m_postSource = 0;   // the idle source that sends m_posted, 0 when none
  cairo_t* m_paint = nullptr;  // set while WM_PAINT is handled
  int m_quiet = 0;             // above zero while the program itself sets a control's text
  bool m_ended = false;
  int m_result = IDCANCEL;
};
