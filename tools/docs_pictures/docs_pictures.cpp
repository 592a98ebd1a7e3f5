// Draws every picture in docs/ with the real windows on the offscreen
// platform (QWidget::grab), so no display is needed. Not installed.
//   docs_pictures DOCS-DIR SAMPLE-TEXT SAMPLE-BOOK
// SAMPLE-TEXT is the text the output window pictures show processed,
// SAMPLE-BOOK the book the main window is shown with, opened.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadialGradient>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/file_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"
#include "ui/process/process_run.h"
#ifdef TESSALINE_HAVE_LINK
#include "link/calculator_link.h"
#endif

namespace {

using tessaline::AppState;
using tessaline::MainWindow;

// The widget of `window` with this object name, or the program's top-level
// window of that name (the output window and the about box have no owner).
template <typename W>
W* part(const QObject& window, const char* name)
{
    const QString objectName = QString::fromLatin1(name);
    W* found = window.findChild<W*>(objectName);
    for (QWidget* topLevel : QApplication::topLevelWidgets())
        if (found == nullptr && topLevel->objectName() == objectName)
            found = qobject_cast<W*>(topLevel);
    if (found == nullptr) {
        std::fprintf(stderr, "docs_pictures: no %s\n", name);
        std::exit(1);
    }
    return found;
}

class Pictures {
public:
    explicit Pictures(const QString& folder) : folder_(folder) {}

    void save(const QPixmap& picture, const char* name)
    {
        const QString path = QDir(folder_).filePath(QString::fromLatin1(name));
        if (picture.isNull() || !picture.save(path, "PNG")) {
            std::fprintf(stderr, "docs_pictures: cannot write %s\n", qPrintable(path));
            ok_ = false;
            return;
        }
        std::printf("wrote %s\n", qPrintable(path));
    }
    bool ok() const { return ok_; }

private:
    QString folder_;
    bool ok_ = true;
};

void showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
}

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
    QApplication::processEvents();
}

// The main window right after start-up.
void drawStartUp(Pictures& pictures)
{
    AppState state;
    MainWindow window(state);
    window.show();
    QApplication::processEvents();
    pictures.save(window.grab(), "main-window.png");
}

// The palette with big buttons, then collapsed.
void drawPaletteSettings(Pictures& pictures)
{
    AppState state;
    MainWindow window(state);
    showActive(window);
    auto* bigButtons = part<QCheckBox>(window, "Check2");
    click(bigButtons);
    pictures.save(window.grab(), "main-window-big-buttons.png");
    click(bigButtons);
    click(part<QCheckBox>(window, "Check3"));
    pictures.save(window.grab(), "main-window-collapsed.png");
}

void drawAboutBox(Pictures& pictures)
{
    AppState state;
    MainWindow window(state);
    showActive(window);
    part<QAction>(window, "about")->trigger();
    auto* box = part<QDialog>(window, "frmAbout");
    if (!QTest::qWaitFor([box] { return QApplication::activeWindow() == box; }, 2000))
        std::fputs("docs_pictures: the about box did not become active\n", stderr);
    pictures.save(box->grab(), "about-box.png");
    box->close();
}

// Watches for the output window to show and, when its progress bar passes
// 40 %, draws it.
class ProcessingPicture : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("Form2") && !bar_) {
            auto* output = static_cast<QWidget*>(watched);
            bar_ = part<QProgressBar>(*output, "ProgressBar1");
            connect(bar_, &QProgressBar::valueChanged, this, [this, output](int value) {
                if (picture_.isNull() && value * 10 >= bar_->maximum() * 4) {
                    QApplication::processEvents();
                    picture_ = output->grab();
                }
            });
        }
        return false;
    }
    const QPixmap& picture() const { return picture_; }

private:
    QPointer<QProgressBar> bar_;
    QPixmap picture_;
};

#ifdef TESSALINE_HAVE_LINK
// A SilverLink cable with a calculator that takes every variable, for the
// picture of a finished transfer.
class PicturedLink : public tessaline::CalculatorLink {
public:
    std::vector<tessaline::CableInfo> findCables() override { return {{"SilverLink", 1, "SilverLink, port 1"}}; }
    tessaline::SendResult send(const tessaline::SendRequest& request, const tessaline::ProgressCallback&,
                               const std::atomic<bool>*) override
    {
        const tessaline::SendPlan plan = tessaline::planSend(request);
        tessaline::SendResult result;
        result.status = tessaline::SendStatus::Sent;
        result.bytesSent = plan.totalBytes;
        std::string paths;
        for (const tessaline::LinkVariable& variable : plan.variables)
            paths += (paths.empty() ? "" : ", ") + variable.path();
        result.message = "Sent " + std::to_string(plan.totalBytes) + " bytes as " + paths + ".";
        return result;
    }
};
#endif

