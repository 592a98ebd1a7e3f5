// Measures how the windows answer with big texts (offscreen unless a platform
// is chosen, e.g. under xvfb-run with QT_QPA_PLATFORM=xcb): for an editor text
// of short lines, of long paragraphs and of one paragraph, and for the output
// of a run, the longest gap between two turns of the event loop while the
// window idles and while keys are pressed, and the time each key takes to be
// handled and painted; and, for Open Text of a long text file, the longest
// gap of the event loop from the click to the text in the editor, and how
// soon clicks on the main window are answered meanwhile. For a PROCESS run at
// preset 2 (lines of 23 characters at most) of a text of `output-lines` times
// 20 characters: the longest gap of the event loop during the run and how
// soon a click on the main window is answered meanwhile.
//
//   responsiveness_bench [megabytes] [output-lines] [open-megabytes]
//                                              (default: 10 1000000 50)
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/app_state.h"
#include "ui/document/document_file.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/file_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/process/process_run.h"

using namespace tessaline;

namespace {

double ms(qint64 ns) { return static_cast<double>(ns) / 1e6; }

// Words of 1 to 11 letters; `lineLength` > 0 ends a line after about that
// many characters, 0 never.
std::string makeText(std::size_t length, std::size_t lineLength, unsigned state = 7)
{
    std::string text;
    text.reserve(length + 16);
    std::size_t lineStart = 0;
    while (text.size() < length) {
        state = state * 1103515245u + 12345u;
        const unsigned wordLength = 1 + (state >> 16) % 11;
        for (unsigned i = 0; i < wordLength; ++i)
            text.push_back(static_cast<char>('a' + (state >> (i % 16)) % 26));
        if (lineLength > 0 && text.size() - lineStart >= lineLength) {
            text += "\r\n";
            lineStart = text.size();
        } else {
            text += ' ';
        }
    }
    text.resize(length);
    if (text.back() == '\r')
        text.back() = 'x';
    return text;
}

// Records the turns of the event loop (a 0 ms timer fires at every turn)
// and the longest time between two of them.
class LoopWatch {
public:
    LoopWatch()
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { turn(); });
    }
    void start()
    {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        timer_.start();
    }
    qint64 stop()
    {
        turn();
        timer_.stop();
        return longest_;
    }
    // Lets the event loop run for `msecs`.
    static void idle(int msecs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < msecs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

private:
    void turn()
    {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QElapsedTimer clock_;
    QTimer timer_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

// A key pressed in `box` until it is handled and the box repainted.
qint64 pressKey(QWidget* box, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, char text = 0)
{
    QElapsedTimer t;
    t.start();
    if (text != 0)
        QTest::keyClick(box, text, modifiers);
    else
        QTest::keyClick(box, key, modifiers);
    box->repaint();
    QCoreApplication::processEvents();
    return t.nsecsElapsed();
}

struct KeyFigures {
    qint64 longestKey = 0;
    qint64 medianKey = 0;
    qint64 longestGap = 0;
};

// Typing, deleting and moving at the start, the middle and the end of the box.
KeyFigures pressKeys(CalculatorTextEdit* box, bool typing)
{
    std::vector<qint64> keys;
    KeyFigures figures;
    LoopWatch watch;
    // The caret is placed between the watched stretches: only keys count.
    const std::size_t size = box->text().size();
    for (const std::size_t at : {std::size_t(0), size / 2, size}) {
        box->setSelStart(at);
        QCoreApplication::processEvents();
        watch.start();
        if (typing) {
            for (char c : std::string("word "))
                keys.push_back(pressKey(box, Qt::Key_unknown, Qt::NoModifier, c));
            keys.push_back(pressKey(box, Qt::Key_Return));
            keys.push_back(pressKey(box, Qt::Key_Backspace));
            keys.push_back(pressKey(box, Qt::Key_Backspace));
        }
        keys.push_back(pressKey(box, Qt::Key_Down));
        keys.push_back(pressKey(box, Qt::Key_PageDown));
        keys.push_back(pressKey(box, Qt::Key_PageUp));
        keys.push_back(pressKey(box, Qt::Key_Up));
        LoopWatch::idle(50);
        figures.longestGap = std::max(figures.longestGap, watch.stop());
    }
    watch.start();
    keys.push_back(pressKey(box, Qt::Key_End, Qt::ControlModifier));
    keys.push_back(pressKey(box, Qt::Key_Home, Qt::ControlModifier));
    if (typing)
        keys.push_back(pressKey(box, Qt::Key_Z, Qt::ControlModifier));
    LoopWatch::idle(200);
    figures.longestGap = std::max(figures.longestGap, watch.stop());
    std::sort(keys.begin(), keys.end());
    figures.longestKey = keys.back();
    figures.medianKey = keys[keys.size() / 2];
    return figures;
}

void printRow(const char* name, double megabytes, int blocks, qint64 setup, qint64 idleGap, const KeyFigures& keys)
{
    std::printf("%-16s %8.1f %9d %10.1f %12.2f %12.2f %12.2f %12.2f\n", name, megabytes, blocks, ms(setup), ms(idleGap),
                ms(keys.longestGap), ms(keys.medianKey), ms(keys.longestKey));
    std::fflush(stdout);
}

// The Open dialog answered with one file.
class OneFileDialogs : public FileDialogs {
public:
    explicit OneFileDialogs(QString path) : path_(std::move(path)) {}
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override { return path_; }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&) override { return std::nullopt; }

private:
    QString path_;
};

// Open Text of a text file of `megabytes` through the menu: from the click
// to the end of the open, the longest gap between two turns of the event
// loop, and a click posted to a check box of the window every 100 ms, timed
// from its posting to its handling.
void measureOpen(MainWindow& form, double megabytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.txt"));
    {
        const std::string text = makeText(static_cast<std::size_t>(megabytes * 1024 * 1024), 76);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    auto* editor = form.findChild<CalculatorTextEdit*>(QStringLiteral("Text1"));
    auto* check = form.centralWidget()->findChild<QCheckBox*>(QStringLiteral("Check2"));
    QAction* open = form.menuBar()->findChild<QAction*>(QStringLiteral("load"));
    form.setFileDialogs(std::make_shared<OneFileDialogs>(path));
    editor->setText("Enter Text Here");

    std::vector<qint64> answers;
    QElapsedTimer clock;
    qint64 posted = -1;
    QObject::connect(check, &QCheckBox::toggled, &form, [&] {
        if (posted >= 0)
            answers.push_back(clock.nsecsElapsed() - posted);
        posted = -1;
    });
    QTimer clicker;
    clicker.setInterval(100);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (posted >= 0)
            return;  // the last click is not answered yet
        const QPointF at(4, check->height() / 2.0);
        posted = clock.nsecsElapsed();
        QCoreApplication::postEvent(check, new QMouseEvent(QEvent::MouseButtonPress, at, check->mapToGlobal(at),
                                                           Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(check, new QMouseEvent(QEvent::MouseButtonRelease, at, check->mapToGlobal(at),
                                                           Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    });
    QEventLoop wait;
    QObject::connect(&form, &MainWindow::openFinished, &wait, &QEventLoop::quit);
    LoopWatch watch;
    clock.start();
    watch.start();
    clicker.start();
    open->trigger();
    const qint64 clickReturned = clock.nsecsElapsed();
    wait.exec();
    const qint64 total = clock.nsecsElapsed();
    const qint64 gap = watch.stop();
    clicker.stop();
    const bool opened = editor->text().size() == static_cast<std::size_t>(QFileInfo(path).size());
    std::sort(answers.begin(), answers.end());
    std::printf(
        "\nOpen Text of %.1f MB (%s): click returned after %.2f ms, open done after %.0f ms, longest gap "
        "%.2f ms;\n  %zu clicks on the window answered meanwhile, median %.2f ms, longest %.2f ms\n",
        megabytes, opened ? "opened" : "NOT opened", ms(clickReturned), ms(total), ms(gap), answers.size(),
        answers.empty() ? 0.0 : ms(answers[answers.size() / 2]), answers.empty() ? 0.0 : ms(answers.back()));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const long outputLines = argc > 2 ? std::atol(argv[2]) : 1'000'000;
    const double openMegabytes = argc > 3 ? std::atof(argv[3]) : 50.0;
    const auto bytes = static_cast<std::size_t>(megabytes * 1024 * 1024);

    AppState state;
    MainWindow form(state);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        std::fprintf(stderr, "the main window was not shown\n");
    auto* editor = form.findChild<CalculatorTextEdit*>(QStringLiteral("Text1"));
    auto* processButton = form.centralWidget()->findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* presetCombo = form.centralWidget()->findChild<QComboBox*>(QStringLiteral("Combo1"));

    std::printf("%-16s %8s %9s %10s %12s %12s %12s %12s\n", "case", "MB", "blocks", "setup ms", "idle gap ms",
                "keys gap ms", "key median", "key longest");
    struct EditorCase {
        const char* name;
        std::size_t lineLength;
    };
    for (const EditorCase& c :
         {EditorCase{"short lines", 76}, EditorCase{"long paragraphs", 1000}, EditorCase{"one paragraph", 0}}) {
        std::string text = makeText(bytes, c.lineLength);
        QElapsedTimer setup;
        setup.start();
        editor->setText(text);
        editor->setFocus();
        QCoreApplication::processEvents();
        const qint64 setupTime = setup.nsecsElapsed();
        LoopWatch idle;
        idle.start();
        LoopWatch::idle(1500);
        const qint64 idleGap = idle.stop();
        const KeyFigures keys = pressKeys(editor, true);
        printRow(c.name, static_cast<double>(text.size()) / (1024 * 1024), editor->document()->blockCount(), setupTime,
                 idleGap, keys);
    }

    // The output: lines of 23 characters at most from a text of short lines.
    presetCombo->setCurrentIndex(2);
    const std::string source = makeText(static_cast<std::size_t>(outputLines) * 20, 60);
    editor->setText(source);
    QCoreApplication::processEvents();
    // During the run, a click on PROCESS (which brings the output window
    // forward) is posted to the main window every 100 ms, as a user's click
    // arrives, and the time until it is handled recorded.
    std::vector<qint64> answers;
    QElapsedTimer posted;
    bool waiting = false;
    QObject::connect(processButton, &QPushButton::clicked, [&] {
        if (waiting) {
            answers.push_back(posted.nsecsElapsed());
            waiting = false;
        }
    });
    QTimer clicker;
    clicker.setInterval(100);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (waiting)
            return;
        const QPointF centre = QRectF(processButton->rect()).center();
        QCoreApplication::postEvent(processButton, new QMouseEvent(QEvent::MouseButtonPress, centre,
                                                                   processButton->mapToGlobal(centre), Qt::LeftButton,
                                                                   Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(processButton, new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                                   processButton->mapToGlobal(centre), Qt::LeftButton,
                                                                   Qt::NoButton, Qt::NoModifier));
        posted.start();
        waiting = true;
    });
    auto* run = form.findChild<ProcessRun*>();
    LoopWatch runWatch;
    runWatch.start();
    QElapsedTimer runClock;
    runClock.start();
    QTest::mouseClick(processButton, Qt::LeftButton);
    const qint64 clickTime = runClock.nsecsElapsed();
    clicker.start();
    while (run->isRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    const qint64 runTime = runClock.nsecsElapsed();
    clicker.stop();
    const qint64 runGap = runWatch.stop();
    QMainWindow* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QStringLiteral("Form2") && top->isVisible())
            window = qobject_cast<QMainWindow*>(top);
    if (window == nullptr) {
        std::fprintf(stderr, "no output window after the run\n");
        return 1;
    }
    auto* outputBox = window->findChild<CalculatorTextEdit*>(QStringLiteral("text2"));
    LoopWatch idle;
    idle.start();
    LoopWatch::idle(1500);
    const qint64 idleGap = idle.stop();
    const KeyFigures keys = pressKeys(outputBox, false);
    printRow("output", static_cast<double>(outputBox->text().size()) / (1024 * 1024),
             outputBox->document()->blockCount(), runTime, idleGap, keys);
    std::sort(answers.begin(), answers.end());
    std::printf(
        "(output: setup is the run from the PROCESS click to the Done state; the click returned after %.2f ms; "
        "the longest gap during the run was %.2f ms; %zu clicks on the main window during the run answered "
        "in %.2f ms median, %.2f ms at the longest)\n",
        ms(clickTime), ms(runGap), answers.size(), answers.empty() ? 0.0 : ms(answers[answers.size() / 2]),
        answers.empty() ? 0.0 : ms(answers.back()));

    measureOpen(form, openMegabytes);
    return 0;
}
