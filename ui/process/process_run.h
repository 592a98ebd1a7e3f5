// The PROCESS run: copies the editor's text into the output window, runs the
// line-break pass over it with the live settings and shows the result with
// its size and number of modifications. Owns the output window, which it
// creates on first use and afresh after the user closed it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
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

class ProcessRun : public QObject {
    Q_OBJECT
public:
    // What a run starts from, as the main window shows it when PROCESS is
    // pressed. Both functions must be set.
    struct Request {
        std::string text;
        int preset = 0;            // the chosen line-length preset
        std::string customLength;  // the custom size, for the presets that take one
        // Whether word wrap is on, asked at each break so that a change
        // during the run applies at once.
        std::function<bool()> wordWrap;
        // The editor's font size, which the output box takes when it shows
        // the result.
        std::function<double()> fontSize;
        // Where the text's pictures are found.
        PictureSources pictures;
    };

    // The progress bar shows per-mille of the run, so it is touched at most
    // a thousand times per run whatever the text's length. The run is the
    // pass followed by the filling of the output box, which takes most of
    // the time (about nine tenths of a run of a million output lines): the
    // pass takes the first kPassShare of the bar (in proportion to the
    // characters it has examined), each code put into the box an equal part
    // of the rest, so that the bar is full only when the result can be shown.
    static constexpr int kProgressScale = 1000;
    static constexpr int kPassShare = 100;

    // `windowOwner` is the window the run serves: the output window opens
    // over it and goes with it, but is a window of its own (no owner).
    ProcessRun(AppState& state, QWidget& windowOwner, std::shared_ptr<const Dialogs> dialogs);
    ~ProcessRun() override;

    // Runs the request to its end, turning the event loop while it works, and
    // returns then; `finished` tells how it ended. While a run is in progress
    // a second start brings its output window to the front instead.
    void start(const Request& request);
    // Asks the run in progress to stop at its next character.
    void cancel();
    bool isRunning() const { return running_; }
    // True while the output window sends a text to a calculator.
    bool isSending() const;

    // Ends the output window with the program: hidden at once, destroyed
    // when no run still refers to it.
    void closeOutputWindow();

signals:
    // A run ended: `completed` when the output window shows its result.
    void finished(bool completed);
    // The user closed the output window.
    void outputWindowClosed();

private:
    enum class Outcome { Completed, NotCompleted };

    OutputWindow& outputWindow();
    // Opens the Calculator Screen window over the output window.
    void showCalculatorScreen(const std::string& codes);
    void bringOutputWindowForward();
    // `refusalMessage` receives why the settings were refused, if they were.
    Outcome process(const Request& request, QString& refusalMessage);

    AppState& state_;
    QWidget& windowOwner_;
    std::shared_ptr<const Dialogs> dialogs_;
    QPointer<OutputWindow> window_;
    // The settings of the last pass, which its preview follows whatever the
    // main window's settings became since.
    LineSettings passSettings_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

}  // namespace tessaline
