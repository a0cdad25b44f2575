#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace corvane {

// Keeps one running app per user: the first launch answers on a local socket, and a later
// launch asks it to bring its window forward instead of starting a second monitor that
// would sample and write history alongside the first.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);

    // The socket of this user's app, in the user's private runtime folder when there is one.
    static QString defaultName();

    // True when this process is now the user's app (or the socket cannot be served, so the
    // app runs on its own); false when a running app was found and asked to show its window.
    bool claim();

Q_SIGNALS:
    // Another launch asked this app to bring its window forward.
    void activationRequested();

private:
    void accept();

    QString name_;
    QLocalServer* server_ = nullptr;
};

} // namespace corvane
