#include "CorvaneApp/Platform/SingleInstance.hpp"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <unistd.h>

namespace corvane {

namespace {

Q_LOGGING_CATEGORY(lcInstance, "corvane.instance", QtInfoMsg)

const QByteArray activateMessage = QByteArrayLiteral("activate\n");

// How long a launch waits for the running app to take its message; local sockets answer
// at once, so this only bounds a hung peer.
constexpr int handOverMilliseconds = 1000;

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent)
    , name_(std::move(name))
{
}

QString SingleInstance::defaultName()
{
    // In the user's private runtime folder: a name in the shared temp folder could be taken
    // first by another user, and every launch would then hand over to a stranger and quit.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("corvane"));
    return QStringLiteral("corvane-%1").arg(::getuid());
}

bool SingleInstance::claim()
{
    QLocalSocket peer;
    peer.connectToServer(name_);
    if (peer.waitForConnected(handOverMilliseconds)) {
        peer.write(activateMessage);
        peer.waitForBytesWritten(handOverMilliseconds);
        peer.disconnectFromServer();
        return false;
    }

    // Nobody answered: a socket file left by a crashed app would block listen().
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    if (!server_->listen(name_))
        qCWarning(lcInstance, "cannot serve %s: %s", qPrintable(name_), qPrintable(server_->errorString()));
    return true;
}

void SingleInstance::accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == activateMessage) {
                qCDebug(lcInstance, "activation requested");
                Q_EMIT activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace corvane
