#include "ui/process/output_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>

#include <algorithm>
#include <utility>

#include "charset/charset.h"
#include "formats/calc_text_file.h"
#include "ui/app_state.h"
#include "ui/calculator/calculator_text_dialog.h"
#include "ui/calculator/picture_list.h"
#include "ui/counts.h"
#include "ui/dialogs.h"
#include "ui/document/document_file.h"
#include "ui/document/safe_save.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/fonts.h"
#include "ui/process/windows_clipboard.h"
#include "ui/twips.h"
#include "ui/window_placement.h"
#ifdef TESSALINE_HAVE_LINK
#include "link/ti_link.h"
#include "ui/calculator/send_dialog.h"
#endif

namespace tessaline {

namespace {

constexpr int kClientHeightTwips = 3105;

// The captions along the top: left edge and laid-out width, in twips.
struct CaptionPlace {
    int left;
    int width;
};
constexpr CaptionPlace kSizeCaptionPlace{2010, 735};
constexpr CaptionPlace kSizePlace{2655, 1245};
constexpr CaptionPlace kModificationsPlace{4320, 855};
constexpr CaptionPlace kModificationsCaptionPlace{5280, 975};
constexpr int kCaptionHeightTwips = 255;
// The gap between the size and what stands right of it.
constexpr int kCaptionGapTwips = 120;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, CaptionPlace place, bool visible)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(twipsRect(place.left, 0, place.width, kCaptionHeightTwips));
    label->setVisible(visible);
    return label;
}

// "Replace it?" for the files of `paths`, the first ten named.
QString replaceQuestion(const QStringList& paths)
{
    constexpr qsizetype kNamed = 10;
    if (paths.size() == 1)
        return QStringLiteral("\"%1\" already exists. Replace it?").arg(paths.front());
    QString names = QStringLiteral("\"%1\"").arg(paths.mid(0, kNamed).join(QStringLiteral("\", \"")));
    if (paths.size() > kNamed)
        names += QStringLiteral(" and %1 more").arg(formatCount(paths.size() - kNamed));
    return QStringLiteral("These %1 files already exist: %2. Replace them?").arg(formatCount(paths.size()), names);
}

}  // namespace

OutputWindow::OutputWindow(QWidget* parent, std::shared_ptr<const Dialogs> dialogs)
    : QMainWindow(parent, Qt::Window), dialogs_(std::move(dialogs))
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Fixed single border: a title bar with the system menu, minimize and
    // close, no maximize; the size is fixed below.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Processed Text"));
    // The captions are laid out for a small font: the application's font at
    // 8 points. (The dialog font of the other windows is narrower; the
    // captions keep the look they have always had.)
    QFont captionFont = font();
    captionFont.setPointSizeF(8);
    setFont(captionFont);
    buildControls();
    buildMenu();
    // The menu bar keeps its height while the File menu is hidden, so the
    // client area stays where it is in every state.
    menuBar()->setFixedHeight(menuBar()->sizeHint().height());
    fitLabels();
    setFixedSize(centralWidget()->width(), centralWidget()->height() + menuBar()->height());
}

void OutputWindow::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    setCentralWidget(client);

    sizeCaption_ = makeLabel(client, "Label1", QStringLiteral("File Size"), kSizeCaptionPlace, false);
    sizeLabel_ = makeLabel(client, "Label2", QString(), kSizePlace, false);
    modificationsLabel_ = makeLabel(client, "Label4", QString(), kModificationsPlace, true);
    // The count stands against "Modifications"; the size keeps a small gap
    // after "File Size", whose box reaches into its own.
    modificationsLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sizeLabel_->setIndent(twipsToPixels(kCaptionGapTwips));
    modificationsCaption_ =
        makeLabel(client, "Label3", QStringLiteral("Modifications"), kModificationsCaptionPlace, true);

    outputBox_ = makeOutputBox();

    progressBar_ = new QProgressBar(client);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setGeometry(twipsRect(0, 1440, 8415, 255));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);

    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), client);
    cancelButton_->setObjectName(QStringLiteral("Command1"));
    cancelButton_->setGeometry(twipsRect(3608, 1680, 1215, 255));
    connect(cancelButton_, &QPushButton::clicked, this, &OutputWindow::cancelPressed);
}

