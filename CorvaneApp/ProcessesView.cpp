#include "CorvaneApp/ProcessesView.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/LiveBadge.hpp"
#include "CorvaneApp/ProcessDetail.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/ScreenHeader.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace corvane {

namespace {

// The column of the rows' disclosure chevron, before the table's own columns.
constexpr int chevronWidth = 14;

ExplanationLookup lookupIn(const Monitor& monitor)
{
    return [&monitor](const ProcessGroup& group) { return monitor.explanation(group); };
}

QString chipStyle(bool selected)
{
    const QString outline = selected ? QStringLiteral("rgba(%1, %2, %3, 0.5)")
                                           .arg(Theme::accent().red())
                                           .arg(Theme::accent().green())
                                           .arg(Theme::accent().blue())
                                     : Theme::css(Theme::line());
    return QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3; border-radius: 13px;"
                          " padding: 6px 12px; outline: none; }")
        .arg(Theme::css(selected ? Theme::text() : Theme::text2()),
             Theme::css(selected ? Theme::accentBG() : Theme::card()), outline)
        + focusRingRule(7, 13, Theme::accentLight());
}

} // namespace

// KernelRow

KernelRow::KernelRow(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent),
      env_(environment),
      note_(new LeaveNote({}, this)),
      heat_(textLabel({}, Fonts::system(13.5), Theme::green(), this))
{
    auto* icon = new ProcessIcon(env_.icons, kernelGroup(), QStringLiteral("thermometer.medium"), ProcessColumns::icon, this);
    auto* names = new QWidget(this);
    auto* nameColumn = bareColumn(names, 3);
    // Shortened to the name column like every other row's, so a narrow window keeps the figures.
    auto* name = new ElidedLabel(Theme::mono(), Theme::text(), names);
    name->setText(QStringLiteral("kernel_task"));
    auto* subtitle = new ElidedLabel(Fonts::system(12.5), Theme::text2(), names);
    subtitle->setFullText(QStringLiteral("Kernel (heat control)"));
    nameColumn->addWidget(name);
    nameColumn->addWidget(subtitle);
    auto* verdict = fixedSlot(ProcessColumns::verdict, this);
    fillSlot(verdict, new VerdictPill(Verdict::leave, this));
    auto* action = fixedSlot(ProcessColumns::action, this);
    fillSlot(action, note_);
    auto* memory = textLabel(QStringLiteral("\u2014"), Fonts::system(13.5), Theme::text3(), this);

    auto* columns = processColumns(icon, names, verdict, action, heat_, memory);
    columns->setContentsMargins(ProcessColumns::margin, 12, ProcessColumns::margin, 12);
    columns->actionWidthChanged = [this](int width) {
        actionWidth_ = width;
        setFittedText(note_, qs(model_.note), actionWidth_);
    };
    auto* layout = bareColumn(this, 0);
    layout->addLayout(columns);
    layout->addWidget(horizontalRule(this));

    connect(&env_.monitor, &Monitor::signalsChanged, this, &KernelRow::refresh);
    refresh();
}

void KernelRow::refresh()
{
    model_ = kernelRow(env_.monitor.signals());
    setFittedText(note_, qs(model_.note), actionWidth_);
    heat_->setText(qs(model_.heat));
    setForeground(heat_, themeColor(model_.heatTone));
}

// RowButton

