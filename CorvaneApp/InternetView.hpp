#pragma once

#include "Core/LinkType.hpp"
#include "Core/NetUsage.hpp"
#include "Core/SpeedResult.hpp"
#include "Core/WiFiLink.hpp"
#include "CorvaneApp/InternetModel.hpp"
#include "CorvaneApp/Scheduler.hpp"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QLabel;
class QMessageBox;
class QPushButton;
class QVBoxLayout;

namespace corvane {

struct ViewEnvironment;
class AppSettings;
class BusyIndicator;
class SymbolLabel;

// The blocking probes the Internet screen runs on workers; tests replace them.
struct InternetProbes {
    std::function<LinkType()> currentType;
    std::function<std::optional<WiFiLink>()> wifi;
    std::function<std::vector<NetUsage>()> traffic;
    std::function<SpeedResult()> speedTest;

    // The system's own probes.
    static InternetProbes system();
};

// The Internet screen: the connection's findings, the link and its Wi-Fi quality, the
// speed test with its stored result, and the apps using the connection. While shown it
// polls the link and traffic probes, one cycle at a time with a second's pause between.
class InternetView : public QWidget {
    Q_OBJECT
public:
    explicit InternetView(ViewEnvironment& environment, QWidget* parent = nullptr);
    InternetView(ViewEnvironment& environment, InternetProbes probes, QWidget* parent = nullptr);
    ~InternetView() override;

    // The stored result of the last speed test, or nothing when there is none or it
    // cannot be read.
    static std::optional<SpeedResult> savedSpeed(const AppSettings& settings);

    const InternetModel::State& state() const { return state_; }
    // Whether the polling loop runs (the screen is shown).
    bool isPolling() const { return polling_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class FindingRowView;
    class ValueRowView;
    class AppRowView;

    void startCycle();
    void finishCycle();
    void askTest();
    void runTest();
    void testFinished(bool succeeded, std::optional<SpeedResult> result);

    void refresh();
    void refreshFindings();
    void refreshLink();
    void refreshSpeed();
    void refreshApps();

    ViewEnvironment& env_;
    InternetProbes probes_;
    InternetModel::State state_;
    bool polling_ = false;
    bool cycleRunning_ = false;
    Scheduler::Token pauseToken_ = 0;
    QPointer<QMessageBox> confirmation_;

    // Findings card.
    SymbolLabel* healthyIcon_;
    QLabel* findingsHeadline_;
    QLabel* findingsNote_;
    QVBoxLayout* findingRows_;
    std::map<std::string, FindingRowView*> findingViews_;
    // Connection card.
    BusyIndicator* linkBusy_;
    QLabel* linkHeadline_;
    std::vector<ValueRowView*> wifiRows_;
    // Speed card.
    QWidget* testingLine_;
    QLabel* invitation_;
    std::vector<ValueRowView*> speedRows_;
    QLabel* lastTested_;
    QLabel* testError_;
    QPushButton* runButton_;
    // Apps card.
    BusyIndicator* appsBusy_;
    QLabel* appsEmpty_;
    std::vector<AppRowView*> appRows_;
};

} // namespace corvane
