// Measures the PROCESS run through the windows (offscreen unless a platform
// is chosen): for texts of 1 MB and 10 MB the time from the PROCESS click to
// the Done state, the longest time the event loop waited during the run, and
// the time from a Cancel click to the end of the run.
//
//   process_window_bench [megabytes ...]     (default: 1 10)
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/line_break_pass.h"
#include "tests/support/word_text.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"
#include "ui/process/process_run.h"

using namespace tessaline;

namespace {

// Records the turns of the event loop: a 0 ms timer fires at every turn.
struct LoopWatch {
    QElapsedTimer clock;
    qint64 lastTurn = 0;
    qint64 longestGap = 0;
    qint64 longestGapEnd = 0;
    long turns = 0;
    QTimer timer;

    LoopWatch()
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            if (now - lastTurn > longestGap) {
                longestGap = now - lastTurn;
                longestGapEnd = now;
            }
            lastTurn = now;
            ++turns;
        });
    }
    void start()
    {
        clock.start();
        lastTurn = 0;
        longestGap = 0;
        turns = 0;
        timer.start();
    }
    // The stretch from the last turn to `end` counts as a gap too.
    void stop(qint64 end)
    {
        timer.stop();
        if (end - lastTurn > longestGap) {
            longestGap = end - lastTurn;
            longestGapEnd = end;
        }
    }
};

double ms(qint64 ns) { return static_cast<double>(ns) / 1e6; }

// Clicks PROCESS and turns the event loop until the run has ended.
void processToEnd(QPushButton* processButton, const ProcessRun& run)
{
    QTest::mouseClick(processButton, Qt::LeftButton);
    while (run.isRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

QMainWindow* outputWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QStringLiteral("Form2") && top->isVisible())
            return qobject_cast<QMainWindow*>(top);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    std::vector<double> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atof(argv[i]));
    if (sizes.empty())
        sizes = {1, 10};

    AppState state;
    MainWindow form(state);
    form.show();
    auto* editor = form.findChild<CalculatorTextEdit*>(QStringLiteral("Text1"));
    auto* processButton = form.centralWidget()->findChild<QPushButton*>(QStringLiteral("Command1"));
    const ProcessRun& run = *form.findChild<ProcessRun*>();

    std::printf("%7s %11s %11s %9s %13s %7s %22s\n", "size MB", "1st run ms", "2nd run ms", "pass only", "longest gap",
                "turns", "cancel->stop/hide ms");
    for (double megabytes : sizes) {
        const std::string text = wordText(static_cast<std::size_t>(megabytes * 1024 * 1024), 12345);
        editor->setText(text);

        // Two complete runs: into a window never shown, then into the Done
        // window of the first. The event-loop watch covers both.
        LoopWatch watch;
        watch.start();
        processToEnd(processButton, run);
        const qint64 firstRun = watch.clock.nsecsElapsed();
        const qint64 secondStart = watch.clock.nsecsElapsed();
        processToEnd(processButton, run);
        const qint64 secondRun = watch.clock.nsecsElapsed() - secondStart;
        watch.stop(watch.clock.nsecsElapsed());
        if (std::getenv("BENCH_VERBOSE") != nullptr)
            std::printf("  first run %.1f, second starts %.1f, longest gap ends %.1f ms\n", ms(firstRun),
                        ms(secondStart), ms(watch.longestGapEnd));

        // The line-break pass alone, without windows, for comparison.
        QElapsedTimer passClock;
        passClock.start();
        const PassResult alone = runLineBreakPass(text, state.settings, true);
        const qint64 firstPass = passClock.nsecsElapsed();
        // The output window, made by the first run.
        QMainWindow* window = outputWindow();
        if (window == nullptr) {
            std::fprintf(stderr, "no output window after the run\n");
            return 1;
        }
        auto* outputBox = window->findChild<CalculatorTextEdit*>(QStringLiteral("text2"));
        auto* progressBar = window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        auto* cancelButton = window->findChild<QPushButton*>(QStringLiteral("Command1"));
        if (alone.text != outputBox->text()) {
            std::fprintf(stderr, "the window shows another text than the pass makes\n");
            return 1;
        }
        if (!outputBox->isVisible() || window->windowTitle() != "Processed Text") {
            std::fprintf(stderr, "the run did not reach the Done state\n");
            return 1;
        }

        // Cancel clicked 100 ms into a run: the time until the progress bar
        // last moved, and until the window is hidden.
        qint64 cancelAt = -1;
        qint64 lastExamined = 0;
        QElapsedTimer cancelClock;
        const QMetaObject::Connection progressWatch = QObject::connect(
            progressBar, &QProgressBar::valueChanged, [&](int) { lastExamined = cancelClock.nsecsElapsed(); });
        QTimer::singleShot(100, window, [&] {
            cancelAt = cancelClock.nsecsElapsed();
            QTest::mouseClick(cancelButton, Qt::LeftButton);
        });
        cancelClock.start();
        processToEnd(processButton, run);
        const qint64 cancelEnd = cancelClock.nsecsElapsed();
        const bool cancelled = !window->isVisible();
        QObject::disconnect(progressWatch);
        QCoreApplication::processEvents();  // a timer a short run left behind
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QByteArray cancelText("(run ended first)");
        if (cancelled && cancelAt >= 0)
            cancelText = QByteArray::number(ms(std::max<qint64>(0, lastExamined - cancelAt)), 'f', 2) + " / "
                         + QByteArray::number(ms(cancelEnd - cancelAt), 'f', 1);
        std::printf("%7.1f %11.1f %11.1f %9.1f %10.2f ms %7ld %22s\n", megabytes, ms(firstRun), ms(secondRun),
                    ms(firstPass), ms(watch.longestGap), watch.turns, cancelText.constData());
    }
    return 0;
}
