#pragma once

#include <QLabel>
#include <QWidget>

namespace corvane {

// A screen's header: the title (30 bold) over the subtitle (14.5, secondary text), 6
// apart, with an optional widget at the trailing side aligned to the top.
class ScreenHeader : public QWidget {
    Q_OBJECT

public:
    ScreenHeader(const QString& title, const QString& subtitle, QWidget* trailing = nullptr,
                 QWidget* parent = nullptr);

    QLabel* titleLabel() const { return title_; }
    QLabel* subtitleLabel() const { return subtitle_; }
    void setSubtitle(const QString& subtitle) { subtitle_->setText(subtitle); }

private:
    QLabel* title_;
    QLabel* subtitle_;
};

} // namespace corvane
