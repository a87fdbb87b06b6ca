// Tests of the buttons each message-box style offers and what Escape answers.
#include <gtest/gtest.h>

#include "gtk_message_box.h"

namespace {
std::vector<int> Results(const MessageBoxButtons& set) {
  std::vector<int> results;
  for (const MessageBoxButton& button : set.buttons) results.push_back(button.result);
  return results;
}
}  // namespace

TEST(MessageBoxButtons, EachStyleOffersItsButtonsWithTheAffirmativeOneFirst) {
  EXPECT_EQ(Results(ButtonsForStyle(MB_OK)), (std::vector<int>{IDOK}));
  EXPECT_EQ(Results(ButtonsForStyle(MB_OKCANCEL)), (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_EQ(Results(ButtonsForStyle(MB_YESNO)), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(ButtonsForStyle(MB_OKCANCEL).buttons[1].label, "_Cancel");
  EXPECT_EQ(ButtonsForStyle(MB_YESNO).buttons[0].label, "_Yes");
}

TEST(MessageBoxButtons, EscapeCancelsOrSaysNoAndOnlyAnOkBoxTakesItAsOk) {
  EXPECT_EQ(ButtonsForStyle(MB_OK).escapeResult, IDOK);
  EXPECT_EQ(ButtonsForStyle(MB_OKCANCEL).escapeResult, IDCANCEL);
  EXPECT_EQ(ButtonsForStyle(MB_YESNO).escapeResult, IDNO);
}

TEST(MessageBoxButtons, TheIconFlagDoesNotChangeTheButtons) {
  EXPECT_EQ(Results(ButtonsForStyle(MB_OK | MB_ICONINFORMATION)), (std::vector<int>{IDOK}));
  EXPECT_EQ(Results(ButtonsForStyle(MB_YESNO | MB_ICONINFORMATION)),
            (std::vector<int>{IDYES, IDNO}));
}
