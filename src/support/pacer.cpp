#include "support/pacer.h"

#include <QCoreApplication>

TFramePacer::TFramePacer(QObject* parent)
    : QObject(parent),
      now_([] { return TClock::now(); }),
      pump_([] { QCoreApplication::processEvents(); }),
      lastFrame_(now_()) {}

void TFramePacer::SetClock(TNow now) {
  now_ = std::move(now);
  lastFrame_ = now_();
}

void TFramePacer::SetEventPump(TEventPump pump) {
  pump_ = std::move(pump);
}

bool TFramePacer::Yield() {
  if (inFrame_) return false;
  if (now_() - lastFrame_ < interval_) return false;
  inFrame_ = true;
  // However the frame's events end, the loop gets a whole interval before the next
  // one, so that painting never takes all of its time.
  struct TFrameEnd {
    TFramePacer& pacer;
    ~TFrameEnd() {
      pacer.inFrame_ = false;
      pacer.lastFrame_ = pacer.now_();
    }
  } frameEnd{*this};
  StartFrame();
  pump_();
  return true;
}

void TFramePacer::Flush() {
  lastFrame_ = now_();
  StartFrame();
}

void TFramePacer::StartFrame() {
  ++frames_;
  emit FrameDue();
}
