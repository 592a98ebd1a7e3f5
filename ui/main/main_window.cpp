#include "ui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "charset/replaced_message.h"
#include "engine/char_widths.h"
#include "engine/line_settings.h"
#include "hyphenation/languages.h"
#include "ui/about/about_box_owner.h"
#include "ui/app_icon.h"
#include "ui/app_state.h"
#include "ui/dialogs.h"
#include "ui/document/document_file.h"
#include "ui/document/document_task.h"
#include "ui/document/safe_save.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/editor/shown_text.h"
#include "ui/fonts.h"
#include "ui/main/frame_style.h"
#include "ui/main/hyphenation_menu.h"
#include "ui/main/palette.h"
#include "ui/process/process_run.h"
#include "ui/twips.h"
#include "ui/window_placement.h"

namespace tessaline {

namespace {

// The client area below the menu bar, and the part of the window's outer
// height that is not client area (caption, borders and menu bar of the
// window the layout was drawn for: 6360 outer for 5700 client).
constexpr int kClientHeightTwips = 5700;
constexpr int kOuterHeightTwips = 6360;
constexpr int kNonClientHeightTwips = kOuterHeightTwips - kClientHeightTwips;
// The outer height with the palette collapsed to its title line.
constexpr int kCollapsedOuterHeightTwips = 5295;

// The editor below the markup tools, or over them while they are hidden.
constexpr int kEditorTopTwips = 840;
constexpr int kEditorHeightTwips = 2535;
constexpr int kEditorTopWithoutToolsTwips = 0;
constexpr int kEditorHeightWithoutToolsTwips = 3375;

// The palette frame, open and collapsed; its buttons, small and big.
constexpr int kPaletteHeightTwips = 1335;
constexpr int kCollapsedPaletteHeightTwips = 255;
constexpr int kPaletteButtonsPerRow = 23;
constexpr int kPaletteButtonPitchTwips = 360;
constexpr int kSmallPaletteButtonTwips = 255;
constexpr int kBigPaletteButtonTwips = 350;
constexpr double kSmallPalettePoints = 9.75;
constexpr double kBigPalettePoints = 13.5;
// The palette button that the tab order visits last, just before the
// palette check box.
constexpr std::size_t kLastInTabOrderPaletteButton = 39;

// The smallest editor font size the "-" button sets. Sizes of 0 or below
// have no meaning for a font, so the buttons stop at one point.
constexpr double kMinFontPoints = 1.0;

// The first preset that offers "Hide Tools", and the first that takes a
// custom size.
constexpr int kFirstPresetWithHideTools = 2;
constexpr int kFirstPresetWithCustomSize = 4;

using charset::kCr;
using charset::kLf;

const char* const kTextSizeTip = "change font size (doesn`t affect font within Folivane!";
const QString kTextFilter = QStringLiteral("Text (*.txt)");
// Open Text reads every kind of file it knows; the text filter comes first,
// as it always has, the books next.
const QString kOpenFilter = QStringLiteral(
    "Text (*.txt);;E-books and documents (*.epub *.odt *.docx *.html *.htm *.xhtml *.md *.markdown);;Rich Text "
    "(*.rtf);;Calculator text (*.89t *.9xt *.v2t *.89g *.9xg *.v2g);;All files (*)");

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, int left, int top, int width, int height)
{
    return place(new QGroupBox(caption, parent), name, left, top, width, height);
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, int left, int top, int width, int height)
{
    auto* l = place(new QLabel(caption, parent), name, left, top, width, height);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    return l;
}

// Moves a label's text down, within its given place, until it stands level
// with the text in the box beside it (a line edit centres its text).
void levelWithBox(QLabel& label, const QLineEdit& box)
{
    const QRect l = label.geometry();
    const QRect b = box.geometry();
    const int shift = (b.top() + b.bottom()) - (l.top() + l.bottom());  // twice the distance of the centres
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label.setContentsMargins(0, std::max(0, shift), 0, std::max(0, -shift));
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top, int width, int height)
{
    return place(new QPushButton(caption, parent), name, left, top, width, height);
}

QLineEdit* lineEdit(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    return place(new QLineEdit(parent), name, left, top, width, height);
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, int left, int top, int width, int height)
{
    return place(new QCheckBox(caption, parent), name, left, top, width, height);
}

// The argument of a command runs to the end of its line, so a line break in
// a box (pasted or set from code) cannot be part of it: it becomes a blank.
std::string argumentCodes(const QString& box)
{
    std::string codes = incomingCodes(box);
    std::string argument;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == kCr || codes[i] == kLf) {
            if (codes[i] == kCr && i + 1 < codes.size() && codes[i + 1] == kLf)
                ++i;
            argument += ' ';
        } else {
            argument += codes[i];
        }
    }
    return argument;
}

