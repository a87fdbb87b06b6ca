// The scripted window backend for tests: builds no window but runs the real dialog classes.
// A test queues what the user does, runs a dialog, and reads back every message box shown.
//
// Every queued action goes to the innermost window or message box open when it is taken:
// a message box opened by a handler takes the next action, which must be an Answer (a box
// with only an OK button answers IDOK by itself when the next action is not an Answer).
// When the queue runs dry, each open window is closed as by its close box (WM_CLOSE), so
// every modal run ends. During long work that keeps the windows responsive, a queued Escape
// or Close that is the next action is taken as the user's request to stop the work (and,
// for Close, to close afterwards).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../list_box_keys.h"
#include "../window_backend.h"
#include "scripted_window.h"

class ScriptedBackend : public WindowBackend {
 public:
  struct ShownMessage {
    std::string text;
    std::string caption;
    UINT style;
    std::string checkText{};  // the check box's label; empty for a box without one
    std::string detail{};     // shown below the text by a box with a check box
  };
  using Held = HeldKey;

  // Installs itself as the window backend; uninstalls on destruction.
  ScriptedBackend();
  ~ScriptedBackend() override;

  // --- What the user does, in order ---
  // Replaces an edit box's text, raising EN_CHANGE once.
  ScriptedBackend& Type(int id, const std::string& text);
  // Types text one character at a time onto the box's current text, raising EN_CHANGE for each.
  ScriptedBackend& TypeKeys(int id, const std::string& text);
  ScriptedBackend& Click(int id);
  // A click on the list box's item index, raising LBN_SELCHANGE: it takes the caret and
  // becomes the only highlighted item and the anchor of a range. With Ctrl held it is
  // highlighted or not in turn and becomes the anchor, the others staying as they are; with
  // Shift held the items from the anchor to it become the highlighted ones.
  ScriptedBackend& Pick(int id, int index, Held held = Held::Nothing);
  // A moving key in the list box: the caret moves as CaretAfterListKey says, with as many
  // rows in view as the control's height holds lines of its 8-point font. In a list box with
  // extended selection (LBS_EXTENDEDSEL) the highlight follows as it does a click with the
  // same key held, raising LBN_SELCHANGE, except that Ctrl moves the caret alone. Otherwise
  // the highlight stays, and nothing is raised.
  ScriptedBackend& PressListKey(int id, ListKey key, Held held = Held::Nothing);
  // Answers the message box that is open when this action is taken.
  ScriptedBackend& Answer(int button);
  // Ticks the check box of the message box open when this action is taken, then answers it.
  ScriptedBackend& AnswerWithCheck(int button);
  ScriptedBackend& Hide();
  ScriptedBackend& Show();
  ScriptedBackend& Escape();
  // Enter while an edit box has the focus: the default button, or IDOK when there is none.
  ScriptedBackend& Enter();
  ScriptedBackend& Close();
  ScriptedBackend& SysCommand(UINT commandId);
  // Asks for control id's context menu: with a right-click on row of a list box (which moves
  // the caret there first), or with the keyboard (row -1). The menu stays open for the next
  // action: ChooseMenuItem takes one of its items, any other action dismisses it first.
  ScriptedBackend& ContextMenu(int id, int row = -1);
  ScriptedBackend& ChooseMenuItem(UINT commandId);
  ScriptedBackend& Minimise(bool minimised, int clientWidth, int clientHeight);
  // Runs a check at this point, with the windows still open.
  ScriptedBackend& Then(std::function<void()> check);
  // What the next folder browser returns (nothing: the user cancels).
  ScriptedBackend& SetBrowseResult(std::optional<std::string> path);
  // The folders the browsers were opened at, in order.
  const std::vector<std::string>& BrowseStartFolders() const { return m_browseStarts; }

  // --- What the test reads back ---
  const std::vector<ShownMessage>& Messages() const { return m_messages; }
  std::vector<std::string> MessageTexts() const;
  void ClearMessages() { m_messages.clear(); }
  // Script errors (an action no open window can take, a question with no answer queued).
  const std::vector<std::string>& Problems() const { return m_problems; }
  // The innermost open window, or null.
  ScriptedWindow* ActiveWindow() const;
  // Actions queued but not yet taken (a script that ends with some left over is usually wrong).
  std::size_t PendingActions() const { return m_actions.size(); }
  // Drops the actions not yet taken, so that the next dialog starts with a fresh script.
  void ClearActions() { m_actions.clear(); }
  int IconSize() const { return m_iconSize; }
  void SetIconSize(int size) { m_iconSize = size; }

  // WindowBackend
  std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                   MessageTarget& target) override;
  int MessageBox(const std::string& text, const std::string& caption, UINT style) override;
  int MessageBoxWithCheck(const std::string& text, const std::string& detail,
                          const std::string& caption, UINT style, const std::string& checkText,
                          bool& checked) override;
  std::optional<std::string> BrowseForPath(const std::string& title,
                                           const std::string& startFolder) override;
  int GetSystemMetrics(int index) const override;
  StopRequest KeepResponsive() override;

 private:
  friend class ScriptedWindow;
  struct Action {
    enum Kind {
      Type,
      Key,
      Click,
      Pick,
      ListKey,
      Answer,
      Hide,
      Show,
      Escape,
      Enter,
      Close,
      SysCommand,
      Minimise,
      Then,
      ContextMenu,
      ChooseMenuItem
    } kind;
    int id = 0;
    std::string text{};
    int value = 0;
    int width = 0, height = 0;
    Held held = Held::Nothing;
    bool ticked = false;  // an Answer that ticks the box's check box first
    std::function<void()> check{};
  };
  ScriptedBackend& Queue(Action action);
  // Takes the next action for window (the innermost); false when the queue is empty.
  bool TakeAction(ScriptedWindow& window);
  // Records the box and takes its answer from the queue; ticked tells whether that answer
  // ticked a check box.
  int AnswerBox(ShownMessage shown, bool& ticked);

  std::deque<Action> m_actions;
  std::vector<ShownMessage> m_messages;
  std::vector<std::string> m_problems;
  std::vector<ScriptedWindow*> m_open;  // innermost last
  std::optional<std::string> m_browseResult;
  std::vector<std::string> m_browseStarts;
  int m_iconSize = 32;
};
