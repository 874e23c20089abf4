// Draws our picture of a blank SF waybill form: the ruled boxes of
// waybill/blank_form.cpp with their labels, written as a JPEG of 1272 x 820
// pixels at 150 per inch. Usage: sf-draw-blank-form OUT.jpg
#include "waybill/blank_form.h"
#include "waybill/font_substitutions.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <jpeglib.h>

namespace {

const QColor ink(200, 30, 40);

QFont labelFont(int pixels)
{
    QFont font(QStringLiteral(u"宋体"));
    font.setPixelSize(pixels);
    return font;
}

void drawForm(QPainter& painter)
{
    painter.fillRect(QRectF(0, 0, 816, 529), QColor(253, 251, 246));
    painter.setPen(QPen(ink, 1.5));
    painter.drawRect(QRectF(8, 8, 800, 513));
    painter.setFont(labelFont(26));
    painter.drawText(QRectF(20, 20, 300, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral(u"顺丰快递运单"));
    painter.setFont(labelFont(12));
    painter.drawText(QRectF(20, 62, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("EXPRESS WAYBILL"));
    painter.drawText(QRectF(440, 30, 360, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral(u"运单号码 No."));
    painter.drawLine(QPointF(530, 48), QPointF(790, 48));
    painter.drawText(QRectF(20, 92, 780, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral(u"请用正楷填写，字迹清楚，每栏只写一项。"));
    painter.drawLine(QPointF(8, 118), QPointF(808, 118));

    for (const FormBox& box : BlankForm::boxes()) {
        painter.setPen(QPen(ink, 1));
        if (!box.id.startsWith(QStringLiteral("signature.")) ||
            box.id == QStringLiteral("signature.shipper"))
            painter.drawRect(box.rect);
        painter.setFont(labelFont(9));
        painter.drawText(QRectF(box.rect).adjusted(2, 1, -2, -1), Qt::AlignLeft | Qt::AlignTop,
                         box.label);
    }
    // The date line of the shipper's signature box.
    const QRect month = BlankForm::box(QStringLiteral("signature.month"))->rect;
    const QRect day = BlankForm::box(QStringLiteral("signature.day"))->rect;
    painter.setFont(labelFont(12));
    painter.drawText(QRectF(month.left() - 44, month.top(), 40, month.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral(u"日期"));
    painter.drawLine(month.bottomLeft(), month.bottomRight());
    painter.drawText(QRectF(month.right() + 1, month.top(), 16, month.height()), Qt::AlignCenter,
                     QStringLiteral(u"月"));
    painter.drawLine(day.bottomLeft(), day.bottomRight());
    painter.drawText(QRectF(day.right() + 1, day.top(), 16, day.height()), Qt::AlignCenter,
                     QStringLiteral(u"日"));
}

bool writeJpeg(const QImage& image, const char* path)
{
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    info.write_JFIF_header = TRUE;
    info.density_unit = 1;
    info.X_density = BlankForm::dotsPerInch;
    info.Y_density = BlankForm::dotsPerInch;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(rgb.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sf-draw-blank-form OUT.jpg\n");
        return 2;
    }
    installFontSubstitutions();
    QImage image(BlankForm::pictureWidth, BlankForm::pictureHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(BlankForm::pictureWidth / 816.0, BlankForm::pictureHeight / 529.0);
    drawForm(painter);
    painter.end();
    return writeJpeg(image, argv[1]) ? 0 : 1;
}
