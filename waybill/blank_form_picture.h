#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A decoded JPEG with the density from its JFIF header.
struct DecodedJpeg {
    QImage image;
    int densityUnit = 0; // 0 none, 1 per inch, 2 per centimetre
    int densityX = 0;
    int densityY = 0;
};

// Decodes with libjpeg; throws PrintError on a broken file.
DecodedJpeg decodeJpeg(const QByteArray& data);

// The picture of the blank SF form shown behind the layouts, decoded once
// from the program's files. Null when it is missing or damaged: it only
// guides the eye and never reaches paper.
const QImage& blankFormPicture();
