// The scripted backend: a queue of user actions handed one at a time to the innermost open
// window or message box, and a record of every message box shown.
#include "scripted_backend.h"

#include <utility>

#include "scripted_window.h"

namespace {

std::string ActionName(int kind) {
  static const char* const kNames[] = {"Type",     "TypeKeys", "Click",       "Pick",
                                       "ListKey",  "Answer",   "Hide",        "Show",
                                       "Escape",   "Enter",    "Close",       "SysCommand",
                                       "Minimise", "Then",     "ContextMenu", "ChooseMenuItem"};
  return kNames[kind];
}

// Whether button is one that a box of this style offers.
bool BoxOffers(UINT style, int button) {
  switch (style & MB_TYPEMASK) {
    case MB_OK:
      return button == IDOK;
    case MB_OKCANCEL:
      return button == IDOK || button == IDCANCEL;
    case MB_YESNO:
      return button == IDYES || button == IDNO;
    default:
      return true;
  }
}

}  // namespace

ScriptedBackend::ScriptedBackend() { InstallWindowBackend(this); }

ScriptedBackend::~ScriptedBackend() { InstallWindowBackend(nullptr); }

ScriptedBackend& ScriptedBackend::Queue(Action action) {
  m_actions.push_back(std::move(action));
  return *this;
}

ScriptedBackend& ScriptedBackend::Type(int id, const std::string& text) {
  return Queue(Action{.kind = Action::Type, .id = id, .text = text});
}

ScriptedBackend& ScriptedBackend::TypeKeys(int id, const std::string& text) {
  // One action per key, so that a message box raised by one keystroke's handler meets the
  // next keystroke exactly as it would at a real keyboard.
  for (char key : text) Queue(Action{.kind = Action::Key, .id = id, .text = std::string(1, key)});
  return *this;
}

ScriptedBackend& ScriptedBackend::Click(int id) {
  return Queue(Action{.kind = Action::Click, .id = id});
}

ScriptedBackend& ScriptedBackend::Pick(int id, int index, Held held) {
  return Queue(Action{.kind = Action::Pick, .id = id, .value = index, .held = held});
}

ScriptedBackend& ScriptedBackend::PressListKey(int id, ListKey key, Held held) {
  return Queue(
      Action{.kind = Action::ListKey, .id = id, .value = static_cast<int>(key), .held = held});
}

ScriptedBackend& ScriptedBackend::Answer(int button) {
  return Queue(Action{.kind = Action::Answer, .value = button});
}

ScriptedBackend& ScriptedBackend::AnswerWithCheck(int button) {
  return Queue(Action{.kind = Action::Answer, .value = button, .ticked = true});
}

ScriptedBackend& ScriptedBackend::Hide() { return Queue(Action{.kind = Action::Hide}); }
ScriptedBackend& ScriptedBackend::Show() { return Queue(Action{.kind = Action::Show}); }
ScriptedBackend& ScriptedBackend::Escape() { return Queue(Action{.kind = Action::Escape}); }
ScriptedBackend& ScriptedBackend::Enter() { return Queue(Action{.kind = Action::Enter}); }
ScriptedBackend& ScriptedBackend::Close() { return Queue(Action{.kind = Action::Close}); }

ScriptedBackend& ScriptedBackend::SysCommand(UINT commandId) {
  return Queue(Action{.kind = Action::SysCommand, .value = static_cast<int>(commandId)});
}

ScriptedBackend& ScriptedBackend::ContextMenu(int id, int row) {
  return Queue(Action{.kind = Action::ContextMenu, .id = id, .value = row});
}

ScriptedBackend& ScriptedBackend::ChooseMenuItem(UINT commandId) {
  return Queue(Action{.kind = Action::ChooseMenuItem, .value = static_cast<int>(commandId)});
}

ScriptedBackend& ScriptedBackend::Minimise(bool minimised, int clientWidth, int clientHeight) {
  return Queue(Action{.kind = Action::Minimise,
                      .value = minimised ? 1 : 0,
                      .width = clientWidth,
                      .height = clientHeight});
}

ScriptedBackend& ScriptedBackend::Then(std::function<void()> check) {
  return Queue(Action{.kind = Action::Then, .check = std::move(check)});
}

ScriptedBackend& ScriptedBackend::SetBrowseResult(std::optional<std::string> path) {
  m_browseResult = std::move(path);
  return *this;
}

std::vector<std::string> ScriptedBackend::MessageTexts() const {
  std::vector<std::string> texts;
  texts.reserve(m_messages.size());
  for (const ShownMessage& message : m_messages) texts.push_back(message.text);
  return texts;
}

ScriptedWindow* ScriptedBackend::ActiveWindow() const {
  return m_open.empty() ? nullptr : m_open.back();
}

