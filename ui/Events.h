#pragma once

#include <chrono>

namespace ui {

// Lets pending window events run once: the single yield of a handler.
void doEvents();

// The yield of a long loop (reading rows, walking cells, waiting for a reply). tick() costs
// a clock read and lets window events run only when the slice has passed, so a loop over a
// million rows stays fast while the window stays responsive.
class EventPump
{
public:
    explicit EventPump(std::chrono::milliseconds slice = defaultSlice());

    // Returns true when window events were processed in this call.
    bool tick()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_)
            return false;
        pump(now);
        return true;
    }

    // How often window events run (~10 ms). Tests may shorten it.
    static std::chrono::milliseconds defaultSlice();
    static void setDefaultSlice(std::chrono::milliseconds slice);

private:
    void pump(std::chrono::steady_clock::time_point now);

    std::chrono::milliseconds slice_;
    std::chrono::steady_clock::time_point next_;
};

} // namespace ui
