// The main window: its controls in their design state, the start-up steps,
// the preset box, "Hide Tools" and quitting.
#include "ui/main/form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionComplex>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_settings.h"
#include "richtext/charset.h"
#include "ui/about/frm_about.h"
#include "ui/app_icon.h"
#include "ui/app_state.h"
#include "ui/file_dialogs.h"
#include "ui/main/palette.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"
#include "ui/twips.h"

namespace tessaline {

namespace {

// The client area below the menu bar, and the part of the window's outer
// height that is not client area (caption, borders and menu bar of the
// window the layout was drawn for: 6360 outer for 5700 client).
constexpr int kClientWidthTwips = 8430;
constexpr int kClientHeightTwips = 5700;
constexpr int kOuterHeightTwips = 6360;
constexpr int kNonClientHeightTwips = kOuterHeightTwips - kClientHeightTwips;

const char* const kDialogFontFamily = "MS Sans Serif";
const char* const kCalculatorFontFamily = "Ti92Pluspc";
const char* const kTextSizeTip = "change font size (doesn`t affect font within Folivane!";

// The calculator font and the old dialog font are not on this system: the
// fonts that are stand in for them. DejaVu covers most of the calculator's
// characters; Symbola draws the rest (the arrows and symbols of codes 0-31).
void installFontSubstitutes()
{
    const auto add = [](const char* family, const QStringList& standIns) {
        const QString name = QString::fromLatin1(family);
        if (!QFont::substitutes(name).contains(standIns.front()))
            QFont::insertSubstitutions(name, standIns);
    };
    add(kCalculatorFontFamily, {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("DejaVu Sans"), QStringLiteral("Symbola")});
    add(kDialogFontFamily, {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("DejaVu Sans"), QStringLiteral("Symbola")});
}

QFont dialogFont(double points)
{
    QFont font(QString::fromLatin1(kDialogFontFamily));
    font.setPointSizeF(points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont calculatorFont(double points)
{
    QFont font(QString::fromLatin1(kCalculatorFontFamily));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

// Frames draw their caption a few pixels in from the left edge, as the
// layout assumes: "Special Characters" leaves its five leading blanks to the
// palette check box that stands at the start of its title line.
class FrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override
    {
        QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
        if (control == CC_GroupBox && sub == SC_GroupBoxLabel)
            r.translate(kTitleIndent, 0);
        return r;
    }
    // The palette box is 13 pixels high: its indicator fits in that.
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        if ((metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) && widget != nullptr &&
            widget->objectName() == QLatin1String("Check3"))
            return std::min(value, widget->height());
        return value;
    }
    static constexpr int kTitleIndent = 6;
};

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

}  // namespace

Form1::Form1(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(std::make_shared<QtFileDialogs>())
{
    installFontSubstitutes();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tessaline"));
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(dialogFont(8));

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    buildControls();
    auto* frameStyle = new FrameStyle;
    frameStyle->setParent(this);
    for (QGroupBox* box : {Frame2, Frame3, Frame4, Frame5, Frame6, Frame7})
        box->setStyle(frameStyle);
    Check3->setStyle(frameStyle);
    buildMenus();
    setOuterHeightTwips(kOuterHeightTwips);
    centerOnScreen();

    Form_Load();
    Command1->setFocus();
}

Form1::~Form1()
{
    // The other windows are children of this one and go with it; a run that
    // is still on the stack has been told to stop.
    state_.CancelRequested = true;
}

Form2* Form1::outputWindow() const { return form2_; }
frmAbout* Form1::aboutBox() const { return aboutBox_; }

void Form1::setFileDialogs(std::shared_ptr<FileDialogs> dialogs) { dialogs_ = std::move(dialogs); }
FileDialogs& Form1::fileDialogs() { return *dialogs_; }

void Form1::buildControls()
{
    QWidget* w = client_;

    // Line-length settings.
    Frame7 = frame(w, "Frame7", QStringLiteral("Desired Line Length"), 5160, 3360, 3255, 975);
    Combo1 = place(new QComboBox(Frame7), "Combo1", 120, 240, 3015, 315);
    Combo1->setEditable(false);
    for (const Preset& preset : presets())
        Combo1->addItem(QString::fromUtf8(preset.itemText.data(), static_cast<qsizetype>(preset.itemText.size())));
    Combo1->setCurrentIndex(-1);
    Check1 = checkBox(Frame7, "Check1", QStringLiteral("Hide Tools"), 2040, 600, 1095, 255);
    Check1->hide();
    Text2 = lineEdit(Frame7, "Text2", 1080, 600, 855, 285);
    Text2->hide();
    Label2 = label(Frame7, "Label2", QStringLiteral("Custom Size"), 120, 600, 975, 255);
    Label2->hide();

    // The editor.
    Text1 = place(new RichTextBox(w), "Text1", 0, 840, 8415, 2535);
    Text1->setFont(calculatorFont(9));
    Text1->document()->setDefaultFont(calculatorFont(9));
    Text1->setTopTwips(840);
    Text1->setHeightTwips(2535);
    Text1->setText("Enter Text Here");
    // Tab goes on to the next control, as everywhere in the window;
    // Ctrl+Tab types a tab.
    Text1->setTabChangesFocus(true);

    // The width list: data, never shown.
    List1 = place(new QListWidget(w), "List1", 0, 0, 1695, 255);
    for (std::string_view width : widthStrings())
        List1->addItem(QString::fromLatin1(width.data(), static_cast<qsizetype>(width.size())));
    List1->setEnabled(false);
    List1->hide();

    // Text size.
    Frame6 = frame(w, "Frame6", QStringLiteral("Text Size (9)"), 0, 3360, 1575, 615);
    Frame6->setToolTip(QString::fromLatin1(kTextSizeTip));
    Command7 = button(Frame6, "Command7", QStringLiteral("-"), 120, 240, 615, 255);
    Command7->setToolTip(QString::fromLatin1(kTextSizeTip));
    Command7->setFont(dialogFont(12));
    Command6 = button(Frame6, "Command6", QStringLiteral("+"), 840, 240, 615, 255);
    Command6->setToolTip(QString::fromLatin1(kTextSizeTip));
    Command6->setFont(dialogFont(12));

    // The special-character palette.
    Frame5 = frame(w, "Frame5", QStringLiteral("     Special Characters"), 0, 4320, 8415, 1335);
    Check3 = checkBox(Frame5, "Check3", QString(), 120, 0, 255, 195);
    Check3->setChecked(true);
    for (int i = 0; i < 64; ++i) {
        int row = 0;
        int column = i;
        if (i >= 46) {
            row = 2;
            column = i - 46;
        } else if (i >= 23) {
            row = 1;
            column = i - 23;
        }
        const QByteArray name = "Command5_" + QByteArray::number(i);
        QPushButton* b = place(new QPushButton(Frame5), name.constData(), 120 + 360 * column, 240 + 360 * row, 255, 255);
        b->setFont(calculatorFont(9.75));
        Command5[static_cast<std::size_t>(i)] = b;
    }
    Check2 = checkBox(Frame5, "Check2", QStringLiteral("Big Buttons"), 7080, 960, 1215, 255);

    // PROCESS.
    Command1 = button(w, "Command1", QStringLiteral("PROCESS"), 2640, 3600, 1935, 375);
    Command1->setToolTip(QStringLiteral("Click here to Process Text"));

    // The markup tools.
    Frame2 = frame(w, "Frame2", QStringLiteral("Insert New Chapter"), 1320, 120, 3975, 615);
    Command2 = button(Frame2, "Command2", QStringLiteral("Insert"), 3120, 240, 735, 255);
    Command2->setToolTip(QStringLiteral("Commands need to be on a new line"));
    Text6 = lineEdit(Frame2, "Text6", 600, 240, 2415, 285);
    Label7 = label(Frame2, "Label7", QStringLiteral("Title"), 120, 240, 495, 255);

    Frame3 = frame(w, "Frame3", QStringLiteral("Insert Picture"), 5400, 120, 3015, 615);
    Command3 = button(Frame3, "Command3", QStringLiteral("Insert"), 2040, 240, 855, 255);
    Command3->setToolTip(QStringLiteral("Command needs to be on a new line"));
    Text7 = lineEdit(Frame3, "Text7", 720, 240, 1215, 285);
    Text7->setMaxLength(8);
    Label8 = label(Frame3, "Label8", QStringLiteral("Name"), 120, 240, 495, 255);

    Frame4 = frame(w, "Frame4", QStringLiteral("Page Break"), 0, 120, 1215, 615);
    Command4 = button(Frame4, "Command4", QStringLiteral("Insert"), 240, 240, 735, 255);
    Command4->setToolTip(QStringLiteral("Command needs to be on a new line"));

    Label1 = label(w, "Label1",
                   QStringLiteral("<- The sizes are stored in this hidden listbox. (I used it as a quick array)"),
                   1800, 0, 2775, 495);
    Label1->hide();

    // Stacking: a control listed earlier lies above the later ones, so
    // raising from the last to the first leaves the first on top.
    for (QWidget* c : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Frame4), static_cast<QWidget*>(Frame3),
                       static_cast<QWidget*>(Frame2), static_cast<QWidget*>(Command1), static_cast<QWidget*>(Frame5),
                       static_cast<QWidget*>(Frame6), static_cast<QWidget*>(List1), static_cast<QWidget*>(Text1),
                       static_cast<QWidget*>(Frame7)})
        c->raise();
    for (QWidget* c : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(Text2), static_cast<QWidget*>(Check1),
                       static_cast<QWidget*>(Combo1)})
        c->raise();
    Command6->raise();
    Command7->raise();
    Check2->raise();
    for (int i = 63; i >= 0; --i)
        Command5[static_cast<std::size_t>(i)]->raise();
    Check3->raise();
    Label7->raise();
    Text6->raise();
    Command2->raise();
    Label8->raise();
    Text7->raise();
    Command3->raise();