// A number as BASIC's Str$ writes it: a blank where a plus sign would stand,
// "." as the decimal point, no trailing zeros (sizes carry four places).
QString sizeAsCaptionNumber(double value)
{
    const double rounded = std::round(value * 10000.0) / 10000.0;
    QString digits = QString::number(std::fabs(rounded), 'f', 4);
    while (digits.endsWith(u'0'))
        digits.chop(1);
    if (digits.endsWith(u'.'))
        digits.chop(1);
    if (digits.startsWith(u"0."))
        digits.remove(0, 1);  // Str$ writes 0.5 as ".5"
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    return (rounded < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

QString shownPath(const QString& path) { return QDir::toNativeSeparators(path); }

// The wait cursor while a long file is read or written.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The editor gets an opened text in parts of this many code units, as many
// in a turn of the event loop as fit in kFillTurnMs.
constexpr qsizetype kFillPartUnits = 64 * 1024;
constexpr qint64 kFillTurnMs = 20;
// The shares of the progress bar: reading and decoding on the worker, then
// filling the editor.
constexpr int kReadShare = 70;
constexpr int kShownShare = 80;

}  // namespace

// An Open Text from the start of the read to the end of the editor's fill.
struct MainWindow::Opening {
    QString path;
    // Written by the worker, read after the task has finished.
    std::optional<DocumentContent> document;
    QString error;
    QString shown;      // the text as the editor shows it
    std::string codes;  // the codes of `shown`, as the editor gives them back
    // The fill.
    qsizetype filled = 0;
    double sizeBefore = 0;
    // Cancelled during the fill: the editor is given back this text.
    bool restoring = false;
    std::string before;
    bool modifiedBefore = false;
};

// A Save Text on the worker thread.
struct MainWindow::Saving {
    QString path;
    bool saved = false;  // written by the worker
    QString error;
};

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(std::make_shared<Dialogs>())
{
    setObjectName(QStringLiteral("Form1"));
    // "[*]" shows while the editor holds changes not saved (or opened) since.
    setWindowTitle(QStringLiteral("Tessaline[*]"));
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(dialogFont(8));

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    buildControls();
    setStackingAndTabOrder();
    connectControls();
    buildMenus();
    setOuterHeightTwips(kOuterHeightTwips);
    centreWindow(*this, availableScreenArea(*this), availableScreenArea(*this));

    run_ = new ProcessRun(state_, *this, dialogs_);
    connect(run_, &ProcessRun::finished, this, [this](bool completed) {
        // The keyboard goes back to the editor: its window becomes the active
        // one again, whatever the platform activates after the hide.
        if (!completed)
            giveEditorFocus();
    });
    connect(run_, &ProcessRun::outputWindowClosed, this, &MainWindow::giveEditorFocus);
    aboutBoxOwner_ = new AboutBoxOwner(*this, dialogs_);
    connect(aboutBoxOwner_, &AboutBoxOwner::dismissed, this, &MainWindow::giveEditorFocus);

    loadStartingState();
    processButton_->setFocus();
}

MainWindow::~MainWindow()
{
    // A worker still writing into opening_ or saving_ stops first.
    delete fileTask_;
    fileTask_ = nullptr;
    // The other windows are children of this one and go with it. The run
    // goes first: its pass stops before the dictionaries it reads are gone.
    delete run_;
    run_ = nullptr;
}

void MainWindow::setFileDialogs(std::shared_ptr<FileDialogs> dialogs) { dialogs_->files = std::move(dialogs); }
void MainWindow::setMessageBoxes(std::shared_ptr<MessageBoxes> boxes) { dialogs_->messages = std::move(boxes); }

void MainWindow::buildControls()
{
    QWidget* w = client_;

    // Line-length settings.
    presetFrame_ = frame(w, "Frame7", QStringLiteral("Desired Line Length"), 5160, 3360, 3255, 975);
    presetCombo_ = place(new QComboBox(presetFrame_), "Combo1", 120, 240, 3015, 315);
    presetCombo_->setEditable(false);
    for (const Preset& preset : presets())
        presetCombo_->addItem(
            QString::fromUtf8(preset.itemText.data(), static_cast<qsizetype>(preset.itemText.size())));
    presetCombo_->setCurrentIndex(-1);
    hideToolsCheck_ = checkBox(presetFrame_, "Check1", QStringLiteral("Hide Tools"), 2040, 600, 1095, 255);
    hideToolsCheck_->hide();
    customSizeEdit_ = lineEdit(presetFrame_, "Text2", 1080, 600, 855, 285);
    customSizeEdit_->hide();
    customSizeLabel_ = label(presetFrame_, "Label2", QStringLiteral("Custom Size"), 120, 600, 975, 255);
    customSizeLabel_->hide();

    // The editor.
    editor_ = place(new CalculatorTextEdit(w), "Text1", 0, kEditorTopTwips, 8415, kEditorHeightTwips);
    editor_->setFont(calculatorFont(9));
    editor_->document()->setDefaultFont(calculatorFont(9));
    placeEditor(kEditorTopTwips, kEditorHeightTwips);
    editor_->setText("Enter Text Here");
    // Tab goes on to the next control, as everywhere in the window;
    // Ctrl+Tab types a tab.
    editor_->setTabChangesFocus(true);

    // The width list: data, never shown.
    widthList_ = place(new QListWidget(w), "List1", 0, 0, 1695, 255);
    for (std::string_view width : widthStrings())
        widthList_->addItem(QString::fromLatin1(width.data(), static_cast<qsizetype>(width.size())));
    widthList_->setEnabled(false);
    widthList_->hide();

    // Text size.
    textSizeFrame_ = frame(w, "Frame6", QStringLiteral("Text Size (9)"), 0, 3360, 1575, 615);
    textSizeFrame_->setToolTip(QString::fromLatin1(kTextSizeTip));
    smallerTextButton_ = button(textSizeFrame_, "Command7", QStringLiteral("-"), 120, 240, 615, 255);
    smallerTextButton_->setToolTip(QString::fromLatin1(kTextSizeTip));
    smallerTextButton_->setFont(dialogFont(12));
    largerTextButton_ = button(textSizeFrame_, "Command6", QStringLiteral("+"), 840, 240, 615, 255);
    largerTextButton_->setToolTip(QString::fromLatin1(kTextSizeTip));
    largerTextButton_->setFont(dialogFont(12));

    buildPalette();

    processButton_ = button(w, "Command1", QStringLiteral("PROCESS"), 2640, 3600, 1935, 375);
    processButton_->setToolTip(QStringLiteral("Click here to Process Text"));

    // The markup tools.
    chapterFrame_ = frame(w, "Frame2", QStringLiteral("Insert New Chapter"), 1320, 120, 3975, 615);
    chapterButton_ = button(chapterFrame_, "Command2", QStringLiteral("Insert"), 3120, 240, 735, 255);
    chapterButton_->setToolTip(QStringLiteral("Commands need to be on a new line"));
    chapterTitleEdit_ = lineEdit(chapterFrame_, "Text6", 600, 240, 2415, 285);
    chapterTitleLabel_ = label(chapterFrame_, "Label7", QStringLiteral("Title"), 120, 240, 495, 255);

    pictureFrame_ = frame(w, "Frame3", QStringLiteral("Insert Picture"), 5400, 120, 3015, 615);
    pictureButton_ = button(pictureFrame_, "Command3", QStringLiteral("Insert"), 2040, 240, 855, 255);
    pictureButton_->setToolTip(QStringLiteral("Command needs to be on a new line"));
    pictureNameEdit_ = lineEdit(pictureFrame_, "Text7", 720, 240, 1215, 285);
    pictureNameEdit_->setMaxLength(8);
    pictureNameLabel_ = label(pictureFrame_, "Label8", QStringLiteral("Name"), 120, 240, 495, 255);

    pageBreakFrame_ = frame(w, "Frame4", QStringLiteral("Page Break"), 0, 120, 1215, 615);
    pageBreakButton_ = button(pageBreakFrame_, "Command4", QStringLiteral("Insert"), 240, 240, 735, 255);
    pageBreakButton_->setToolTip(QStringLiteral("Command needs to be on a new line"));

    // Over the editor while a file is read or written (placed by showFileWork).
    fileProgress_ = new QProgressBar(w);
    fileProgress_->setObjectName(QStringLiteral("FileProgress"));
    fileProgress_->setRange(0, 100);
    fileProgress_->hide();
    fileCancelButton_ = new QPushButton(QStringLiteral("Cancel"), w);
    fileCancelButton_->setObjectName(QStringLiteral("FileCancel"));
    fileCancelButton_->hide();
    fillTimer_ = new QTimer(this);
    fillTimer_->setInterval(0);

    widthListNote_ = label(
        w, "Label1", QStringLiteral("<- The sizes are stored in this hidden listbox. (I used it as a quick array)"),
        1800, 0, 2775, 495);
    widthListNote_->hide();

    auto* frameStyle = new FrameStyle;
    frameStyle->setParent(this);
    for (QGroupBox* box : {chapterFrame_, pictureFrame_, pageBreakFrame_, paletteFrame_, textSizeFrame_, presetFrame_})
        box->setStyle(frameStyle);
    paletteShownCheck_->setStyle(frameStyle);
    levelWithBox(*chapterTitleLabel_, *chapterTitleEdit_);
    levelWithBox(*pictureNameLabel_, *pictureNameEdit_);
}

void MainWindow::buildPalette()
{
    paletteFrame_ =
        frame(client_, "Frame5", QStringLiteral("     Special Characters"), 0, 4320, 8415, kPaletteHeightTwips);
    paletteShownCheck_ = checkBox(paletteFrame_, "Check3", QString(), 120, 0, 255, 195);
    paletteShownCheck_->setChecked(true);
    // Three rows: 23, 23 and 18 buttons.
    for (int i = 0; i < static_cast<int>(paletteButtons_.size()); ++i) {
        const int row = i / kPaletteButtonsPerRow;
        const int column = i % kPaletteButtonsPerRow;
        const QByteArray name = "Command5_" + QByteArray::number(i);
        QPushButton* b =
            place(new QPushButton(paletteFrame_), name.constData(), 120 + kPaletteButtonPitchTwips * column,
                  240 + kPaletteButtonPitchTwips * row, kSmallPaletteButtonTwips, kSmallPaletteButtonTwips);
        b->setFont(calculatorFont(kSmallPalettePoints));
        paletteButtons_[static_cast<std::size_t>(i)] = b;
    }
    bigButtonsCheck_ = checkBox(paletteFrame_, "Check2", QStringLiteral("Big Buttons"), 7080, 960, 1215, 255);
}

void MainWindow::setStackingAndTabOrder()
{
    // Stacking: a control listed earlier lies above the later ones, so
    // raising from the last to the first leaves the first on top.
    for (QWidget* c :
         std::initializer_list<QWidget*>{widthListNote_, pageBreakFrame_, pictureFrame_, chapterFrame_, processButton_,
                                         paletteFrame_, textSizeFrame_, widthList_, editor_, presetFrame_})
        c->raise();
    for (QWidget* c : std::initializer_list<QWidget*>{customSizeLabel_, customSizeEdit_, hideToolsCheck_, presetCombo_})
        c->raise();
    largerTextButton_->raise();
    smallerTextButton_->raise();
    bigButtonsCheck_->raise();
    for (auto b = paletteButtons_.rbegin(); b != paletteButtons_.rend(); ++b)
        (*b)->raise();
    paletteShownCheck_->raise();
    chapterTitleLabel_->raise();
    chapterTitleEdit_->raise();
    chapterButton_->raise();
    pictureNameLabel_->raise();
    pictureNameEdit_->raise();
    pictureButton_->raise();

    // Tab order: PROCESS first, then the markup tools, the palette, the text
    // size buttons, the editor, the line-length settings; one palette button
    // and the palette box come last.
    std::vector<QWidget*> chain = {processButton_,   chapterTitleEdit_, chapterButton_,
                                   pictureNameEdit_, pictureButton_,    pageBreakButton_};
    for (std::size_t i = 0; i < paletteButtons_.size(); ++i)
        if (i != kLastInTabOrderPaletteButton)
            chain.push_back(paletteButtons_[i]);
    for (QWidget* c : std::initializer_list<QWidget*>{
             largerTextButton_, smallerTextButton_, editor_, customSizeEdit_, hideToolsCheck_, presetCombo_,
             bigButtonsCheck_, paletteButtons_[kLastInTabOrderPaletteButton], paletteShownCheck_})
        chain.push_back(c);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

void MainWindow::connectControls()
{
    connect(editor_->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);
    // Enter on a focused button presses it, as Space does (Qt does that only
    // for buttons in dialogs unless told).
    for (QPushButton* b : client_->findChildren<QPushButton*>())
        b->setAutoDefault(true);

    connect(presetCombo_, &QComboBox::currentIndexChanged, this, &MainWindow::applyChosenPreset);
    connect(hideToolsCheck_, &QCheckBox::toggled, this, &MainWindow::applyHideTools);
    connect(bigButtonsCheck_, &QCheckBox::toggled, this, &MainWindow::applyBigButtons);
    connect(paletteShownCheck_, &QCheckBox::toggled, this, &MainWindow::applyPaletteShown);
    connect(processButton_, &QPushButton::clicked, this, &MainWindow::process);
    connect(chapterButton_, &QPushButton::clicked, this, &MainWindow::insertChapter);
    connect(pictureButton_, &QPushButton::clicked, this, &MainWindow::insertPicture);
    connect(pageBreakButton_, &QPushButton::clicked, this, &MainWindow::insertPageBreak);
    connect(fileCancelButton_, &QPushButton::clicked, this, &MainWindow::cancelFileWork);
    connect(fillTimer_, &QTimer::timeout, this, &MainWindow::fillStep);
    connect(largerTextButton_, &QPushButton::clicked, this, &MainWindow::enlargeText);
    connect(smallerTextButton_, &QPushButton::clicked, this, &MainWindow::reduceText);
    for (int i = 0; i < static_cast<int>(paletteButtons_.size()); ++i)
        connect(paletteButtons_[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { insertPaletteCharacter(i); });
    // Pasted text says what it lost, as an opened file does; typing stays silent.
    connect(editor_, &CalculatorTextEdit::pastedCharactersReplaced, this, &MainWindow::showReplacedCount);
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);

    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("file"));
    openAction_ = fileMenu_->addAction(QStringLiteral("&Open Text"));
    openAction_->setObjectName(QStringLiteral("load"));
    saveAction_ = fileMenu_->addAction(QStringLiteral("&Save Text"));
    saveAction_->setObjectName(QStringLiteral("save"));
    quitAction_ = fileMenu_->addAction(QStringLiteral("&Quit"));
    quitAction_->setObjectName(QStringLiteral("quit"));

    settingsMenu_ = bar->addMenu(QStringLiteral("&Settings"));
    settingsMenu_->setObjectName(QStringLiteral("settings"));
    // Checkable: a user's choice of the item toggles the check mark once,
    // and the run reads the mark at each break.
    wordWrapAction_ = settingsMenu_->addAction(QStringLiteral("Word Wrap"));
    wordWrapAction_->setObjectName(QStringLiteral("wrap"));
    wordWrapAction_->setCheckable(true);
    wordWrapAction_->setChecked(true);
    hyphenationMenu_ = new HyphenationMenu(*settingsMenu_, state_, hyphenation::findLanguages(), this);
    connect(hyphenationMenu_, &HyphenationMenu::loadFailed, this, &MainWindow::showFailure);

    // A bar item without a menu: choosing it acts at once.
    aboutAction_ = bar->addAction(QStringLiteral("&About"));
    aboutAction_->setObjectName(QStringLiteral("about"));

    connect(openAction_, &QAction::triggered, this, &MainWindow::openText);
    connect(saveAction_, &QAction::triggered, this, &MainWindow::saveText);
    connect(quitAction_, &QAction::triggered, this, [this] {
        if (mayEnd())
            quit();
    });
    connect(aboutAction_, &QAction::triggered, this, &MainWindow::showAbout);
}

int MainWindow::menuBarHeight() const
{
    QMenuBar* bar = menuBar();
    return std::max(bar->sizeHint().height(), bar->minimumSizeHint().height());
}

void MainWindow::setOuterHeightTwips(int height)
{
    const int clientWidth = twipsToPixels(kClientWidthTwips);
    const int clientHeight = std::max(0, twipsToPixels(height - kNonClientHeightTwips));
    client_->setFixedSize(clientWidth, clientHeight);
    setFixedSize(clientWidth, menuBarHeight() + clientHeight);
}

void MainWindow::placeEditor(int topTwips, int heightTwips)
{
    editor_->setTopTwips(topTwips);
    editor_->setHeightTwips(heightTwips);
}

void MainWindow::loadStartingState()
{
    state_.credit = QStringLiteral("Tessaline  by the Tessaline developers");
    presetCombo_->setCurrentIndex(0);  // applies the preset as a user's choice would
    state_.settings.measureInPixels = true;
    state_.settings.lineLimit = 160;

    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(widthList_->count()));
    for (int k = 0; k < widthList_->count(); ++k)
        items.push_back(widthList_->item(k)->text().toStdString());
    state_.settings.charWidths = loadCharWidths(items);

    for (std::size_t i = 0; i < paletteButtons_.size(); ++i)
        paletteButtons_[i]->setText(QString::fromStdU32String(std::u32string(charset::shown(kPaletteCodes[i]))));
}

