#include "ui/output/form2.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <utility>

#include "richtext/charset.h"
#include "ui/app_state.h"
#include "ui/file_dialogs.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/module1.h"
#include "ui/output/windows_clipboard.h"
#include "ui/twips.h"

namespace tessaline {

namespace {

constexpr int kClientWidthTwips = 8430;
constexpr int kClientHeightTwips = 3105;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry, bool visible)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setVisible(visible);
    return label;
}

}  // namespace

Form2::Form2(Form1& owner, AppState& state)
    : QMainWindow(&owner, Qt::Window), owner_(owner), state_(state)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Fixed single border: a title bar with the system menu, minimize and
    // close, no maximize; the size is fixed below.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Processed Text"));
    messageSink = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::warning(parent, title, text);
    };
    // The captions are laid out for a small dialog font: 8 points.
    QFont dialogFont = font();
    dialogFont.setPointSizeF(8);
    setFont(dialogFont);
    buildControls();
}

void Form2::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    setCentralWidget(client);

    Label1 = makeLabel(client, "Label1", QStringLiteral("File Size"), twipsRect(2010, 0, 735, 255), false);
    Label2 = makeLabel(client, "Label2", QString(), twipsRect(2655, 0, 1245, 255), false);
    Label4 = makeLabel(client, "Label4", QString(), twipsRect(4320, 0, 855, 255), true);
    // The count stands against "Modifications"; the size keeps a small gap
    // after "File Size", whose box reaches into its own.
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setIndent(twipsToPixels(120));
    Label3 = makeLabel(client, "Label3", QStringLiteral("Modifications"), twipsRect(5280, 0, 975, 255), true);

    text2 = makeOutputBox();

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twipsRect(0, 1440, 8415, 255));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Command1 = new QPushButton(QStringLiteral("Cancel"), client);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(3608, 1680, 1215, 255));
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("file"));
    save = file->addAction(QStringLiteral("&Save Processed Text"));
    save->setObjectName(QStringLiteral("save"));
    copy = file->addAction(QStringLiteral("&Copy Text to Clipboard"));
    copy->setObjectName(QStringLiteral("copy"));
    connect(save, &QAction::triggered, this, &Form2::save_Click);
    connect(copy, &QAction::triggered, this, &Form2::copy_Click);

    // The menu bar keeps its height while the File menu is hidden, so the
    // client area stays where it is in every state.
    menuBar()->setFixedHeight(menuBar()->sizeHint().height());
    fitLabels();
    setFixedSize(client->width(), client->height() + menuBar()->height());
}

RichTextBox* Form2::makeOutputBox()
{
    auto* box = new RichTextBox(centralWidget());
    box->setObjectName(QStringLiteral("text2"));
    box->setGeometry(twipsRect(0, 360, 8415, 2655));
    QFont font(QStringLiteral("Ti92Pluspc"));
    font.setPointSizeF(9);
    font.setWeight(QFont::Normal);
    box->setFont(font);
    box->setFontSize(9);
    // No typing; selecting and copying with mouse or keyboard still work.
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setVisible(false);
    if (ProgressBar1 != nullptr)
        box->stackUnder(ProgressBar1);
    return box;
}

RichTextBox* Form2::renewOutputBox()
{
    disposeRetiredBox();
    RichTextBox* old = text2;
    text2 = makeOutputBox();
    if (old != nullptr) {
        old->hide();
        old->setObjectName(QString());   // findChild finds the new box only
        retired_ = old;
    }
    return text2;
}

void Form2::disposeRetiredBox()
{
    delete retired_.data();
}

void Form2::setResultCaptions(const QString& size, const QString& modifications)
{
    Label2->setText(size);
    Label4->setText(modifications);
    fitLabels();
}

