#pragma once
// TFrmList, the list sweep dialog: seven test points, each with a frequency and a low and a high
// limit, the sweep mode and the trigger; while open it refreshes the test value and compare
// result of every point that has a frequency once a second. Shown modally by the main panel's
// list switch, a new one for every opening.
//
// The row controls are not members: they carry built names (letter, row 1 .. 7, column digit:
// e31 is row 3's frequency, c54 row 5's high-limit unit) and are found by that name.

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

#include "panel_context.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace benchbridge {

class DialogSession;
class ReadAgainWhenLineBack;
class KeyPressFilter;

class TFrmList : public QDialog {
  Q_OBJECT

 public:
  TFrmList(PanelContext& context, QWidget* parent = nullptr);
  ~TFrmList() override;

  // Column digits of the row controls: the boxes e<row>1 .. e<row>5 and the unit lists
  // c<row>3 (low limit) and c<row>4 (high limit).
  static constexpr int kFrequencyBox = 1, kLowBox = 2, kHighBox = 3, kTestBox = 4, kCompareBox = 5;
  static constexpr int kLowUnit = 3, kHighUnit = 4;

  // The row control named letter + row + column ("e" 3 1 -> e31); nullptr when there is none.
  QWidget* Control(QChar letter, int row, int column) const;
  QLineEdit* Box(int row, int column) const;       // e<row><column>
  QComboBox* UnitList(int row, int column) const;  // c<row><column>
  QPushButton* RowButton(int row) const;           // btn<row>

  // Index of the first item of list whose text equals text exactly; -1 when there is none.
  static int FindPos(const QComboBox& list, const QString& text);

  // Writes one point (row 1 .. 7) and reads it back; every button is off meanwhile. False when
  // the dialog closed or went meanwhile (then the caller must not touch it any more) or the line
  // is lost.
  bool SetListPoint(int row);
  void btn1Click(QPushButton* button);  // the Set key of any row
  void btnn2Click();                    // Set all
  void btnn1Click();                    // Trigger
  void c2Change();                      // the operator picked a sweep mode
  void tmr1Timer();                     // one refresh pass
  void SetDialogButtonsEnabled(bool on);
  void ApplyLanguage();

  const QString& BaseUnit() const { return baseUnit_; }

  // The form's fixed controls, named as the design names them (also their objectName).
  QLabel* bb1 = nullptr;
  QLineEdit* edt1 = nullptr;
  QLabel* bb2 = nullptr;
  QComboBox* c2 = nullptr;
  QLineEdit* edtxh = nullptr;
  QLineEdit* e1 = nullptr;
  QLineEdit* e2 = nullptr;
  QLineEdit* e3 = nullptr;
  QLineEdit* e4 = nullptr;
  QLineEdit* e5 = nullptr;
  QPushButton* btnn2 = nullptr;
  QPushButton* btnn1 = nullptr;
  QPushButton* btnn3 = nullptr;
  QTimer* tmr1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void BuildRow(int row, KeyPressFilter& frequencyKeys, KeyPressFilter& limitKeys);
  void FormCreate();
  void FormShow();
  // The sweep mode and every point from the meter; stops at the first missing reply.
  void ReadListState();
  void FillUnitLists();
  // Shows a point reply's frequency and limits in row's boxes and unit lists.
  void ShowPointSettings(int row, const std::string& reply);
  // Sends the point query of row and shows the settings of its reply; false once the dialog went
  // or the line is lost.
  bool ReadPoint(DialogSession& session, int row);
  // The prefix of the unit selected in a limit's unit list; nothing without a selection.
  std::string SelectedPrefix(int row, int column) const;
  void RefreshPass();
  bool e11KeyPress(const QLineEdit& box, const QKeyEvent& key) const;
  bool e12KeyPress(const QLineEdit& box, const QKeyEvent& key) const;

  PanelContext& context_;
  QString baseUnit_;
  int modeShown_ = 0;  // c2's item as the meter last answered or took it
  std::unique_ptr<ReadAgainWhenLineBack> readAgain_;
};

}  // namespace benchbridge
