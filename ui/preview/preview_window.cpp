#include "ui/preview/preview_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "screen/screen_layout.h"
#include "ui/preview/screen_view.h"

namespace tessaline {

PreviewWindow::PreviewWindow(QWidget* owner, std::string codes, const screen::ScreenTarget& target,
                             screen::PictureLookup pictures)
    : QWidget(owner, Qt::Window),
      layout_(std::make_unique<screen::ScreenLayout>(std::move(codes), target, std::move(pictures)))
{
    setObjectName(QStringLiteral("calculatorScreen"));
    setWindowTitle(QStringLiteral("Calculator Screen"));
    setFocusPolicy(Qt::StrongFocus);
    buildControls();
    setZoom(kDefaultZoom);
    showScreen(0);
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::buildControls()
{
    view_ = new ScreenView(this);
    view_->setObjectName(QStringLiteral("screenView"));
    counter_ = new QLabel(this);
    counter_->setObjectName(QStringLiteral("screenCounter"));
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("zoom"));
    for (int zoom = 1; zoom <= kMaxZoom; ++zoom)
        zoomBox_->addItem(QStringLiteral("%1×").arg(zoom), zoom);
    zoomBox_->setCurrentIndex(kDefaultZoom - 1);
    // The paging keys belong to the window, not to the box.
    zoomBox_->setFocusPolicy(Qt::NoFocus);
    connect(zoomBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { setZoom(zoomBox_->itemData(index).toInt()); });

    auto* bar = new QHBoxLayout;
    bar->addWidget(counter_);
    bar->addStretch();
    bar->addWidget(zoomBox_);
    auto* column = new QVBoxLayout(this);
    column->addWidget(view_, 0, Qt::AlignCenter);
    column->addLayout(bar);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

int PreviewWindow::screenCount() const { return layout_->screenCount(); }

void PreviewWindow::showScreen(int index)
{
    current_ = std::clamp(index, 0, screenCount() - 1);
    view_->setScreen(layout_->draw(current_));
    counter_->setText(QStringLiteral("Screen %1 of %2").arg(current_ + 1).arg(screenCount()));
}

void PreviewWindow::setZoom(int zoom) { view_->setZoom(zoom); }

void PreviewWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        showScreen(current_ + 1);
        break;
    case Qt::Key_PageUp:
        showScreen(current_ - 1);
        break;
    case Qt::Key_Home:
        showScreen(0);
        break;
    case Qt::Key_End:
        showScreen(screenCount() - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

}  // namespace tessaline
