#include "CorvaneApp/Platform/SleepWatcher.hpp"

#include <QDBusConnection>

namespace corvane {
namespace {

// logind announces sleep with PrepareForSleep(true) and wake with PrepareForSleep(false).
class LogindSleepWatcher final : public SleepWatcher {
    Q_OBJECT
public:
    LogindSleepWatcher()
    {
        auto bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return;
        bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                    SLOT(prepareForSleep(bool)));
    }

private Q_SLOTS:
    void prepareForSleep(bool sleeping)
    {
        if (sleeping)
            Q_EMIT willSleep();
        else
            Q_EMIT didWake();
    }
};

} // namespace

std::unique_ptr<SleepWatcher> SleepWatcher::logind()
{
    return std::make_unique<LogindSleepWatcher>();
}

} // namespace corvane

#include "SleepWatcher.moc"
