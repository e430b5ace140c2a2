#include "uFrmSetup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <stdexcept>

#include "dialog_look.h"
#include "dialog_session.h"
#include "handler_guard.h"
#include "message_box.h"
#include "qt_text.h"
#include "system_options.h"

namespace benchbridge {

namespace {

constexpr int kClientWidth = 361;
constexpr int kClientHeight = 322;
constexpr int kFontPixels = 15;
constexpr int kListWidth = 137, kListHeight = 28;
constexpr int kCaptionWidth = 95, kCaptionHeight = 22;
constexpr int kIdentityCaptionWidth = 68;  // ends before the identity texts at x 82

namespace text {
constexpr Bilingual kTitle{"系统设置", "SYSTEM SET"};
constexpr Bilingual kClose{"关闭", "Close"};
constexpr Bilingual kModel{"型号", "Model:"};
constexpr Bilingual kSerial{"序列号", "SN:"};
constexpr Bilingual kVersion{"版本号", "Version:"};
constexpr Bilingual kPowerOn{"开机设置", "Power on"};
constexpr Bilingual kBeeper{"蜂鸣器", "Beep"};
constexpr Bilingual kTrigger{"触发源", "Trig source"};
constexpr Bilingual kPassTone{"合格讯响", "pass tone"};
constexpr Bilingual kFailTone{"失败讯响", "fail tone"};
constexpr std::array<Bilingual, 2> kPowerOnItems{
    {{"默认值", "Default value"}, {"上次值", "Last value"}}};
constexpr std::array<Bilingual, 2> kBeeperItems{{{"关", "OFF"}, {"开", "ON"}}};
constexpr std::array<Bilingual, 3> kTriggerItems{
    {{"内部", "INT"}, {"外部", "EXT"}, {"手动", "MAN"}}};
constexpr std::array<Bilingual, 3> kToneItems{
    {{"关闭", "OFF"}, {"短音", "Short"}, {"长音", "Long"}}};
// What the main panel's status label bb1 shows for each trigger source (nothing for internal).
constexpr std::array<Bilingual, 3> kTriggerStatus{{{"", ""}, {"外部", "EXT"}, {"手动", "MAN"}}};
// Texts that only the design knows; the caption routine replaces all but the language row's.
constexpr const char* kLanguage = "Language：";
constexpr std::array<const char*, 2> kLanguageItems{"中文", "English"};
}  // namespace text

QLabel* Caption(QWidget* parent, const char* name, int x, int y, const char* designText,
                int width = kCaptionWidth) {
  return MakeLabel(parent, name, {x, y, width, kCaptionHeight}, ToQt(designText));
}

QComboBox* OptionList(QWidget* parent, const char* name, int y, const QStringList& designItems) {
  QComboBox* list = MakeList(parent, name, {108, y, kListWidth, kListHeight});
  list->addItems(designItems);
  list->setCurrentIndex(0);
  return list;
}

// Replaces the items in the current language and selects the noted position again.
void ReplaceItems(QComboBox* list, const Bilingual* items, int count, const PanelContext& context) {
  const int position = list->currentIndex();
  list->clear();
  for (int i = 0; i < count; ++i) list->addItem(context.Pick(items[i]));
  list->setCurrentIndex(position);
}

}  // namespace

TFrmSetup::TFrmSetup(PanelContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("FrmSetup"));
  SetUpDialogWindow(*this, kClientWidth, kClientHeight, kFontPixels);
  BuildControls();
  readAgain_ =
      std::make_unique<ReadAgainWhenLineBack>(context_, this, [this] { ReadSystemState(); });
}

TFrmSetup::~TFrmSetup() = default;

void TFrmSetup::BuildControls() {
  setWindowTitle(QStringLiteral("设置"));
  const QStringList offOn{QStringLiteral("关"), QStringLiteral("开")};
  const QStringList languages{ToQt(text::kLanguageItems[0]), ToQt(text::kLanguageItems[1])};

  btn2 = MakeButton(this, "btn2", {253, 5, 95, 38});
  btn2->setText(DesignText(text::kClose));
  L1 = Caption(this, "L1", 12, 7, "型号：", kIdentityCaptionWidth);
  Ll1 = MakeLabel(this, "Ll1", {82, 7, 165, 20});
  L2 = Caption(this, "L2", 12, 31, "序列号：", kIdentityCaptionWidth);
  Ll2 = MakeLabel(this, "Ll2", {82, 31, 165, 20});
  L3 = Caption(this, "L3", 12, 55, "版本号：", kIdentityCaptionWidth);
  Ll3 = MakeLabel(this, "Ll3", {82, 55, 165, 20});

  lb1 = Caption(this, "lb1", 11, 103, text::kLanguage);
  c1 = OptionList(this, "c1", 102, languages);
  // The language stays English for the whole run.
  lb1->setEnabled(false);
  c1->setEnabled(false);
  L5 = Caption(this, "L5", 11, 136, "开机设置：");
  c2 = OptionList(this, "c2", 135, languages);
  l6 = Caption(this, "l6", 11, 169, "蜂鸣器：");
  c3 = OptionList(this, "c3", 168, offOn);
  L7 = Caption(this, "L7", 11, 203, "触发源：");
  c4 = OptionList(this, "c4", 200, offOn);
  L8 = Caption(this, "L8", 11, 236, "合格讯响：");
  c5 = OptionList(this, "c5", 233, offOn);
  L9 = Caption(this, "L9", 11, 269, "失败讯响：");
  c6 = OptionList(this, "c6", 266, offOn);

  setTabOrder(btn2, c1);
  setTabOrder(c1, c2);
  setTabOrder(c2, c3);
  setTabOrder(c3, c4);
  setTabOrder(c4, c5);
  setTabOrder(c5, c6);

  connect(btn2, &QPushButton::clicked, this, &QDialog::accept);
  connect(c1, &QComboBox::activated, this, [this] { c1Change(); });
  connect(c2, &QComboBox::activated, this, [this] { c2Change(); });
  connect(c3, &QComboBox::activated, this, [this] { c3Change(); });
  connect(c4, &QComboBox::activated, this, [this] { c4Change(); });
  connect(c5, &QComboBox::activated, this, [this] { c5Change(); });
  connect(c6, &QComboBox::activated, this, [this] { c6Change(); });
}

