// A filled box with rounded corners and a border, drawn behind the status line.
#pragma once

#include <QColor>
#include <QWidget>

namespace shell {

class RoundRectangle : public QWidget {
  Q_OBJECT
  // Named as in the property lists, so SetProperties finds them by name.
  Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)
  Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
  Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
  Q_PROPERTY(int ovalWidth READ ovalWidth WRITE setOvalWidth)
  Q_PROPERTY(int ovalHeight READ ovalHeight WRITE setOvalHeight)

 public:
  explicit RoundRectangle(QWidget* parent = nullptr);

  QColor fillColor() const { return fillColor_; }
  QColor borderColor() const { return borderColor_; }
  int borderWidth() const { return borderWidth_; }
  // Width and height of the ellipse that rounds each corner.
  int ovalWidth() const { return ovalWidth_; }
  int ovalHeight() const { return ovalHeight_; }

  void setFillColor(const QColor& color);
  void setBorderColor(const QColor& color);
  void setBorderWidth(int width);
  void setOvalWidth(int width);
  void setOvalHeight(int height);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fillColor_ = Qt::white;
  QColor borderColor_ = Qt::black;
  int borderWidth_ = 1;
  int ovalWidth_ = 0;
  int ovalHeight_ = 0;
};

}  // namespace shell
