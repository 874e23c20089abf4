#pragma once

#include "waybill/page_source.h"

class WaybillLayout;

// One page for lining the printer up with the pre-printed forms: millimetre
// rulers along the paper's top and left edges, and a cross where each
// placement of the layout starts to print (its top-left corner as the
// layout stands, shifts included), with its column name. Laid over a blank
// form, it shows how far the texts would fall from their boxes.
class CalibrationPage : public PageSource {
public:
    explicit CalibrationPage(const WaybillLayout& layout);
    // The page reads the layout while it is drawn; it must outlive it.
    CalibrationPage(WaybillLayout&&) = delete;

    int pageCount() override { return 1; }
    QSizeF paperMm() override;
    void drawPage(QPainter& painter, int index) override;

    // Where the rulers' numbers stand, centred on their marks.
    static constexpr int numberStep = 10; // mm
    static constexpr double numberPixelSize = 10;

private:
    const WaybillLayout& m_layout;
};
