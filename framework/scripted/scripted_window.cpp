// The scripted window: keeps control state in memory and raises the notifications a real
// window would raise for each user action the backend hands it.
#include "scripted_window.h"

#include <algorithm>

#include "../list_box_caret.h"
#include "scripted_backend.h"

ScriptedWindow::ScriptedWindow(ScriptedBackend& backend, const DialogTemplate& dialogTemplate,
                               MessageTarget& target)
    : m_backend(backend),
      m_template(dialogTemplate),
      m_target(target),
      m_title(dialogTemplate.title) {
  // Until a test says otherwise, the client area is the template's size.
  m_clientRect = ClientRect{0, 0, dialogTemplate.cx, dialogTemplate.cy};
  for (const ControlTemplate& control : dialogTemplate.controls) {
    if (control.cls == ControlClass::ListBox) {
      m_lists[control.id] = ListState{.extended = (control.style & LBS_EXTENDEDSEL) != 0};
    } else if (control.id != -1) {
      m_texts[control.id] = control.text;
    }
  }
}

ScriptedWindow::~ScriptedWindow() {
  // A window destroyed from inside its own run must not stay reachable as the active one.
  auto& open = m_backend.m_open;
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
}

int ScriptedWindow::RunModal() {
  m_running = true;
  m_ended = false;
  m_backend.m_open.push_back(this);
  ShowWindow(true);
  while (!m_ended) {
    if (!m_backend.TakeAction(*this)) {
      // Nothing left for the user to do: close the window as by its close box, and make sure
      // the run ends even when the dialog ignores that.
      CloseBox();
      if (!m_ended) EndModal(IDCANCEL);
    }
  }
  auto& open = m_backend.m_open;
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  m_running = false;
  m_visible = false;
  return m_result;
}

void ScriptedWindow::EndModal(int result) {
  m_result = result;
  m_ended = true;
}

std::string ScriptedWindow::GetItemText(int id) const {
  auto it = m_texts.find(id);
  return it == m_texts.end() ? std::string() : it->second;
}

void ScriptedWindow::SetItemText(int id, const std::string& text) {
  auto it = m_texts.find(id);
  if (it != m_texts.end()) it->second = text;
}

const ScriptedWindow::ListState* ScriptedWindow::FindList(int id) const {
  auto it = m_lists.find(id);
  return it == m_lists.end() ? nullptr : &it->second;
}

ScriptedWindow::ListState* ScriptedWindow::FindList(int id) {
  auto it = m_lists.find(id);
  return it == m_lists.end() ? nullptr : &it->second;
}

int ScriptedWindow::ListCount(int id) const {
  const ListState* list = FindList(id);
  return list ? static_cast<int>(list->items.size()) : LB_ERR;
}

int ScriptedWindow::ListCaret(int id) const {
  const ListState* list = FindList(id);
  return list ? list->caret : LB_ERR;
}

void ScriptedWindow::ListSetCaret(int id, int index) {
  ListState* list = FindList(id);
  if (list && index >= 0 && index < static_cast<int>(list->items.size())) list->caret = index;
}

std::vector<int> ScriptedWindow::ListSelection(int id) const {
  std::vector<int> rows;
  if (const ListState* list = FindList(id)) {
    for (std::size_t i = 0; i < list->highlighted.size(); ++i) {
      if (list->highlighted[i]) rows.push_back(static_cast<int>(i));
    }
  }
  return rows;
}

std::string ScriptedWindow::ListText(int id, int index) const {
  const ListState* list = FindList(id);
  if (!list || index < 0 || index >= static_cast<int>(list->items.size())) return {};
  return list->items[static_cast<std::size_t>(index)];
}

int ScriptedWindow::ListInsert(int id, int index, const std::string& text) {
  ListState* list = FindList(id);
  if (!list) return LB_ERR;
  const int count = static_cast<int>(list->items.size());
  if (index == -1) index = count;
  if (index < 0 || index > count) return LB_ERR;
  list->items.insert(list->items.begin() + index, text);
  list->highlighted.insert(list->highlighted.begin() + index, false);
  list->caret = CaretAfterInsert(list->caret, index);
  return index;
}

int ScriptedWindow::ListDelete(int id, int index) {
  ListState* list = FindList(id);
  if (!list || index < 0 || index >= static_cast<int>(list->items.size())) return LB_ERR;
  list->items.erase(list->items.begin() + index);
  list->highlighted.erase(list->highlighted.begin() + index);
  const int count = static_cast<int>(list->items.size());
  list->caret = CaretAfterDelete(list->caret, index, count);
  return count;
}

void ScriptedWindow::ListReset(int id) {
  ListState* list = FindList(id);
  if (!list) return;
  list->items.clear();
  list->highlighted.clear();
  list->caret = LB_ERR;
  list->anchor = 0;
}

std::vector<std::string> ScriptedWindow::ListItems(int id) const {
  const ListState* list = FindList(id);
  return list ? list->items : std::vector<std::string>{};
}

bool ScriptedWindow::HasSystemMenu() const { return (m_template.style & WS_SYSMENU) != 0; }

void ScriptedWindow::AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) {
  if (HasSystemMenu()) m_systemMenu.push_back(MenuItem{flags, commandId, text});
}

void ScriptedWindow::ShowContextMenu(int /*id*/, const std::vector<MenuItem>& items) {
  m_contextMenu = items;
}

void ScriptedWindow::SetIcon(const Icon& icon, bool big) {
  (big ? m_bigIconId : m_smallIconId) = icon.id;
}

