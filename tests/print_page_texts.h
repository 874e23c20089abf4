#pragma once

#include "waybill/page_source.h"

#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPointF>
#include <QString>

// What a page puts on paper, as texts with their baseline origin in layout
// pixels; picked up by a paint device that records instead of drawing.
struct PageText {
    QString text;
    QPointF at;
};

class TextRecordingEngine : public QPaintEngine {
public:
    QList<PageText> texts;
    int images = 0; // pixmaps and images drawn: the picture must never be

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++images; }
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
    {
        ++images;
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts << PageText{item.text(), painter()->transform().map(p)};
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawPath(const QPainterPath&) override {}
    Type type() const override { return QPaintEngine::User; }
};

// 96 dots per inch, so one painter unit is one layout pixel.
class TextRecordingDevice : public QPaintDevice {
public:
    TextRecordingEngine engine;

    QPaintEngine* paintEngine() const override { return const_cast<TextRecordingEngine*>(&engine); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return 816;
        case PdmHeight:
            return 529;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 1;
        }
    }
};

// The texts of one page of `pages`.
inline QList<PageText> pageTexts(PageSource& pages, int index, int* images = nullptr)
{
    TextRecordingDevice device;
    {
        QPainter painter(&device);
        pages.drawPage(painter, index);
    }
    if (images)
        *images = device.engine.images;
    return device.engine.texts;
}

// The texts alone, in drawing order.
inline QStringList pageStrings(PageSource& pages, int index)
{
    QStringList strings;
    for (const PageText& t : pageTexts(pages, index))
        strings << t.text;
    return strings;
}

// Where `text` starts on the page; a null point when it is not there.
inline QPointF positionOf(PageSource& pages, int index, const QString& text)
{
    for (const PageText& t : pageTexts(pages, index))
        if (t.text == text)
            return t.at;
    return {};
}
