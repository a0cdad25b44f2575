#pragma once

#include <QString>
#include <QWidget>

#include "CorvaneApp/Scheduler.hpp"

class QVariantAnimation;

namespace corvane {

struct ViewEnvironment;

// The one-line message at the bottom of the main window: shows the fix dispatcher's
// toast and clears it 4 seconds after each new text appears on screen. Its size holds
// the capsule and the 24 points of space below it; the parent places it.
class ToastView : public QWidget {
    Q_OBJECT

public:
    static constexpr double lifetime = 4.0;  // seconds a toast stays

    explicit ToastView(ViewEnvironment& environment, QWidget* parent = nullptr);
    ~ToastView() override;

    // The text on show; empty while there is no toast.
    QString text() const { return text_; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // The toast's size changed: the parent should place it again.
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void restartClearing();
    void animate(bool in);

    ViewEnvironment& environment_;
    QString text_;
    QString drawn_;  // the text painted, kept while the toast leaves
    Scheduler::Token clearing_ = 0;
    QVariantAnimation* presence_;
    double progress_ = 0;  // 0 away, 1 fully in
};

} // namespace corvane