std::unique_ptr<DialogWindow> ScriptedBackend::CreateDialogWindow(
    const DialogTemplate& dialogTemplate, MessageTarget& target) {
  return std::make_unique<ScriptedWindow>(*this, dialogTemplate, target);
}

bool ScriptedBackend::TakeAction(ScriptedWindow& window) {
  if (m_actions.empty()) return false;
  Action action = std::move(m_actions.front());
  m_actions.pop_front();

  // A menu left open goes as soon as the user does anything else.
  if (action.kind != Action::ChooseMenuItem && action.kind != Action::Then) {
    window.DismissContextMenu();
  }
  bool taken = true;
  switch (action.kind) {
    case Action::Type:
      taken = window.TypeText(action.id, action.text);
      break;
    case Action::Key:
      taken = window.TypeKey(action.id, action.text[0]);
      break;
    case Action::Click:
      taken = window.ClickButton(action.id);
      break;
    case Action::Pick:
      taken = window.PickItem(action.id, action.value, action.held);
      break;
    case Action::ListKey:
      taken = window.PressListKey(action.id, static_cast<ListKey>(action.value), action.held);
      break;
    case Action::Answer:
      taken = false;  // only a message box can take an answer
      break;
    case Action::Hide:
      window.ShowWindow(false);
      break;
    case Action::Show:
      window.ShowWindow(true);
      break;
    case Action::Escape:
      window.PressEscape();
      break;
    case Action::Enter:
      window.PressEnter();
      break;
    case Action::Close:
      window.CloseBox();
      break;
    case Action::SysCommand:
      window.SystemCommand(static_cast<UINT>(action.value));
      break;
    case Action::Minimise:
      window.SetMinimised(action.value != 0, action.width, action.height);
      break;
    case Action::Then:
      if (action.check) action.check();
      break;
    case Action::ContextMenu:
      taken = window.RequestContextMenu(action.id, action.value);
      break;
    case Action::ChooseMenuItem:
      taken = window.ChooseMenuItem(static_cast<UINT>(action.value));
      break;
  }
  if (!taken) {
    m_problems.push_back(ActionName(action.kind) + "(" + std::to_string(action.id) + ", " +
                         std::to_string(action.value) + ") could not be taken by the window \"" +
                         window.Title() + "\"");
  }
  return true;
}

int ScriptedBackend::MessageBox(const std::string& text, const std::string& caption, UINT style) {
  bool ticked = false;
  const int button = AnswerBox(ShownMessage{text, caption, style}, ticked);
  if (ticked) {
    m_problems.push_back("AnswerWithCheck: the box \"" + text + "\" has no check box");
  }
  return button;
}

int ScriptedBackend::MessageBoxWithCheck(const std::string& text, const std::string& detail,
                                         const std::string& caption, UINT style,
                                         const std::string& checkText, bool& checked) {
  const int button = AnswerBox(ShownMessage{text, caption, style, checkText, detail}, checked);
  if (checked && checkText.empty()) {
    m_problems.push_back("AnswerWithCheck: the box \"" + text + "\" has no check box");
  }
  return button;
}

int ScriptedBackend::AnswerBox(ShownMessage shown, bool& ticked) {
  ticked = false;
  const UINT style = shown.style;
  const std::string text = shown.text;
  m_messages.push_back(std::move(shown));
  if (!m_actions.empty() && m_actions.front().kind == Action::Answer) {
    const int button = m_actions.front().value;
    ticked = m_actions.front().ticked;
    m_actions.pop_front();
    if (!BoxOffers(style, button)) {
      m_problems.push_back("Answer(" + std::to_string(button) + ") is not a button of the box \"" +
                           text + "\"");
    }
    return button;
  }
  if ((style & MB_TYPEMASK) == MB_OK) return IDOK;
  m_problems.push_back("The question \"" + text + "\" was asked with no Answer queued");
  return (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
}

std::optional<std::string> ScriptedBackend::BrowseForPath(const std::string& /*title*/,
                                                          const std::string& startFolder) {
  m_browseStarts.push_back(startFolder);
  return std::exchange(m_browseResult, std::nullopt);
}

StopRequest ScriptedBackend::KeepResponsive() {
  if (m_actions.empty()) return StopRequest::Nothing;
  const Action::Kind next = m_actions.front().kind;
  if (next != Action::Escape && next != Action::Close) return StopRequest::Nothing;
  m_actions.pop_front();
  return next == Action::Close ? StopRequest::Close : StopRequest::Stop;
}

int ScriptedBackend::GetSystemMetrics(int index) const {
  return (index == SM_CXICON || index == SM_CYICON) ? m_iconSize : 0;
}
