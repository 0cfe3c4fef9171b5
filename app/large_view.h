#pragma once
// One photo shown large, as it will look, as far as the window allows, with its name, where it
// stands in the grid and its plan below. Escape, Space or a double click go back to the grid;
// the arrow keys go to the photo before or after.

#include <QImage>
#include <QString>
#include <QWidget>

class LargeView : public QWidget {
    Q_OBJECT
public:
    explicit LargeView(QWidget* parent = nullptr);

    void show(const QImage& picture, const QString& caption);
    using QWidget::show;
    const QImage& picture() const { return picture_; }
    QString caption() const { return caption_; }
    // Where the picture may lie, in the widget's own pixels.
    QRect pictureRoom() const;

signals:
    void back();
    void step(int by);  // -1 the photo before, +1 the one after

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QString caption_;
};
