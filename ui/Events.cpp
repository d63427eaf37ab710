#include "ui/Events.h"

#include <QCoreApplication>

namespace ui {
namespace {
std::chrono::milliseconds currentSlice{10};
}

void doEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

EventPump::EventPump(std::chrono::milliseconds slice)
    : slice_(slice), next_(std::chrono::steady_clock::now() + slice)
{
}

std::chrono::milliseconds EventPump::defaultSlice() { return currentSlice; }

void EventPump::setDefaultSlice(std::chrono::milliseconds slice) { currentSlice = slice; }

void EventPump::pump(std::chrono::steady_clock::time_point now)
{
    doEvents();
    next_ = now + slice_;
}

} // namespace ui
