// The PROCESS run: runs the line-break pass over a copy of the editor's
// text on a thread of its own, with the live settings, fills the output
// window's box with the result in timer-driven pieces and shows it with its
// size and number of modifications. Owns the output window, which it creates
// on first use and afresh after the user closed it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/line_settings.h"
#include "formats/text_pictures.h"

class QWidget;

namespace tessaline {

struct AppState;
struct Dialogs;
class OutputWindow;
class PassWorker;

class ProcessRun : public QObject {
    Q_OBJECT
public:
    // What a run starts from, as the main window shows it when PROCESS is
    // pressed. Both functions must be set.
    struct Request {
        std::string text;
        int preset = 0;            // the chosen line-length preset
        std::string customLength;  // the custom size, for the presets that take one
        // Whether word wrap is on, asked on the window's thread at the start
        // and at every step of the run: a change applies from the next
        // character the pass examines.
        std::function<bool()> wordWrap;
        // The editor's font size, which the output box takes when it shows
        // the result.
        std::function<double()> fontSize;
        // Where the text's pictures are found.
        PictureSources pictures;
    };

    // The progress bar shows per-mille of the run, so it is touched at most
    // a thousand times per run whatever the text's length. The pass runs
    // just ahead of the filling of the output box, so the bar shows the part
    // of the processed text in the box (of its length as far as known): it
    // is full only when the result can be shown.
    static constexpr int kProgressScale = 1000;

    // `windowOwner` is the window the run serves: the output window opens
    // over it and goes with it, but is a window of its own (no owner).
    ProcessRun(AppState& state, QWidget& windowOwner, std::shared_ptr<const Dialogs> dialogs);
    ~ProcessRun() override;

    // Starts a run of the request and returns; `finished` tells how it
    // ended (at once for an empty text or a refused limit). While a run is in
    // progress a second start brings its output window to the front instead.
    void start(const Request& request);
    // Asks the run in progress to stop at its next character.
    void cancel();
    bool isRunning() const { return running_; }
    // True while the output window sends a text to a calculator.
    bool isSending() const;

    // Ends the output window with the program: hidden at once, destroyed
    // when no run still refers to it.
    void closeOutputWindow();

    // For tests: the pass of the next run (or of the run in progress) stops
    // once it reached `position` of the processed text and reports
    // passPaused; the settings published by resumePass() apply from the
    // character after it.
    void pausePassAt(std::int64_t position);
    void resumePass();

signals:
    // A run ended: `completed` when the output window shows its result.
    void finished(bool completed);
    // The user closed the output window.
    void outputWindowClosed();
    // See pausePassAt().
    void passPaused(std::int64_t position);

private:
    enum class Outcome { Completed, NotCompleted };

    OutputWindow& outputWindow();
    // Opens the Calculator Screen window over the output window.
    void showCalculatorScreen(const std::string& codes);
    void bringOutputWindowForward();
    // The checks before the pass, then the pass's start. Without a worker
    // afterwards the run is over already (empty text, refused limit, window
    // gone); `refusalMessage` receives why the settings were refused.
    void begin(QString& refusalMessage);
    // Gives the pass the main window's settings when they changed.
    void publishSettings();
    // One timer-driven step of the filling of the output box.
    void fillStep();
    void scheduleFill();
    void end(Outcome outcome, const QString& refusalMessage);
    // The output window of the run in progress, or null once it went away.
    OutputWindow* runWindow() const;

    AppState& state_;
    QWidget& windowOwner_;
    std::shared_ptr<const Dialogs> dialogs_;
    QPointer<OutputWindow> window_;
    // The settings of the last pass, which its preview follows whatever the
    // main window's settings became since.
    LineSettings passSettings_;
    bool running_ = false;
    bool cancelRequested_ = false;

    // The run in progress.
    Request request_;
    QPointer<OutputWindow> runWindow_;
    std::unique_ptr<PassWorker> worker_;
    unsigned runNumber_ = 0;  // tells the signals of an earlier run's worker apart
    LineSettings publishedSettings_;
    bool publishedWrap_ = true;
    std::string received_;    // the processed text the pass handed over
    std::size_t shown_ = 0;   // of which this much is in the box
    int shownProgress_ = -1;  // per mille on the bar
    bool retiredBoxGone_ = false;
    QTimer fillTimer_;
    std::int64_t pauseAt_;
};

}  // namespace tessaline
