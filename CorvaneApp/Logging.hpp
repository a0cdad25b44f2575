#pragma once

#include <QLoggingCategory>

// One logging category per component.
Q_DECLARE_LOGGING_CATEGORY(monitorLog)
Q_DECLARE_LOGGING_CATEGORY(fixesLog)
Q_DECLARE_LOGGING_CATEGORY(settingsLog)
