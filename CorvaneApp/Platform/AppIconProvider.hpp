#pragma once

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QSet>
#include <QString>

#include <string>

namespace corvane {

class Executor;

// The icons of apps by bundle path: the Icon of the desktop entry named after the
// bundle's identifier (else after the bundle's name, in lower case), through the icon
// theme or as a file. The bundle's Info.plist may be anyone's file and as slow or as
// large as they like, so it is read off the GUI thread; answers, misses included, are
// kept for the life of the provider: rows ask on every tick.
class AppIconProvider : public QObject {
    Q_OBJECT
public:
    explicit AppIconProvider(Executor& executor, QObject* parent = nullptr);

    // The icon once it is known; a null icon while it is looked up and when the app has
    // none. The first ask for a bundle starts its lookup; `found` follows when it ends.
    QIcon icon(const std::string& appPath);

Q_SIGNALS:
    // The lookup for this bundle has ended and `icon` now answers for it.
    void found(const QString& appPath);

private:
    Executor& executor_;
    QHash<QString, QIcon> known_;
    QSet<QString> pending_;
};

} // namespace corvane