void OutputWindow::buildMenu()
{
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("file"));
    saveAction_ = fileMenu_->addAction(QStringLiteral("&Save Processed Text"));
    saveAction_->setObjectName(QStringLiteral("save"));
    copyAction_ = fileMenu_->addAction(QStringLiteral("&Copy Text to Clipboard"));
    copyAction_->setObjectName(QStringLiteral("copy"));
    connect(saveAction_, &QAction::triggered, this, &OutputWindow::saveProcessedText);
    connect(copyAction_, &QAction::triggered, this, &OutputWindow::copyToClipboard);
    QAction* calcAction = fileMenu_->addAction(QStringLiteral("Save as Calc&ulator Text…"));
    calcAction->setObjectName(QStringLiteral("saveCalculatorText"));
    connect(calcAction, &QAction::triggered, this, &OutputWindow::saveCalculatorText);
#ifdef TESSALINE_HAVE_LINK
    QAction* sendAction = fileMenu_->addAction(QStringLiteral("Sen&d to Calculator…"));
    sendAction->setObjectName(QStringLiteral("sendToCalculator"));
    connect(sendAction, &QAction::triggered, this, &OutputWindow::sendToCalculator);
#endif
    QAction* screenAction = fileMenu_->addAction(QStringLiteral("Calculator Sc&reen…"));
    screenAction->setObjectName(QStringLiteral("calculatorScreen"));
    connect(screenAction, &QAction::triggered, this, [this] { emit calculatorScreenRequested(outputBox_->text()); });
}

CalculatorTextEdit* OutputWindow::makeOutputBox()
{
    auto* box = new CalculatorTextEdit(centralWidget());
    box->setObjectName(QStringLiteral("text2"));
    box->setGeometry(twipsRect(0, 360, 8415, 2655));
    box->setFont(calculatorFont(9));
    box->setFontSize(9);
    // No typing; selecting and copying with mouse or keyboard still work.
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setVisible(false);
    return box;
}

void OutputWindow::renewOutputBox()
{
    disposeRetiredBox();
    CalculatorTextEdit* old = outputBox_;
    outputBox_ = makeOutputBox();
    outputBox_->stackUnder(progressBar_);
    prepareLayoutWidth(outputBox_);
    old->hide();
    old->setObjectName(QString());  // a lookup by name finds the new box only
    retired_ = old;
}

void OutputWindow::prepareLayoutWidth(CalculatorTextEdit* box)
{
    // The box lays every paragraph out afresh (a million lines take seconds)
    // whenever the width of its text area changes, and at its first showing.
    // Both happen here, while it is empty: it is shown once off screen with
    // the scroll bar a long text has, and showDoneState gives the bar back
    // its usual rule once the box is on screen.
    if (!isVisible())
        return;
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setAttribute(Qt::WA_DontShowOnScreen);
    box->show();
    box->hide();
    box->setAttribute(Qt::WA_DontShowOnScreen, false);
}

void OutputWindow::disposeRetiredBox() { delete retired_.data(); }

void OutputWindow::appendOutput(std::string_view codes) { outputBox_->replaceSelection(codes); }

void OutputWindow::setOutputUnbuilt(std::string codes) { outputBox_->setTextDeferred(std::move(codes)); }

void OutputWindow::showProgress(int value, int maximum)
{
    if (progressBar_->maximum() != maximum)
        progressBar_->setMaximum(maximum);
    progressBar_->setValue(value);
}

void OutputWindow::setResultCaptions(const QString& size, const QString& modifications)
{
    sizeLabel_->setText(size);
    modificationsLabel_->setText(modifications);
    fitLabels();
}

