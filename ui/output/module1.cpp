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
#include <string>

#include "engine/line_break_pass.h"
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

QString formatCount(std::int64_t value)
{
    // "###,##0": decimal, at least one digit, the user's group separator.
    return QLocale().toString(static_cast<qint64>(value));
}

}  // namespace

ProcessOutcome ProcessText(Form1& form1)
{
    QPointer<Form1> main(&form1);
    QPointer<Form2> output(form1.outputWindow());
    if (!output || form1.Text1 == nullptr)
        return ProcessOutcome::Cancelled;
    AppState& state = form1.state();

    const std::string text = form1.Text1->text();
    state.CancelRequested = false;

    // The custom-length rule: presets 4 and 5 take their length from Text2.
    const int preset = form1.Combo1 != nullptr ? form1.Combo1->currentIndex() : -1;
    const std::string customText = form1.Text2 != nullptr ? form1.Text2->text().toStdString() : std::string();
    if (const Refusal refusal = applyCustomLength(preset, customText, state.settings)) {
        output->text2->setText(text);
        output->showWarning(QString::fromStdString(refusal.message));
        return ProcessOutcome::Refused;
    }

    if (text.empty()) {
        // Nothing to scan: no progress, the labels keep what they showed.
        output->text2->setText(text);
        return ProcessOutcome::Completed;
    }

    // A limit that admits no character of the text would break in front of
    // the same character for ever: refused before the scan.
    if (const Refusal refusal = checkLimitAdmitsText(state.settings, text)) {
        output->text2->setText(text);
        output->showWarning(QString::fromStdString(refusal.message));
        return ProcessOutcome::Refused;
    }

    bool windowGone = false;
    unsigned yieldCalls = 0;
    QElapsedTimer sinceLastTurn;
    sinceLastTurn.start();
    int shownMaximum = -1;
    int shownValue = -1;

    PassHooks hooks;
    hooks.wordWrap = [&] {
        // The check mark is read at each break, so a toggle applies at once.
        return main && main->wrap != nullptr ? main->wrap->isChecked() : true;
    };
    hooks.cancelRequested = [&] { return windowGone || state.CancelRequested; };
    hooks.yield = [&] {
        if (++yieldCalls % kYieldsPerClockCheck != 0)
            return;
        if (sinceLastTurn.elapsed() < kYieldIntervalMs)
            return;
        QCoreApplication::processEvents();
        sinceLastTurn.restart();
        // Either window may have been closed or destroyed during the events.
        if (!main || !output || output->isClosed())
            windowGone = true;
    };
    hooks.progress = [&](std::int64_t maximum, std::int64_t value) {
        Form2* window = output.data();
        if (window == nullptr || windowGone)
            return;
        if (window->onProcessCharacter) {
            window->onProcessCharacter(value);
            window = output.data();
            if (window == nullptr)
                return;
        }
        const int shown = maximum > 0 ? static_cast<int>(value * kProgressScale / maximum) : 0;
        if (shownMaximum != kProgressScale) {
            window->ProgressBar1->setMaximum(kProgressScale);
            shownMaximum = kProgressScale;
        }
        if (shown != shownValue) {
            window->ProgressBar1->setValue(shown);
            shownValue = shown;
        }
    };

    PassResult result = runLineBreakPass(text, state.settings, hooks);

    if (!main)
        return ProcessOutcome::WindowsGone;
    if (!output)
        return ProcessOutcome::Cancelled;

    // The output box is hidden during the run, so it receives the text once.
    output->text2->setText(result.text);
    output->Label2->setText(formatCount(static_cast<std::int64_t>(result.text.size())) + QStringLiteral(" characters"));
    output->Label4->setText(formatCount(result.modificationCount));

    if (result.error) {
        output->showWarning(QString::fromStdString(*result.error));
        return ProcessOutcome::Stopped;
    }
    if (windowGone || result.cancelled || state.CancelRequested)
        return ProcessOutcome::Cancelled;
    return ProcessOutcome::Completed;
}

}  // namespace tessaline
