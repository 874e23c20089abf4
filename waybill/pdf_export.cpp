#include "waybill/pdf_export.h"

#include "store/store_error.h"
#include "waybill/page_source.h"
#include "waybill/units.h"
#include "waybill/waybill_layout.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

void exportPdf(PageSource& pages, const QString& path)
{
    {
        QPdfWriter writer(path);
        writer.setResolution(1200);
        writer.setPageLayout(
            QPageLayout(QPageSize(WaybillLayout::paperSizeMm(), QPageSize::Millimeter),
                        QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(QStringLiteral("sfwaybill"));
        QPainter painter;
        if (!painter.begin(&writer))
            throw CommandError(QStringLiteral("Cannot write %1").arg(path));
        const double scale = writer.resolution() / Pixels::perInch;
        const int count = pages.pageCount();
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                writer.newPage();
            painter.save();
            painter.scale(scale, scale);
            pages.drawPage(painter, i);
            painter.restore();
        }
        painter.end();
    }
}
