#include "app/round_rectangle.h"

#include <QPainter>
#include <QPen>

namespace shell {

RoundRectangle::RoundRectangle(QWidget* parent) : QWidget(parent) {}

void RoundRectangle::setFillColor(const QColor& color) {
  fillColor_ = color;
  update();
}

void RoundRectangle::setBorderColor(const QColor& color) {
  borderColor_ = color;
  update();
}

void RoundRectangle::setBorderWidth(int width) {
  borderWidth_ = width;
  update();
}

void RoundRectangle::setOvalWidth(int width) {
  ovalWidth_ = width;
  update();
}

void RoundRectangle::setOvalHeight(int height) {
  ovalHeight_ = height;
  update();
}

void RoundRectangle::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(fillColor_);
  if (borderWidth_ > 0) {
    painter.setPen(QPen(borderColor_, borderWidth_));
  } else {
    painter.setPen(Qt::NoPen);
  }
  // A pen is centred on its path: inset by half its width so the whole
  // border stays inside the widget.
  const qreal inset = borderWidth_ / 2.0;
  const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
  painter.drawRoundedRect(box, ovalWidth_ / 2.0, ovalHeight_ / 2.0);
}

}  // namespace shell
