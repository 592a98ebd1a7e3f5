// The PROCESS run: Form1's PROCESS button and the output window's life.
#include <QPointer>

#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"
#include "ui/output/module1.h"

namespace tessaline {

bool ProcessRun::running(const Form1& form1) { return form1.running_; }
void ProcessRun::setRunning(Form1& form1, bool running) { form1.running_ = running; }

Form2* Form1::ensureOutputWindow()
{
    // A window the user closed is on its way out: the next use builds a new one.
    if (form2_ && form2_->isClosed())
        form2_ = nullptr;
    if (!form2_)
        form2_ = new Form2(*this, state_);
    return form2_;
}

void Form1::Command1_Click()
{
    if (running_) {
        // A run is in progress: it goes on; its window comes to the front.
        if (Form2* window = outputWindow(); window != nullptr && !window->isClosed()) {
            if (window->isMinimized())
                window->showNormal();
            else
                window->show();
            window->raise();
            window->activateWindow();
        }
        return;
    }

    QPointer<Form1> self(this);
    QPointer<Form2> window(ensureOutputWindow());
    running_ = true;
    window->showProcessingState();   // steps 1 to 6
    window->show();                  // step 7: modeless, returns at once
    // Shown again while open, it comes forward and becomes the active window,
    // as on its first showing.
    window->raise();
    window->activateWindow();
    const ProcessOutcome outcome = ProcessText(*this);
    if (!self)
        return;   // the main window went away during the run
    running_ = false;

    const bool completed = outcome == ProcessOutcome::Completed && !state_.CancelRequested;
    if (!window || window->isClosed() || !completed) {
        if (window && !window->isClosed())
            window->showCancelledState();
        // The keyboard goes back to the editor: its window becomes the
        // active one again, whatever the platform activates after the hide.
        if (Text1 != nullptr) {
            activateWindow();
            Text1->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    window->showDoneState(Text1->fontSize());
}

}  // namespace tessaline
