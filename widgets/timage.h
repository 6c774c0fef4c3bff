// TImage: a picture box that draws its picture centred, scaled down (and, when stretching, up)
// to fit with its proportions kept. It never resizes itself to the picture. Pictures are drawn
// upright; the picture's own size stays as stored, which is what texts show.
#pragma once

#include <string>

#include <QImage>
#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    bool Center = true;       // draw the picture centred in the box
    bool Proportional = true; // keep the picture's proportions when it is scaled
    bool Stretch = false;     // also scale a smaller picture up to fill the box

    // Loads a picture file (program path). Raises the loader's error and then keeps the old
    // picture. decodeBox, when given, lets a large JPEG decode at a reduced scale.
    void LoadFromFile(const std::string& path, QSize decodeBox = {});
    void Assign(const TImage& other); // copies the picture, its own size and its orientation
    // picture is drawn as it is; ownSize is the picture's own size as stored (empty: picture's
    // size), orientation what turned it upright.
    void SetPicture(const QImage& picture, QSize ownSize = {}, int orientation = 1);
    void Clear();

    const QImage& Picture() const { return picture_; }
    // The picture's own size in pixels as stored (also when it was decoded at a reduced scale).
    int PictureWidth() const { return ownSize_.width(); }
    int PictureHeight() const { return ownSize_.height(); }
    int Orientation() const { return orientation_; }
    // The picture's own size as it is drawn, upright.
    QSize UprightSize() const;
    // Where the picture is drawn inside the box, for tests and the viewer.
    QRect DrawRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    QSize ownSize_;
    int orientation_ = 1;
};