// Save as Calculator Text and Send to Calculator, opened from the output
// window.
void drawCalculatorDialogs(Pictures& pictures, tessaline::OutputWindow& output)
{
    part<QAction>(output, "saveCalculatorText")->trigger();
    auto* calcDialog = part<QDialog>(output, "calculatorTextDialog");
    QApplication::processEvents();
    pictures.save(calcDialog->grab(), "calculator-text-dialog.png");
    calcDialog->reject();
#ifdef TESSALINE_HAVE_LINK
    output.setCalculatorLink(std::make_shared<PicturedLink>());
    part<QAction>(output, "sendToCalculator")->trigger();
    auto* sendDialog = part<QDialog>(output, "sendDialog");
    // The cables are listed, and the transfer ends, on threads of their own.
    auto* send = part<QPushButton>(*sendDialog, "send");
    if (!QTest::qWaitFor([send] { return send->isEnabled(); }, 5000))
        std::fputs("docs_pictures: the pictured cables were not listed\n", stderr);
    click(send);
    if (!QTest::qWaitFor([send] { return send->isEnabled(); }, 5000))
        std::fputs("docs_pictures: the pictured transfer did not end\n", stderr);
    QApplication::processEvents();
    pictures.save(sendDialog->grab(), "send-dialog.png");
    sendDialog->reject();
#endif
}

// Save as Calculator Text for a text with pictures: one found beside the
// document (a shaded disc drawn here), one missing.
void drawPictureDialog(Pictures& pictures, tessaline::OutputWindow& output)
{
    QTemporaryDir folder;
    QImage disc(300, 200, QImage::Format_RGB32);
    disc.fill(Qt::white);
    QPainter painter(&disc);
    QRadialGradient shade(QPointF(120, 80), 110);
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, Qt::black);
    painter.setBrush(shade);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(150, 100), 95, 95);
    painter.end();
    disc.save(folder.filePath("moon.png"), "PNG");
    const std::string before = output.processedText().value_or(std::string());
    part<tessaline::CalculatorTextEdit>(output, "text2")
        ->setText("The moon rose\r\n_PIC moon\r\nover the sea\r\n_PIC sea\r\n");
    const tessaline::PictureSources sources = output.pictureSources();
    output.setPictureSources({QFile::encodeName(folder.path()).toStdString(), {}});
    part<QAction>(output, "saveCalculatorText")->trigger();
    auto* calcDialog = part<QDialog>(output, "calculatorTextDialog");
    QApplication::processEvents();
    pictures.save(calcDialog->grab(), "calculator-text-pictures.png");
    calcDialog->reject();
    QApplication::processEvents();
    output.setPictureSources(sources);
    part<tessaline::CalculatorTextEdit>(output, "text2")->setText(before);
}

// The Calculator Screen window, opened from the output window, at its
// first screen.
void drawCalculatorScreen(Pictures& pictures, tessaline::OutputWindow& output)
{
    part<QAction>(output, "calculatorScreen")->trigger();
    auto* preview = part<QWidget>(output, "calculatorScreen");
    QApplication::processEvents();
    pictures.save(preview->grab(), "calculator-screen.png");
    preview->close();
}

// The Open dialog answered with one file.
class OneFile : public tessaline::FileDialogs {
public:
    explicit OneFile(QString path) : path_(std::move(path)) {}
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override { return path_; }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&) override { return std::nullopt; }

private:
    QString path_;
};

// The main window with a book opened: its chapters and pictures as markup.
void drawOpenedBook(Pictures& pictures, const QString& book)
{
    AppState state;
    MainWindow window(state);
    window.setFileDialogs(std::make_shared<OneFile>(book));
    showActive(window);
    bool opened = false;
    QObject::connect(&window, &MainWindow::openFinished, [&opened] { opened = true; });
    part<QAction>(window, "load")->trigger();
    if (!QTest::qWaitFor([&opened] { return opened; }, 10000))
        std::fputs("docs_pictures: the book did not open\n", stderr);
    QApplication::processEvents();
    pictures.save(window.grab(), "main-window-book.png");
}

// The output window during a run and after it.
void drawOutputWindow(Pictures& pictures, const std::string& text)
{
    AppState state;
    MainWindow window(state);
    window.show();
    part<tessaline::CalculatorTextEdit>(window, "Text1")->setText(text);

    ProcessingPicture processing;
    qApp->installEventFilter(&processing);
    click(part<QPushButton>(window, "Command1"));
    // The run goes on after the click; the box fills at the turns of the loop.
    auto* run = window.findChild<tessaline::ProcessRun*>();
    if (!QTest::qWaitFor([run] { return !run->isRunning(); }, 120'000))
        std::fputs("docs_pictures: the run did not end\n", stderr);
    qApp->removeEventFilter(&processing);
    QApplication::processEvents();
    pictures.save(processing.picture(), "output-processing.png");
    pictures.save(part<QMainWindow>(window, "Form2")->grab(), "output-done.png");
    drawCalculatorDialogs(pictures, *part<tessaline::OutputWindow>(window, "Form2"));
    drawCalculatorScreen(pictures, *part<tessaline::OutputWindow>(window, "Form2"));
    drawPictureDialog(pictures, *part<tessaline::OutputWindow>(window, "Form2"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: docs_pictures DOCS-DIR SAMPLE-TEXT SAMPLE-BOOK\n", stderr);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QFile sample(QString::fromLocal8Bit(argv[2]));
    if (!sample.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "docs_pictures: cannot read %s\n", argv[2]);
        return 1;
    }
    const QByteArray bytes = sample.readAll();

    Pictures pictures(QString::fromLocal8Bit(argv[1]));
    drawStartUp(pictures);
    drawPaletteSettings(pictures);
    drawAboutBox(pictures);
    drawOpenedBook(pictures, QString::fromLocal8Bit(argv[3]));
    drawOutputWindow(pictures, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return pictures.ok() ? 0 : 1;
}
