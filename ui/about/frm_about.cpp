#include "ui/about/frm_about.h"

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QShowEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>

#include "ui/app_icon.h"
#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

constexpr int kClientWidth = 5730;   // twips
constexpr int kClientHeight = 3555;
constexpr int kScreenLeft = 2340;
constexpr int kScreenTop = 1935;
constexpr double kFontPoints = 8.0;
constexpr double kSmallestFontPoints = 6.0;

QLabel* blackLabel(QWidget* parent, const char* name, QRect geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setGeometry(geometry);
    return label;
}

// A line of the etched separator: a filled strip `thickness` pixels high
// from twips (x1, y) to (x2, y), both ends included.
QFrame* separatorLine(QWidget* parent, const char* name, QColor colour, int x1, int x2, int y,
                      int thickness)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    const int left = twipsToPixels(x1);
    line->setGeometry(left, twipsToPixels(y), twipsToPixels(x2) - left + 1, thickness);
    return line;
}

}  // namespace

QString frmAbout::descriptionText()
{
    return QStringLiteral(
        "For use with Folivane version 2.1 (or higher), Text Editor and any other 89/92+ "
        "editor.\r\n\r\n"
        "Use this program to accelerate creation of your NEAT Text Files. Once typed-up, click "
        "PROCESS, copy the text to the clipboard and paste it into a data file in "
        "'GraphLink (c) TI'");
}

QString frmAbout::disclaimerText()
{
    return QStringLiteral(
        "Do not use the Processed text files with Folivane 2.0. New features won't work with "
        "the older version. When Distributing Folivane Text Files, be sure to mention what "
        "Folivane version to be used for reading.");
}

frmAbout::frmAbout(AppState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      state_(state),
      services_(platformSysInfoServices(this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(false);
    setSizeGripEnabled(false);
    // The dialog font: MS Sans Serif 8 pt where it exists, a narrow sans
    // serif elsewhere (fitTexts makes it smaller where the texts need it).
    QFont dialogFont;
    dialogFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                            QStringLiteral("DejaVu Sans Condensed")});
    dialogFont.setStyleHint(QFont::SansSerif);
    dialogFont.setPointSizeF(kFontPoints);
    setFont(dialogFont);
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    move(twipsToPixels(kScreenLeft), twipsToPixels(kScreenTop));
    buildControls();
    Form_Load();
}

void frmAbout::buildControls()
{
    // The separator lines first: they lie under the controls.
    Line1[1] = separatorLine(this, "Line1_1", QColor(0x80, 0x80, 0x80), 90, 5654, 2445, 1);
    Line1[0] = separatorLine(this, "Line1_0", Qt::white, 105, 5654, 2460, 2);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(appIconPixmap());
    picIcon->setGeometry(twipsRect(240, 240, 540, 540));

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(twipsRect(4260, 3075, 1245, 345));

    lblDescription = blackLabel(this, "lblDescription", twipsRect(1050, 720, 3885, 1650));
    lblDisclaimer = blackLabel(this, "lblDisclaimer", twipsRect(255, 2625, 3870, 825));
    lblDisclaimer->setText(disclaimerText());
    lblTitle = blackLabel(this, "lblTitle", twipsRect(1050, 240, 3885, 480));

    // Tab order: cmdOK, picIcon, cmdSysInfo, lblDescription, lblDisclaimer,
    // lblTitle (the picture and the labels take no focus).
    setTabOrder(cmdOK, picIcon);
    setTabOrder(picIcon, cmdSysInfo);
    setTabOrder(cmdSysInfo, lblDescription);
    setTabOrder(lblDescription, lblDisclaimer);
    setTabOrder(lblDisclaimer, lblTitle);
    cmdOK->setFocus(Qt::OtherFocusReason);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::setDescription(const QString& text)
{
    description_ = text;
    lblDescription->setText(text);
    fitTexts();
}

void frmAbout::fitTexts()
{
    auto allFit = [this] {
        for (const QLabel* label : {lblTitle, lblDescription, lblDisclaimer})
            if (label->heightForWidth(label->width()) > label->height())
                return false;
        return true;
    };
    QFont dialogFont = font();
    dialogFont.setPointSizeF(kFontPoints);
    setFont(dialogFont);
    while (!allFit() && dialogFont.pointSizeF() > kSmallestFontPoints) {
        dialogFont.setPointSizeF(dialogFont.pointSizeF() - 0.25);
        setFont(dialogFont);
    }
}

void frmAbout::showEvent(QShowEvent* event)
{
    fitTexts();
    QDialog::showEvent(event);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + applicationTitle());
    lblTitle->setText(applicationTitle());
}

void frmAbout::cmdOK_Click()
{
    QPointer<Form1> main = qobject_cast<Form1*>(parentWidget());
    close();
    if (main && main->Text1) {
        main->activateWindow();
        main->Text1->setFocus(Qt::OtherFocusReason);
    }
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

bool frmAbout::GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName,
                           const QString& SubKeyRef, QString& KeyVal)
{
    if (!services_.registry) {
        KeyVal.clear();
        return false;
    }
    return tessaline::GetKeyValue(*services_.registry, KeyRoot, KeyName, SubKeyRef, KeyVal);
}

void frmAbout::StartSysInfo()
{
    tessaline::StartSysInfo(services_);
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form1::about_Click()
{
    if (!aboutBox_) {
        auto* box = new frmAbout(state_, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        // Unloaded by OK or the close box: the next opening loads it afresh,
        // even before the closed box has been deleted.
        connect(box, &QDialog::finished, this, [this, box] {
            if (aboutBox_ == box)
                aboutBox_ = nullptr;
        });
        aboutBox_ = box;
    }
    aboutBox_->lblTitle->setText(state_.AppCredit);
    aboutBox_->setDescription(frmAbout::descriptionText());
    aboutBox_->show();
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

}  // namespace tessaline
