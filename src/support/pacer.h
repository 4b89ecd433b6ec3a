#pragma once

#include <QObject>

#include <chrono>
#include <functional>

// Paces what a long loop on the window thread shows. The loop writes its data
// item by item and calls Yield at each of its yield points; the screen catches up
// (FrameDue, then the pending events, repaints among them) at most once per
// interval, and once more on Flush when the loop ends. A loop that can be stopped
// checks its own flag after every Yield, so a stop that the events brought is seen
// at the next item whatever the pace.
//
// One pacer serves every long loop of its owner, one loop at a time: a Yield made
// from inside a frame's events (a loop started by one of those events) shows no
// frame of its own.
class TFramePacer : public QObject {
  Q_OBJECT

 public:
  using TClock = std::chrono::steady_clock;
  using TNow = std::function<TClock::time_point()>;
  using TEventPump = std::function<void()>;

  static constexpr std::chrono::milliseconds kDefaultInterval{20};

  explicit TFramePacer(QObject* parent = nullptr);

  std::chrono::milliseconds Interval() const { return interval_; }
  void SetInterval(std::chrono::milliseconds interval) { interval_ = interval; }
  // What tells the time (tests step it by hand) and what processes the pending
  // events (QCoreApplication::processEvents by default).
  void SetClock(TNow now);
  void SetEventPump(TEventPump pump);

  // A yield point: shows a frame when the last one is an interval old. True when
  // it showed one.
  bool Yield();
  // The next Yield shows a frame whatever the pace (a display that has just come up
  // shows its first state at once).
  void RequestFrame() { lastFrame_ = now_() - interval_; }
  // The end of a loop: the views show the final state. The pending events are left
  // to the event loop the caller returns to, which paints them at once; so the end
  // of a loop never runs anything else inside it.
  void Flush();
  // Frames shown so far (Yield and Flush alike).
  long Frames() const { return frames_; }

 signals:
  // The views bring what they show up to date with what was written since the
  // last frame.
  void FrameDue();

 private:
  void StartFrame();

  std::chrono::milliseconds interval_ = kDefaultInterval;
  TNow now_;
  TEventPump pump_;
  TClock::time_point lastFrame_;
  long frames_ = 0;
  bool inFrame_ = false;
};
