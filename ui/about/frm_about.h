// The about box: the title-and-credit line, what the program is for, a
// warning about reader versions, OK and "&System Info...".
//
// Window kind: a QDialog owned by the main window (its parent). Ownership is
// what keeps it out of the task bar on Windows, X11 and macOS (a transient
// dialog); it stays modeless, so the main window remains usable, and it opens
// at its fixed screen position instead of centred over the owner.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

#include "ui/about/sysinfo.h"

class QFrame;
class QKeyEvent;
class QShowEvent;
class QLabel;
class QPushButton;

namespace tessaline {

struct AppState;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // Builds the controls in their layout, then runs Form_Load. The system
    // information lookup uses the platform's operations until setServices.
    explicit frmAbout(AppState& state, QWidget* parent = nullptr);

    // The description as the box shows it, with its CR LF pair, and the
    // fixed disclaimer.
    static QString descriptionText();
    static QString disclaimerText();

    // The description currently set, exactly as set (CR LF included).
    QString description() const { return description_; }
    void setDescription(const QString& text);

    void setServices(SysInfoServices services) { services_ = std::move(services); }
    const SysInfoServices& services() const { return services_; }

    // Reads one registry value as text through this box's registry (see the
    // free function of the same name).
    bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                     QString& KeyVal);
    // Finds and starts the system-information tool, or tells the user that it
    // is unavailable.
    void StartSysInfo();

    // Controls, by their layout names. Line1[0] is the white line, Line1[1]
    // the grey one (object names "Line1_0" and "Line1_1").
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblDescription = nullptr;
    std::array<QFrame*, 2> Line1{};
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

public slots:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

protected:
    // Esc clicks cmdOK, the cancel button (a plain QDialog would only hide).
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    // Chooses the largest dialog font, from 8 points down, at which every
    // label's text shows whole (the nearest font to MS Sans Serif may be wider).
    void fitTexts();

    [[maybe_unused]] AppState& state_;
    SysInfoServices services_;
    QString description_;
};

}  // namespace tessaline