RowButton::RowButton(QWidget* parent)
    : QAbstractButton(parent), chevron_(new SymbolLabel(QStringLiteral("chevron.right"), Theme::text3(), 10, this))
{
    setCursor(Qt::PointingHandCursor);
    showKeyboardFocus(this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    chevron_->setFixedWidth(chevronWidth);
    chevron_->setAlignment(Qt::AlignCenter);
    layout->addWidget(chevron_);
}

QSize RowButton::sizeHint() const
{
    return layout()->sizeHint();
}

void RowButton::setExpanded(bool expanded)
{
    if (expanded == expanded_)
        return;
    expanded_ = expanded;
    chevron_->setSymbol(expanded ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"));
    update();
}

void RowButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (expanded_)
        painter.fillRect(rect(), Theme::card());
    // The row the keyboard is on is ringed as a framed button is, inside its own bounds.
    if (keyboardFocusShown(this)) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Theme::accentLight(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }
}

// ExpandableRow

ExpandableRow::ExpandableRow(const ProcessGroup& group, ViewEnvironment& environment, const DetailProbes& probes,
                             QWidget* parent)
    : QWidget(parent), env_(environment), probes_(probes), group_(group), button_(new RowButton(this))
{
    if (group.id == kernelRowID)
        button_->layout()->addWidget(new KernelRow(env_, button_));
    else
        button_->layout()->addWidget(row_ = new ProcessRow(group, env_, button_));
    auto* layout = bareColumn(this, 0);
    layout->addWidget(button_);

    connect(button_, &QAbstractButton::clicked, this, [this] {
        env_.router.setExpandedID(toggledExpansion(env_.router.expandedID(), group_.id));
    });
}

void ExpandableRow::setGroup(const ProcessGroup& group)
{
    group_ = group;
    if (row_)
        row_->setGroup(group);
    if (detail_)
        detail_->setGroup(group);
}

void ExpandableRow::setExpanded(bool expanded)
{
    button_->setExpanded(expanded);
    if (expanded == (detail_ != nullptr))
        return;
    if (!expanded) {
        // A fresh detail, with fresh scans, is made each time the row opens again.
        detailBox_->hide();
        detailBox_->deleteLater();
        detailBox_ = nullptr;
        detail_ = nullptr;
        return;
    }
    detailBox_ = new QWidget(this);
    detailBox_->setAutoFillBackground(true);
    QPalette palette = detailBox_->palette();
    palette.setColor(QPalette::Window, Theme::card());
    detailBox_->setPalette(palette);
    auto* box = bareColumn(detailBox_, 0);
    auto* inset = new QVBoxLayout;
    inset->setContentsMargins(60, 14, 14, 14);
    detail_ = new ProcessDetail(group_, env_, probes_, detailBox_);
    inset->addWidget(detail_);
    box->addLayout(inset);
    box->addWidget(horizontalRule(detailBox_));
    layout()->addWidget(detailBox_);
    // Shown at once, so the list places the rows after it by its full height.
    detailBox_->show();
}

// ProcessesView

ProcessesView::ProcessesView(ViewEnvironment& environment, QWidget* parent)
    : ProcessesView(environment, DetailProbes::system(), parent)
{
}

ProcessesView::ProcessesView(ViewEnvironment& environment, DetailProbes probes, QWidget* parent)
    : QWidget(parent),
      env_(environment),
      probes_(std::move(probes)),
      search_(new QLineEdit(this)),
      byCPU_(new QPushButton(QStringLiteral("CPU"), this)),
      byMemory_(new QPushButton(QStringLiteral("Memory"), this)),
      list_(new ProcessList(env_, probes_, this))
{
    auto* page = bareColumn(this, 18);
    page->setContentsMargins(34, 28, 34, 0);
    page->addWidget(new ScreenHeader(QStringLiteral("Processes"),
                                     QStringLiteral("Everything running on your Mac, in plain English."),
                                     new LiveBadge(env_), this));

    // Search box and sort switch.
    auto* searchRow = new QHBoxLayout;
    searchRow->setSpacing(10);
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("searchBox"));
    // A pixel of padding inside the outline leaves the keyboard's ring room to be drawn
    // without moving what the box holds.
    box->setStyleSheet(QStringLiteral("QFrame#searchBox { background: %1; border: 1px solid %2; border-radius: 9px;"
                                      " padding: 1px; }")
                           .arg(Theme::css(Theme::card()), Theme::css(Theme::line()))
                       + focusRingRule(2, 2, Theme::accentLight(), QStringLiteral("QFrame#searchBox")));
    auto* boxRow = new QHBoxLayout(box);
    boxRow->setContentsMargins(11, 8, 11, 8);
    boxRow->setSpacing(8);
    boxRow->addWidget(new SymbolLabel(QStringLiteral("magnifyingglass"), Theme::text3(), 14, box));
    search_->setPlaceholderText(QStringLiteral("Search processes, like mds or Chrome"));
    search_->setFrame(false);
    search_->setFont(Fonts::system(14));
    search_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; color: %1; }")
                               .arg(Theme::css(Theme::text())));
    showKeyboardFocus(search_, box);
    boxRow->addWidget(search_, 1);
    searchRow->addWidget(box, 1);

    auto* sort = new QWidget(this);
    sort->setFixedWidth(170);
    sort->setAccessibleName(QStringLiteral("Sort"));
    auto* sortRow = new QHBoxLayout(sort);
    sortRow->setContentsMargins(0, 0, 0, 0);
    sortRow->setSpacing(0);
    auto* sortGroup = new QButtonGroup(sort);
    for (QPushButton* segment : {byCPU_, byMemory_}) {
        segment->setCheckable(true);
        segment->setFont(Fonts::system(13, QFont::Medium));
        segment->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3;"
                                              " padding: 6px 0; outline: none; }"
                                              "QPushButton:checked { color: %4; background: %5; }")
                                       .arg(Theme::css(Theme::text2()), Theme::css(Theme::card()), Theme::css(Theme::line()),
                                            Theme::css(Theme::text()), Theme::css(Theme::raised()))
                                   + focusRingRule(7, 1, Theme::accentLight()));
        showKeyboardFocus(segment);
        sortGroup->addButton(segment);
        sortRow->addWidget(segment, 1);
    }
    byCPU_->setChecked(true);
    searchRow->addWidget(sort, 0, Qt::AlignVCenter);
    page->addLayout(searchRow);

    // Verdict chips.
    auto* chipRow = new QHBoxLayout;
    chipRow->setSpacing(8);
    const std::array<std::optional<Verdict>, 4> chipVerdicts{std::nullopt, Verdict::safe, Verdict::review, Verdict::leave};
    for (std::size_t i = 0; i < chips_.size(); ++i) {
        chips_[i] = new QPushButton(this);
        chips_[i]->setFont(Fonts::system(12.5, QFont::Medium));
        chips_[i]->setCursor(Qt::PointingHandCursor);
        showKeyboardFocus(chips_[i]);
        chipRow->addWidget(chips_[i]);
        connect(chips_[i], &QPushButton::clicked, this, [this, verdict = chipVerdicts[i]] {
            if (options_.filter == verdict)
                return;
            options_.filter = verdict;
            refresh();
        });
    }
    chipRow->addStretch(1);
    page->addLayout(chipRow);
    // The keyboard reaches the list after the chips, as the eye does.
    QWidget::setTabOrder(chips_.back(), list_);

    // The header leaves room for the rows' chevron and the list's scroll bar so the columns line up.
    auto* header = new ProcessTableHeader(this);
    header->setContentsMargins(chevronWidth, 0, style()->pixelMetric(QStyle::PM_ScrollBarExtent), 0);
    auto* headerAndList = bareColumn(nullptr, 0);
    headerAndList->addWidget(header);
    headerAndList->addWidget(list_, 1);
    page->addLayout(headerAndList, 1);

    connect(search_, &QLineEdit::textChanged, this, [this](const QString& typed) {
        options_.search = typed;
        refresh();
    });
    connect(byMemory_, &QPushButton::toggled, this, [this](bool checked) {
        options_.sortByMemory = checked;
        refresh();
    });
    const Monitor& monitor = env_.monitor;
    connect(&monitor, &Monitor::groupsChanged, this, &ProcessesView::refresh);
    connect(&monitor, &Monitor::explanationsChanged, this, &ProcessesView::refresh);
    connect(&env_.router, &Router::expandedIDChanged, this, &ProcessesView::refresh);
    connect(&env_.router, &Router::focusSearchChanged, this, [this] { search_->setFocus(Qt::ShortcutFocusReason); });
    refresh();
}

void ProcessesView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (env_.router.focusSearch() >= 1)
        search_->setFocus(Qt::ShortcutFocusReason);
    // Once the rows have their places, bring an expanded row to the top.
    if (env_.router.expandedID())
        env_.scheduler.schedule(0, this, [this] { scrollToExpanded(); });
}

void ProcessesView::scrollToExpanded()
{
    if (const auto& id = env_.router.expandedID())
        list_->scrollToRow(*id);
}

void ProcessesView::refresh()
{
    const Monitor& monitor = env_.monitor;
    const auto explain = lookupIn(monitor);
    const auto all = allRows(monitor.groups(), explain);
    refreshChips(verdictChips(all, options_.filter));
    list_->setRows(visibleRows(all, options_, explain), env_.router.expandedID(), emptyListText(options_.search));
}

void ProcessesView::refreshChips(const std::vector<VerdictChip>& chips)
{
    for (std::size_t i = 0; i < chips_.size() && i < chips.size(); ++i) {
        chips_[i]->setText(qs(chips[i].text()));
        const QString style = chipStyle(chips[i].selected);
        if (chips_[i]->styleSheet() != style)
            chips_[i]->setStyleSheet(style);
    }
}

} // namespace corvane
