#include "waybill/blank_form_picture.h"

#include "store/program_files.h"
#include "waybill/print_error.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (a cut-off file, bad data) are counted and turned into an error
// below; nothing goes to the terminal.
void onMessage(j_common_ptr) {}

} // namespace

DecodedJpeg decodeJpeg(const QByteArray& data)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.output_message = onMessage;
    // Nothing with a destructor may live between setjmp and the decode.
    DecodedJpeg* result = new DecodedJpeg;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        delete result;
        throw PrintError(QStringLiteral("Cannot decode the picture: %1")
                             .arg(QString::fromLocal8Bit(errors.message)));
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    result->image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result->image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    if (info.saw_JFIF_marker) {
        result->densityUnit = info.density_unit;
        result->densityX = info.X_density;
        result->densityY = info.Y_density;
    }
    jpeg_finish_decompress(&info);
    const long warnings = errors.base.num_warnings;
    jpeg_destroy_decompress(&info);
    DecodedJpeg decoded = std::move(*result);
    delete result;
    if (warnings > 0)
        throw PrintError(QStringLiteral("The picture is damaged"));
    return decoded;
}

const QImage& blankFormPicture()
{
    static const QImage picture = [] {
        QFile file(ProgramFiles::find(QStringLiteral("sf_blank_form.jpg")));
        if (!file.open(QIODevice::ReadOnly))
            return QImage();
        try {
            return decodeJpeg(file.readAll()).image;
        } catch (const CommandError&) {
            return QImage();
        }
    }();
    return picture;
}
