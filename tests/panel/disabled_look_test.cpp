// A disabled list or key is drawn visibly dimmer than an enabled one, and the enabled ones keep
// the design colours (the settings lists aqua, the list switch white).

#include <QComboBox>
#include <QImage>
#include <QPushButton>

#include "panel_harness.h"
#include "panel_look.h"

namespace benchbridge::testing {
namespace {

// The lightest pixel of the widget as drawn: its text on the display's black.
int Brightest(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  int brightest = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      brightest = std::max(brightest, QColor(image.pixel(x, y)).value());
    }
  }
  return brightest;
}

using DisabledLookTest = PanelHarness;

TEST_F(DisabledLookTest, DisabledListsAndKeysAreDimmerAndEnabledOnesKeepTheirColours) {
  StartPanel();
  for (QComboBox* list : {panel_->cb6, panel_->cb9}) {
    SCOPED_TRACE(list->objectName().toStdString());
    ASSERT_FALSE(list->isEnabled());  // as after start-up
    const int disabled = Brightest(list);
    list->setEnabled(true);
    const int enabled = Brightest(list);
    EXPECT_LT(disabled * 4, enabled * 3) << disabled << " vs " << enabled;
  }
  EXPECT_EQ(TextColour(panel_->cb6), QColor(Qt::cyan));
  EXPECT_EQ(TextColour(panel_->cb9), QColor(Qt::white));

  QPushButton* key = panel_->rbtn2;
  ASSERT_FALSE(key->isEnabled());
  const QImage disabled = key->grab().toImage();
  key->setEnabled(true);
  EXPECT_NE(key->grab().toImage(), disabled);
}

}  // namespace
}  // namespace benchbridge::testing
