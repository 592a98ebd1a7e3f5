#include "ui/output/module1.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <algorithm>
#include <string>
#include <string_view>

#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/line_settings.h"
#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"

namespace tessaline {

namespace {

// The pass yields twice per character. Turning the event loop that often
// would cost more than the pass itself, so the clock is read every
// kYieldsPerClockCheck yields and the events run once kYieldIntervalMs have
// passed since the last turn.
constexpr unsigned kYieldsPerClockCheck = 4096;
constexpr qint64 kYieldIntervalMs = 10;

// The progress bar shows per-mille of the text, so it is touched at most a
// thousand times per run whatever the text's length.
constexpr int kProgressScale = 1000;

// The output box takes the processed text in pieces of this many codes, with
// the event loop turning between them: one piece costs a few milliseconds.
constexpr std::size_t kFillPiece = 32 * 1024;

QString formatCount(std::int64_t value)
{
    // "###,##0": decimal, at least one digit, the user's group separator.
    return QLocale().toString(static_cast<qint64>(value));
}

// Lets pending events run when kYieldIntervalMs have passed since the last
// turn, and tells whether both windows are still there afterwards.
class EventTurns {
public:
    // The first clock check of a run turns the event loop at once: the
    // preparations before the pass already kept it waiting.
    EventTurns(Form1& form1, Form2& form2) : main_(&form1), output_(&form2) {}

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
        // Either window may have been closed or destroyed during the events.
        if (!main_ || !output_ || output_->isClosed())
            gone_ = true;
        // The last run's output box goes after the first turn (destroying a
        // long text takes a while), not among the preparations of the run.
        if (Form2* output = this->output())
            output->disposeRetiredBox();
    }
    bool windowGone() const { return gone_; }
    Form1* main() const { return main_.data(); }
    // The output window, or null once it was closed or destroyed.
    Form2* output() const
    {
        Form2* output = output_.data();
        return gone_ || !main_ || output == nullptr || output->isClosed() ? nullptr : output;
    }

private:
    QPointer<Form1> main_;
    QPointer<Form2> output_;
    QElapsedTimer sinceLastTurn_;
    unsigned calls_ = 0;
    bool gone_ = false;
};

// The pass's hooks for the window, inline so that the per-character calls
// cost next to nothing. The settings stay live: the events that run inside
// yield() may change them.
class WindowHooks {
public:
    WindowHooks(EventTurns& turns, AppState& state) : turns_(turns), state_(state) {}

    bool wordWrap()
    {
        // The check mark is read at each break, so a toggle applies at once.
        Form1* main = turns_.main();
        return main != nullptr && main->wrap != nullptr ? main->wrap->isChecked() : true;
    }
    bool cancelRequested() { return turns_.windowGone() || state_.CancelRequested; }
    void yield() { turns_.yield(); }
    void progress(std::int64_t maximum, std::int64_t value)
    {
        Form2* output = turns_.output();
        if (output == nullptr)
            return;
        if (output->onProcessCharacter) {
            QPointer<Form2> guard(output);
            output->onProcessCharacter(value);
            if (!guard)
                return;
        }
        // The per-mille value only changes once `value` leaves the range
        // worked out at the last division (or the length changes).
        if (maximum == rangeMaximum_ && value >= sameFrom_ && value < nextChange_)
            return;
        const int shown = maximum > 0 ? static_cast<int>(value * kProgressScale / maximum) : 0;
        rangeMaximum_ = maximum;
        if (maximum > 0) {
            sameFrom_ = (shown * maximum + kProgressScale - 1) / kProgressScale;
            nextChange_ = ((shown + 1) * maximum + kProgressScale - 1) / kProgressScale;
        } else {
            sameFrom_ = nextChange_ = 0;   // no range: divide again next time
        }
        if (shownMaximum_ != kProgressScale) {
            output->ProgressBar1->setMaximum(kProgressScale);
            shownMaximum_ = kProgressScale;
        }
        if (shown != shownValue_) {
            output->ProgressBar1->setValue(shown);
            shownValue_ = shown;
        }
    }

private:
    EventTurns& turns_;
    AppState& state_;
    int shownMaximum_ = -1;
    int shownValue_ = -1;
    std::int64_t rangeMaximum_ = -1;   // the per-mille value holds for values in [sameFrom_, nextChange_)
    std::int64_t sameFrom_ = 0;
    std::int64_t nextChange_ = 0;
};

// Puts `codes` into the (new, empty) output box, piece by piece, with the
// event loop turning in between. Stops early when a window goes away, or, with
// `stopOnCancel`, when a cancel is requested; returns whether it finished.
bool fillOutputBox(EventTurns& turns, AppState& state, const std::string& codes, bool stopOnCancel)
{
    Form2* output = turns.output();
    if (output == nullptr)
        return false;
    QPointer<RichTextBox> box(output->text2);
    std::size_t position = 0;
    while (position < codes.size()) {
        std::size_t end = std::min(codes.size(), position + kFillPiece);
        if (codes[end - 1] == '\r' && end < codes.size())
            ++end;   // a CR LF stays in one piece
        box->replaceSelection(std::string_view(codes).substr(position, end - position));
        position = end;
        if (position < codes.size()) {
            turns.turnIfDue();
            if (turns.output() == nullptr || !box || (stopOnCancel && state.CancelRequested))
                return false;
        }
    }
    return true;
}

}  // namespace

