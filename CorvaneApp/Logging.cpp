#include "CorvaneApp/Logging.hpp"

Q_LOGGING_CATEGORY(monitorLog, "monitor")
Q_LOGGING_CATEGORY(fixesLog, "fixes")