void OutputWindow::fitLabels()
{
    // The labels have their laid-out place and width, or more where a caption
    // in the platform's font would be cut.
    const std::pair<QLabel*, CaptionPlace> labels[] = {{sizeCaption_, kSizeCaptionPlace},
                                                       {sizeLabel_, kSizePlace},
                                                       {modificationsLabel_, kModificationsPlace},
                                                       {modificationsCaption_, kModificationsCaptionPlace}};
    for (const auto& [label, place] : labels) {
        const int width = std::max(twipsToPixels(place.width), label->sizeHint().width());
        const int left = twipsToPixels(place.left);
        if (label == modificationsLabel_)  // right-aligned against "Modifications"
            label->setGeometry(left + twipsToPixels(place.width) - width, label->y(), width, label->height());
        else
            label->setGeometry(left, label->y(), width, label->height());
    }
    // A long size would run into the modification count: the size and its
    // caption move left, as far as the window allows, to keep a gap.
    const int gap = twipsToPixels(kCaptionGapTwips);
    const int sizeEnd = sizeLabel_->x() + sizeLabel_->sizeHint().width();
    const int countStart =
        modificationsLabel_->x() + modificationsLabel_->width() - modificationsLabel_->sizeHint().width();
    const int shift = std::min(sizeEnd + gap - countStart, sizeCaption_->x());
    if (shift > 0) {
        sizeCaption_->move(sizeCaption_->x() - shift, sizeCaption_->y());
        sizeLabel_->move(sizeLabel_->x() - shift, sizeLabel_->y());
    }
}

void OutputWindow::showProcessingState()
{
    hasResult_ = false;
    outputBox_->hide();
    sizeCaption_->hide();
    sizeLabel_->hide();
    modificationsCaption_->hide();
    modificationsLabel_->hide();
    progressBar_->show();
    cancelButton_->show();
    fileMenu_->menuAction()->setVisible(false);
    setWindowTitle(QStringLiteral("Processing..."));
}

void OutputWindow::showDoneState(double fontSize)
{
    setWindowTitle(QStringLiteral("Processed Text"));
    sizeCaption_->show();
    sizeLabel_->show();
    modificationsCaption_->show();
    modificationsLabel_->show();
    progressBar_->hide();
    outputBox_->setFontSize(fontSize);
    outputBox_->setSelStart(0);
    outputBox_->show();
    outputBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    cancelButton_->hide();
    fileMenu_->menuAction()->setVisible(true);
    hasResult_ = true;
}

void OutputWindow::showCancelledState()
{
    hasResult_ = false;
    setWindowTitle(QStringLiteral("Processed Text"));
    hide();
}

void OutputWindow::showWarning(const QString& text)
{
    dialogs_->messages->show(this, MessageBoxes::Icon::Warning, applicationTitle(), text);
}

void OutputWindow::saveProcessedText()
{
    const std::optional<QString> chosen = dialogs_->files->saveFileName(this, QStringLiteral("*.txt"), lastSaveName_);
    if (!chosen || chosen->isEmpty())
        return;  // a cancelled dialog writes nothing
    lastSaveName_ = *chosen;
    QString error;
    if (!writeDocument(*chosen, outputBox_->text(), outputBox_->fontSize(), &error))
        showWarning(saveFailedMessage(*chosen, error));
}

void OutputWindow::copyToClipboard()
{
    const std::string codes = outputBox_->text();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const QString unicode = QString::fromStdU32String(charset::toUnicode(codes));
#ifdef Q_OS_WIN
    // Programs that read the 8-bit text format get the calculator codes
    // themselves (the link software pastes those), the others the Unicode text.
    if (putTextOnWindowsClipboard(unicode.toStdU16String(), codes))
        return;
#endif
    clipboard->setText(unicode);
}

std::string OutputWindow::calculatorName() const
{
    const QString& last = lastCalcSaveName_.isEmpty() ? lastSaveName_ : lastCalcSaveName_;
    return calcNameFromFileName(last.toStdString());
}

std::optional<std::string> OutputWindow::processedText() const
{
    if (!hasResult_)
        return std::nullopt;
    return outputBox_->text();
}

void OutputWindow::saveCalculatorText()
{
    const std::optional<std::string> codes = processedText();
    if (!codes)
        return;  // the menu is hidden while there is no result
    // A text the variables cannot hold (a character 0, a line too long for
    // any variable) is refused before anything is asked.
    const CalcSplit split = splitCalcText(*codes, "text");
    if (!split.ok) {
        showWarning(QString::fromStdString(split.error));
        return;
    }
    const std::size_t parts = split.variables.size();
    auto* dialog = new CalculatorTextDialog(this, calculatorName(), parts, calcMemoryUse(split.variables),
                                            makePictureList(*codes));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, parts] { writeCalculatorText(dialog->writeOptions(), parts, dialog->pictures()); });
    dialog->open();
}

