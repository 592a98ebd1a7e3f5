#include "ui/process/process_run.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QWidget>
#include <algorithm>
#include <string>
#include <string_view>

#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/line_settings.h"
#include "screen/screen_target.h"
#include "ui/app_state.h"
#include "ui/counts.h"
#include "ui/dialogs.h"
#include "ui/preview/preview_window.h"
#include "ui/process/output_window.h"
#include "ui/window_placement.h"

namespace tessaline {

namespace {

// The pass yields twice per character. Turning the event loop that often
// would cost more than the pass itself, so the clock is read every
// kYieldsPerClockCheck yields and the events run once kYieldIntervalMs have
// passed since the last turn.
constexpr unsigned kYieldsPerClockCheck = 4096;
constexpr qint64 kYieldIntervalMs = 10;

constexpr int kProgressScale = ProcessRun::kProgressScale;
constexpr int kPassShare = ProcessRun::kPassShare;

// The output box takes the processed text in pieces of this many codes, with
// the event loop turning between them: one piece costs a few milliseconds.
constexpr std::size_t kFillPiece = 32 * 1024;

// Lets pending events run when kYieldIntervalMs have passed since the last
// turn, and tells whether the run and its window are still there afterwards.
class EventTurns {
public:
    // The first clock check of a run turns the event loop at once: the
    // preparations before the pass already kept it waiting.
    EventTurns(ProcessRun& run, OutputWindow& window) : run_(&run), output_(&window) {}

    // The cheap form for the pass: the clock is read every
    // kYieldsPerClockCheck calls only.
    void yield()
    {
        if (++calls_ % kYieldsPerClockCheck == 0)
            turnIfDue();
    }
    void turnIfDue()
    {
        if (sinceLastTurn_.isValid() && sinceLastTurn_.elapsed() < kYieldIntervalMs)
            return;
        QCoreApplication::processEvents();
        sinceLastTurn_.start();
        // The main window (and the run with it) or the output window may
        // have been closed or destroyed during the events.
        if (!run_ || !output_ || output_->isClosed())
            gone_ = true;
        // The last run's output box goes after the first turn (destroying a
        // long text takes a while), not among the preparations of the run.
        if (OutputWindow* output = this->output())
            output->disposeRetiredBox();
    }
    bool windowGone() const { return gone_; }
    // False once the run's owner went away: nothing of the run may be touched then.
    bool runAlive() const { return !run_.isNull(); }
    // The output window, or null once it was closed or destroyed.
    OutputWindow* output() const
    {
        OutputWindow* output = output_.data();
        return gone_ || !run_ || output == nullptr || output->isClosed() ? nullptr : output;
    }

private:
    QPointer<ProcessRun> run_;
    QPointer<OutputWindow> output_;
    QElapsedTimer sinceLastTurn_;
    unsigned calls_ = 0;
    bool gone_ = false;
};

// The pass's hooks for the window, inline so that the per-character calls
// cost next to nothing. The settings stay live: the events that run inside
// yield() may change them.
class WindowHooks {
public:
    WindowHooks(EventTurns& turns, const std::function<bool()>& wordWrap, const bool& cancelRequested)
        : turns_(turns), wordWrap_(wordWrap), cancelRequested_(cancelRequested)
    {
    }

