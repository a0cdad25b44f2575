#pragma once

#include "Core/BrowserController.hpp"
#include "Core/ChromiumBrowser.hpp"
#include "CorvaneApp/BrowserPanelModel.hpp"
#include "CorvaneApp/KeyedColumn.hpp"

#include <QFrame>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QBoxLayout;
class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;

namespace corvane {

struct ViewEnvironment;
class ElidedLabel;
class Pill;
class SymbolLabel;

// What the panel uses of the system; an empty member takes the machine's own.
struct BrowserPanelServices {
    // Reads and rearranges the tabs; by default through the osascript runner, with the
    // browser running when a process of the user runs its executable.
    std::shared_ptr<const BrowserController> controller;
    // Where the browser with this bundle identifier is installed; by default its desktop entry.
    std::function<std::optional<std::string>(const std::string& bundleIdentifier)> installedApp;
    // The "pid rss args" process listing; by default from ps.
    std::function<std::string()> processListing;
};

// One tab: a check box, its title, its host and the "Active" pill.
class TabRowWidget : public QFrame {
    Q_OBJECT

public:
    explicit TabRowWidget(QWidget* parent = nullptr);
    void set(const BrowserPanelModel::TabRow& row);
    QCheckBox* checkBox() const { return check_; }

Q_SIGNALS:
    void toggled(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QCheckBox* check_;
    ElidedLabel* title_;
    ElidedLabel* host_;
    Pill* active_;
};

// One window: its symbol, profile and tab count above its tab rows.
class WindowSectionWidget : public QWidget {
    Q_OBJECT

public:
    explicit WindowSectionWidget(QWidget* parent = nullptr);
    // `toggle(tabID, on)` runs when the user turns a tab's check box on or off.
    void set(const BrowserPanelModel::WindowSection& section,
             const std::function<void(const std::string&, bool)>& toggle);
    TabRowWidget* row(const std::string& tabID) const { return rows_->row(tabID); }

private:
    SymbolLabel* symbol_;
    QLabel* name_;
    QLabel* count_;
    std::optional<KeyedColumn<TabRowWidget>> rows_;
};

// The sheet in which the user reviews and cleans up one browser's tabs: the Automation
// primer, reading the windows, the window list with its clean-up actions, and the
// confirmation before anything is closed or merged. Scripts and process listings run
// on the executor; a result that arrives after a newer load started is dropped.
class BrowserPanel : public QWidget {
    Q_OBJECT

public:
    using Phase = BrowserPanelModel::Phase;
    using Confirm = BrowserPanelModel::Confirm;

    static constexpr int sheetWidth = 760;
    static constexpr int loadedHeight = 620;
    static constexpr int sheetMargin = 28;

    BrowserPanel(ChromiumBrowser browser, ViewEnvironment& environment, QWidget* parent = nullptr);
    BrowserPanel(ChromiumBrowser browser, ViewEnvironment& environment, BrowserPanelServices services,
                 QWidget* parent = nullptr);
    ~BrowserPanel() override;

    const BrowserPanelModel::State& state() const { return state_; }

    // Reads the windows and the extensions' memory again. `finished` runs once both
    // are in (or superseded), on the GUI thread, while the panel exists.
    void load(std::function<void()> finished = {});
    // Runs a confirmed action, then reloads; a failure shows its phase.
    void perform(const Confirm& confirm);
    // Asks for confirmation before closing these tabs.
    void askClose(const std::vector<BrowserTab>& tabs, const std::string& title);
    // Closes the sheet.
    void dismiss();

    // The alert on screen for the pending confirmation, if any.
    QMessageBox* confirmation() const { return alert_; }
    // The button of the loaded view or a message view with this title, if shown.
    QPushButton* button(const QString& title) const;
    WindowSectionWidget* windowSection(const std::string& windowID) const { return sections_->row(windowID); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    QWidget* buildPrimer();
    QWidget* buildLoading();
    QWidget* buildMessage();
    QWidget* buildLoaded();

    void setPhase(Phase phase);
    void setConfirm(std::optional<Confirm> confirm);
    void setSelected(const std::string& tabID, bool on);
    void run(BrowserPanelModel::Action action);
    void refresh();
    void refreshLoaded();
    void fitToPhase();
    void placeMemorySaver();

    ViewEnvironment& env_;
    BrowserPanelServices services_;
    BrowserPanelModel::State state_;
    std::uint64_t loadGeneration_ = 0;

    QStackedWidget* pages_ = nullptr;
    QWidget* primerPage_ = nullptr;
    QWidget* loadingPage_ = nullptr;
    QWidget* messagePage_ = nullptr;
    QWidget* loadedPage_ = nullptr;
    QLabel* loadingLabel_ = nullptr;
    QLabel* messageTitle_ = nullptr;
    QLabel* messageBody_ = nullptr;
    QWidget* messageButtons_ = nullptr;
    std::vector<QPushButton*> messageButtonWidgets_;
    std::vector<BrowserPanelModel::Button> shownButtons_;

    QLabel* loadedTitle_ = nullptr;
    QLabel* extensions_ = nullptr;
    QPushButton* done_ = nullptr;
    std::optional<KeyedColumn<WindowSectionWidget>> sections_;
    QWidget* actionRow_ = nullptr;
    QBoxLayout* firstActions_ = nullptr;
    QBoxLayout* moreActions_ = nullptr;
    QLabel* noDuplicates_ = nullptr;
    QPushButton* closeDuplicates_ = nullptr;
    QPushButton* closeSelected_ = nullptr;
    QPushButton* merge_ = nullptr;
    QPushButton* memorySaver_ = nullptr;
    QLabel* footnote_ = nullptr;

    QPointer<QMessageBox> alert_;
};

} // namespace corvane
