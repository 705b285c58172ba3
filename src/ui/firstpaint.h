#pragma once

#include <functional>

class QWidget;

namespace first_paint {

// Once `window` has painted for the first time, calls `report`, prints
// "first paint" on standard output and quits the application. The start-up
// benchmark takes its time from that line, so that it measures the paint
// and not the process's exit.
void reportThenQuit(QWidget& window, std::function<void()> report = {});

} // namespace first_paint
