// How a paused run waits on the desktop: in the event loop, without using the processor.
#pragma once

#include <chrono>

namespace lexmora::ui {

// Handles events until one comes, or until `limit` has passed (so a "n secs" display still
// moves); a click on Continue or Exit ends the wait at once.
void WaitForEvents(std::chrono::milliseconds limit);

} // namespace lexmora::ui
