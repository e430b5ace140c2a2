#pragma once
// A label that can size itself to its caption, as the row captions and the model badge do.
// A right-aligned one keeps its right edge where it was, so the model badge stays flush with the
// display's right side whatever model name it shows.

#include <QLabel>

namespace benchbridge {

class FitLabel : public QLabel {
 public:
  using QLabel::QLabel;

  // On: the label takes the size of its caption now (keeping its left edge) and after every
  // setText.
  void SetAutoSize(bool on);

  // Deliberately hides QLabel::setText: every caption the form writes through its FitLabel
  // members is re-fitted.
  void setText(const QString& text);

 private:
  void Fit(bool keepRightEdge);
  bool autoSize_ = false;
};

}  // namespace benchbridge
