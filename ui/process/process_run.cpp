#include "ui/process/process_run.h"

#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "screen/screen_target.h"
#include "ui/app_state.h"
#include "ui/counts.h"
#include "ui/dialogs.h"
#include "ui/preview/preview_window.h"
#include "ui/process/output_window.h"
#include "ui/process/pass_worker.h"
#include "ui/window_placement.h"

namespace tessaline {

namespace {

constexpr int kProgressScale = ProcessRun::kProgressScale;
constexpr std::int64_t kNoPause = std::numeric_limits<std::int64_t>::max();

// The output box takes the processed text in pieces of whole lines of up to
// this many codes (a longer line in pieces of this size): one piece costs a
// few milliseconds.
constexpr std::size_t kFillPiece = 32 * 1024;
// A step of the filling puts pieces into the box for this long, then lets
// the event loop turn.
constexpr qint64 kFillStepMs = 20;

bool sameSettings(const LineSettings& a, const LineSettings& b)
{
    return a.charWidths == b.charWidths && a.lineLimit == b.lineLimit && a.measureInPixels == b.measureInPixels
           && a.hyphenator == b.hyphenator;
}

// Where the next piece for the box ends, from `from` in `text`: after the
// last LF within kFillPiece codes. Without an LF there, a line longer than a
// piece goes in pieces, but only once the pass is `ended` or holds `waiting`
// codes ready (it waits for the box then); otherwise the piece waits for the
// rest of its line. Returns `from` when nothing is to go in yet.
std::size_t pieceEnd(const std::string& text, std::size_t from, bool ended, bool waiting)
{
    const std::size_t limit = std::min(text.size(), from + kFillPiece);
    if (ended && limit == text.size())
        return limit;
    const std::size_t lastLf = std::string_view(text).substr(from, limit - from).rfind('\n');
    if (lastLf != std::string_view::npos)
        return from + lastLf + 1;
    if (!ended && !waiting)
        return from;
    std::size_t end = limit;
    if (text[end - 1] == '\r' && end > from + 1)
        --end;  // a CR LF stays in one piece
    return end;
}

}  // namespace

ProcessRun::ProcessRun(AppState& state, QWidget& windowOwner, std::shared_ptr<const Dialogs> dialogs)
    : QObject(&windowOwner), state_(state), windowOwner_(windowOwner), dialogs_(std::move(dialogs)), pauseAt_(kNoPause)
{
    fillTimer_.setSingleShot(true);
    fillTimer_.setInterval(0);
    connect(&fillTimer_, &QTimer::timeout, this, &ProcessRun::fillStep);
}

ProcessRun::~ProcessRun()
{
    // The pass stops at its next character; its thread ends before the
    // settings it reads (and their dictionary) go.
    worker_.reset();
    delete window_.data();
}

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

void ProcessRun::cancel()
{
    cancelRequested_ = true;
    if (worker_) {
        worker_->cancel();
        scheduleFill();
    }
}

void ProcessRun::pausePassAt(std::int64_t position)
{
    pauseAt_ = position;
    if (worker_)
        worker_->pauseAt(position);
}

void ProcessRun::resumePass()
{
    if (!worker_)
        return;
    publishSettings();
    worker_->resume();
}

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

    OutputWindow& window = outputWindow();
    running_ = true;
    cancelRequested_ = false;
    request_ = request;
    runWindow_ = &window;
    retiredBoxGone_ = false;
    window.showProcessingState();
    window.show();  // modeless: returns at once
    // Shown again while open, it comes forward and becomes the active window,
    // as on its first showing.
    window.raise();
    window.activateWindow();
    QString refusal;
    begin(refusal);
    if (!worker_)
        end(refusal.isEmpty() && runWindow() != nullptr ? Outcome::Completed : Outcome::NotCompleted, refusal);
}

OutputWindow* ProcessRun::runWindow() const
{
    OutputWindow* window = runWindow_.data();
    return window != nullptr && !window->isClosed() ? window : nullptr;
}

void ProcessRun::begin(QString& refusalMessage)
{
    OutputWindow& window = *runWindow_;
    // The output box of the last run goes now rather than during the run: a
    // box that was shown keeps laying its text out in the background.
    window.renewOutputBox();
    window.setPictureSources(request_.pictures);
    // The window shows the processing state at once: the last result must
    // not stay on screen while the run prepares. The bar starts empty for a
    // text to scan.
    shownProgress_ = -1;
    if (!request_.text.empty()) {
        window.showProgress(0, kProgressScale);
        shownProgress_ = 0;
    }
    if (runWindow() == nullptr)
        return;  // closed meanwhile: ends not completed
    window.repaint();

    // The custom-length rule: some presets take their length from the
    // custom size.
    Refusal refusal = applyCustomLength(request_.preset, request_.customLength, state_.settings);

    // A limit that admits no character of the text would break in front of
    // the same character for ever: refused before the scan, like a value that
    // 16 bits cannot hold.
    if (!refusal && !request_.text.empty())
        refusal = checkLimitAdmitsText(state_.settings, request_.text);
    if (refusal) {
        refusalMessage = QString::fromStdString(refusal.message);
        // The window hides without showing the box: it takes the text
        // without building its document.
        window.setOutputUnbuilt(std::move(request_.text));
        return;
    }

    passSettings_ = state_.settings;
    if (request_.text.empty())
        return;  // nothing to scan: no progress, the labels keep what they showed

    publishedSettings_ = state_.settings;
    publishedWrap_ = !request_.wordWrap || request_.wordWrap();
    received_.clear();
    shown_ = 0;
    const unsigned number = ++runNumber_;
    worker_ = std::make_unique<PassWorker>(std::move(request_.text), publishedSettings_, publishedWrap_, pauseAt_);
    pauseAt_ = kNoPause;
    // The worker's signals arrive queued; one of an earlier run's worker
    // that is still on its way is left alone.
    connect(worker_.get(), &PassWorker::outputReady, this, [this, number] {
        if (number == runNumber_)
            scheduleFill();
    });
    connect(worker_.get(), &PassWorker::ended, this, [this, number] {
        if (number == runNumber_)
            scheduleFill();
    });
    connect(worker_.get(), &PassWorker::paused, this, [this, number](std::int64_t position) {
        if (number == runNumber_)
            emit passPaused(position);
    });
    // A cancel among the preparations (by a watcher of the bar) stops the
    // pass in front of its first character.
    if (cancelRequested_)
        worker_->cancel();
    worker_->start();
}

