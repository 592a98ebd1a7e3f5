#include "ui/about/about_box_owner.h"

#include "ui/about/about_box.h"
#include "ui/dialogs.h"

namespace tessaline {

AboutBoxOwner::AboutBoxOwner(QWidget& windowOwner, std::shared_ptr<const Dialogs> dialogs)
    : QObject(&windowOwner), dialogs_(std::move(dialogs))
{
}

AboutBoxOwner::~AboutBoxOwner() { delete box_.data(); }

void AboutBoxOwner::open(const QString& credit)
{
    if (!box_) {
        // A window of its own, without an owner (a dialog-type window would
        // be tied to the program's other windows by the window manager).
        auto* box = new AboutBox(nullptr);
        box->setWindowFlags((box->windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        SysInfoServices services = box->services();
        services.messages = dialogs_->messages;
        box->setServices(std::move(services));
        // OK or the close box ends this box: the next opening makes a new
        // one, even before the closed box has been deleted.
        connect(box, &QDialog::finished, this, [this, box] {
            if (box_ == box)
                box_ = nullptr;
        });
        connect(box, &AboutBox::dismissed, this, &AboutBoxOwner::dismissed);
        box_ = box;
    }
    box_->setCredit(credit);
    box_->setDescription(AboutBox::descriptionText());
    box_->show();
    box_->raise();
    box_->activateWindow();
}

void AboutBoxOwner::close()
{
    if (AboutBox* box = box_) {
        box_ = nullptr;
        box->hide();
        box->deleteLater();
    }
}

}  // namespace tessaline
