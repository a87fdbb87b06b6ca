// The store's names: what a copy is called, and which names in it are leftovers that a later
// clean may clear away.
#include "store/store_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(StoreLayoutTest, CopiesAreNamedAfterTheFileNameAlone) {
  EXPECT_EQ(CopyNameFor("/home/me/docs//a.txt"), "a.txtBACKUP");
  EXPECT_EQ(CopyNameFor("/srv/.bashrc"), ".bashrcBACKUP");
  EXPECT_EQ(CopyNameFor("noext"), "noextBACKUP");
}

TEST(StoreLayoutTest, OnlyHiddenNamesThatNoCopyCanHaveAreLeftovers) {
  const struct {
    const char* name;
    bool leftover;
  } cases[] = {
      {".a.txtBACKUP.Ab12Cd", true},  // a copy on its way
      {".list.txt.x1Y2z3", true},     // a rewrite of the list on its way
      {".bashrcBACKUP", false},       // the copy of a hidden file
      {".x.BACKUP", false},           // the copy of a hidden file whose name ends in a dot
      {"a.txtBACKUP", false},        {"list.txt", false}, {".", false}, {"..", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsStoreTemporary(c.name), c.leftover) << c.name;
}

}  // namespace
