#include "CorvaneApp/StartAtLogin.hpp"

#include <QCheckBox>
#include <QSignalBlocker>

namespace corvane {

StartAtLogin::StartAtLogin(LoginItem item, QObject* parent)
    : QObject(parent), item_(std::move(item)), on_(item_.isEnabled())
{
}

bool StartAtLogin::set(bool on)
{
    const bool ok = on ? item_.registerApp() : item_.unregisterApp();
    store(ok ? on : item_.isEnabled());
    return ok;
}

void StartAtLogin::reload()
{
    store(item_.isEnabled());
}

void StartAtLogin::showIn(QCheckBox* box)
{
    const auto show = [box](bool on) {
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    };
    reload();
    show(on_);
    connect(this, &StartAtLogin::changed, box, show);
}

void StartAtLogin::store(bool on)
{
    if (on_ == on)
        return;
    on_ = on;
    Q_EMIT changed(on_);
}

} // namespace corvane
