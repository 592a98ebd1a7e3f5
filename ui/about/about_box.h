// The about box: the title-and-credit line, what the program is for, a
// warning about reader versions, OK and "&System Info...".
//
// Window kind: a modeless QDialog without an owner (AboutBoxOwner creates it
// with no parent and closes it with the main window), so the main window
// stays usable; it opens at its fixed screen position, not centred.
#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "ui/about/sysinfo.h"

class QFrame;
class QKeyEvent;
class QShowEvent;
class QLabel;
class QPushButton;

namespace tessaline {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    // The title line shows the application title until setCredit. The
    // system information lookup uses the platform's operations until
    // setServices.
    explicit AboutBox(QWidget* parent = nullptr);

    // The description as the box shows it, with its CR LF pair, and the
    // fixed disclaimer.
    static QString descriptionText();
    static QString disclaimerText();

    // The description currently set, exactly as set (CR LF included).
    QString description() const { return description_; }
    void setDescription(const QString& text);
    // The title-and-credit line.
    void setCredit(const QString& text);

    void setServices(SysInfoServices services) { services_ = std::move(services); }
    const SysInfoServices& services() const { return services_; }

signals:
    // OK was pressed (by mouse, Enter or Esc); the box is closed.
    void dismissed();

protected:
    // Esc presses OK, the cancel button (a plain QDialog would only hide).
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void acknowledge();
    // Chooses the largest dialog font, from 8 points down, at which every
    // label's text shows whole (the nearest font to MS Sans Serif may be wider).
    void fitTexts();

    QLabel* iconLabel_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLabel* descriptionLabel_ = nullptr;
    // The etched separator: the white line and the grey one above it.
    std::array<QFrame*, 2> separatorLines_{};
    QLabel* disclaimerLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* sysInfoButton_ = nullptr;

    SysInfoServices services_;
    QString description_;
};

}  // namespace tessaline
