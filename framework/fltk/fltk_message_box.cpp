// The FLTK message box window: text measured and wrapped, buttons centred beneath it, Enter
// for the focused button, Escape and the close box for Cancel / No.
#include "fltk_message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "dialog_units.h"
#include "fltk_backend.h"

MessageBoxButtons ButtonsForStyle(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{{"OK", IDOK}, {"Cancel", IDCANCEL}}, IDCANCEL};
    case MB_YESNO:
      return {{{"&Yes", IDYES}, {"&No", IDNO}}, IDNO};
    default:
      return {{{"OK", IDOK}}, IDOK};
  }
}

namespace {

// Wider texts wrap at word boundaries.
constexpr int kMaxTextWidthDialogUnits = 300;

// Text drawn as it is: no '@' symbols, no '&' underlines, wrapped at the box's width.
class TextBlock : public Fl_Widget {
 public:
  TextBlock(int x, int y, int w, int h, const std::string& text, int fontPixels)
      : Fl_Widget(x, y, w, h), m_text(text), m_fontPixels(fontPixels) {}

  static void Measure(const std::string& text, int fontPixels, int maxWidth, int* w, int* h) {
    fl_font(FL_HELVETICA, fontPixels);
    *w = maxWidth;
    *h = 0;
    fl_measure(text.c_str(), *w, *h, 0);
  }

 protected:
  void draw() override {
    fl_font(FL_HELVETICA, m_fontPixels);
    fl_color(FL_FOREGROUND_COLOR);
    fl_draw(m_text.c_str(), x(), y(), w(), h(),
            FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP, nullptr, 0);
  }

 private:
  std::string m_text;
  int m_fontPixels;
};

// The information sign: a blue disc with a white "i".
class InformationSign : public Fl_Widget {
 public:
  InformationSign(int x, int y, int size) : Fl_Widget(x, y, size, size) {}

 protected:
  void draw() override {
    fl_color(fl_rgb_color(0x1F, 0x6F, 0xD0));
    fl_pie(x(), y(), w(), h(), 0, 360);
    fl_color(FL_WHITE);
    fl_font(FL_TIMES_BOLD, h() * 3 / 4);
    fl_draw("i", x(), y(), w(), h(), FL_ALIGN_CENTER, nullptr, 0);
  }
};

class MessageBoxWindow : public Fl_Double_Window {
 public:
  MessageBoxWindow(int w, int h, const std::string& caption, int escapeResult)
      : Fl_Double_Window(w, h), m_escapeResult(escapeResult) {
    copy_label(caption.c_str());
    box(FL_UP_BOX);  // stands apart from the dialog beneath, with or without window frames
    callback(OnCloseBox, this);
  }

  void AddButton(Fl_Button* button, int result) {
    button->callback(OnButton, this);
    m_buttons.push_back({button, result});
  }

  int Run() {
    // As the platform's message boxes do, the box gives the keyboard focus back to the
    // control that had it, so that Space on a button works again after its report.
    Fl_Widget* previous = Fl::focus();
    Fl_Widget_Tracker previousTracker(previous);
    set_modal();
    show();
    if (!m_buttons.empty()) m_buttons.front().widget->take_focus();
    while (!m_answered && shown()) Fl::wait();
    hide();
    if (previous != nullptr && !previousTracker.deleted()) previous->take_focus();
    return m_answered ? m_result : m_escapeResult;
  }

  int handle(int event) override {
    if (event == FL_KEYBOARD || event == FL_SHORTCUT) {
      const int key = Fl::event_key();
      if (key == FL_Escape) {
        Answer(m_escapeResult);
        return 1;
      }
      if (key == FL_Enter || key == FL_KP_Enter) {
        Answer(ResultOf(Fl::focus(), m_buttons.empty() ? m_escapeResult : m_buttons[0].result));
        return 1;
      }
    }
    return Fl_Double_Window::handle(event);
  }

 private:
  struct Button {
    Fl_Widget* widget;
    int result;
  };

  int ResultOf(const Fl_Widget* widget, int fallback) const {
    for (const Button& button : m_buttons) {
      if (button.widget == widget) return button.result;
    }
    return fallback;
  }
  void Answer(int result) {
    m_result = result;
    m_answered = true;
  }

  static void OnButton(Fl_Widget* widget, void* data) {
    auto* self = static_cast<MessageBoxWindow*>(data);
    self->Answer(self->ResultOf(widget, self->m_escapeResult));
  }
  static void OnCloseBox(Fl_Widget* /*widget*/, void* data) {
    auto* self = static_cast<MessageBoxWindow*>(data);
    self->Answer(self->m_escapeResult);
  }

  std::vector<Button> m_buttons;
  int m_escapeResult;
  int m_result = 0;
  bool m_answered = false;
};

}  // namespace

int RunFltkMessageBox(FltkBackend& backend, const std::string& text, const std::string& caption,
                      UINT style) {
  const BaseUnits& units = backend.Units();
  const int fontPixels = backend.FontPixels() + 1;
  const int margin = VerticalPixels(7, units);
  const int gap = HorizontalPixels(4, units);
  const int buttonW = HorizontalPixels(50, units);
  const int buttonH = VerticalPixels(14, units);
  const bool withSign = (style & MB_ICONINFORMATION) != 0;
  const int signSize = withSign ? backend.GetSystemMetrics(SM_CXICON) : 0;

  int textW = 0;
  int textH = 0;
  TextBlock::Measure(text, fontPixels, HorizontalPixels(kMaxTextWidthDialogUnits, units), &textW,
                     &textH);
  const MessageBoxButtons layout = ButtonsForStyle(style);
  const int count = static_cast<int>(layout.buttons.size());
  const int buttonsW = count * buttonW + (count - 1) * gap;
  const int textX = margin + (withSign ? signSize + margin : 0);
  const int width = std::max(textX + textW + margin, buttonsW + 2 * margin);
  const int bodyH = std::max(textH, signSize);
  const int height = margin + bodyH + margin + buttonH + margin;

  Fl_Group::current(nullptr);
  MessageBoxWindow window(width, height, caption, layout.escapeResult);
  if (withSign) new InformationSign(margin, margin, signSize);
  // A short text sits level with the middle of the sign.
  const int textY = margin + (bodyH - textH) / 2;
  new TextBlock(textX, textY, textW, textH, text, fontPixels);
  int x = (width - buttonsW) / 2;
  for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
    Fl_Button* button = i == 0
                            ? new Fl_Return_Button(x, height - margin - buttonH, buttonW, buttonH)
                            : new Fl_Button(x, height - margin - buttonH, buttonW, buttonH);
    button->copy_label(layout.buttons[i].label.c_str());
    button->labelfont(FL_HELVETICA);
    button->labelsize(fontPixels);
    window.AddButton(button, layout.buttons[i].result);
    x += buttonW + gap;
  }
  window.end();
  window.position(std::max(0, (Fl::w() - width) / 2), std::max(0, (Fl::h() - height) / 2));
  return window.Run();
}
