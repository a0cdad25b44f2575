#pragma once

#include "Core/BackgroundItem.hpp"
#include "CorvaneApp/BackgroundItemsModel.hpp"
#include "CorvaneApp/KeyedColumn.hpp"

#include <QFrame>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QVBoxLayout;

namespace corvane {

struct ViewEnvironment;
class AppIconProvider;
class ElidedLabel;
class Pill;
class SymbolLabel;
class VerdictPill;

// The icon at the head of an owner's section: the installed app's icon when one of
// that name is found, else (and until it is found) the "questionmark.app" symbol.
class OwnerIcon : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol)

public:
    OwnerIcon(AppIconProvider& icons, const QString& name, QWidget* parent = nullptr);

    // Empty while the app's own icon is shown.
    QString symbol() const;

private:
    void takeAppIcon();

    AppIconProvider& icons_;
    std::string appPath_;
    QLabel* image_;
    SymbolLabel* fallback_;
};

// One background item: what it is, its label, where it runs, whether it runs, the verdict.
class ItemRow : public QFrame {
    Q_OBJECT

public:
    explicit ItemRow(QWidget* parent = nullptr);
    void set(const BackgroundItemsModel::Row& row);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* title_;
    ElidedLabel* label_;
    QLabel* scope_;
    Pill* runningPill_;
    QLabel* runningText_;
    VerdictPill* verdict_;
};

// One owner's head and its rows, drawn as one table.
class OwnerSection : public QWidget {
    Q_OBJECT

public:
    OwnerSection(AppIconProvider& icons, const QString& name, QWidget* parent = nullptr);
    void set(const BackgroundItemsModel::OwnerGroup& group, const std::vector<BackgroundItemsModel::Row>& rows);

private:
    QLabel* count_;
    std::optional<KeyedColumn<ItemRow>> rows_;
};

// The Background Items screen: everything apps run in the background, grouped by the
// app that installed it. Each time it is shown it asks the monitor for a fresh scan.
class BackgroundItemsView : public QWidget {
    Q_OBJECT

public:
    explicit BackgroundItemsView(ViewEnvironment& environment, QWidget* parent = nullptr);

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ViewEnvironment& env_;
    QWidget* empty_;
    std::optional<KeyedColumn<OwnerSection>> sections_;
};

} // namespace corvane
