// The terminal's side of a restore: its questions and answers.
#include "cli/terminal_conversation.h"

#include <cctype>

#include "platform/terminal.h"

TerminalAnswer ParseTerminalAnswer(std::string_view line) {
  std::string word;
  for (const char c : line) word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word == "y" || word == "yes") return TerminalAnswer::kYes;
  if (word == "a" || word == "all") return TerminalAnswer::kAll;
  if (word == "q" || word == "quit") return TerminalAnswer::kQuit;
  return TerminalAnswer::kNo;
}

TerminalConversation::TerminalConversation(const CliStreams& io, Answers answers,
                                           const std::vector<std::string>& fileOrder)
    : m_io(io), m_answers(answers) {
  for (const std::string& entry : fileOrder) ++m_records[entry];
}

bool TerminalConversation::RestoreFromOtherOrigin(const std::string& origin,
                                                  const std::string& entry) {
  const std::string from = origin.empty()
                               ? " was last taken from a file of the same name, origin unknown."
                               : " was last taken from another file:\n  " + origin;
  m_lastAbout = origin.empty()
                    ? "its backup copy was taken from a file of the same name, origin unknown"
                    : "its backup copy was taken from another file, " + origin;
  return Ask(m_otherOrigin, "The backup copy of " + entry + from +
                                "\nRestore that file's contents to " + entry + "?");
}

bool TerminalConversation::Overwrite(const std::string& entry) {
  m_lastAbout = "a file is there already";
  return Ask(m_overwrite, entry + " already exists. Overwrite it?");
}

bool TerminalConversation::DropEntry(const std::string& entry) {
  const auto found = m_records.find(entry);
  if (found == m_records.end() || found->second == 0) return false;
  --found->second;
  return true;
}

std::size_t TerminalConversation::RecordsLeft(std::string_view entry) const {
  const auto found = m_records.find(entry);
  return found == m_records.end() ? 0 : found->second;
}

bool TerminalConversation::Ask(Kind& kind, const std::string& question) {
  m_unanswered = false;
  if (m_answers != Answers::kAsk) return m_answers == Answers::kYes;
  if (kind.yesToAll) return true;
  Print(m_io.err, question + " [y/N/a/q] ");
  std::fflush(m_io.err);
  std::string answer;
  int c = std::fgetc(m_io.in);
  m_unanswered = c == EOF;
  for (; c != EOF && c != '\n'; c = std::fgetc(m_io.in)) answer += static_cast<char>(c);
  // A terminal has echoed the answer; one read from a pipe or a file is shown here, so a
  // log shows what was answered. Input that ended leaves the question's line to close.
  if (m_unanswered || !IsTerminal(m_io.in)) Print(m_io.err, answer + "\n");
  switch (ParseTerminalAnswer(answer)) {
    case TerminalAnswer::kYes:
      return true;
    case TerminalAnswer::kAll:
      kind.yesToAll = true;
      return true;
    case TerminalAnswer::kQuit:
      m_stopped = true;
      return false;
    case TerminalAnswer::kNo:
      break;
  }
  return false;
}
