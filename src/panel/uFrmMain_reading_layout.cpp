// The two layouts of the readings: the normal one of the design, recorded at start-up as
// ReadingLayout, and the compact two rows under the bin label while the comparator is on.

#include <QFrame>

#include "fit_label.h"
#include "uFrmMain.h"

namespace benchbridge {

namespace {

// The design asks for 18 pt in the comparator layout; the panel is drawn at a fixed 96 dots per
// inch (it does not scale with the screen), where 18 pt are 24 pixels.
constexpr int kBinLayoutFontPixels = 24;

void SetFontPixels(QWidget* label, int pixels) {
  QFont font = label->font();
  font.setPixelSize(pixels);
  label->setFont(font);
}

void SetTop(QWidget* w, int top) { w->move(w->x(), top); }
void SetLeft(QWidget* w, int left) { w->move(left, w->y()); }
void SetWidth(QWidget* w, int width) { w->resize(width, w->height()); }
void SetHeight(QWidget* w, int height) { w->resize(w->width(), height); }

}  // namespace

void TFrmMain::SaveReadingLayout() {
  const auto labels = ReadingLabels();
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const FitLabel* label = labels[i];
    readingLayout_[i] = {label->y(), label->font().pixelSize(), label->x(), label->width(),
                         label->height()};
  }
}

void TFrmMain::ShowBinLayout() {
  lls7->setText(QStringLiteral("BIN:OUT"));
  lls7->show();
  for (FitLabel* label : ReadingLabels()) {
    SetFontPixels(label, kBinLayoutFontPixels);
  }
  const auto& saved = readingLayout_;
  // Sizes of the first row: half the normal widths, the value as high as a name.
  SetWidth(LLs1, saved[0].width / 2);
  SetWidth(LLs2, saved[1].width / 2);
  SetHeight(LLs2, saved[0].height);
  SetWidth(LLs3, saved[2].width / 2);
  // The first row under the bin label, centred in the display.
  SetTop(LLs1, lls7->y() + lls7->height() + 5);
  SetTop(LLs2, LLs1->y());
  SetTop(LLs3, LLs1->y());
  SetLeft(LLs1, (Panel1->width() - (LLs1->width() + LLs2->width() + LLs3->width())) / 2);
  SetLeft(LLs2, LLs1->x() + LLs1->width());
  SetLeft(LLs3, LLs1->x() + LLs1->width() + LLs2->width());
  // The second row as the first, just below it.
  SetWidth(LLs4, LLs1->width());
  SetWidth(LLs5, LLs2->width());
  SetHeight(LLs5, LLs2->height());
  SetWidth(LLs6, LLs3->width());
  SetTop(LLs4, LLs3->y() + LLs3->height() + 2);
  SetTop(LLs5, LLs4->y());
  SetTop(LLs6, LLs4->y());
  SetLeft(LLs4, LLs1->x());
  SetLeft(LLs5, LLs2->x());
  SetLeft(LLs6, LLs3->x());
}

void TFrmMain::RestoreReadingLayout() {
  lls7->hide();
  const auto labels = ReadingLabels();
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const LabelGeometry& saved = readingLayout_[i];
    SetFontPixels(labels[i], saved.fontPixelSize);
    labels[i]->setGeometry(saved.left, saved.top, saved.width, saved.height);
  }
}

}  // namespace benchbridge
