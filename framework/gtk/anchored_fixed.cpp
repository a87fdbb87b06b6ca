// A GtkFixed subclass whose allocation applies the controls' anchors.
#include "anchored_fixed.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "framework/control_anchors.h"

namespace {

constexpr char kAnchorsKey[] = "quillmar-anchors";

struct AnchoredFixed {
  GtkFixed parent;
  int templateWidth;
  int templateHeight;
};

struct AnchoredFixedClass {
  GtkFixedClass parentClass;
};

G_DEFINE_TYPE(AnchoredFixed, anchored_fixed, GTK_TYPE_FIXED)

// GtkFixed's own allocation, with each anchored control moved on by the room beyond the
// template: allocating them twice in one pass would restart the list's scrolling each time.
void AllocateAnchored(GtkWidget* widget, GtkAllocation* allocation) {
  auto* self = reinterpret_cast<AnchoredFixed*>(widget);
  gtk_widget_set_allocation(widget, allocation);
  if (gtk_widget_get_has_window(widget) && gtk_widget_get_realized(widget)) {
    gdk_window_move_resize(gtk_widget_get_window(widget), allocation->x, allocation->y,
                           allocation->width, allocation->height);
  }
  const int origin_x = gtk_widget_get_has_window(widget) ? 0 : allocation->x;
  const int origin_y = gtk_widget_get_has_window(widget) ? 0 : allocation->y;
  const int widthGrowth = std::max(0, allocation->width - self->templateWidth);
  const int heightGrowth = std::max(0, allocation->height - self->templateHeight);
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* each = children; each != nullptr; each = each->next) {
    auto* child = static_cast<GtkWidget*>(each->data);
    if (!gtk_widget_get_visible(child)) continue;
    GtkRequisition size;
    gtk_widget_get_preferred_size(child, &size, nullptr);
    int x = 0, y = 0;
    gtk_container_child_get(GTK_CONTAINER(widget), child, "x", &x, "y", &y, nullptr);
    const auto anchors = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(child), kAnchorsKey));
    const PlacedRect placed =
        FollowDialogSize({x, y, size.width, size.height}, anchors, widthGrowth, heightGrowth);
    GtkAllocation to{origin_x + placed.x, origin_y + placed.y, placed.width, placed.height};
    gtk_widget_size_allocate(child, &to);
  }
  g_list_free(children);
}

void anchored_fixed_class_init(AnchoredFixedClass* type) {
  GTK_WIDGET_CLASS(type)->size_allocate = AllocateAnchored;
}

void anchored_fixed_init(AnchoredFixed* self) {
  self->templateWidth = 0;
  self->templateHeight = 0;
}

}  // namespace

GtkWidget* AnchoredFixedNew(int templateWidth, int templateHeight) {
  auto* self = static_cast<AnchoredFixed*>(g_object_new(anchored_fixed_get_type(), nullptr));
  self->templateWidth = templateWidth;
  self->templateHeight = templateHeight;
  GtkWidget* widget = GTK_WIDGET(self);
  gtk_widget_set_size_request(widget, templateWidth, templateHeight);
  return widget;
}

void SetControlAnchors(GtkWidget* child, unsigned anchors) {
  g_object_set_data(G_OBJECT(child), kAnchorsKey, GUINT_TO_POINTER(anchors));
}
