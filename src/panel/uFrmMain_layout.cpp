// The front panel as designed: every control with its name, place, font, colours, alignment,
// initial text or items and visibility, in one table, built in table order (later controls lie
// above earlier ones, so the bin label covers the primary value).

#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QStringList>
#include <variant>

#include "fit_label.h"
#include "panel_look.h"
#include "port_combo_box.h"
#include "qt_text.h"
#include "uFrmMain.h"

namespace benchbridge {

namespace {

enum class Parent { Window, Display };
constexpr QRgb kNone = 0xFFFFFFFF;  // no background of its own

using LabelMember = FitLabel* TFrmMain::*;
using ListMember = QComboBox* TFrmMain::*;
using PortListMember = PortComboBox* TFrmMain::*;
using KeyMember = QPushButton* TFrmMain::*;
using FrameMember = QFrame* TFrmMain::*;
using Member = std::variant<LabelMember, ListMember, PortListMember, KeyMember, FrameMember>;

struct ControlEntry {
  Member member;
  const char* name;
  Parent parent;
  int x, y, w, h;  // w and h 0: a label sized to its caption
  Face face;
  int pixels;
  QRgb text;
  QRgb background;
  Qt::Alignment align;
  const char* caption;  // a list's items are separated by '|'
  int selected;         // a list's selected item
  bool visible;
};

constexpr Qt::Alignment kTopLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment kTopCentre = Qt::AlignHCenter | Qt::AlignTop;
constexpr Qt::Alignment kTopRight = Qt::AlignRight | Qt::AlignTop;
constexpr Qt::Alignment kBottomLeft = Qt::AlignLeft | Qt::AlignBottom;
constexpr Qt::Alignment kBottomRight = Qt::AlignRight | Qt::AlignBottom;

constexpr int kKeyW = 119;
constexpr int kKeyH = 38;
constexpr Parent W = Parent::Window;
constexpr Parent D = Parent::Display;
using colour::kAqua, colour::kBlack, colour::kDisplay, colour::kFuchsia, colour::kMenuText,
    colour::kStatusStrip, colour::kWhite, colour::kYellow;

// clang-format off
const ControlEntry kControls[] = {
  // The display area and the line above its status strip.
  {&TFrmMain::Panel1, "Panel1", W,   5,   6, 611, 349, Face::YaHei,  14, kWhite,   kDisplay,  kTopLeft,  "", 0, true},
  {&TFrmMain::shp2,   "shp2",   D,   0, 315, 611,   1, Face::YaHei,  14, kWhite,   kWhite,    kTopLeft,  "", 0, true},
  // Badges.
  {&TFrmMain::LLs888, "LLs888", D,   4,   5, 119,  35, Face::YaHei,  27, kWhite,   kFuchsia,  kTopLeft,  "交流电桥", 0, true},
  {&TFrmMain::LLs999, "LLs999", D, 500,   5,   0,   0, Face::YaHei,  27, kWhite,   kFuchsia,  kTopRight, "交流电桥", 0, false},
  // Settings rows.
  {&TFrmMain::lbl1,   "lbl1",   D,   4,  52,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "功能：", 0, true},
  {&TFrmMain::CB1,    "CB1",    D,  78,  52, 127,  27, Face::SimHei, 27, kAqua,    kNone,     kTopLeft,  "Ls-Q", 0, true},
  {&TFrmMain::lbl2,   "lbl2",   D, 210,  52,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "电平：", 0, true},
  {&TFrmMain::cb2,    "cb2",    D, 298,  48, 121,  35, Face::SimHei, 27, kAqua,    kMenuText, kTopLeft,  "2V|1.5V|1V|600mV|300mV|100mV", 3, true},
  {&TFrmMain::bb22,   "bb22",   D, 300,  49, 116,  38, Face::SimHei, 23, kAqua,    kNone,     kTopLeft,  "1Hz", 0, false},
  {&TFrmMain::lbl3,   "lbl3",   D, 420,  52,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "偏置：", 0, true},
  {&TFrmMain::bb33,   "bb33",   D, 489,  49, 116,  38, Face::SimHei, 27, kAqua,    kNone,     kTopLeft,  "1Hz", 0, false},
  {&TFrmMain::lbl4,   "lbl4",   D,   4,  85,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "频率：", 0, true},
  {&TFrmMain::cb4,    "cb4",    D,  71,  83, 138,  35, Face::SimHei, 27, kAqua,    kMenuText, kTopLeft,
   "100000Hz|120Hz|200Hz|400Hz|800Hz|1k|2k|4k|8k|10k|15k|20k|40K|50K|80K|100K", 0, true},
  {&TFrmMain::bb44,   "bb44",   D,  76,  83, 128,  38, Face::SimHei, 23, kAqua,    kNone,     kTopLeft,  "1Hz", 0, false},
  {&TFrmMain::lbl5,   "lbl5",   D, 210,  85,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "量程：", 0, true},
  {&TFrmMain::cb5,    "cb5",    D, 298,  83, 121,  35, Face::SimHei, 27, kAqua,    kMenuText, kTopLeft,  "自动|锁定", 0, true},
  {&TFrmMain::lbl6,   "lbl6",   D, 420,  85,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "比较：", 0, true},
  {&TFrmMain::cb6,    "cb6",    D, 487,  83,  98,  35, Face::SimHei, 27, kAqua,    kMenuText, kTopLeft,  "关|开", 0, true},
  {&TFrmMain::lbl7,   "lbl7",   D,   4, 118,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "阻抗：", 0, true},
  {&TFrmMain::cb7,    "cb7",    D,  72, 115, 138,  35, Face::SimHei, 27, kAqua,    kMenuText, kTopLeft,  "100Ω|30Ω", 0, true},
  {&TFrmMain::lbl8,   "lbl8",   D, 210, 118,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "速度：", 0, true},
  {&TFrmMain::cb8,    "cb8",    D, 298, 115, 121,  35, Face::SimHei, 27, kAqua,    kMenuText, kTopLeft,  "慢速|中速|快速", 0, true},
  {&TFrmMain::lbl9,   "lbl9",   D, 420, 118,   0,   0, Face::YouYuan, 27, kAqua,   kNone,     kTopLeft,  "列表：", 0, true},
  {&TFrmMain::cb9,    "cb9",    D, 487, 115,  99,  35, Face::SimHei, 27, kWhite,   kMenuText, kTopLeft,  "关|开", 0, true},
  // The two readings, with the bin label over the primary value.
  {&TFrmMain::LLs1,   "LLs1",   D,  73, 193,  76,  37, Face::SimHei, 37, kYellow,  kNone,     kBottomLeft,  "1", 0, true},
  {&TFrmMain::LLs2,   "LLs2",   D, 163, 166, 247,  70, Face::SimHei, 70, kYellow,  kNone,     kBottomRight, "2", 0, true},
  {&TFrmMain::LLs3,   "LLs3",   D, 481, 193,  94,  37, Face::SimHei, 37, kYellow,  kNone,     kTopCentre,   "3", 0, true},
  {&TFrmMain::lls7,   "lls7",   D, 173, 160, 247,  70, Face::SimHei, 70, kFuchsia, kNone,     kTopCentre,   "2", 0, false},
  {&TFrmMain::LLs4,   "LLs4",   D,  73, 262,  76,  37, Face::SimHei, 37, kAqua,    kNone,     kTopLeft,     "4", 0, true},
  {&TFrmMain::LLs5,   "LLs5",   D, 163, 244, 247,  61, Face::SimHei, 60, kAqua,    kNone,     kTopRight,    "5", 0, true},
  {&TFrmMain::LLs6,   "LLs6",   D, 481, 262, 106,  37, Face::SimHei, 37, kAqua,    kNone,     kTopCentre,   "6", 0, true},
  // Status strip.
  {&TFrmMain::bb1,    "bb1",    D,   2, 318, 121,  30, Face::YaHei,  18, kBlack,   kStatusStrip, kTopCentre, "", 0, true},
  {&TFrmMain::bb2,    "bb2",    D, 124, 318, 121,  30, Face::YaHei,  18, kBlack,   kStatusStrip, kTopLeft,   "", 0, true},
  {&TFrmMain::bb3,    "bb3",    D, 246, 318, 121,  30, Face::YaHei,  18, kBlack,   kStatusStrip, kTopCentre, "", 0, true},
  {&TFrmMain::bb4,    "bb4",    D, 368, 318, 121,  30, Face::YaHei,  18, kBlack,   kStatusStrip, kTopCentre, "", 0, true},
  {&TFrmMain::bb5,    "bb5",    D, 490, 318, 120,  30, Face::YaHei,  18, kBlack,   kStatusStrip, kTopCentre, "本地", 0, true},
  // Key block.
  {&TFrmMain::c1,     "c1",     W, 620,   9, 119,  35, Face::YaHei,  20, kBlack,   kNone,     kTopLeft,  "", -1, true},
  {&TFrmMain::rbtn1,  "rbtn1",  W, 738,   6, 237, kKeyH, Face::YaHei, 14, kBlack,  kNone,     kTopLeft,  "Connecting device", 0, true},
  {&TFrmMain::rbtn2,  "rbtn2",  W, 620,  44, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "AUTO/R/C/L/Z", 0, true},
  {&TFrmMain::rbtn9,  "rbtn9",  W, 738,  44, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "比较", 0, true},
  {&TFrmMain::rbtn12, "rbtn12", W, 856,  44, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "最大值", 0, true},
  {&TFrmMain::rbtn3,  "rbtn3",  W, 620,  83, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "X/D/Q/θ/ESR", 0, true},
  {&TFrmMain::rbtn10, "rbtn10", W, 738,  83, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "保持", 0, true},
  {&TFrmMain::rbtn13, "rbtn13", W, 856,  83, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "最小值", 0, true},
  {&TFrmMain::rbtn4,  "rbtn4",  W, 620, 121, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "AUTO/SER/PAL", 0, true},
  {&TFrmMain::rbtn7,  "rbtn7",  W, 738, 121, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "NULL", 0, true},
  {&TFrmMain::rbtn14, "rbtn14", W, 856, 121, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "平均值", 0, true},
  {&TFrmMain::rbtn5,  "rbtn5",  W, 620, 159, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "—||—", 0, true},
  {&TFrmMain::rbtn6,  "rbtn6",  W, 738, 159, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "DCR", 0, true},
  {&TFrmMain::rbtn8,  "rbtn8",  W, 620, 198, kKeyW, kKeyH, Face::YaHei, 14, kBlack, kNone,    kTopLeft,  "设置", 0, true},
  {&TFrmMain::rbtnQ,  "rbtnQ",  W, 620, 312, 357,  44, Face::YaHei,  20, kBlack,   kNone,     kTopLeft,  "关闭", 0, true},
};
// clang-format on

QWidget* ParentOf(const ControlEntry& entry, TFrmMain* form) {
  return entry.parent == Parent::Display ? static_cast<QWidget*>(form->Panel1) : form;
}

void Place(QWidget* widget, const ControlEntry& entry) {
  widget->setObjectName(QString::fromLatin1(entry.name));
  widget->setFont(PanelFont(entry.face, entry.pixels));
  widget->move(entry.x, entry.y);
  if (entry.w > 0) {
    widget->resize(entry.w, entry.h);
  }
  if (entry.background != kNone) {
    SetBackground(widget, QColor::fromRgb(entry.background));
  }
  SetTextColour(widget, QColor::fromRgb(entry.text));
  widget->setVisible(entry.visible);
}

void FillList(QComboBox* list, const ControlEntry& entry) {
  const QString items = ToQt(entry.caption);
  if (!items.isEmpty()) {
    list->addItems(items.split(QLatin1Char('|')));
  }
  list->setCurrentIndex(entry.selected);
  list->setFrame(false);
}

// Builds one control and hands it to the member that names it.
struct Builder {
  const ControlEntry& entry;
  TFrmMain* form;

  void operator()(LabelMember member) const {
    auto* label = new FitLabel(ToQt(entry.caption), ParentOf(entry, form));
    label->setAlignment(entry.align);
    Place(label, entry);
    label->SetAutoSize(entry.w == 0);
    form->*member = label;
  }
  template <typename List>
  void operator()(List* TFrmMain::*member) const {
    auto* list = new List(ParentOf(entry, form));
    Place(list, entry);
    FillList(list, entry);
    form->*member = list;
  }
  void operator()(KeyMember member) const {
    auto* key = new QPushButton(ToQt(entry.caption), ParentOf(entry, form));
    Place(key, entry);
    key->setStyleSheet(KeyStyleSheet());
    key->setFocusPolicy(Qt::NoFocus);
    form->*member = key;
  }
  void operator()(FrameMember member) const {
    auto* frame = new QFrame(ParentOf(entry, form));
    Place(frame, entry);
    form->*member = frame;
  }
};

}  // namespace

void TFrmMain::BuildControls() {
  for (const ControlEntry& entry : kControls) {
    std::visit(Builder{entry, this}, entry.member);
  }
}

}  // namespace benchbridge
