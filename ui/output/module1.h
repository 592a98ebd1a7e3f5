// The processor behind PROCESS: copies the editor's text into the output
// window, runs the line-break pass over it with the live settings and writes
// the size and modification labels.
#pragma once

#include <cstdint>

namespace tessaline {

class Form1;
class Form2;

// How a call of ProcessText ended.
enum class ProcessOutcome {
    Completed,      // the whole text was examined (or it was empty)
    Cancelled,      // CancelRequested was seen, or the output window went away
    Refused,        // the limit was refused before the scan (a message was shown)
    Stopped,        // the pass stopped mid-run on a limit (a message was shown)
    WindowsGone,    // the main window went away during the run
};

// Runs the processor for `form1` into its output window, which must exist.
// Yields to the event loop while it works, so both windows may change (or be
// closed) before it returns; it never touches a window that went away.
ProcessOutcome ProcessText(Form1& form1);

// What the PROCESS run needs from Form1's private state.
class ProcessRun {
public:
    static bool running(const Form1& form1);
    static void setRunning(Form1& form1, bool running);
};

}  // namespace tessaline
