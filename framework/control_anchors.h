// Where a control of a resizable dialog goes once the dialog is larger than its template: the
// arithmetic that both desktop backends apply to their own pixels.
#pragma once

#include "dialog_template.h"

struct PlacedRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PlacedRect&) const = default;
};

// placed is where the template puts the control; widthGrowth and heightGrowth are how much
// wider and taller than the template the dialog's client area now is (never below zero: a
// resizable dialog is never made smaller than its template).
inline PlacedRect FollowDialogSize(PlacedRect placed, unsigned anchors, int widthGrowth,
                                   int heightGrowth) {
  if (anchors & kFollowRight) placed.x += widthGrowth;
  if (anchors & kFollowBottom) placed.y += heightGrowth;
  if (anchors & kGrowWidth) placed.width += widthGrowth;
  if (anchors & kGrowHeight) placed.height += heightGrowth;
  return placed;
}
