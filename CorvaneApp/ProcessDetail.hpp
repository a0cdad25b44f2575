#pragma once

#include "Core/ProcessGroup.hpp"
#include "Core/SpotlightAdvisor.hpp"
#include "Core/WindowCensus.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/ProcessDetailModel.hpp"

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace corvane {

class FixButton;
class SectionLabel;
struct ViewEnvironment;

// The window census and the displays, read together.
struct WindowReading {
    std::vector<WindowCount> census;
    DisplayInfo displays;
};

// What the advice sections read from the system. Both readers run on a worker; tests
// and the screenshot tool give their own.
struct DetailProbes {
    QString home;  // scanned, and written as "~" in the paths shown
    std::function<std::vector<HeavyFolder>(const std::filesystem::path& home)> heavyFolders;
    std::function<WindowReading()> windows;

    // The real home folder and readers.
    static DetailProbes system();
};

// Two texts side by side with a fixed-width figure column or two, for the detail's lists.
// Texts too long for the line end in "…"; the figures stay whole.
class DetailLine : public QWidget {
    Q_OBJECT
public:
    // A figure width of 0 leaves that figure its natural width.
    DetailLine(const QFont& font, const QFont& figureFont, const QColor& figureColour,
               const std::vector<int>& figureWidths, QWidget* parent = nullptr);

    // The name, an optional second text after it, and the figures.
    void set(const QString& name, const QString& after, const std::vector<QString>& figures);
    ElidedLabel* name() const { return name_; }
    QLabel* after() const { return after_; }
    const std::vector<QLabel*>& figures() const { return figures_; }

private:
    ElidedLabel* name_;
    ElidedLabel* after_;
    std::vector<QLabel*> figures_;
};

// The large home folders that keep Spotlight busy, scanned once when the section is made.
class SpotlightHelp : public QWidget {
    Q_OBJECT
public:
    SpotlightHelp(ViewEnvironment& environment, const DetailProbes& probes, QWidget* parent = nullptr);

    const std::optional<std::vector<HeavyFolder>>& folders() const { return folders_; }
    bool scanning() const;
    QLabel* message() const { return message_; }
    QLabel* hint() const { return hint_; }
    const std::vector<DetailLine*>& lines() const { return lines_; }

private:
    void setFolders(std::vector<HeavyFolder> folders);

    QString home_;
    std::optional<std::vector<HeavyFolder>> folders_;
    QProgressBar* progress_;
    QLabel* message_;
    QVBoxLayout* linesLayout_;
    std::vector<DetailLine*> lines_;
    QLabel* hint_;
};

// The apps with the most windows on screen, the displays, and the fixes for them.
class WindowServerHelp : public QWidget {
    Q_OBJECT
public:
    WindowServerHelp(ViewEnvironment& environment, const DetailProbes& probes, QWidget* parent = nullptr);

    const std::vector<DetailLine*>& lines() const { return lines_; }
    QLabel* displays() const { return displays_; }
    // The fix buttons: the two display fixes, then the top app's fix when it has one.
    std::vector<FixButton*> buttons() const;

private:
    void setCensus(std::vector<WindowCount> census, DisplayInfo displays);
    void refreshTopGroup();

    ViewEnvironment& env_;
    std::vector<WindowCount> census_;
    QVBoxLayout* linesLayout_;
    std::vector<DetailLine*> lines_;
    QLabel* displays_;
    FixButton* accessibility_;
    FixButton* displaySettings_;
    FixButton* topFix_;
};

// The expanded detail of one process group: the explanation, the busiest member
// processes, Spotlight or window-server advice, the fixes and the guide link. Updated in
// place on every tick; its sections keep their scans for as long as the detail lives.
class ProcessDetail : public QWidget {
    Q_OBJECT
public:
    ProcessDetail(const ProcessGroup& group, ViewEnvironment& environment, DetailProbes probes,
                  QWidget* parent = nullptr);

    void setGroup(const ProcessGroup& group);
    const std::optional<ProcessDetailModel>& model() const { return model_; }
    SpotlightHelp* spotlight() const { return spotlight_; }
    WindowServerHelp* windowServer() const { return windowServer_; }
    std::vector<FixButton*> fixButtons() const;
    QPushButton* guideButton() const { return guide_; }
    // The "Busiest parts" lines, the hidden ones included.
    const std::vector<DetailLine*>& busiestParts() const { return helperLines_; }

private:
    void refresh();

    ViewEnvironment& env_;
    DetailProbes probes_;
    ProcessGroup group_;
    std::optional<ProcessDetailModel> model_;
    QWidget* content_;
    QLabel* summary_;
    QWidget* why_;
    QLabel* whyText_;
    QWidget* helpers_;
    SectionLabel* helpersTitle_;
    std::vector<DetailLine*> helperLines_;
    QVBoxLayout* sections_;
    SpotlightHelp* spotlight_ = nullptr;
    WindowServerHelp* windowServer_ = nullptr;
    QWidget* actions_;
    std::vector<FixButton*> fixes_;
    QPushButton* guide_;
};

} // namespace corvane
