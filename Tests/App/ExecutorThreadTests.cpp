#include "CorvaneApp/Executor.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <stdexcept>

using namespace corvane;

// The tests on real threads. Work runs off the GUI thread, its result and its
// exception come back on the GUI thread, and a result for a destroyed receiver is dropped.
TEST(ThreadPoolExecutor, DeliversResultsAndErrorsOnTheApplicationThread)
{
    ThreadPoolExecutor executor(2);
    QObject receiver;
    QEventLoop loop;
    QThread* worker = nullptr;
    QThread* deliveredOn = nullptr;
    int value = 0;
    std::string error;
    int delivered = 0;
    const auto finish = [&] {
        if (++delivered == 2)
            loop.quit();
    };

    executor.run(
        &receiver,
        [&worker] {
            worker = QThread::currentThread();
            return 42;
        },
        [&](WorkResult<int> result) {
            deliveredOn = QThread::currentThread();
            value = result.value();
            finish();
        });
    executor.run(
        &receiver, []() -> int { throw std::runtime_error("no table"); },
        [&](WorkResult<int> result) {
            error = result.errorMessage();
            finish();
        });
    {
        QObject gone;
        executor.run(&gone, [] { return 1; }, [&](WorkResult<int>) { ADD_FAILURE() << "delivered to a dead receiver"; });
    }
    loop.exec();
    EXPECT_NE(worker, QCoreApplication::instance()->thread());
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
    EXPECT_EQ(value, 42);
    EXPECT_EQ(error, "no table");
    // Let the third delivery reach the (dropped) receiver before the test ends.
    executor.run(&receiver, [] {}, [&](WorkResult<Nothing>) { loop.quit(); });
    loop.exec();
}

// Every shared worker blocks until the test lets it go, yet a tick runs at once. The
// deadline only bounds a failing run.
TEST(ThreadPoolExecutor, ATickRunsWhileEverySharedWorkerIsBlocked)
{
    ThreadPoolExecutor executor(4);
    QObject receiver;
    std::latch started(4);
    std::latch release(1);
    int finished = 0;
    QEventLoop loop;
    for (int i = 0; i < 4; ++i) {
        executor.run(
            &receiver,
            [&] {
                started.count_down();
                release.wait();
            },
            [&](WorkResult<Nothing>) {
                if (++finished == 4)
                    loop.quit();
            });
    }
    started.wait();

    bool ticked = false;
    executor.run(Executor::Lane::tick, &receiver, [] { return 1; }, [&](WorkResult<int>) {
        ticked = true;
        loop.quit();
    });
    QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(ticked);
    EXPECT_EQ(finished, 0);

    release.count_down();
    while (finished < 4)
        loop.exec();
}

// A detached job may wait as long as another program runs: it delivers like any other,
// holds no shared worker meanwhile, and does not hold the executor's end, after which
// what it gives is dropped. The deadline only bounds a failing run.
TEST(ThreadPoolExecutor, ADetachedJobHoldsNoWorkerNorTheEnd)
{
    QObject receiver;
    QEventLoop loop;
    QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
    auto release = std::make_shared<std::latch>(1);
    auto ended = std::make_shared<std::latch>(1);
    {
        ThreadPoolExecutor executor(1);
        QThread* ranOn = nullptr;
        executor.run(Executor::Lane::detached, &receiver, [&ranOn] { ranOn = QThread::currentThread(); },
                     [&](WorkResult<Nothing>) { loop.quit(); });
        loop.exec();
        EXPECT_NE(ranOn, nullptr);
        EXPECT_NE(ranOn, QCoreApplication::instance()->thread());

        executor.run(
            Executor::Lane::detached, &receiver,
            [release, ended] {
                release->wait();
                ended->count_down();
            },
            [](WorkResult<Nothing>) { ADD_FAILURE() << "delivered after the executor ended"; });
        bool shared = false;
        executor.run(&receiver, [] {}, [&](WorkResult<Nothing>) {
            shared = true;
            loop.quit();
        });
        loop.exec();
        EXPECT_TRUE(shared) << "the one shared worker was held";
    }
    release->count_down();
    ended->wait();
    QCoreApplication::processEvents();
}
