#pragma once

#include <QObject>

namespace corvane::test {

// Counts the emissions of one signal (a stand-in for QSignalSpy, without QtTest).
class SignalCounter {
public:
    template <class Object, class Signal>
    SignalCounter(const Object* sender, Signal signal)
    {
        connection_ = QObject::connect(sender, signal, &context_, [this] { ++count_; });
    }
    ~SignalCounter() { QObject::disconnect(connection_); }
    SignalCounter(const SignalCounter&) = delete;
    SignalCounter& operator=(const SignalCounter&) = delete;

    int count() const { return count_; }
    // The count so far, starting again from 0.
    int take()
    {
        const int counted = count_;
        count_ = 0;
        return counted;
    }

private:
    QObject context_;
    QMetaObject::Connection connection_;
    int count_ = 0;
};

} // namespace corvane::test
