#pragma once
// TFrmSetValue, what the three value-entry dialogs share: a borderless 273 x 75 window with the
// value box, its unit, the accepted range, an error line and the OK and Cancel keys. The
// dialogs differ only in what SetValueKind says and in their range; TFrmSet22, TFrmSet33 and
// TFrmSet44 are thin classes over this one.

#include <QDialog>
#include <optional>

#include "panel_context.h"

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace benchbridge {

struct SetValueKind {
  const char* formName;     // objectName of the dialog: "FrmSet22"
  int maxLength;            // characters the operator may type into edt1
  const char* unit;         // beside the box, and after the value on the main panel's label
  const char* command;      // the setting command, followed by the value as typed
  bool acceptsPoint;        // the key filter lets "." through
  const char* designRange;  // lbl1 until FormCreate sets the range
};

// Both bounds are accepted.
struct ValueRange {
  int lowest = 0;
  int highest = 0;
};

class TFrmSetValue : public QDialog {
  Q_OBJECT

 public:
  const SetValueKind& Kind() const { return kind_; }
  int Lowest() const { return range_.lowest; }
  int Highest() const { return range_.highest; }
  // The connected model takes no value here (both bounds stayed 0): there is nothing to enter.
  bool RangeEmpty() const { return range_.lowest == 0 && range_.highest == 0; }

  // Checks the value, sends it and closes with OK; otherwise says why and stays open.
  void rbtn9Click();

  // The form's controls, named as the design names them (also their objectName).
  QLineEdit* edt1 = nullptr;
  QLabel* lblCB1 = nullptr;
  QLabel* lbl1 = nullptr;
  QLabel* lbl2 = nullptr;
  QPushButton* rbtn9 = nullptr;
  QPushButton* rbtn1 = nullptr;

 protected:
  TFrmSetValue(PanelContext& context, const SetValueKind& kind, QWidget* parent);

  // The texts in the current language and the range; without a range the bounds stay 0 and lbl1
  // keeps the design text.
  void FormCreate(std::optional<ValueRange> range);

  // Escape (and Enter) typed anywhere in the dialog close nothing.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  // True: the key is discarded.
  bool edt1KeyPress(const QLineEdit& box, const QKeyEvent& key);

  PanelContext& context_;
  const SetValueKind& kind_;
  ValueRange range_;
};

}  // namespace benchbridge
