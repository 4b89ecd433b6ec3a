#include "support/pacer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A pacer on a clock that the test moves, logging frames ("F") and event pumps ("E").
class Pacer : public ::testing::Test {
 protected:
  Pacer() {
    pacer.SetClock([this] { return now; });
    pacer.SetEventPump([this] {
      log += 'E';
      if (onPump) onPump();
    });
    QObject::connect(&pacer, &TFramePacer::FrameDue, [this] { log += 'F'; });
  }

  TFramePacer::TClock::time_point now;
  TFramePacer pacer;
  std::string log;
  std::function<void()> onPump;
};

TEST_F(Pacer, ShowsAFrameOnlyOnceAnIntervalHasPassedThenProcessesEvents) {
  struct TCase {
    std::chrono::milliseconds step;  // between yields
    int yields;
    long frames;
  };
  const TCase cases[] = {
      {0ms, 1000, 0},  // a loop faster than the clock ticks
      {1ms, 100, 5},   // one frame every twenty yields
      {7ms, 10, 3},    // at 21, 42 and 63 ms
      {50ms, 4, 4},    // a slow loop shows every yield
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.step.count());
    pacer.Flush();
    const long before = pacer.Frames();
    log.clear();
    for (int i = 0; i < c.yields; ++i) {
      now += c.step;
      pacer.Yield();
    }
    EXPECT_EQ(pacer.Frames() - before, c.frames);
    std::string frames;
    for (long f = 0; f < c.frames; ++f) frames += "FE";
    EXPECT_EQ(log, frames);  // the views are brought up to date before the events
  }
}

TEST_F(Pacer, FlushShowsTheLastFrameWithoutProcessingEvents) {
  for (int i = 0; i < 10; ++i) pacer.Yield();
  EXPECT_EQ(log, "");
  pacer.Flush();
  EXPECT_EQ(log, "F");
  // The next frame is an interval after the flush.
  now += 19ms;
  EXPECT_FALSE(pacer.Yield());
  now += 1ms;
  EXPECT_TRUE(pacer.Yield());
}

TEST_F(Pacer, AYieldFromInsideAFrameShowsNoFrameOfItsOwn) {
  bool nested = true;
  onPump = [&] {
    now += 1s;
    nested = pacer.Yield();
  };
  now += 1s;
  EXPECT_TRUE(pacer.Yield());
  EXPECT_FALSE(nested);
  EXPECT_EQ(log, "FE");
}

}  // namespace
