#pragma once

#include <functional>

class QWidget;

namespace first_paint {

// Calls `then` once `window` has painted for the first time and the paint
// pass is over, for work that can wait until the user sees the window.
void afterFirstPaint(QWidget& window, std::function<void()> then);

// Once `window` has painted for the first time, prints "first paint" on
// standard output, then calls `report` and quits the application. The
// start-up benchmark takes its time from that line, so that it measures the
// paint and not the report or the process's exit.
void reportThenQuit(QWidget& window, std::function<void()> report = {});

} // namespace first_paint
