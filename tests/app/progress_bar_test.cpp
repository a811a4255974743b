// Tests of the single-precision progress bar.
#include "app/progress_bar.h"
#include "tests/filelist/scripted_dialogs.h"

#include <gtest/gtest.h>

using namespace quillonet;

TEST(ProgressBarTest, KeepsFractionalValuesAndClamps) {
  test_support::TestApp();
  ProgressBar bar;
  EXPECT_EQ(bar.Min(), 0.0f);
  EXPECT_EQ(bar.Max(), 100.0f);
  EXPECT_EQ(bar.Value(), 0.0f);
  bar.SetValue(100.0f / 3.0f);
  EXPECT_FLOAT_EQ(bar.Value(), 33.333333f);
  EXPECT_EQ(bar.value(), 33333);  // not rounded to 33 %
  bar.SetMax(3.0f);
  EXPECT_FLOAT_EQ(bar.Value(), 3.0f);
  EXPECT_EQ(bar.value(), ProgressBar::kSteps);
  bar.SetValue(-1.0f);
  EXPECT_EQ(bar.Value(), 0.0f);
  bar.SetMin(3.0f);  // Min == Max shows an empty bar
  EXPECT_EQ(bar.value(), 0);
}