void Form2::fitLabels()
{
    // The boxes have their laid-out place and width, or more where a caption
    // in the platform's font would be cut.
    const std::pair<QLabel*, int> labels[] = {{Label1, 735}, {Label2, 1245}, {Label4, 855}, {Label3, 975}};
    const int lefts[] = {2010, 2655, 4320, 5280};
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        const auto& [label, widthTwips] = labels[i];
        const int width = std::max(twipsToPixels(widthTwips), label->sizeHint().width());
        const int left = twipsToPixels(lefts[i]);
        if (Label4 == label)   // right-aligned against "Modifications"
            label->setGeometry(left + twipsToPixels(widthTwips) - width, label->y(), width, label->height());
        else
            label->setGeometry(left, label->y(), width, label->height());
    }
    // A long size would run into the modification count: the size and its
    // caption move left, as far as the window allows, to keep a gap.
    const int gap = twipsToPixels(120);
    const int sizeEnd = Label2->x() + Label2->sizeHint().width();
    const int countStart = Label4->x() + Label4->width() - Label4->sizeHint().width();
    const int shift = std::min(sizeEnd + gap - countStart, Label1->x());
    if (shift > 0) {
        Label1->move(Label1->x() - shift, Label1->y());
        Label2->move(Label2->x() - shift, Label2->y());
    }
}

void Form2::showProcessingState()
{
    text2->hide();
    Label1->hide();
    Label2->hide();
    Label3->hide();
    Label4->hide();
    ProgressBar1->show();
    Command1->show();
    file->menuAction()->setVisible(false);
    setWindowTitle(QStringLiteral("Processing..."));
}

void Form2::showDoneState(double fontSize)
{
    setWindowTitle(QStringLiteral("Processed Text"));
    Label1->show();
    Label2->show();
    Label3->show();
    Label4->show();
    ProgressBar1->hide();
    text2->setFontSize(fontSize);
    text2->setSelStart(0);
    text2->show();
    Command1->hide();
    file->menuAction()->setVisible(true);
}

void Form2::showCancelledState()
{
    setWindowTitle(QStringLiteral("Processed Text"));
    hide();
}

void Form2::showWarning(const QString& text)
{
    if (messageSink)
        messageSink(this, applicationTitle(), text);
}

void Form2::Command1_Click() { state_.CancelRequested = true; }

void Form2::save_Click()
{
    const std::optional<QString> chosen =
        owner_.fileDialogs().saveFileName(this, QStringLiteral("*.txt"), lastSaveName_);
    if (!chosen || chosen->isEmpty())
        return;   // a cancelled dialog writes nothing
    lastSaveName_ = *chosen;
    QString error;
    if (!text2->saveFile(*chosen, &error))
        showWarning(QStringLiteral("The processed text could not be saved to \"%1\": %2")
                        .arg(QDir::toNativeSeparators(*chosen), error));
}

void Form2::copy_Click()
{
    const std::string codes = text2->text();
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

void Form2::closeEvent(QCloseEvent* event)
{
    // Closing during a run cancels it; the run sees the window go away.
    if (ProcessRun::running(owner_))
        state_.CancelRequested = true;
    if (owner_.Text1 != nullptr) {
        owner_.activateWindow();
        owner_.Text1->setFocus(Qt::OtherFocusReason);
    }
    closed_ = true;
    event->accept();
}

void Form2::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        centreOnOwner();
    }
    QMainWindow::showEvent(event);
}

void Form2::centreOnOwner()
{
    const QRect ownerFrame = owner_.frameGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(ownerFrame.center());
    // Keep the title bar on the owner's screen.
    if (QScreen* screen = owner_.screen()) {
        const QRect available = screen->availableGeometry();
        if (frame.right() > available.right())
            frame.moveRight(available.right());
        if (frame.bottom() > available.bottom())
            frame.moveBottom(available.bottom());
        if (frame.left() < available.left())
            frame.moveLeft(available.left());
        if (frame.top() < available.top())
            frame.moveTop(available.top());
    }
    move(frame.topLeft());
}

}  // namespace tessaline
