#include "CorvaneApp/Platform/SingleInstance.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QString uniqueName()
{
    return QStringLiteral("corvane-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// Local sockets deliver within a few turns of the event loop; no clock is involved.
void deliver(const bool& until)
{
    for (int turn = 0; turn < 200 && !until; ++turn)
        QCoreApplication::processEvents();
}

} // namespace

TEST(SingleInstance, SecondLaunchHandsOverToTheRunningApp)
{
    const QString name = uniqueName();
    SingleInstance running(name);
    ASSERT_TRUE(running.claim());
    int activations = 0;
    bool activated = false;
    QObject::connect(&running, &SingleInstance::activationRequested, [&] {
        ++activations;
        activated = true;
    });

    SingleInstance second(name);
    EXPECT_FALSE(second.claim());
    deliver(activated);
    EXPECT_EQ(activations, 1);

    // Another user's (another name's) app is not disturbed, and a third launch hands over again.
    SingleInstance other(uniqueName());
    EXPECT_TRUE(other.claim());
    activated = false;
    SingleInstance third(name);
    EXPECT_FALSE(third.claim());
    deliver(activated);
    EXPECT_EQ(activations, 2);
}

TEST(SingleInstance, LeftoverSocketFileOfACrashedAppDoesNotBlockTheNextLaunch)
{
    const QString name = uniqueName();
    QFile leftover(QDir::temp().filePath(name));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();

    SingleInstance launch(name);
    EXPECT_TRUE(launch.claim());
    SingleInstance second(name);
    EXPECT_FALSE(second.claim());
}

TEST(SingleInstance, AnswersInsideTheUsersPrivateRuntimeFolder)
{
    QTemporaryDir runtime;  // made owner-only, as a session's runtime folder is
    ASSERT_TRUE(runtime.isValid());
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString name = SingleInstance::defaultName();
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);

    // Not in the shared temp folder, where another user could take the name first.
    EXPECT_EQ(QFileInfo(name).absolutePath(), QFileInfo(runtime.path()).absoluteFilePath());
    SingleInstance running(name);
    ASSERT_TRUE(running.claim());
    EXPECT_TRUE(QFileInfo::exists(name));
    EXPECT_FALSE(SingleInstance(name).claim());
}
