#include "app/DetailView.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvanta {

DetailView::DetailView(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::CrossCursor);
    // The right button zooms; it opens no menu here.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
}

void DetailView::setPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void DetailView::clearCanvas() {
    picture_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    picture_.fill(Qt::black);
    update();
}

void DetailView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
    // Whatever the picture does not cover (it is made at the previous size until the presenter
    // renders again) stays black.
    if (picture_.width() < width())
        painter.fillRect(picture_.width(), 0, width() - picture_.width(), height(), Qt::black);
    if (picture_.height() < height())
        painter.fillRect(0, picture_.height(), width(), height() - picture_.height(), Qt::black);
}

void DetailView::resizeEvent(QResizeEvent*) {
    emit resized();
}

void DetailView::run(const std::function<void()>& action) {
    if (runner_)
        runner_(action);
    else
        action();
}

void DetailView::mousePressEvent(QMouseEvent* event) {
    if (presenter_) run([&] { presenter_->mousePressed(*event); });
}

void DetailView::mouseMoveEvent(QMouseEvent* event) {
    if (presenter_) run([&] { presenter_->mouseMoved(*event); });
}

void DetailView::mouseReleaseEvent(QMouseEvent* event) {
    if (presenter_) run([&] { presenter_->mouseReleased(*event); });
}

void DetailPresenter::drawingLoaded() {
    if (host_) host_->detailView().clearCanvas();
}

void DetailPresenter::viewResized() {
    if (host_) host_->detailView().clearCanvas();
}

} // namespace orvanta