    // Tab order: PROCESS first, then the markup tools, the palette, the text
    // size buttons, the editor, the line-length settings; button 39 of the
    // palette and the palette box come last.
    std::vector<QWidget*> chain = {Command1, Text6, Command2, Text7, Command3, Command4};
    for (int i = 0; i < 64; ++i)
        if (i != 39)
            chain.push_back(Command5[static_cast<std::size_t>(i)]);
    for (QWidget* c : {static_cast<QWidget*>(Command6), static_cast<QWidget*>(Command7),
                       static_cast<QWidget*>(Text1), static_cast<QWidget*>(Text2), static_cast<QWidget*>(Check1),
                       static_cast<QWidget*>(Combo1), static_cast<QWidget*>(Check2),
                       static_cast<QWidget*>(Command5[39]), static_cast<QWidget*>(Check3)})
        chain.push_back(c);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);

    // Enter on a focused button presses it, as Space does (Qt does that only
    // for buttons in dialogs unless told).
    for (QPushButton* b : client_->findChildren<QPushButton*>())
        b->setAutoDefault(true);

    // Responses.
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this](int) { Combo1_Click(); });
    connect(Check1, &QCheckBox::toggled, this, [this](bool) { Check1_Click(); });
    connect(Check2, &QCheckBox::toggled, this, [this](bool) { Check2_Click(); });
    connect(Check3, &QCheckBox::toggled, this, [this](bool) { Check3_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    for (int i = 0; i < 64; ++i)
        connect(Command5[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { Command5_Click(i); });
}

void Form1::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);

    file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("file"));
    load = file->addAction(QStringLiteral("&Open Text"));
    load->setObjectName(QStringLiteral("load"));
    save = file->addAction(QStringLiteral("&Save Text"));
    save->setObjectName(QStringLiteral("save"));
    quit = file->addAction(QStringLiteral("&Quit"));
    quit->setObjectName(QStringLiteral("quit"));

    settings = bar->addMenu(QStringLiteral("&Settings"));
    settings->setObjectName(QStringLiteral("settings"));
    wrap = settings->addAction(QStringLiteral("Word Wrap"));
    wrap->setObjectName(QStringLiteral("wrap"));
    wrap->setCheckable(true);
    wrap->setChecked(true);

    // A bar item without a menu: choosing it acts at once.
    about = bar->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("about"));

    connect(load, &QAction::triggered, this, [this] { load_Click(); });
    connect(save, &QAction::triggered, this, [this] { save_Click(); });
    connect(quit, &QAction::triggered, this, [this] { quit_Click(); });
    connect(wrap, &QAction::triggered, this, &Form1::wrap_Click);
    connect(about, &QAction::triggered, this, [this] { about_Click(); });
}

