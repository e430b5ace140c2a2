#pragma once
// TFrmSetup, the system settings dialog: the identity of the connected meter and its five
// system options (power-on state, key beeper, trigger source, pass and fail tones). Every pick
// goes to the meter at once; there is no apply step. Shown modally by the main panel's settings
// key, a new one for every opening.

#include <QDialog>
#include <array>
#include <map>
#include <memory>
#include <optional>

#include "bilingual.h"
#include "panel_context.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace benchbridge {

class ReadAgainWhenLineBack;

struct SystemOption;

class TFrmSetup : public QDialog {
  Q_OBJECT

 public:
  TFrmSetup(PanelContext& context, QWidget* parent = nullptr);
  ~TFrmSetup() override;

  // Captions, items (each list keeps its position) and the identity lines.
  void ApplyLanguage();
  // Asks the meter for the five options; stops at the first empty reply.
  void ReadSystemState();
  // The operator's picks.
  void c1Change();
  void c2Change();
  void c3Change();
  void c4Change();
  void c5Change();
  void c6Change();

  // The form's controls, named as the design names them (also their objectName).
  QLabel* L1 = nullptr;
  QLabel* Ll1 = nullptr;
  QLabel* L2 = nullptr;
  QLabel* Ll2 = nullptr;
  QLabel* L3 = nullptr;
  QLabel* Ll3 = nullptr;
  QPushButton* btn2 = nullptr;
  QLabel* lb1 = nullptr;
  QComboBox* c1 = nullptr;
  QLabel* L5 = nullptr;
  QComboBox* c2 = nullptr;
  QLabel* l6 = nullptr;
  QComboBox* c3 = nullptr;
  QLabel* L7 = nullptr;
  QComboBox* c4 = nullptr;
  QLabel* L8 = nullptr;
  QComboBox* c5 = nullptr;
  QLabel* L9 = nullptr;
  QComboBox* c6 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // A selector of an option: its list, the option and its items' texts in both languages.
  struct Selector {
    QComboBox* list;
    const SystemOption* option;
    const Bilingual* items;
    int itemCount;
  };

  void BuildControls();
  void FormShow();
  // Sends the command of the item the list shows (either language) and names that item; none
  // when no item matches or the dialog went meanwhile.
  std::optional<int> SendPick(const Selector& selector);
  std::array<Selector, 5> Selectors() const;  // c2 .. c6
  Selector SelectorOf(const QComboBox* list) const;

  PanelContext& context_;
  // Each selector's item as the meter last answered or took it.
  std::map<const QComboBox*, int> meterItem_;
  std::unique_ptr<ReadAgainWhenLineBack> readAgain_;
};

}  // namespace benchbridge
