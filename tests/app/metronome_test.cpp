// Tests of the beat the window paces its event loop by during a run.
#include "app/metronome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace quillonet;
using namespace std::chrono_literals;

TEST(MetronomeTest, BeatsOnceItsIntervalHasPassedAndNeverWhenStopped) {
  Metronome quick(2ms);
  EXPECT_FALSE(quick.Running());
  quick.Restart();
  EXPECT_TRUE(quick.Running());
  for (int waited = 0; waited < 5000 && !quick.Beat(); ++waited) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(quick.Beat());
  quick.Stop();
  EXPECT_FALSE(quick.Running());
  EXPECT_FALSE(quick.Beat());
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(quick.Beat());  // the thread has ended

  // A restart lowers the beat and counts the interval from then on.
  Metronome slow(1h);
  slow.Restart();
  slow.Restart();
  EXPECT_TRUE(slow.Running());
  EXPECT_FALSE(slow.Beat());
}  // a running metronome ends its thread when it goes