    bool wordWrap() { return turns_.runAlive() && wordWrap_ ? wordWrap_() : true; }
    // The flag belongs to the run, so it is read only while the run is there.
    bool cancelRequested() { return turns_.windowGone() || cancelRequested_; }
    void yield() { turns_.yield(); }
    void progress(std::int64_t maximum, std::int64_t value)
    {
        // The per-mille value only changes once `value` leaves the range
        // worked out at the last division (or the length changes).
        if (maximum == rangeMaximum_ && value >= sameFrom_ && value < nextChange_)
            return;
        OutputWindow* output = turns_.output();
        if (output == nullptr)
            return;
        const int shown = maximum > 0 ? static_cast<int>(value * kPassShare / maximum) : 0;
        rangeMaximum_ = maximum;
        if (maximum > 0) {
            sameFrom_ = (shown * maximum + kPassShare - 1) / kPassShare;
            nextChange_ = ((shown + 1) * maximum + kPassShare - 1) / kPassShare;
        } else {
            sameFrom_ = nextChange_ = 0;  // no range: divide again next time
        }
        // A line broken at its last space takes the pass back a little;
        // the bar stays where it was until the pass is past it again.
        if (shown > shownValue_) {
            output->showProgress(shown, kProgressScale);
            shownValue_ = shown;
        }
    }

private:
    EventTurns& turns_;
    const std::function<bool()>& wordWrap_;
    const bool& cancelRequested_;
    int shownValue_ = -1;
    std::int64_t rangeMaximum_ = -1;  // the per-mille value holds for values in [sameFrom_, nextChange_)
    std::int64_t sameFrom_ = 0;
    std::int64_t nextChange_ = 0;
};

// Puts `codes` into the (new, empty) output box, piece by piece, with the
// event loop turning in between and the progress bar going from the pass's
// share to full. Stops early when a window goes away or a cancel is
// requested; returns whether it finished.
bool fillOutputBox(EventTurns& turns, const bool& cancelRequested, const std::string& codes)
{
    std::size_t position = 0;
    while (position < codes.size()) {
        OutputWindow* output = turns.output();
        if (output == nullptr)
            return false;
        std::size_t end = std::min(codes.size(), position + kFillPiece);
        if (codes[end - 1] == '\r' && end < codes.size())
            ++end;  // a CR LF stays in one piece
        output->appendOutput(std::string_view(codes).substr(position, end - position));
        position = end;
        const auto filled = static_cast<std::int64_t>(position) * (kProgressScale - kPassShare)
                            / static_cast<std::int64_t>(codes.size());
        output->showProgress(kPassShare + static_cast<int>(filled), kProgressScale);
        if (position < codes.size()) {
            turns.turnIfDue();
            if (turns.output() == nullptr || cancelRequested)
                return false;
        }
    }
    return true;
}

}  // namespace

ProcessRun::ProcessRun(AppState& state, QWidget& windowOwner, std::shared_ptr<const Dialogs> dialogs)
    : QObject(&windowOwner), state_(state), windowOwner_(windowOwner), dialogs_(std::move(dialogs))
{
}

ProcessRun::~ProcessRun() { delete window_.data(); }

OutputWindow& ProcessRun::outputWindow()
{
    // A window the user closed is on its way out: the next use builds a new one.
    if (window_ && window_->isClosed())
        window_ = nullptr;
    if (!window_) {
        // A window of its own, without an owner: it stays put when the main
        // window is minimised or raised. It opens centred over the main window.
        window_ = new OutputWindow(nullptr, dialogs_);
        centreWindow(*window_, windowOwner_.frameGeometry(), availableScreenArea(windowOwner_));
        connect(window_, &OutputWindow::cancelPressed, this, &ProcessRun::cancel);
        connect(window_, &OutputWindow::calculatorScreenRequested, this, &ProcessRun::showCalculatorScreen);
        connect(window_, &OutputWindow::closed, this, [this] {
            // Closing the window during a run cancels it; the run sees the
            // window go away.
            if (running_)
                cancel();
            emit outputWindowClosed();
        });
    }
    return *window_;
}

void ProcessRun::showCalculatorScreen(const std::string& codes)
{
    if (!window_)
        return;
    // The pictures are made for the screen the preview shows, and live as
    // long as the preview's lookup.
    const screen::ScreenTarget target = screen::targetFor(passSettings_);
    const Calculator calculator =
        target.size.width > screen::kTi89Screen.width ? Calculator::Ti92Plus : Calculator::Ti89;
    const PictureSources& sources = window_->pictureSources();
    auto pictures = std::make_shared<const std::vector<TextPicture>>(
        findTextPictures(codes, sources.folder, sources.images, {calculator}));
    auto lookup = [pictures](std::string_view name) { return foundPicture(*pictures, name); };
    auto* preview = new PreviewWindow(window_, codes, target, lookup);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->show();
}

void ProcessRun::bringOutputWindowForward()
{
    OutputWindow* window = window_;
    if (window == nullptr || window->isClosed())
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

void ProcessRun::cancel() { cancelRequested_ = true; }

bool ProcessRun::isSending() const { return window_ && window_->isSending(); }

void ProcessRun::closeOutputWindow()
{
    cancel();
    if (OutputWindow* window = window_) {
        window->hide();
        // A running pass still refers to its window; it goes with its owner.
        if (!running_) {
            window_ = nullptr;
            window->deleteLater();
        }
    }
}

void ProcessRun::start(const Request& request)
{
    if (running_) {
        // A run is in progress: it goes on; its window comes to the front.
        bringOutputWindowForward();
        return;
    }

    QPointer<ProcessRun> self(this);
    QPointer<OutputWindow> window(&outputWindow());
    running_ = true;
    window->showProcessingState();
    window->show();  // modeless: returns at once
    // Shown again while open, it comes forward and becomes the active window,
    // as on its first showing.
    window->raise();
    window->activateWindow();
    QString refusal;
    const Outcome outcome = process(request, refusal);
    if (!self)
        return;  // the main window went away during the run
    running_ = false;

    const bool completed = outcome == Outcome::Completed && !cancelRequested_;
    if (!window || window->isClosed() || !completed) {
        if (window && !window->isClosed())
            window->showCancelledState();
        // A refused limit is told once the "Processing..." state is gone.
        if (!refusal.isEmpty())
            dialogs_->messages->show(&windowOwner_, MessageBoxes::Icon::Warning, applicationTitle(), refusal);
        if (!self)
            return;
        emit finished(false);
        return;
    }
    window->showDoneState(request.fontSize());
    emit finished(true);
}

ProcessRun::Outcome ProcessRun::process(const Request& request, QString& refusalMessage)
{
    OutputWindow& window = *window_;
    EventTurns turns(*this, window);
    // A run too short to turn the event loop disposes of the last run's box
    // as it ends.
    struct DisposeAtEnd {
        QPointer<OutputWindow> window;
        ~DisposeAtEnd()
        {
            if (window)
                window->disposeRetiredBox();
        }
    } disposeAtEnd{&window};

    const std::string& text = request.text;
    cancelRequested_ = false;
    // The output box of the last run goes now rather than during the run: a
    // box that was shown keeps laying its text out in the background.
    window.renewOutputBox();
    window.setPictureSources(request.pictures);
    // The window shows the processing state at once, not only at the first
    // turn of the event loop: the last result must not stay on screen while
    // the run prepares. The bar starts empty for a text to scan.
    if (!text.empty())
        window.showProgress(0, kProgressScale);
    if (!turns.runAlive() || turns.output() == nullptr)
        return Outcome::NotCompleted;
    window.repaint();

    // The custom-length rule: some presets take their length from the
    // custom size.
    Refusal refusal = applyCustomLength(request.preset, request.customLength, state_.settings);

    // A limit that admits no character of the text would break in front of
    // the same character for ever: refused before the scan, like a value that
    // 16 bits cannot hold.
    if (!refusal && !text.empty())
        refusal = checkLimitAdmitsText(state_.settings, text);
    if (refusal) {
        refusalMessage = QString::fromStdString(refusal.message);
        // The window hides without showing the box: it takes the text
        // without building its document.
        if (OutputWindow* output = turns.output())
            output->setOutputUnbuilt(text);
        return Outcome::NotCompleted;
    }

    passSettings_ = state_.settings;
    if (text.empty()) {
        // Nothing to scan: no progress, the labels keep what they showed.
        return Outcome::Completed;
    }

    WindowHooks hooks{turns, request.wordWrap, cancelRequested_};
    PassResult result = runLineBreakPassWith(text, state_.settings, hooks);
    passSettings_ = state_.settings;
    if (!turns.runAlive())
        return Outcome::NotCompleted;
    const bool passCancelled = result.cancelled || turns.windowGone() || cancelRequested_;
    const auto resultSize = static_cast<std::int64_t>(result.text.size());

    // The output box stays hidden during the run, so it takes the text only
    // now. A run that ends without the Done state (cancelled or stopped)
    // hides the window with the box unseen: the box keeps the text without
    // building its document, so the window goes at once. Otherwise the text
    // goes in piece by piece; a cancel during this filling still cancels the
    // run, and the box then keeps the whole text the same way.
    bool filled = false;
    if (passCancelled || result.error) {
        if (OutputWindow* output = turns.output())
            output->setOutputUnbuilt(std::move(result.text));
    } else {
        filled = fillOutputBox(turns, cancelRequested_, result.text);
        if (!turns.runAlive())
            return Outcome::NotCompleted;
        if (!filled) {
            if (OutputWindow* output = turns.output())
                output->setOutputUnbuilt(std::move(result.text));
        }
    }
    OutputWindow* output = turns.output();
    if (output == nullptr)
        return Outcome::NotCompleted;
    output->setResultCaptions(formatCount(resultSize) + QStringLiteral(" characters"),
                              formatCount(result.modificationCount));

    if (result.error) {
        refusalMessage = QString::fromStdString(*result.error);
        return Outcome::NotCompleted;
    }
    if (passCancelled || !filled || cancelRequested_)
        return Outcome::NotCompleted;
    return Outcome::Completed;
}

}  // namespace tessaline