void ProcessRun::publishSettings()
{
    if (!worker_)
        return;
    const bool wrap = !request_.wordWrap || request_.wordWrap();
    if (sameSettings(state_.settings, publishedSettings_) && wrap == publishedWrap_)
        return;
    publishedSettings_ = state_.settings;
    publishedWrap_ = wrap;
    worker_->publish(publishedSettings_, publishedWrap_);
}

void ProcessRun::scheduleFill()
{
    if (!fillTimer_.isActive())
        fillTimer_.start();
}

void ProcessRun::fillStep()
{
    if (!worker_)
        return;
    OutputWindow* window = runWindow();
    // The last run's output box goes at the first turn of the event loop
    // (destroying a long text takes a while), not among the preparations.
    if (window != nullptr && !retiredBoxGone_) {
        window->disposeRetiredBox();
        retiredBoxGone_ = true;
    }
    publishSettings();
    PassWorker::Taken taken = worker_->take(received_);
    const bool stopping = cancelRequested_ || window == nullptr;
    if (stopping)
        worker_->cancel();  // the window went away: the pass ends as on a cancel

    bool moreNow = false;  // the step ended with pieces left to put in
    if (!stopping) {
        QElapsedTimer step;
        step.start();
        for (;;) {
            const bool waiting = received_.size() - shown_ >= PassWorker::kLookahead;
            const std::size_t end =
                shown_ < received_.size() ? pieceEnd(received_, shown_, taken.ended, waiting) : shown_;
            if (end == shown_) {
                // All that can go in is in: what the pass made meanwhile
                // goes in within the same step.
                const std::size_t before = received_.size();
                if (taken.ended || step.elapsed() >= kFillStepMs)
                    break;
                taken = worker_->take(received_);
                if (received_.size() == before && !taken.ended)
                    break;
                continue;
            }
            window->appendOutput(std::string_view(received_).substr(shown_, end - shown_));
            shown_ = end;
            worker_->setShown(static_cast<std::int64_t>(shown_));
            // The part of the processed text in the box, out of its length as
            // far as known; full only once everything is in.
            const bool all = taken.ended && shown_ == received_.size();
            int perMille = kProgressScale;
            if (!all) {
                const std::int64_t length = std::max<std::int64_t>(taken.length, 1);
                perMille = static_cast<int>(std::min<std::int64_t>(
                    static_cast<std::int64_t>(shown_) * kProgressScale / length, kProgressScale - 1));
            }
            if (perMille > shownProgress_) {
                window->showProgress(perMille, kProgressScale);
                shownProgress_ = perMille;
            }
            // The bar's watchers may have closed the window or cancelled.
            window = runWindow();
            if (window == nullptr || cancelRequested_)
                break;
            if (step.elapsed() >= kFillStepMs) {
                moreNow = shown_ < received_.size();
                break;
            }
        }
    }
    if (!taken.ended) {
        // The next piece of the pass, or its end after a cancel, calls again.
        if (moreNow)
            scheduleFill();
        return;
    }
    window = runWindow();
    const bool cancelled = cancelRequested_ || window == nullptr;
    const StreamedPass outcome = worker_->outcome();
    if (!cancelled && !outcome.cancelled && !outcome.error && shown_ < received_.size()) {
        scheduleFill();
        return;
    }
    passSettings_ = worker_->finalSettings();
    worker_.reset();
    if (window == nullptr) {
        end(Outcome::NotCompleted, {});
        return;
    }
    // A run that ends without the Done state hides the window with the box
    // unseen: the box keeps the whole text without building its document,
    // so the window goes at once.
    const bool completed = !cancelled && !outcome.cancelled && !outcome.error;
    if (!completed)
        window->setOutputUnbuilt(std::move(received_));
    received_ = std::string();
    window->setResultCaptions(formatCount(outcome.size) + QStringLiteral(" characters"),
                              formatCount(outcome.modificationCount));
    end(completed ? Outcome::Completed : Outcome::NotCompleted,
        outcome.error ? QString::fromStdString(*outcome.error) : QString());
}

void ProcessRun::end(Outcome outcome, const QString& refusalMessage)
{
    fillTimer_.stop();
    worker_.reset();
    running_ = false;
    QPointer<ProcessRun> self(this);
    OutputWindow* window = runWindow();
    // A run too short to turn the event loop disposes of the last run's box
    // as it ends.
    if (window != nullptr && !retiredBoxGone_) {
        window->disposeRetiredBox();
        retiredBoxGone_ = true;
    }

    const bool completed = outcome == Outcome::Completed && !cancelRequested_;
    if (window == nullptr || !completed) {
        if (window != nullptr)
            window->showCancelledState();
        // A refused limit is told once the "Processing..." state is gone.
        if (!refusalMessage.isEmpty())
            dialogs_->messages->show(&windowOwner_, MessageBoxes::Icon::Warning, applicationTitle(), refusalMessage);
        if (!self)
            return;
        emit finished(false);
        return;
    }
    window->showDoneState(request_.fontSize());
    emit finished(true);
}

}  // namespace tessaline
