#include "CorvaneApp/Logging.hpp"

// Debug lines, such as each finished check, show only when asked for
// (QT_LOGGING_RULES="monitor.debug=true").
Q_LOGGING_CATEGORY(monitorLog, "monitor", QtInfoMsg)
Q_LOGGING_CATEGORY(fixesLog, "fixes")
// The files the app keeps of the person's choices: the settings and the autostart entry.
Q_LOGGING_CATEGORY(settingsLog, "settings")
