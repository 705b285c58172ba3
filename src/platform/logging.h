#pragma once

#include <QLoggingCategory>

// What the launcher decides, for a user who reports a problem:
// QT_LOGGING_RULES="pelvaro.*=true" shows it on standard error. Silent
// otherwise; the system log keeps only the lines meant for it.
Q_DECLARE_LOGGING_CATEGORY(lcProcesses)   // pelvaro.processes: scans, launches, exits
Q_DECLARE_LOGGING_CATEGORY(lcFolder)      // pelvaro.folder: watches, events, listings
Q_DECLARE_LOGGING_CATEGORY(lcFiles)       // pelvaro.files: writes, moves, copies, removals
Q_DECLARE_LOGGING_CATEGORY(lcPreferences) // pelvaro.preferences: reads and synchronises
Q_DECLARE_LOGGING_CATEGORY(lcSession)     // pelvaro.session: starts, save-backs, quits
