#pragma once

#include "Core/Finding.hpp"
#include "Core/FixID.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/Verdict.hpp"
#include "CorvaneApp/FixButton.hpp"

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QAbstractButton>
#include <QPushButton>
#include <QString>

#include <optional>
#include <string>

class QBoxLayout;
class QDialog;
class QHBoxLayout;
class QVBoxLayout;

namespace corvane {

class AppIconProvider;
class SymbolLabel;

// The button text of a fix; only quitApp reads the group ("Quit Mail", or "Quit app" without one).
std::string title(FixID fix, const ProcessGroup* group);

// The symbol a fix button shows beside its title.
std::string symbol(FixID fix);

// The symbol shown beside a finding of that kind.
std::string symbol(FindingKind kind);

// "All quiet", "Busy", "Struggling".
std::string label(Status status);

// What the window, the tray popover and the status dot say when the process catalog could
// not be loaded, so nothing is ever checked.
inline constexpr const char* catalogFailedText = "Corvane couldn't load its process list. Reinstall Corvane.";

// A model's UTF-8 text for a widget.
inline QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// A column or row layout on `owner` without margins.
QVBoxLayout* bareColumn(QWidget* owner, int spacing);
QHBoxLayout* tightRow(QWidget* owner, int spacing);

// A text from data (an app's name) as a button's label: an ampersand shows as itself
// instead of making the next character a keyboard shortcut for the button.
QString buttonText(const std::string& text);

// A plain-text label in a font and colour of the theme.
QLabel* textLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent = nullptr);

// Sets the colour a widget draws its text (and a label its symbol) in.
void setForeground(QWidget* widget, const QColor& colour);

// A small rounded label: an optional symbol, then the text.
class Pill : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol)
    Q_PROPERTY(QString text READ text)

public:
    Pill(const QString& text, const QString& symbol, const QColor& fg, const QColor& bg, QWidget* parent = nullptr);

    // Updates the pill in place; an empty symbol shows the text alone.
    void set(const QString& text, const QString& symbol, const QColor& fg, const QColor& bg);

    QString text() const;
    QString symbol() const;
    QColor foreground() const { return fg_; }
    QColor background() const { return bg_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SymbolLabel* icon_;
    QLabel* label_;
    QColor fg_;
    QColor bg_;
};

// The verdict on quitting a process, as a pill.
class VerdictPill : public Pill {
    Q_OBJECT

public:
    explicit VerdictPill(Verdict verdict, QWidget* parent = nullptr);
    void setVerdict(Verdict verdict);
    Verdict verdict() const { return verdict_; }

private:
    Verdict verdict_;
};

// The overall status, as a pill without a symbol.
class StatusPill : public Pill {
    Q_OBJECT

public:
    explicit StatusPill(Status status, QWidget* parent = nullptr);
    void setStatus(Status status);
    Status status() const { return status_; }

private:
    Status status_;
};

// The quiet note shown where a row offers no action.
class LeaveNote : public QLabel {
    Q_OBJECT

public:
    explicit LeaveNote(const QString& text, QWidget* parent = nullptr);
};

// The small caption above a group of content, always in upper case.
class SectionLabel : public QLabel {
    Q_OBJECT

public:
    explicit SectionLabel(const QString& text, QWidget* parent = nullptr);
    void setCaption(const QString& text);
};

// A rounded panel on the card colour with a thin outline and 24 of padding.
// Content goes into contentLayout() (a vertical layout) or is given at construction.
class Card : public QFrame {
    Q_OBJECT

public:
    explicit Card(QWidget* content = nullptr, QWidget* parent = nullptr);
    QBoxLayout* contentLayout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QBoxLayout* layout_;
};

// Lets the keyboard reach `button` only by Tab, so a click leaves the focus where it was, as
// desktop buttons usually do, and lets the rules below mark it while the keyboard is on it. The two button styles below do this themselves.
void showKeyboardFocus(QAbstractButton* button);
// Lets the rules below mark `frame` while the keyboard is on `field`, a control inside it
// that keeps its own focus policy (a text field takes the focus on a click too).
void showKeyboardFocus(QWidget* field, QWidget* frame);
// Whether a control given to showKeyboardFocus is to be marked now, for one that paints itself.
bool keyboardFocusShown(const QWidget* control);

// Style-sheet rules that mark the push button the keyboard is on. A framed button: its
// frame becomes a 2-wide ring in `colour`, taking as much of its padding, so it keeps its
// size; `vertical` and `horizontal` are the frame's width plus the padding on each side.
// `selector` names another kind of framed widget the rule is for.
QString focusRingRule(int vertical, int horizontal, const QColor& colour,
                      const QString& selector = QStringLiteral("QPushButton"));
// A button drawn as a link, without frame or padding: its text is underlined.
QString focusUnderlineRule();

// The filled button for the main action: white 13.5 semibold on the button colour.
struct PrimaryButtonStyle {
    static void apply(QPushButton* button);
};

// The quiet button for other actions: 13.5 medium on a faint fill with a thin outline.
struct SecondaryButtonStyle {
    static void apply(QPushButton* button);
};

// An alert over `parent`: the app's icon, a bold title and a plain message, wide enough
// that a short message does not wrap early. The caller adds its buttons and opens it.
QMessageBox* alertBox(QWidget* parent, const QString& title, const QString& message);

// Adds a question's confirming button, then "Cancel", and returns the confirming one.
// Return presses it, unless it destroys something: then Return cancels, so a slip of the
// key loses nothing.
QPushButton* addConfirmation(QMessageBox* box, const QString& confirm, bool destructive);

// Opens a sheet or alert over its parent's window (no nested event loop) and gives it the
// keyboard. Once it closes, the keyboard goes back to what a person can act on: the sheet
// or alert still open over that window, else the window itself.
void openModal(QDialog* modal);

// A push button in one of the two styles.
QPushButton* primaryButton(const QString& text, QWidget* parent = nullptr);
QPushButton* secondaryButton(const QString& text, QWidget* parent = nullptr);

// The square icon beside a process group: the app's own icon when the group is an
// app with an icon, else the symbol on a raised rounded square, which also stands in
// while the app's icon is looked up and is replaced in place when it arrives.
class ProcessIcon : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol)

public:
    ProcessIcon(AppIconProvider& icons, const ProcessGroup& group, const QString& symbol, double size,
                QWidget* parent = nullptr);

    void setGroup(const ProcessGroup& group, const QString& symbol);
    QString symbol() const { return symbol_; }
    bool showsAppIcon() const { return !appIcon_.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeAppIcon();

    AppIconProvider& icons_;
    std::optional<std::string> appPath_;
    QString symbol_;
    QIcon appIcon_;
    double size_;
};

} // namespace corvane
