// libFuzzer entry: any bytes either read as a sheet or fail with SheetError.
#include "exchange/recipient_sheet.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        RecipientSheet sheet;
        SheetFile::readBytes(bytes, sheet);
        sheet.finish();
    } catch (const SheetError&) {
    }
    return 0;
}
