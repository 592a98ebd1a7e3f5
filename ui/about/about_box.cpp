#include "ui/about/about_box.h"

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>

#include "ui/app_icon.h"
#include "ui/app_state.h"
#include "ui/fonts.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

constexpr int kClientWidth = 5730;  // twips
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
QFrame* separatorLine(QWidget* parent, const char* name, QColor colour, int x1, int x2, int y, int thickness)
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

QString AboutBox::descriptionText()
{
    return QStringLiteral(
        "For use with Folivane version 2.1 (or higher), Text Editor and any other 89/92+ "
        "editor.\r\n\r\n"
        "Use this program to accelerate creation of your NEAT Text Files. Once typed-up, click "
        "PROCESS, copy the text to the clipboard and paste it into a data file in "
        "'GraphLink (c) TI'");
}

QString AboutBox::disclaimerText()
{
    return QStringLiteral(
        "Do not use the Processed text files with Folivane 2.0. New features won't work with "
        "the older version. When Distributing Folivane Text Files, be sure to mention what "
        "Folivane version to be used for reading.");
}

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(platformSysInfoServices())
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(false);
    setSizeGripEnabled(false);
    // fitTexts makes the font smaller where the texts need it.
    setFont(dialogFont(kFontPoints));
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    move(twipsToPixels(kScreenLeft), twipsToPixels(kScreenTop));
    buildControls();
    setWindowTitle(QStringLiteral("About ") + applicationTitle());
    titleLabel_->setText(applicationTitle());
}

void AboutBox::buildControls()
{
    // The separator lines first: they lie under the controls.
    separatorLines_[1] = separatorLine(this, "Line1_1", QColor(0x80, 0x80, 0x80), 90, 5654, 2445, 1);
    separatorLines_[0] = separatorLine(this, "Line1_0", Qt::white, 105, 5654, 2460, 2);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("cmdOK"));
    okButton_->setGeometry(twipsRect(4245, 2625, 1260, 345));
    okButton_->setDefault(true);

    iconLabel_ = new QLabel(this);
    iconLabel_->setObjectName(QStringLiteral("picIcon"));
    iconLabel_->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    iconLabel_->setAlignment(Qt::AlignCenter);
    iconLabel_->setPixmap(appIconPixmap());
    iconLabel_->setGeometry(twipsRect(240, 240, 540, 540));

    sysInfoButton_ = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfoButton_->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfoButton_->setGeometry(twipsRect(4260, 3075, 1245, 345));

    descriptionLabel_ = blackLabel(this, "lblDescription", twipsRect(1050, 720, 3885, 1650));
    disclaimerLabel_ = blackLabel(this, "lblDisclaimer", twipsRect(255, 2625, 3870, 825));
    disclaimerLabel_->setText(disclaimerText());
    titleLabel_ = blackLabel(this, "lblTitle", twipsRect(1050, 240, 3885, 480));

    // Tab order: OK, the icon, System Info, the description, the disclaimer,
    // the title (the picture and the labels take no focus).
    setTabOrder(okButton_, iconLabel_);
    setTabOrder(iconLabel_, sysInfoButton_);
    setTabOrder(sysInfoButton_, descriptionLabel_);
    setTabOrder(descriptionLabel_, disclaimerLabel_);
    setTabOrder(disclaimerLabel_, titleLabel_);
    okButton_->setFocus(Qt::OtherFocusReason);

    connect(okButton_, &QPushButton::clicked, this, &AboutBox::acknowledge);
    connect(sysInfoButton_, &QPushButton::clicked, this, [this] { startSysInfo(services_, this); });
}

void AboutBox::setDescription(const QString& text)
{
    description_ = text;
    descriptionLabel_->setText(text);
    fitTexts();
}

void AboutBox::fitTexts()
{
    auto allFit = [this] {
        for (const QLabel* label : {titleLabel_, descriptionLabel_, disclaimerLabel_})
            if (label->heightForWidth(label->width()) > label->height())
                return false;
        return true;
    };
    QFont fitted = font();
    fitted.setPointSizeF(kFontPoints);
    setFont(fitted);
    while (!allFit() && fitted.pointSizeF() > kSmallestFontPoints) {
        fitted.setPointSizeF(fitted.pointSizeF() - 0.25);
        setFont(fitted);
    }
}

void AboutBox::showEvent(QShowEvent* event)
{
    fitTexts();
    QDialog::showEvent(event);
}

void AboutBox::setCredit(const QString& text) { titleLabel_->setText(text); }

void AboutBox::acknowledge()
{
    close();
    emit dismissed();
}

void AboutBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        okButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tessaline
