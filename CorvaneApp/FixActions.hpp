#pragma once

#include "Core/FixID.hpp"
#include "Core/FixOutcome.hpp"
#include "Core/ProcessGroup.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/FixBackend.hpp"

#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

class Monitor;
class Router;

// Turns a one-click fix into navigation, a confirmation, an action and a toast. It
// shows nothing itself: the root view presents `confirmation` and `stuckAlert`, the
// toast view shows `toast`. Lives on the GUI thread.
class FixActions : public QObject {
    Q_OBJECT
public:
    // One pending question to the user; a fresh id for every one, so two questions with
    // the same texts are still two alerts.
    struct Confirmation {
        QUuid id;
        std::string title;
        std::string message;
        std::string confirm;   // the confirming button's label
        bool destructive = false;
        std::function<void()> action;  // run on the GUI thread when the user confirms; returns at once
        bool operator==(const Confirmation& other) const { return id == other.id; }
    };

    FixActions(Monitor& monitor, Router& router, Executor& executor,
               std::shared_ptr<FixBackend> backend = nullptr, QObject* parent = nullptr);

    const std::optional<Confirmation>& confirmation() const { return confirmation_; }
    const std::optional<std::string>& toast() const { return toast_; }
    const std::optional<std::string>& stuckAlert() const { return stuckAlert_; }

    // confirmation notifies on every store; toast and stuckAlert only on change.
    void setConfirmation(std::optional<Confirmation> confirmation);
    void setToast(std::optional<std::string> toast);
    void setStuckAlert(std::optional<std::string> app);

    // Dispatches one fix; returns at once, slow work runs on a worker.
    void perform(FixID fix, const std::optional<ProcessGroup>& group);
    void confirmQuit(const ProcessGroup& group);
    void confirmRestart();
    // Opens a settings pane off the GUI thread; a pane that cannot be shown says so in
    // the toast rather than seem to have opened.
    void openSettings(SettingsPane pane);
    // Opens a process's guide in the browser; when no handler takes it, the toast says so.
    void openGuide(const std::string& url);
    // The outcome as the toast's text.
    void report(const FixOutcome& outcome, const std::optional<std::string>& app);

    // How long a quit may take before it counts as still running.
    static constexpr std::chrono::seconds quitTimeout{10};

Q_SIGNALS:
    void confirmationChanged();
    void toastChanged();
    void stuckAlertChanged();

private:
    void quit(const ProcessGroup& group, bool force);
    void afterQuit(const ProcessGroup& group, bool force, const FixOutcome& outcome);
    // Runs `open` on `lane` and shows `failure` in the toast when it answers false or throws.
    void openOrSay(Executor::Lane lane, std::function<bool(FixBackend&)> open, std::string failure);

    Monitor& monitor_;
    Router& router_;
    Executor& executor_;
    std::shared_ptr<FixBackend> backend_;
    std::optional<Confirmation> confirmation_;
    std::optional<std::string> toast_;
    std::optional<std::string> stuckAlert_;
};

} // namespace corvane