int Form1::menuBarHeight() const
{
    QMenuBar* bar = menuBar();
    return std::max(bar->sizeHint().height(), bar->minimumSizeHint().height());
}

void Form1::setOuterHeightTwips(int height)
{
    const int clientWidth = twipsToPixels(kClientWidthTwips);
    const int clientHeight = std::max(0, twipsToPixels(height - kNonClientHeightTwips));
    client_->setFixedSize(clientWidth, clientHeight);
    setFixedSize(clientWidth, menuBarHeight() + clientHeight);
}

void Form1::centerOnScreen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(available.center());
    move(frame.topLeft());
}

void Form1::Form_Load()
{
    state_.AppCredit = QStringLiteral("Tessaline  by the Tessaline developers");
    Combo1->setCurrentIndex(0);   // runs Combo1_Click as a user's choice would
    state_.settings.MeasureInPixels = true;
    state_.settings.LineLimit = 160;

    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(List1->count()));
    for (int k = 0; k < List1->count(); ++k)
        items.push_back(List1->item(k)->text().toStdString());
    state_.settings.CharWidths = loadCharWidths(items);

    for (std::size_t i = 0; i < Command5.size(); ++i)
        Command5[i]->setText(QString::fromStdU32String(std::u32string(charset::shown(kPaletteCodes[i]))));
}

