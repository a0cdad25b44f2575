#pragma once

#include "Core/Date.hpp"
#include "Core/MinuteRecord.hpp"
#include "Core/UsageStore.hpp"
#include "CorvaneApp/Scheduler.hpp"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QButtonGroup;
class QLabel;
class QStackedWidget;
class QVBoxLayout;

namespace corvane {

struct ViewEnvironment;
class BusyIndicator;
class CPUChart;
class HistoryChartView;
class MemoryBar;
class SectionLabel;
class SymbolLabel;

// The blocking reads of the Usage screen, run on workers; tests replace them.
struct UsageProbes {
    // The history records from a moment on, up to the present.
    std::function<std::vector<MinuteRecord>(const UsageStore& store, Date since, Date now)> load;
    // The machine's physical memory, for the verdict until its description is read.
    std::function<int64_t()> physicalMemory;
    // Whether this is a Mac with an Intel processor.
    std::function<bool()> isIntelMac;

    static UsageProbes system();
};

// The Usage screen: the machine's description, the upgrade verdict over the last week,
// live CPU and memory, and the history charts over a chosen range. While shown it reads
// the history at once, 60 seconds after each read ends, and at once on a range change.
class UsageView : public QWidget {
    Q_OBJECT
public:
    explicit UsageView(ViewEnvironment& environment, QWidget* parent = nullptr);
    UsageView(ViewEnvironment& environment, UsageProbes probes, QWidget* parent = nullptr);
    ~UsageView() override;

    int range() const { return range_; }
    // Picks a history range in hours (24, 168 or 720), as the range control does.
    void setRange(int hours);
    const std::vector<MinuteRecord>& records() const { return records_; }
    const std::vector<MinuteRecord>& weekRecords() const { return weekRecords_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class LegendDot;
    class VerdictLineView;

    // The range's records and the week's records of one read.
    using Lists = std::pair<std::vector<MinuteRecord>, std::vector<MinuteRecord>>;

    void load();
    void loaded(std::uint64_t number, int range, std::optional<Lists> lists);

    void refresh();
    void refreshMac();
    void refreshVerdict();
    void refreshLive();
    void refreshHistory();

    ViewEnvironment& env_;
    UsageProbes probes_;
    int range_;
    std::vector<MinuteRecord> records_;
    std::vector<MinuteRecord> weekRecords_;
    int64_t physicalMemory_ = 0;
    bool appleIntelHardware_ = false;

    bool shown_ = false;
    std::uint64_t loadsStarted_ = 0;
    std::uint64_t loadApplied_ = 0;
    Scheduler::Token reloadToken_ = 0;

    // Mac row.
    BusyIndicator* macBusy_;
    QLabel* macLine_;
    // Verdict card.
    QVBoxLayout* verdictLines_;
    std::vector<VerdictLineView*> verdictViews_;
    QLabel* footnote_;
    // Live cards.
    QLabel* cpuFigure_;
    CPUChart* cpuChart_;
    BusyIndicator* memoryBusy_;
    QWidget* memoryDetails_;
    QLabel* memoryHeadline_;
    MemoryBar* memoryBar_;
    std::array<QLabel*, 5> legend_{};
    std::array<LegendDot*, 5> legendDots_{};
    QLabel* pressureWord_;
    QLabel* swap_;
    // History.
    QButtonGroup* rangeButtons_;
    QStackedWidget* history_;
    QLabel* historyText_;
    std::array<SectionLabel*, 3> captions_{};
    std::array<HistoryChartView*, 3> charts_{};
};

} // namespace corvane
