// The comparator layout of the readings and the way back to the design layout.

#include <QFrame>

#include "fit_label.h"
#include "panel_harness.h"

namespace benchbridge::testing {
namespace {

struct Box {
  int left, top, width, height;
  bool operator==(const Box&) const = default;
};

Box BoxOf(const QWidget* w) { return {w->x(), w->y(), w->width(), w->height()}; }

class ReadingLayoutTest : public PanelHarness {};

TEST_F(ReadingLayoutTest, TheBinLayoutIsTwoCompactCentredRows) {
  TFrmMain& panel = StartPanel();
  panel.ShowBinLayout();
  EXPECT_TRUE(panel.lls7->isVisible());
  EXPECT_EQ(panel.lls7->text(), "BIN:OUT");
  EXPECT_EQ(BoxOf(panel.LLs1), (Box{201, 235, 38, 37}));
  EXPECT_EQ(BoxOf(panel.LLs2), (Box{239, 235, 123, 37}));
  EXPECT_EQ(BoxOf(panel.LLs3), (Box{362, 235, 47, 37}));
  EXPECT_EQ(BoxOf(panel.LLs4), (Box{201, 274, 38, 37}));
  EXPECT_EQ(BoxOf(panel.LLs5), (Box{239, 274, 123, 37}));
  EXPECT_EQ(BoxOf(panel.LLs6), (Box{362, 274, 47, 37}));
  for (const FitLabel* label : panel.ReadingLabels()) EXPECT_EQ(label->font().pixelSize(), 24);

  // Again from the compact layout: the same result, not half of half.
  panel.ShowBinLayout();
  EXPECT_EQ(BoxOf(panel.LLs2), (Box{239, 235, 123, 37}));
  EXPECT_EQ(BoxOf(panel.LLs6), (Box{362, 274, 47, 37}));
}

TEST_F(ReadingLayoutTest, RestoringGivesTheDesignBackExactly) {
  TFrmMain& panel = StartPanel();
  const std::array<LabelGeometry, 6> design{{{193, 37, 73, 76, 37},
                                             {166, 70, 163, 247, 70},
                                             {193, 37, 481, 94, 37},
                                             {262, 37, 73, 76, 37},
                                             {244, 60, 163, 247, 61},
                                             {262, 37, 481, 106, 37}}};
  EXPECT_EQ(panel.ReadingLayout(), design);
  panel.ShowBinLayout();
  panel.RestoreReadingLayout();
  EXPECT_TRUE(panel.lls7->isHidden());
  const auto labels = panel.ReadingLabels();
  for (std::size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(BoxOf(labels[i]),
              (Box{design[i].left, design[i].top, design[i].width, design[i].height}));
    EXPECT_EQ(labels[i]->font().pixelSize(), design[i].fontPixelSize);
  }
}

}  // namespace
}  // namespace benchbridge::testing
