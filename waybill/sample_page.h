#pragma once

#include "waybill/page_renderer.h"
#include "waybill/page_source.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_layout.h"

// One page of a template drawn with one record: the designer's test print,
// through the same renderer as every page. It is no waybill and is not
// logged.
class SamplePage : public PageSource {
public:
    SamplePage(const LayoutTemplate& layoutTemplate, FieldReader record);

    int pageCount() override { return 1; }
    QSizeF paperMm() override { return m_layout.paper(); }
    void drawPage(QPainter& painter, int index) override;
    QList<FieldWarning> warnings(int index) override;

private:
    WaybillLayout m_layout;
    FieldReader m_record;
    ShapedFonts m_fonts;
};