void ScriptedWindow::DrawIcon(int x, int y, const Icon& icon) {
  m_drawnIcons.push_back(DrawnIcon{x, y, icon.id});
}

bool ScriptedWindow::HasControl(int id, ControlClass cls) const {
  return std::any_of(m_template.controls.begin(), m_template.controls.end(),
                     [&](const ControlTemplate& c) { return c.id == id && c.cls == cls; });
}

void ScriptedWindow::SendCommand(UINT code, int id) {
  m_target.SendMessage(WM_COMMAND, MakeCommandWParam(code, id), 0);
}

bool ScriptedWindow::TypeText(int id, const std::string& text) {
  if (!HasControl(id, ControlClass::Edit)) return false;
  m_texts[id] = text;
  SendCommand(EN_CHANGE, id);
  return true;
}

bool ScriptedWindow::TypeKey(int id, char key) {
  if (!HasControl(id, ControlClass::Edit)) return false;
  m_texts[id] += key;
  SendCommand(EN_CHANGE, id);
  return true;
}

bool ScriptedWindow::ClickButton(int id) {
  if (!HasControl(id, ControlClass::Button)) return false;
  SendCommand(BN_CLICKED, id);
  return true;
}

void ScriptedWindow::ListState::HighlightRangeTo(int index) {
  const int from = std::min(anchor, index), to = std::max(anchor, index);
  for (int i = 0; i < static_cast<int>(highlighted.size()); ++i) {
    highlighted[static_cast<std::size_t>(i)] = i >= from && i <= to;
  }
}

bool ScriptedWindow::PickItem(int id, int index, HeldKey held) {
  ListState* list = FindList(id);
  if (!list || index < 0 || index >= static_cast<int>(list->items.size())) return false;
  const auto at = static_cast<std::size_t>(index);
  switch (held) {
    case HeldKey::Nothing:
      list->highlighted.assign(list->items.size(), false);
      list->highlighted[at] = true;
      list->anchor = index;
      break;
    case HeldKey::Ctrl:
      list->highlighted[at] = !list->highlighted[at];
      list->anchor = index;
      break;
    case HeldKey::Shift:
      list->HighlightRangeTo(index);
      break;
  }
  list->caret = index;
  SendCommand(LBN_SELCHANGE, id);
  return true;
}

bool ScriptedWindow::PressListKey(int id, ListKey key, HeldKey held) {
  ListState* list = FindList(id);
  if (!list) return false;
  // An 8-point line is 8 dialog units tall.
  int pageRows = 0;
  for (const ControlTemplate& c : m_template.controls) {
    if (c.id == id && c.cls == ControlClass::ListBox) pageRows = c.cy / 8;
  }
  const int caret =
      CaretAfterListKey(key, list->caret, static_cast<int>(list->items.size()), pageRows);
  // With the highlight unchanged, no LBN_SELCHANGE is raised.
  if (!list->extended || held == HeldKey::Ctrl || caret == LB_ERR) {
    list->caret = caret;
    return true;
  }
  return PickItem(id, caret, held);
}

void ScriptedWindow::ShowWindow(bool show) {
  // Like the real window manager, a window already in the requested state hears nothing.
  if (m_visible == show) return;
  m_visible = show;
  m_target.SendMessage(WM_SHOWWINDOW, show ? 1 : 0, 0);
}

void ScriptedWindow::PressEscape() { SendCommand(BN_CLICKED, IDCANCEL); }

void ScriptedWindow::PressEnter() {
  int id = IDOK;
  for (const ControlTemplate& c : m_template.controls) {
    if (c.cls == ControlClass::Button && (c.style & 0x0F) == BS_DEFPUSHBUTTON) {
      id = c.id;
      break;
    }
  }
  SendCommand(BN_CLICKED, id);
}

void ScriptedWindow::CloseBox() { m_target.SendMessage(WM_CLOSE, 0, 0); }

void ScriptedWindow::SystemCommand(UINT commandId) {
  m_target.SendMessage(WM_SYSCOMMAND, commandId, 0);
}

bool ScriptedWindow::RequestContextMenu(int id, int row) {
  const bool known = std::any_of(m_template.controls.begin(), m_template.controls.end(),
                                 [&](const ControlTemplate& c) { return c.id == id; });
  if (!known && id != 0) return false;
  if (row != -1) {
    // A right-click on a row puts the focus rectangle there and leaves the selection alone.
    ListState* list = FindList(id);
    if (!list || row < 0 || row >= static_cast<int>(list->items.size())) return false;
    list->caret = row;
  }
  m_contextMenu.clear();
  m_target.SendMessage(WM_CONTEXTMENU, static_cast<WPARAM>(id), 0);
  return true;
}

bool ScriptedWindow::ChooseMenuItem(UINT commandId) {
  const auto item = std::find_if(
      m_contextMenu.begin(), m_contextMenu.end(),
      [&](const MenuItem& i) { return (i.flags & MF_SEPARATOR) == 0 && i.commandId == commandId; });
  if (item == m_contextMenu.end()) return false;
  // The menu closes before its command arrives.
  m_contextMenu.clear();
  SendCommand(0, static_cast<int>(commandId));
  return true;
}

void ScriptedWindow::SetMinimised(bool minimised, int clientWidth, int clientHeight) {
  m_iconic = minimised;
  m_clientRect = ClientRect{0, 0, clientWidth, clientHeight};
  m_target.SendMessage(WM_PAINT, 0, 0);
}