std::array<TFrmSetup::Selector, 5> TFrmSetup::Selectors() const {
  // In the order the options are read.
  return {{{c3, &system_option::kBeeper, text::kBeeperItems.data(), 2},
           {c4, &system_option::kTrigger, text::kTriggerItems.data(), 3},
           {c5, &system_option::kPassTone, text::kToneItems.data(), 3},
           {c6, &system_option::kFailTone, text::kToneItems.data(), 3},
           {c2, &system_option::kPowerOn, text::kPowerOnItems.data(), 2}}};
}

TFrmSetup::Selector TFrmSetup::SelectorOf(const QComboBox* list) const {
  for (const Selector& selector : Selectors()) {
    if (selector.list == list) return selector;
  }
  throw std::logic_error("not an option selector: " + ToStd(list->objectName()));
}

void TFrmSetup::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) RunGuarded(this, [this] { FormShow(); });
}

void TFrmSetup::FormShow() {
  QPointer<TFrmSetup> self(this);
  c1->setCurrentIndex(context_.State().uiLanguage == UiLanguage::Chinese ? 0 : 1);
  for (QComboBox* list : {c2, c3, c4, c5, c6}) list->setCurrentIndex(0);
  ApplyLanguage();
  btn2->setFocus();
  ReadSystemState();
  if (self) QCoreApplication::processEvents();
}

void TFrmSetup::ApplyLanguage() {
  setWindowTitle(context_.Pick(text::kTitle));
  btn2->setText(context_.Pick(text::kClose));
  L1->setText(context_.Pick(text::kModel));
  L2->setText(context_.Pick(text::kSerial));
  L3->setText(context_.Pick(text::kVersion));
  L5->setText(context_.Pick(text::kPowerOn));
  l6->setText(context_.Pick(text::kBeeper));
  L7->setText(context_.Pick(text::kTrigger));
  L8->setText(context_.Pick(text::kPassTone));
  L9->setText(context_.Pick(text::kFailTone));
  for (const Selector& selector : Selectors()) {
    ReplaceItems(selector.list, selector.items, selector.itemCount, context_);
  }
  const StateRecord& state = context_.State();
  Ll1->setText(ToQt(state.idnModel));
  Ll2->setText(ToQt(state.idnSerial));
  Ll3->setText(ToQt(state.idnVersion));
}

void TFrmSetup::ReadSystemState() {
  DialogSession session(context_, this);
  for (const Selector& selector : Selectors()) {
    const std::optional<std::string> reply = session.Send(selector.option->query);
    if (!reply || reply->empty()) return;
    if (const auto item = SystemItemFromReply(*selector.option, *reply)) {
      selector.list->setCurrentIndex(*item);
      meterItem_[selector.list] = *item;
    }
  }
}

std::optional<int> TFrmSetup::SendPick(const Selector& selector) {
  DialogSession session(context_, this);
  // On a lost line the list shows again what the meter last had (the first item if never read).
  const auto refused = [&] {
    if (!session.RefusedWhileLineLost()) return false;
    const auto known = meterItem_.find(selector.list);
    selector.list->setCurrentIndex(known != meterItem_.end() ? known->second : 0);
    return true;
  };
  if (refused()) return std::nullopt;
  const QString shown = selector.list->currentText();
  for (int item = 0; item < selector.itemCount; ++item) {
    if (!selector.items[item].Matches(shown)) continue;
    const char* command = selector.option->commands[static_cast<std::size_t>(item)];
    if (command == nullptr) return std::nullopt;
    if (!session.Send(command)) {
      refused();
      return std::nullopt;
    }
    meterItem_[selector.list] = item;
    return item;
  }
  return std::nullopt;
}

void TFrmSetup::c1Change() {
  RunGuarded(this, [this] {
    context_.State().uiLanguage =
        c1->currentIndex() == 0 ? UiLanguage::Chinese : UiLanguage::English;
    MainPanelAccess* panel = context_.Panel();
    if (panel != nullptr) panel->SaveSettings();
    ApplyLanguage();
    if (panel != nullptr) panel->ApplyLanguage();
  });
}

void TFrmSetup::c2Change() {
  RunGuarded(this, [this] { SendPick(SelectorOf(c2)); });
}

void TFrmSetup::c3Change() {
  RunGuarded(this, [this] { SendPick(SelectorOf(c3)); });
}

void TFrmSetup::c4Change() {
  RunGuarded(this, [this] {
    const std::optional<int> source = SendPick(SelectorOf(c4));
    MainPanelAccess* panel = context_.Panel();
    if (source && panel != nullptr) {
      panel->SetTriggerStatus(
          context_.Pick(text::kTriggerStatus.at(static_cast<std::size_t>(*source))));
    }
  });
}

void TFrmSetup::c5Change() {
  RunGuarded(this, [this] { SendPick(SelectorOf(c5)); });
}

void TFrmSetup::c6Change() {
  RunGuarded(this, [this] { SendPick(SelectorOf(c6)); });
}

}  // namespace benchbridge