void Form1::Combo1_Click()
{
    const int index = Combo1->currentIndex();
    Label2->hide();
    Text2->hide();
    Check1->hide();
    if (index > 1)
        Check1->show();
    if (index > 3) {
        Label2->show();
        Text2->show();
    }
    if (index < 2) {
        Text1->setTopTwips(840);
        Text1->setHeightTwips(2535);
        Check1->setChecked(false);   // runs Check1_Click when the state changes
    }
    applyPreset(index, state_.settings);
}

void Form1::Check1_Click()
{
    if (Check1->isChecked()) {
        Text1->setTopTwips(0);
        Text1->setHeightTwips(3375);
    } else {
        Text1->setTopTwips(840);
        Text1->setHeightTwips(2535);
    }
}

void Form1::quit_Click()
{
    Form_Unload();
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void Form1::Form_Unload()
{
    // Everything ends now: a run in progress stops at its next character and
    // unwinds; the other windows go without their own closing steps.
    state_.CancelRequested = true;
    if (frmAbout* box = aboutBox_) {
        aboutBox_ = nullptr;
        box->hide();
        box->deleteLater();
    }
    if (Form2* window = form2_) {
        window->hide();
        // A running pass still refers to its window; it goes with this one.
        if (!running_) {
            form2_ = nullptr;
            window->deleteLater();
        }
    }
    hide();
    QCoreApplication::quit();
}

}  // namespace tessaline
