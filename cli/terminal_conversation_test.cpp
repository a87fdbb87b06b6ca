// Tests of restore's questions on the terminal: what each answer means, how long an answer for
// all lasts, and the records of the list the command drops.
#include "cli/terminal_conversation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Standard input holding typed, and standard error to read back.
class Terminal {
 public:
  explicit Terminal(const std::string& typed) : m_in(std::tmpfile()), m_err(std::tmpfile()) {
    std::fputs(typed.c_str(), m_in);
    std::rewind(m_in);
  }
  ~Terminal() {
    std::fclose(m_in);
    std::fclose(m_err);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  CliStreams Streams() const { return {stdout, m_err, m_in}; }
  // What was put on standard error.
  std::string Said() const {
    std::fflush(m_err);
    std::rewind(m_err);
    std::string text;
    for (int c; (c = std::fgetc(m_err)) != EOF;) text += static_cast<char>(c);
    return text;
  }
  // How many questions were put on standard error.
  int Questions() const {
    const std::string text = Said();
    int count = 0;
    for (std::size_t at = 0; (at = text.find("[y/N/a/q]", at)) != std::string::npos; ++at) ++count;
    return count;
  }

 private:
  std::FILE* m_in;
  std::FILE* m_err;
};

TEST(TerminalAnswers, EachWordMeansItsAnswerInEitherCaseAndAnythingElseIsNo) {
  for (const char* yes : {"y", "Y", "yes", "YES"})
    EXPECT_EQ(ParseTerminalAnswer(yes), TerminalAnswer::kYes);
  for (const char* all : {"a", "A", "all"})
    EXPECT_EQ(ParseTerminalAnswer(all), TerminalAnswer::kAll);
  for (const char* quit : {"q", "Quit"})
    EXPECT_EQ(ParseTerminalAnswer(quit), TerminalAnswer::kQuit);
  for (const char* no : {"", "n", "no", "ya", " y", "always"}) {
    EXPECT_EQ(ParseTerminalAnswer(no), TerminalAnswer::kNo) << no;
  }
}

TEST(TerminalConversationTest, AllAnswersTheRestOfItsKindOnlyAndQuitStops) {
  const std::vector<std::string> list;
  Terminal terminal("n\na\nn\nq\n");
  TerminalConversation conversation(terminal.Streams(), Answers::kAsk, list);
  EXPECT_FALSE(conversation.Overwrite("/a"));
  EXPECT_TRUE(conversation.Overwrite("/b"));
  EXPECT_TRUE(conversation.Overwrite("/c"));  // not asked
  EXPECT_EQ(terminal.Questions(), 2);
  // The other kind of question is still asked.
  EXPECT_FALSE(conversation.RestoreFromOtherOrigin("/x", "/d"));
  EXPECT_FALSE(conversation.Stopped());
  EXPECT_FALSE(conversation.RestoreFromOtherOrigin("/x", "/e"));
  EXPECT_TRUE(conversation.Stopped());
  EXPECT_FALSE(conversation.LastQuestionUnanswered());
  EXPECT_EQ(terminal.Questions(), 4);
  // The input has ended: no answer, which is no.
  EXPECT_FALSE(conversation.RestoreFromOtherOrigin("/x", "/f"));
  EXPECT_TRUE(conversation.LastQuestionUnanswered());
}

TEST(TerminalConversationTest, TheOriginQuestionNamesTheOtherFileOrSaysItIsUnknown) {
  const std::vector<std::string> list;
  Terminal terminal("y\nn\n");
  TerminalConversation conversation(terminal.Streams(), Answers::kAsk, list);
  EXPECT_TRUE(conversation.RestoreFromOtherOrigin("/b/n.txt", "/a/n.txt"));
  EXPECT_FALSE(conversation.RestoreFromOtherOrigin("", "/a/n.txt"));
  EXPECT_EQ(terminal.Said(),
            "The backup copy of /a/n.txt was last taken from another file:\n  /b/n.txt\n"
            "Restore that file's contents to /a/n.txt? [y/N/a/q] y\n"
            "The backup copy of /a/n.txt was last taken from a file of the same name, origin "
            "unknown.\nRestore that file's contents to /a/n.txt? [y/N/a/q] n\n");
}

TEST(TerminalConversationTest, OptionsAnswerEverythingAndRecordsAreDroppedOneAtATime) {
  const std::vector<std::string> list = {"/a", "/b", "/a"};
  Terminal terminal("");
  TerminalConversation conversation(terminal.Streams(), Answers::kNo, list);
  EXPECT_FALSE(conversation.Overwrite("/a"));
  EXPECT_EQ(terminal.Questions(), 0);
  EXPECT_EQ(conversation.RecordsLeft("/a"), 2u);
  EXPECT_TRUE(conversation.DropEntry("/a"));
  EXPECT_EQ(conversation.RecordsLeft("/a"), 1u);
  EXPECT_TRUE(conversation.DropEntry("/a"));
  EXPECT_FALSE(conversation.DropEntry("/a"));
  EXPECT_FALSE(conversation.DropEntry("/elsewhere"));
  EXPECT_EQ(conversation.RecordsLeft("/b"), 1u);
}

}  // namespace
