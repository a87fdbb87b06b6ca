// The questions of `quillmar restore`, asked on the terminal: y, n (the default), a for yes
// to this question and to every later one of its kind, q to stop the restore; or answered
// for every question at once by --yes or --no-clobber. Also the command's own picture of the
// list, from which each entry restored is dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cli/cli_io.h"
#include "store/entry_restore.h"

enum class Answers { kAsk, kYes, kNo };

enum class TerminalAnswer { kYes, kNo, kAll, kQuit };
// What a line typed in answer means: y or yes, a or all, q or quit (in either case), and no
// for anything else.
TerminalAnswer ParseTerminalAnswer(std::string_view line);

class TerminalConversation : public RestoreConversation {
 public:
  // fileOrder: the entries of the list as read, which must outlive the conversation.
  TerminalConversation(const CliStreams& io, Answers answers,
                       const std::vector<std::string>& fileOrder);

  bool RestoreFromOtherOrigin(const std::string& origin, const std::string& entry) override;
  bool Overwrite(const std::string& entry) override;
  // False when the list read has no further record of entry.
  bool DropEntry(const std::string& entry) override;
  // The records of entry in the list read that have not been dropped.
  std::size_t RecordsLeft(std::string_view entry) const;

  // True when the last question asked met the end of standard input, or a read error,
  // before any answer: taken as no, but not as answered.
  bool LastQuestionUnanswered() const { return m_unanswered; }
  // True once a question was answered q: no further entry is to be tried.
  bool Stopped() const { return m_stopped; }
  // True when the options, not the terminal, answer every question.
  bool AnsweredByOptions() const { return m_answers != Answers::kAsk; }
  // What the last question was about, as the end of a sentence "not restored, as ...": the
  // reason to give when the options declined it unseen.
  const std::string& LastQuestionAbout() const { return m_lastAbout; }

 private:
  // One kind of question, and whether it was answered yes for all of its kind.
  struct Kind {
    bool yesToAll = false;
  };
  bool Ask(Kind& kind, const std::string& question);

  CliStreams m_io;
  Answers m_answers;
  std::unordered_map<std::string_view, std::size_t> m_records;
  Kind m_overwrite, m_otherOrigin;
  std::string m_lastAbout;
  bool m_unanswered = false;
  bool m_stopped = false;
};
