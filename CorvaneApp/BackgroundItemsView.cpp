#include "CorvaneApp/BackgroundItemsView.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Platform/AppIconProvider.hpp"
#include "CorvaneApp/ScreenHeader.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ToolScreen.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

constexpr int iconSize = 24;

// A fixed-width cell whose content is leading-aligned.
QWidget* column(QWidget* content, int width, QWidget* parent)
{
    auto* cell = new QWidget(parent);
    cell->setFixedWidth(width);
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addStretch();
    return cell;
}

// 110 points, or as wide as the widest verdict pill where this machine's font draws it wider.
int verdictColumnWidth()
{
    static const int width = [] {
        int widest = 110;
        for (const Verdict verdict : allCases<Verdict>())
            widest = std::max(widest, VerdictPill(verdict).sizeHint().width());
        return widest;
    }();
    return width;
}

QWidget* emptyState(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 48, 0, 48);
    layout->setSpacing(8);
    auto* symbol = new SymbolLabel(BackgroundItemsModel::emptySymbol, Theme::text3(), 40, box);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    layout->addWidget(textLabel(BackgroundItemsModel::emptyTitle, Fonts::system(17, QFont::Bold), Theme::text(), box),
                      0, Qt::AlignHCenter);
    layout->addWidget(
        textLabel(BackgroundItemsModel::emptyDescription, Fonts::system(13.5), Theme::text2(), box), 0,
        Qt::AlignHCenter);
    return box;
}

} // namespace

OwnerIcon::OwnerIcon(AppIconProvider& icons, const QString& name, QWidget* parent)
    : QWidget(parent),
      icons_(icons),
      appPath_(BackgroundItemsModel::applicationPath(name.toStdString())),
      image_(new QLabel(this)),
      fallback_(new SymbolLabel(BackgroundItemsModel::missingIconSymbol, Theme::text3(), 18, this))
{
    setFixedSize(iconSize, iconSize);
    image_->setGeometry(0, 0, iconSize, iconSize);
    image_->setAlignment(Qt::AlignCenter);
    image_->setScaledContents(true);
    fallback_->setGeometry(0, 0, iconSize, iconSize);
    fallback_->setAlignment(Qt::AlignCenter);
    connect(&icons, &AppIconProvider::found, this, [this](const QString& appPath) {
        if (appPath.toStdString() == appPath_)
            takeAppIcon();
    });
    takeAppIcon();
}

void OwnerIcon::takeAppIcon()
{
    const QIcon icon = icons_.icon(appPath_);
    if (!icon.isNull())
        image_->setPixmap(icon.pixmap(QSize(iconSize, iconSize), devicePixelRatioF()));
    image_->setVisible(!icon.isNull());
    fallback_->setVisible(icon.isNull());
}

QString OwnerIcon::symbol() const
{
    return fallback_->isHidden() ? QString() : fallback_->symbol();
}

ItemRow::ItemRow(QWidget* parent)
    : QFrame(parent),
      title_(textLabel({}, Fonts::system(13.5, QFont::Medium), Theme::text(), this)),
      label_(new ElidedLabel(this)),
      scope_(textLabel({}, Fonts::system(12), Theme::text2(), this)),
      runningPill_(new Pill("Running", {}, Theme::green(), Theme::greenBG(), this)),
      runningText_(textLabel({}, Fonts::system(12), Theme::text2(), this)),
      verdict_(new VerdictPill(Verdict::review, this))
{
    title_->setWordWrap(true);
    label_->setFont(Fonts::mono(11.5));
    setForeground(label_, Theme::text3());

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 11);
    layout->setSpacing(12);

    auto* titleCell = new QVBoxLayout;
    titleCell->setSpacing(2);
    titleCell->addWidget(title_);
    titleCell->addWidget(label_);
    layout->addLayout(titleCell, 1);

    layout->addWidget(column(scope_, 150, this));

    auto* running = new QWidget(this);
    auto* runningLayout = new QHBoxLayout(running);
    runningLayout->setContentsMargins(0, 0, 0, 0);
    runningLayout->setSpacing(6);
    runningLayout->addWidget(runningPill_);
    runningLayout->addWidget(runningText_);
    layout->addWidget(column(running, 190, this));

    layout->addWidget(column(verdict_, verdictColumnWidth(), this));
}

