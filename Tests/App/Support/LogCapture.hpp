#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstring>
#include <utility>

namespace corvane::test {

// Collects, while it lives, the messages of one logging category ("settings"), and lets
// every other message through as before. One at a time.
class LogCapture {
public:
    explicit LogCapture(const char* category) : category_(category)
    {
        current() = this;
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QList<QByteArray>& lines() const { return lines_; }
    QList<QByteArray> take() { return std::exchange(lines_, {}); }

private:
    static LogCapture*& current()
    {
        static LogCapture* capture = nullptr;
        return capture;
    }

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        LogCapture* capture = current();
        if (capture && context.category && std::strcmp(context.category, capture->category_) == 0)
            capture->lines_.append(message.toUtf8());
        else if (capture && capture->previous_)
            capture->previous_(type, context, message);
    }

    const char* category_;
    QtMessageHandler previous_ = nullptr;
    QList<QByteArray> lines_;
};

} // namespace corvane::test
