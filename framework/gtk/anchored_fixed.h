// The container of a dialog's controls on GTK: a GtkFixed that puts each control where the
// template does, and that, given more room than the template's size (a window the user made
// larger), moves and widens the controls anchored to take it, in the same pass. Their size
// requests stay the template's, so the window can be made small again.
#pragma once

typedef struct _GtkWidget GtkWidget;

// templateWidth and templateHeight are the template's size in pixels; the container asks for
// that much room.
GtkWidget* AnchoredFixedNew(int templateWidth, int templateHeight);
// How child, a control placed in the container, follows its size (ControlAnchor bits).
void SetControlAnchors(GtkWidget* child, unsigned anchors);
