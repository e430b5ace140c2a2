#pragma once
// TFrmComp, the comparator dialog: the nominal value with its SI prefix, the low and high limits
// of three bins in percent, the secondary parameter's limits and the comparator switch. Shown
// modally by the main panel's comparator key, a new one for every opening.

#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "panel_context.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace benchbridge {

class DialogSession;
class ReadAgainWhenLineBack;

class TFrmComp : public QDialog {
  Q_OBJECT

 public:
  TFrmComp(PanelContext& context, QWidget* parent = nullptr);
  ~TFrmComp() override;

  // The Set action; the dialog stays open after it.
  void btn1Click();
  // Reads every comparator setting from the meter into the boxes; stops at the first empty reply.
  void ReadComparatorState();
  // Captions in the interface language; the switch keeps its position.
  void ApplyLanguage();

  // The form's controls, named as the design names them (also their objectName).
  QLabel* b1 = nullptr;
  QLineEdit* edt1 = nullptr;
  QComboBox* c13 = nullptr;
  QLabel* b2 = nullptr;
  QComboBox* c1 = nullptr;
  QLineEdit* e0 = nullptr;
  QLineEdit* e1 = nullptr;
  QLineEdit* e2 = nullptr;
  QLineEdit* t2d3 = nullptr;
  QLineEdit* t2d6 = nullptr;
  QLineEdit* t2d9 = nullptr;
  QLineEdit* t2d12 = nullptr;
  QLineEdit* edt2 = nullptr;
  QLineEdit* edt3 = nullptr;
  QLineEdit* edt4 = nullptr;
  QLineEdit* edt5 = nullptr;
  QLineEdit* edt6 = nullptr;
  QLineEdit* edt7 = nullptr;
  QLabel* lbl1 = nullptr;
  QLabel* lbl2 = nullptr;
  QLabel* lbl3 = nullptr;
  QLabel* lbl4 = nullptr;
  QLabel* lbl5 = nullptr;
  QLabel* lbl6 = nullptr;
  QLineEdit* edt8 = nullptr;
  QLineEdit* edt9 = nullptr;
  QComboBox* c14 = nullptr;
  QComboBox* c15 = nullptr;
  QPushButton* btn1 = nullptr;
  QPushButton* btn2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void FormShow();
  // Key filters: edt2KeyPress for the bin limits, edt8KeyPress for the nominal and the
  // secondary limits. True: the key is discarded.
  bool edt2KeyPress(const QLineEdit& box, const QKeyEvent& key) const;
  bool edt8KeyPress(const QLineEdit& box, const QKeyEvent& key) const;

  std::array<QLineEdit*, 6> BinBoxes() const;
  bool InDcrMode() const;
  // Validates the bin limits; false after the operator was told about the first bad one.
  bool BinLimitsValid();
  // Sends the nominal, the limits and the switch. False when the dialog went meanwhile.
  bool SendSettings(DialogSession& session);
  void ApplySwitch(bool on);
  // One value in exponent form into its box and prefix list.
  void ShowPrefixedValue(const std::string& reply, QLineEdit* box, QComboBox* prefixList);

  PanelContext& context_;
  std::unique_ptr<ReadAgainWhenLineBack> readAgain_;
};

}  // namespace benchbridge
