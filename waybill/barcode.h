#pragma once

#include <QRectF>
#include <QString>
#include <vector>

class QPainter;

enum class Symbology { Code128, Qr };

// The modules of one barcode, dark or light, row by row; libzint encodes.
class Barcode {
public:
    // An empty barcode with error() set when the value cannot be encoded.
    static Barcode encode(Symbology symbology, const QString& value);

    bool isValid() const { return m_columns > 0; }
    // Why the value cannot be encoded, in Chinese.
    const QString& error() const { return m_error; }
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    bool dark(int row, int column) const { return m_dark[std::size_t(row * m_columns + column)]; }

    // Draws the modules as filled rectangles into `box` (painter units,
    // a layout pixel each) from its top-left corner: Code 128's bars as
    // high as the box, a QR code square. Every module is a whole number of
    // the painter's device dots wide, at least one, so that a label
    // printer's bars all come out alike; the rectangles stay vectors in a
    // PDF.
    void draw(QPainter& painter, const QRectF& box) const;
    // The width draw() gives the modules in painter units on a device of
    // `dotsPerInch`.
    double moduleWidth(const QRectF& box, int dotsPerInch) const;

private:
    Symbology m_symbology = Symbology::Code128;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<bool> m_dark;
    QString m_error;
};