ProcessOutcome ProcessText(Form1& form1)
{
    Form2* window = form1.outputWindow();
    if (window == nullptr || form1.Text1 == nullptr)
        return ProcessOutcome::Cancelled;
    AppState& state = form1.state();
    EventTurns turns(form1, *window);
    // A run too short to turn the event loop disposes of the last run's box
    // as it ends.
    struct DisposeAtEnd {
        QPointer<Form2> window;
        ~DisposeAtEnd()
        {
            if (window)
                window->disposeRetiredBox();
        }
    } disposeAtEnd{window};

    const std::string text = form1.Text1->text();
    state.CancelRequested = false;
    // The output box of the last run goes now rather than during the run: a
    // box that was shown keeps laying its text out in the background.
    window->renewOutputBox();

    // The custom-length rule: presets 4 and 5 take their length from Text2.
    const int preset = form1.Combo1 != nullptr ? form1.Combo1->currentIndex() : -1;
    const std::string customText = form1.Text2 != nullptr ? form1.Text2->text().toStdString() : std::string();
    Refusal refusal = applyCustomLength(preset, customText, state.settings);

    // A limit that admits no character of the text would break in front of
    // the same character for ever: refused before the scan, like a value that
    // 16 bits cannot hold.
    if (!refusal && !text.empty())
        refusal = checkLimitAdmitsText(state.settings, text);
    if (refusal) {
        window->showWarning(QString::fromStdString(refusal.message));
        // The window hides without showing the box: it takes the text
        // without building its document.
        if (Form2* output = turns.output())
            output->text2->setTextDeferred(text);
        return turns.main() == nullptr ? ProcessOutcome::WindowsGone : ProcessOutcome::Refused;
    }

    if (text.empty()) {
        // Nothing to scan: no progress, the labels keep what they showed.
        fillOutputBox(turns, state, text, false);
        return ProcessOutcome::Completed;
    }

    WindowHooks hooks{turns, state};
    PassResult result = runLineBreakPassWith(text, state.settings, hooks);
    const bool passCancelled = result.cancelled || turns.windowGone() || state.CancelRequested;
    const auto resultSize = static_cast<std::int64_t>(result.text.size());

    // The output box stays hidden during the run, so it takes the text only
    // now. A run that ends without the Done state (cancelled or stopped)
    // hides the window with the box unseen: the box keeps the text without
    // building its document, so the window goes at once. Otherwise the text
    // goes in piece by piece; a cancel during this filling still cancels the
    // run, and the box then keeps the whole text the same way.
    bool filled = false;
    if (passCancelled || result.error) {
        if (Form2* output = turns.output())
            output->text2->setTextDeferred(std::move(result.text));
    } else {
        filled = fillOutputBox(turns, state, result.text, true);
        if (!filled) {
            if (Form2* output = turns.output(); output != nullptr && output->text2 != nullptr)
                output->text2->setTextDeferred(std::move(result.text));
        }
    }
    if (turns.main() == nullptr)
        return ProcessOutcome::WindowsGone;
    Form2* output = turns.output();
    if (output == nullptr)
        return ProcessOutcome::Cancelled;
    output->setResultCaptions(formatCount(resultSize) + QStringLiteral(" characters"),
                              formatCount(result.modificationCount));

    if (result.error) {
        output->showWarning(QString::fromStdString(*result.error));
        return ProcessOutcome::Stopped;
    }
    if (passCancelled || !filled || state.CancelRequested)
        return ProcessOutcome::Cancelled;
    return ProcessOutcome::Completed;
}

}  // namespace tessaline
