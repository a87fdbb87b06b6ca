// Finding an entry of the restoration list by any part of its path: the find box below the
// list moves the list's caret (the entry Restore acts on when none is highlighted) to the
// next entry that contains what it holds.
#pragma once

#include <string_view>

#include "framework/list_box.h"

inline constexpr int IDC_FIND = 1007;
inline constexpr int IDC_FIND_NEXT = 1008;
inline constexpr int IDC_FIND_STATUS = 1009;

// What the status line beside the buttons says when no entry contains the text.
inline constexpr const char* kNoEntryFound = "No entry contains it";

// The first item of list, from item `from` on and then from the first item, whose text
// contains part, with ASCII letters of either case alike (other characters exactly). LB_ERR
// when none does, or part is empty.
int FindEntryContaining(const CListBox& list, int from, std::string_view part);
