#include "platform/logging.h"

Q_LOGGING_CATEGORY(lcProcesses, "pelvaro.processes", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFolder, "pelvaro.folder", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFiles, "pelvaro.files", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPreferences, "pelvaro.preferences", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSession, "pelvaro.session", QtInfoMsg)
