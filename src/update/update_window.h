// The update window: opened modal by the start-up check, owned by nobody so that
// it outlives the main window it closes.
#pragma once

#include "win/window.h"

namespace vostrel {

extern const WindowLayout kUpdateWindowLayout;

class UpdateWindow : public Window {
public:
    UpdateWindow();
    // The timer 时钟: ticks every interval ms; 0 stops it.
    void setClockInterval(UINT milliseconds);

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
};

// The update window now open, or nullptr.
UpdateWindow* updateWindow();

// Creates the window from its layout and returns when it has been closed.
void openUpdateWindow();

}  // namespace vostrel