PictureList* OutputWindow::makePictureList(const std::string& codes)
{
    auto chooser = [dialogs = dialogs_, folder = pictureSources_.folder](QWidget* parent, const QString& name) {
        const QString proposed = QDir(QFile::decodeName(folder.c_str())).filePath(name + QStringLiteral(".png"));
        return dialogs->files->openFileName(parent, QStringLiteral("Images (*.png *.jpg *.jpeg *.gif *.bmp)"),
                                            proposed);
    };
    return new PictureList(nullptr, codes, pictureSources_, chooser, Calculator::Ti89);
}

void OutputWindow::writeCalculatorText(const CalcWriteOptions& options, std::size_t partsOffered,
                                       const std::vector<CalcPicture>& pictures)
{
    // The main window stays usable while the dialog is open: the text saved
    // is the one the window shows now, and a text that changed the choices
    // the dialog offered is not saved with them.
    const std::optional<std::string> codes = processedText();
    if (!codes) {
        showWarning(QStringLiteral("The text is being processed; save it as calculator text once PROCESS has ended."));
        return;
    }
    const CalcWriteResult written = writeCalcText(*codes, options, pictures);
    if (!written.ok) {
        showWarning(QString::fromStdString(written.error));
        return;
    }
    const std::size_t parts = splitCalcText(*codes, options.name, options.folder).variables.size();
    if ((parts > 1) != (partsOffered > 1)) {
        showWarning(QStringLiteral("The processed text changed while the dialog was open and now needs %1; "
                                   "choose Save as Calculator Text again.")
                        .arg(parts == 1 ? QStringLiteral("one variable")
                                        : QStringLiteral("%1 variables").arg(formatCount(std::int64_t(parts)))));
        return;
    }
    const QString folder = QFileInfo(lastCalcSaveName_.isEmpty() ? lastSaveName_ : lastCalcSaveName_).path();
    const QString proposed = QDir(folder).filePath(QString::fromStdString(options.name) + '.'
                                                   + QString::fromStdString(calcFileExtension(options.format)));
    const std::optional<QString> chosen = dialogs_->files->saveFileName(this, calcFileFilter(options.format), proposed);
    if (!chosen || chosen->isEmpty())
        return;  // a cancelled dialog writes nothing
    const QString path = calcFilePath(*chosen, options.format);
    lastCalcSaveName_ = path;
    const QStringList paths = calcFilePaths(written, path);
    // The file dialog asked about the name it returned; every other file
    // that would be replaced is asked about here.
    QStringList existing;
    for (const QString& file : paths) {
        if (file != *chosen && QFileInfo::exists(file))
            existing << QDir::toNativeSeparators(file);
    }
    if (!existing.isEmpty()
        && !dialogs_->messages->confirm(this, applicationTitle(), replaceQuestion(existing),
                                        QStringLiteral("&Replace")))
        return;
    SaveFailure failure;
    if (!writeCalcFiles(written, paths, &failure))
        showWarning(saveFailedMessage(failure.path, failure.reason));
}

#ifdef TESSALINE_HAVE_LINK
void OutputWindow::setCalculatorLink(std::shared_ptr<CalculatorLink> link) { link_ = std::move(link); }

void OutputWindow::sendToCalculator()
{
    if (!link_)
        link_ = std::make_shared<TiLink>();
    auto* dialog = new SendDialog(
        this, link_,
        [window = QPointer<OutputWindow>(this)] { return window ? window->processedText() : std::nullopt; },
        calculatorName());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (const std::optional<std::string> codes = processedText())
        dialog->setPictures(makePictureList(*codes));
    sendDialog_ = dialog;
    dialog->open();
}
#endif

bool OutputWindow::isSending() const
{
#ifdef TESSALINE_HAVE_LINK
    return sendDialog_ && sendDialog_->isSending();
#else
    return false;
#endif
}

void OutputWindow::closeEvent(QCloseEvent* event)
{
    closed_ = true;
    event->accept();
    emit closed();
}

void OutputWindow::showEvent(QShowEvent* event)
{
    // The first showing opens the window over the one it belongs to.
    if (!placed_) {
        placed_ = true;
        if (QWidget* owner = parentWidget())
            centreWindow(*this, owner->frameGeometry(), availableScreenArea(*owner));
    }
    QMainWindow::showEvent(event);
}

}  // namespace tessaline