void MainWindow::giveEditorFocus()
{
    activateWindow();
    editor_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showMessage(const QString& text)
{
    dialogs_->messages->show(this, MessageBoxes::Icon::Information, applicationTitle(), text);
}

void MainWindow::showFailure(const QString& text)
{
    dialogs_->messages->show(this, MessageBoxes::Icon::Warning, applicationTitle(), text);
}

void MainWindow::process()
{
    ProcessRun::Request request;
    request.text = editor_->text();
    request.preset = presetCombo_->currentIndex();
    request.customLength = customSizeEdit_->text().toStdString();
    request.wordWrap = [action = QPointer<QAction>(wordWrapAction_)] { return !action || action->isChecked(); };
    request.fontSize = [editor = QPointer<CalculatorTextEdit>(editor_)] { return editor ? editor->fontSize() : 9.0; };
    request.pictures = documentPictures_;
    run_->start(request);
}

void MainWindow::applyChosenPreset()
{
    const int index = presetCombo_->currentIndex();
    customSizeLabel_->hide();
    customSizeEdit_->hide();
    hideToolsCheck_->hide();
    if (index >= kFirstPresetWithHideTools)
        hideToolsCheck_->show();
    if (index >= kFirstPresetWithCustomSize) {
        customSizeLabel_->show();
        customSizeEdit_->show();
    }
    if (index < kFirstPresetWithHideTools) {
        placeEditor(kEditorTopTwips, kEditorHeightTwips);
        hideToolsCheck_->setChecked(false);  // shows the tools again when they were hidden
    }
    applyPreset(index, state_.settings);
}

void MainWindow::applyHideTools()
{
    if (hideToolsCheck_->isChecked())
        placeEditor(kEditorTopWithoutToolsTwips, kEditorHeightWithoutToolsTwips);
    else
        placeEditor(kEditorTopTwips, kEditorHeightTwips);
}

// The line-placement rule: the command goes on a line of its own, with a
// line break added in front only when the caret does not start a line, and
// one after only when the caret (or the first selected character) is not
// already at a line end. Both tests look at the editor before the insertion.
void MainWindow::insertCommandLine(const std::string& body)
{
    const std::string text = editor_->text();
    const std::size_t n = text.size();
    const std::size_t p = std::min(editor_->selStart(), n);

    const bool leading = p > 0 && text[p - 1] != kLf;
    const bool trailing = p < n && text[p] != kCr;

    std::string line;
    if (leading)
        line += {kCr, kLf};
    line += body;
    if (trailing)
        line += {kCr, kLf};

    editor_->replaceSelection(line);
    editor_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::insertChapter() { insertCommandLine("_CHA\r\n_TIL " + argumentCodes(chapterTitleEdit_->text())); }

void MainWindow::insertPicture() { insertCommandLine("_PIC " + argumentCodes(pictureNameEdit_->text())); }

void MainWindow::insertPageBreak() { insertCommandLine("_BRK"); }

void MainWindow::insertPaletteCharacter(int index)
{
    // The caption is the button's whole state: it is exactly the character.
    editor_->replaceSelection(incomingCodes(paletteButtons_[static_cast<std::size_t>(index)]->text()));
    editor_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::enlargeText()
{
    editor_->setFontSize(editor_->fontSize() + 1.0);
    showTextSize();
}

void MainWindow::reduceText()
{
    editor_->setFontSize(std::max(kMinFontPoints, editor_->fontSize() - 1.0));
    showTextSize();
}

void MainWindow::showTextSize()
{
    textSizeFrame_->setTitle(QStringLiteral("Font Size (") + sizeAsCaptionNumber(editor_->fontSize()) + u')');
}

void MainWindow::applyBigButtons()
{
    const bool big = bigButtonsCheck_->isChecked();
    const int size = twipsToPixels(big ? kBigPaletteButtonTwips : kSmallPaletteButtonTwips);
    const double points = big ? kBigPalettePoints : kSmallPalettePoints;
    for (QPushButton* button : paletteButtons_) {
        button->resize(size, size);
        QFont font = button->font();
        font.setPointSizeF(points);
        button->setFont(font);
    }
}

void MainWindow::applyPaletteShown()
{
    // The first button stays: it stands in the collapsed frame's title line.
    if (paletteShownCheck_->isChecked()) {
        paletteFrame_->resize(paletteFrame_->width(), twipsToPixels(kPaletteHeightTwips));
        setOuterHeightTwips(kOuterHeightTwips);
        for (std::size_t i = 1; i < paletteButtons_.size(); ++i)
            paletteButtons_[i]->setVisible(true);
    } else {
        for (std::size_t i = 1; i < paletteButtons_.size(); ++i)
            paletteButtons_[i]->setVisible(false);
        paletteFrame_->resize(paletteFrame_->width(), twipsToPixels(kCollapsedPaletteHeightTwips));
        setOuterHeightTwips(kCollapsedOuterHeightTwips);
    }
}

void MainWindow::openText()
{
    if (fileWorkRunning())
        return;
    const std::optional<QString> chosen = dialogs_->files->openFileName(this, kOpenFilter, state_.lastFileName);
    if (!chosen)
        return;  // cancelled: nothing is read, the last name stays
    state_.lastFileName = *chosen;
    startOpening(*chosen);
}

void MainWindow::startOpening(const QString& path)
{
    opening_ = std::make_unique<Opening>();
    opening_->path = path;
    Opening* opening = opening_.get();
    fileTask_ = new DocumentTask(
        [opening](const DocumentTask::Control& control) {
            // A file may ask for more memory than there is; the editor keeps
            // its text then, as it does for every other failure.
            try {
                ReadingSteps steps;
                steps.progress = [&control](int percent) { control.progress(percent * kReadShare / 100); };
                steps.cancelled = &control.cancelFlag();
                opening->document = readDocument(opening->path, &opening->error, steps);
                if (opening->document && !control.cancelled()) {
                    opening->shown = shownText(opening->document->codes);
                    std::string().swap(opening->document->codes);
                    opening->codes = codesOfText(opening->shown);
                    control.progress(kShownShare);
                }
            } catch (const std::bad_alloc&) {
                opening->document.reset();
                opening->error = QStringLiteral("There is not enough memory to open it.");
            } catch (const std::exception& failure) {
                opening->document.reset();
                opening->error = QString::fromLocal8Bit(failure.what());
            }
        },
        this);
    connect(fileTask_, &DocumentTask::progressed, fileProgress_, &QProgressBar::setValue);
    connect(fileTask_, &DocumentTask::finished, this, &MainWindow::finishReading);
    showFileWork(true);
}

void MainWindow::finishReading()
{
    const bool cancelled = fileTask_->isCancelled();
    fileTask_->deleteLater();
    fileTask_ = nullptr;
    Opening& opening = *opening_;
    if (cancelled || !opening.document) {
        const QString error = opening.error;
        const QString path = opening.path;
        opening_.reset();
        showFileWork(false);
        if (!cancelled)
            showFailure(QStringLiteral("Cannot open \"%1\".\n%2").arg(shownPath(path), error));
        emit openFinished();
        endIfAsked();
        return;
    }
    if (opening.codes.empty() && !opening.document->pictures.empty()) {
        // A file of pictures only: shown, the editor's text kept.
        const std::unique_ptr<Opening> pictures = std::move(opening_);
        showFileWork(false);
        showPictureFile(pictures->path, *pictures->document);
        emit openFinished();
        endIfAsked();
        return;
    }
    // The text is read: the editor takes it in parts, its own text kept
    // until the last one in case the open is cancelled meanwhile.
    opening.before = editor_->text();
    opening.modifiedBefore = editor_->document()->isModified();
    opening.sizeBefore = editor_->fontSize();
    editor_->beginFill();
    // The file's formatting replaces the box's too: an RTF document's size
    // becomes the whole box's size (set on the empty box, it costs nothing).
    if (opening.document->fontSizePoints)
        editor_->setFontSize(*opening.document->fontSizePoints);
    fillTimer_->start();
}

void MainWindow::fillStep()
{
    Opening& opening = *opening_;
    QElapsedTimer turn;
    turn.start();
    const qsizetype total = opening.shown.size();
    while (opening.filled < total && turn.elapsed() < kFillTurnMs) {
        const qsizetype part = std::min(kFillPartUnits, total - opening.filled);
        editor_->appendFill(QStringView(opening.shown).mid(opening.filled, part));
        opening.filled += part;
    }
    if (!opening.restoring && total > 0)
        fileProgress_->setValue(
            kShownShare + static_cast<int>(opening.filled * (100 - kShownShare) / std::max<qsizetype>(total, 1)));
    if (opening.filled >= total)
        finishOpening();
}

void MainWindow::finishOpening()
{
    fillTimer_->stop();
    std::unique_ptr<Opening> opening = std::move(opening_);
    editor_->endFill(std::move(opening->codes));
    showFileWork(false);
    if (opening->restoring) {
        // Cancelled: the editor holds its own text again, as it was.
        editor_->document()->setModified(opening->modifiedBefore);
        if (editor_->fontSize() != opening->sizeBefore)
            showTextSize();
        emit openFinished();
        endIfAsked();
        return;
    }
    DocumentContent& document = *opening->document;
    editor_->document()->setModified(false);
    documentPictures_.folder = QFile::encodeName(QFileInfo(opening->path).absolutePath()).toStdString();
    documentPictures_.images = std::move(document.pictures);
    if (editor_->fontSize() != opening->sizeBefore)
        showTextSize();
    if (!document.warning.isEmpty())
        showFailure(QStringLiteral("\"%1\" was opened, but:\n%2").arg(shownPath(opening->path), document.warning));
    showReplacedCount(document.replaced);
    emit openFinished();
    endIfAsked();
}

void MainWindow::showPictureFile(const QString& path, const DocumentContent& document)
{
    auto* box = new QDialog(this);
    box->setObjectName(QStringLiteral("pictureFile"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QFileInfo(path).fileName());
    auto* layout = new QVBoxLayout(box);
    auto* note = new QLabel(QStringLiteral("\"%1\" holds no text; it holds:").arg(shownPath(path)), box);
    note->setObjectName(QStringLiteral("pictureFileNote"));
    layout->addWidget(note);
    for (const PictureImage& image : document.pictures) {
        QImage picture;
        picture.loadFromData(reinterpret_cast<const uchar*>(image.bytes.data()), qsizetype(image.bytes.size()));
        auto* preview = new QLabel(box);
        preview->setPixmap(QPixmap::fromImage(picture));
        preview->setFrameShape(QFrame::Box);
        layout->addWidget(preview);
        auto* caption = new QLabel(QStringLiteral("The picture \"%1\", %2 x %3 pixels.")
                                       .arg(QString::fromStdString(image.name))
                                       .arg(picture.width())
                                       .arg(picture.height()),
                                   box);
        caption->setObjectName(QStringLiteral("pictureCaption"));
        layout->addWidget(caption);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, box);
    connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::close);
    layout->addWidget(buttons);
    box->show();
}

void MainWindow::showReplacedCount(std::size_t replaced)
{
    if (replaced > 0)
        showMessage(QString::fromStdString(charset::replacedMessage(replaced)) + QLatin1Char('.'));
}

bool MainWindow::saveText()
{
    if (fileWorkRunning())
        return false;
    const std::optional<QString> chosen = dialogs_->files->saveFileName(this, kTextFilter, state_.lastFileName);
    if (!chosen)
        return false;  // cancelled: nothing is written, the last name stays
    state_.lastFileName = *chosen;

    std::string codes = editor_->text();
    if (codes.size() >= kBackgroundSaveBytes) {
        saving_ = std::make_unique<Saving>();
        saving_->path = *chosen;
        Saving* saving = saving_.get();
        fileTask_ = new DocumentTask(
            [saving, codes = std::move(codes), points = editor_->fontSize()](const DocumentTask::Control& control) {
                try {
                    saving->saved = writeDocument(saving->path, codes, points, &saving->error, &control.cancelFlag());
                } catch (const std::bad_alloc&) {
                    saving->error = QStringLiteral("There is not enough memory to save it.");
                }
            },
            this);
        connect(fileTask_, &DocumentTask::finished, this, &MainWindow::finishSaving);
        showFileWork(true);
        return false;
    }
    QString error;
    bool saved = false;
    {
        const BusyCursor busy;
        saved = writeDocument(*chosen, codes, editor_->fontSize(), &error);
    }
    if (!saved) {
        showFailure(saveFailedMessage(*chosen, error));
        return false;
    }
    editor_->document()->setModified(false);
    return true;
}

void MainWindow::finishSaving()
{
    const bool cancelled = fileTask_->isCancelled();
    fileTask_->deleteLater();
    fileTask_ = nullptr;
    const std::unique_ptr<Saving> saving = std::move(saving_);
    showFileWork(false);
    if (saving->saved) {
        // A cancel that came after the file was written changes nothing.
        editor_->document()->setModified(false);
    } else {
        endAfterFileWork_ = false;  // the window stays with its text
        if (!cancelled)
            showFailure(saveFailedMessage(saving->path, saving->error));
    }
    emit saveFinished();
    endIfAsked();
}

void MainWindow::showFileWork(bool working)
{
    if (working) {
        // Across the middle of the editor, the Cancel button below the bar.
        const QRect box = editor_->geometry();
        const int barHeight = twipsToPixels(255);
        const int top = box.top() + (box.height() - 3 * barHeight) / 2;
        fileProgress_->setGeometry(box.left(), top, box.width(), barHeight);
        const int cancelWidth = twipsToPixels(1215);
        fileCancelButton_->setGeometry(box.left() + (box.width() - cancelWidth) / 2, top + 2 * barHeight, cancelWidth,
                                       barHeight);
        fileProgress_->setValue(0);
        fileProgress_->raise();
        fileCancelButton_->raise();
    }
    fileProgress_->setVisible(working);
    fileCancelButton_->setVisible(working);
    // Nothing changes the text meanwhile; the rest of the window answers.
    editor_->setReadOnly(working);
    for (QWidget* control : {static_cast<QWidget*>(processButton_), static_cast<QWidget*>(chapterButton_),
                             static_cast<QWidget*>(pictureButton_), static_cast<QWidget*>(pageBreakButton_)})
        control->setEnabled(!working);
    for (QPushButton* button : paletteButtons_)
        button->setEnabled(!working);
    openAction_->setEnabled(!working);
    saveAction_->setEnabled(!working);
    if (working)
        fileCancelButton_->setFocus(Qt::OtherFocusReason);
    else
        editor_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::cancelFileWork()
{
    if (fileTask_) {
        fileTask_->cancel();
        return;
    }
    if (!opening_ || opening_->restoring)
        return;
    // The fill had begun: the editor gets its own text back, in parts too.
    Opening& opening = *opening_;
    opening.restoring = true;
    opening.shown = shownText(opening.before);
    opening.codes = std::move(opening.before);
    opening.filled = 0;
    editor_->endFill({});
    editor_->beginFill();
    editor_->setFontSize(opening.sizeBefore);
    fileCancelButton_->setEnabled(false);
}

bool MainWindow::fileWorkRunning() const { return fileTask_ != nullptr || opening_ != nullptr; }

void MainWindow::endIfAsked()
{
    fileCancelButton_->setEnabled(true);
    if (!endAfterFileWork_)
        return;
    endAfterFileWork_ = false;
    if (mayEnd())
        quit();
}

void MainWindow::showAbout() { aboutBoxOwner_->open(state_.credit); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!mayEnd()) {
        event->ignore();
        return;
    }
    event->accept();
    quit();
}

bool MainWindow::mayEnd()
{
    if (fileWorkRunning()) {
        // An open is cancelled, a save finishes; then the question is asked
        // again.
        if (opening_)
            cancelFileWork();
        endAfterFileWork_ = true;
        return false;
    }
    if (editor_->document()->isModified()) {
        switch (dialogs_->messages->askToSave(this, applicationTitle(), QStringLiteral("Save changes to the text?"))) {
        case MessageBoxes::SaveAnswer::Save:
            if (!saveText()) {
                // A long text is saved on the worker: the question comes
                // again once it is saved.
                endAfterFileWork_ = saving_ != nullptr;
                return false;  // cancelled or failed: the text stays
            }
            break;
        case MessageBoxes::SaveAnswer::Discard:
            break;
        case MessageBoxes::SaveAnswer::Cancel:
            return false;
        }
    }
    return !run_->isSending()
           || dialogs_->messages->confirm(this, applicationTitle(),
                                          QStringLiteral("A text is being sent to the calculator. Quitting stops the "
                                                         "transfer and leaves part of the text on the calculator."),
                                          QStringLiteral("&Quit Anyway"));
}

void MainWindow::quit()
{
    // Everything ends now: a run in progress stops at its next character and
    // unwinds; the other windows go without their own closing steps.
    aboutBoxOwner_->close();
    run_->closeOutputWindow();
    hide();
    QCoreApplication::quit();
}

}  // namespace tessaline
