#pragma once

#include "CorvaneApp/KeyedColumn.hpp"
#include "CorvaneApp/OverviewModel.hpp"

#include <QWidget>

#include <array>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;

namespace corvane {

class CauseActionSlot;
class CauseLineWidget;
class ColourDot;
class FixButton;
class IconSquare;
class Pill;
class ProcessRow;
class SectionLabel;
class SignalTileWidget;
class StatusPill;
class SymbolLabel;
struct ViewEnvironment;

// The first screen: what is slowing the computer now, the signals and the busiest apps.
class OverviewView : public QWidget {
    Q_OBJECT
public:
    explicit OverviewView(ViewEnvironment& environment, QWidget* parent = nullptr);

    QScrollArea* scrollArea() const { return scroll_; }
    QPushButton* allProcessesButton() const { return allProcesses_; }
    // The hero's fix buttons and note pill, whichever show.
    const std::array<CauseActionSlot*, 2>& heroSlots() const { return heroSlots_; }
    QLabel* headline() const { return headline_; }
    SignalTileWidget* tile(std::size_t index) const { return tiles_.at(index); }
    QWidget* warning() const { return warning_; }
    std::vector<ProcessRow*> topRows() const { return topRows_; }
    std::vector<CauseLineWidget*> causeLines() const { return causeLines_; }

private:
    QWidget* buildHero();
    QWidget* buildSignals();
    QWidget* buildTopTable();
    void refreshError();
    void refreshHero();
    void refreshSignals();
    void refreshTop();

    ViewEnvironment& env_;
    QScrollArea* scroll_ = nullptr;
    QWidget* warning_ = nullptr;
    QLabel* warningText_ = nullptr;

    IconSquare* statusIcon_ = nullptr;
    StatusPill* statusPill_ = nullptr;
    QLabel* headline_ = nullptr;
    QLabel* detail_ = nullptr;
    QWidget* buttonRow_ = nullptr;
    std::array<CauseActionSlot*, 2> heroSlots_{};
    QWidget* more_ = nullptr;
    SectionLabel* moreLabel_ = nullptr;
    std::unique_ptr<KeyedColumn<CauseLineWidget>> causeRows_;
    std::vector<CauseLineWidget*> causeLines_;

    std::array<SignalTileWidget*, 3> tiles_{};

    QPushButton* allProcesses_ = nullptr;
    std::unique_ptr<KeyedColumn<ProcessRow>> topTable_;
    std::vector<ProcessRow*> topRows_;
};

// The rounded square behind the hero's status symbol.
class IconSquare : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol)
public:
    explicit IconSquare(QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    QColor fill() const { return fill_; }
    QColor tint() const { return tint_; }
    void set(const QString& symbol, const QColor& tint, const QColor& fill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    QColor tint_;
    QColor fill_;
};

// A fix button or a note pill, whichever a cause offers.
class CauseActionSlot : public QWidget {
    Q_OBJECT
public:
    CauseActionSlot(ViewEnvironment& environment, QWidget* parent = nullptr);

    void set(const std::optional<CauseAction>& action);
    FixButton* button() const { return button_; }
    Pill* note() const { return note_; }

private:
    FixButton* button_;
    Pill* note_;
};

// One of the other causes: severity dot, headline and its action.
class CauseLineWidget : public QWidget {
    Q_OBJECT
public:
    CauseLineWidget(ViewEnvironment& environment, QWidget* parent = nullptr);

    void set(const CauseLine& line);
    CauseActionSlot* action() const { return action_; }

private:
    ColourDot* dot_;
    QLabel* headline_;
    CauseActionSlot* action_;
};

// One signal tile: symbol and title, value, note.
class SignalTileWidget : public QWidget {
    Q_OBJECT
public:
    explicit SignalTileWidget(QWidget* parent = nullptr);

    void set(const SignalTile& tile);
    QString value() const;
    QString note() const;

private:
    SymbolLabel* symbol_;
    QLabel* title_;
    QLabel* value_;
    QLabel* note_;
};

} // namespace corvane
