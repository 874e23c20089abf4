#include "waybill/barcode.h"

#include "waybill/units.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <zint.h>

Barcode Barcode::encode(Symbology symbology, const QString& value)
{
    Barcode barcode;
    barcode.m_symbology = symbology;
    const std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(),
                                                                          ZBarcode_Delete);
    if (!symbol) {
        barcode.m_error = QStringLiteral(u"内存不足，无法生成条码");
        return barcode;
    }
    symbol->symbology = symbology == Symbology::Qr ? BARCODE_QRCODE : BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    const QByteArray utf8 = value.toUtf8();
    const int status = ZBarcode_Encode(
        symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()));
    if (status >= ZINT_ERROR) {
        barcode.m_error =
            QStringLiteral(u"%1 无法编码“%2”（%3）")
                .arg(symbology == Symbology::Qr ? QStringLiteral("QR") : QStringLiteral("Code 128"),
                     value, QString::fromLatin1(symbol->errtxt));
        return barcode;
    }
    barcode.m_columns = symbol->width;
    barcode.m_rows = symbology == Symbology::Qr ? symbol->rows : 1;
    barcode.m_dark.resize(std::size_t(barcode.m_columns * barcode.m_rows));
    for (int row = 0; row < barcode.m_rows; ++row)
        for (int column = 0; column < barcode.m_columns; ++column)
            barcode.m_dark[std::size_t(row * barcode.m_columns + column)] =
                (symbol->encoded_data[row][column >> 3] >> (column & 7)) & 1;
    return barcode;
}

double Barcode::moduleWidth(const QRectF& box, int dotsPerInch) const
{
    if (!isValid())
        return 0;
    const double dotsPerUnit = dotsPerInch / Pixels::perInch;
    double across = box.width();
    if (m_symbology == Symbology::Qr)
        across = std::min(across, box.height());
    const double dots = std::max(1.0, std::floor(across * dotsPerUnit / m_columns + 1e-6));
    return dots / dotsPerUnit;
}

void Barcode::draw(QPainter& painter, const QRectF& box) const
{
    if (!isValid())
        return;
    const int dpi = painter.device()->logicalDpiX();
    const double module = moduleWidth(box, dpi);
    // The first bar on a whole dot too, so that every edge falls on one.
    const double dotsPerUnit = dpi / Pixels::perInch;
    const double left = std::round(box.left() * dotsPerUnit) / dotsPerUnit;
    const double top = std::round(box.top() * dotsPerUnit) / dotsPerUnit;
    const double rowHeight = m_symbology == Symbology::Qr ? module : box.height();
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    // One rectangle per run of dark modules.
    for (int row = 0; row < m_rows; ++row)
        for (int column = 0; column < m_columns;) {
            if (!dark(row, column)) {
                ++column;
                continue;
            }
            int end = column;
            while (end < m_columns && dark(row, end))
                ++end;
            painter.drawRect(QRectF(left + column * module, top + row * rowHeight,
                                    (end - column) * module, rowHeight));
            column = end;
        }
    painter.restore();
}
