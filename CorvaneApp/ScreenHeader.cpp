#include "CorvaneApp/ScreenHeader.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Theme.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane {


ScreenHeader::ScreenHeader(const QString& title, const QString& subtitle, QWidget* trailing, QWidget* parent)
    : QWidget(parent),
      title_(textLabel(title, Fonts::system(30, QFont::Bold), Theme::text(), this)),
      subtitle_(textLabel(subtitle, Fonts::system(14.5), Theme::text2(), this))
{
    // One line where there is room; on a narrow window the subtitle wraps rather than
    // widening the page past the window and pushing the trailing widget out of sight.
    subtitle_->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(6);
    texts->addWidget(title_);
    texts->addWidget(subtitle_);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    row->addLayout(texts, 1);
    if (trailing)
        row->addWidget(trailing, 0, Qt::AlignTop | Qt::AlignRight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

} // namespace corvane