void ItemRow::set(const BackgroundItemsModel::Row& row)
{
    title_->setText(qs(row.title));
    label_->setFullText(qs(row.label));
    scope_->setText(qs(row.scope));

    runningPill_->setVisible(row.running.running);
    if (row.running.running) {
        runningText_->setText(qs(row.running.figures.value_or("")));
        runningText_->setVisible(row.running.figures.has_value());
        setForeground(runningText_, Theme::text2());
    } else {
        runningText_->setText(qs(row.running.text));
        runningText_->setVisible(true);
        setForeground(runningText_, Theme::text3());
    }

    verdict_->setVisible(row.verdict.has_value());
    if (row.verdict)
        verdict_->setVerdict(*row.verdict);
}

void ItemRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::card());
    painter.fillRect(QRect(0, height() - 1, width(), 1), Theme::line());
}

OwnerSection::OwnerSection(AppIconProvider& icons, const QString& name, QWidget* parent)
    : QWidget(parent), count_(textLabel({}, Fonts::system(12), Theme::text3(), this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* head = new QHBoxLayout;
    head->setSpacing(8);
    head->setContentsMargins(0, 0, 0, 8);
    head->addWidget(new OwnerIcon(icons, name, this), 0, Qt::AlignVCenter);
    head->addWidget(textLabel(name, Fonts::system(14, QFont::DemiBold), Theme::text(), this), 0, Qt::AlignVCenter);
    head->addWidget(count_, 0, Qt::AlignVCenter);
    head->addStretch();
    layout->addLayout(head);
    rows_.emplace(layout, 1);
}

void OwnerSection::set(const BackgroundItemsModel::OwnerGroup& group,
                       const std::vector<BackgroundItemsModel::Row>& rows)
{
    count_->setText(QString::number(group.items.size()));
    std::vector<std::string> keys;
    for (const auto& row : rows)
        keys.push_back(row.id);
    const auto widgets = rows_->update(keys, [this](const std::string&) { return new ItemRow(this); });
    for (size_t i = 0; i < rows.size(); ++i)
        widgets[i]->set(rows[i]);
}

BackgroundItemsView::BackgroundItemsView(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent), env_(environment)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = pageScroll(this);
    outer->addWidget(scroll);

    auto* page = new QWidget(scroll);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(34, 28, 34, 28);  // the other screens' margins
    layout->setSpacing(22);
    auto* loginItems = new FixButton(FixID::openLoginItemsSettings, std::nullopt, false, env_.fixActions, page);
    layout->addWidget(new ScreenHeader(BackgroundItemsModel::title, BackgroundItemsModel::subtitle, loginItems, page));
    empty_ = emptyState(page);
    layout->addWidget(empty_);
    sections_.emplace(layout, 2);
    layout->addStretch();
    scroll->setWidget(page);

    connect(&env_.monitor, &Monitor::backgroundItemsChanged, this, &BackgroundItemsView::refresh);
    // Running rows show the live CPU and memory of their process.
    connect(&env_.monitor, &Monitor::groupsChanged, this, &BackgroundItemsView::refresh);
    refresh();
}

void BackgroundItemsView::refresh()
{
    const auto& items = env_.monitor.backgroundItems();
    empty_->setVisible(items.empty());

    const auto groups = BackgroundItemsModel::grouped(items);
    std::vector<std::string> keys;
    for (const auto& group : groups)
        keys.push_back(group.name);
    const auto widgets = sections_->update(keys, [this](const std::string& name) {
        return new OwnerSection(env_.icons, qs(name), this);
    });
    for (size_t i = 0; i < groups.size(); ++i) {
        std::vector<BackgroundItemsModel::Row> rows;
        for (const auto& item : groups[i].items)
            rows.push_back(BackgroundItemsModel::row(
                item, env_.monitor.catalog(), item.pid ? env_.monitor.usage(*item.pid) : std::nullopt));
        widgets[i]->set(groups[i], rows);
    }
}

void BackgroundItemsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Every visit asks for one fresh scan; the result arrives through backgroundItemsChanged.
    env_.monitor.refreshBackgroundItems(true);
}

} // namespace corvane
