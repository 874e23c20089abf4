#pragma once

#include "waybill/barcode.h"
#include "waybill/units.h"

#include <QFont>
#include <QPointF>
#include <QRect>
#include <QString>
#include <optional>

// Which row a placement reads.
enum class RecordRole { Sender, Recipient };

// One positioned, data-bound text on a waybill, in whole layout pixels
// (Pixels::toMillimetres gives the paper's measure).
class FieldPlacement {
public:
    FieldPlacement(QString controlName, RecordRole role, QString column, QRect box, int wrapWidth,
                   QString formBox);

    const QString& controlName() const { return m_controlName; }
    RecordRole role() const { return m_role; }
    const QString& column() const { return m_column; }

    Pixels left() const { return {m_left}; }
    Pixels top() const { return {m_top}; }
    Pixels width() const { return {m_width}; } // at rest, before auto-size
    Pixels height() const { return {m_height}; }

    const QFont& font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }

    // Line budget in bytes for the print-time wrap; 0 when not wrapped.
    int wrapWidth() const { return m_wrapWidth; }
    bool isWrapped() const { return m_wrapWidth > 0; }
    // The budget counts characters, not GB bytes, and holds no line break.
    bool wrapsCharacters() const { return m_wrapsCharacters; }
    void setWrap(int width, bool characters);

    // Where a template put it between whole pixels, 0 to 1; shifts keep it.
    QPointF fraction() const { return m_fraction; }
    void setFraction(QPointF fraction) { m_fraction = fraction; }
    // Lines start at the left edge, or sit centred or right within the width.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    // A fixed text prints instead of a column's value.
    bool isFixedText() const { return m_fixed; }
    const QString& fixedText() const { return m_fixedText; }
    void setFixedText(const QString& text);
    // Its text prints as this barcode, the text under it if human-readable.
    const std::optional<Symbology>& barcode() const { return m_barcode; }
    bool isHumanReadable() const { return m_humanReadable; }
    void setBarcode(Symbology symbology, bool humanReadable);

    // The box of the pre-printed form that the text goes into.
    const QString& formBox() const { return m_formBox; }
    // How far right of its left edge the text may reach before it crosses
    // a ruled line of that box; 0 when nothing but the paper limits it.
    Pixels room() const { return {m_room}; }
    void setRoom(int px) { m_room = px; }

    void setControlName(const QString& name) { m_controlName = name; }
    // Saturates at the int range instead of wrapping round.
    void moveBy(int dx, int dy);
    void setLeft(int px);
    void setTop(int px);
    void setHeight(int px);

    // 宋体, 12 points, regular, black: the font of every placement at rest.
    static QFont defaultFont();

private:
    QString m_controlName;
    RecordRole m_role;
    QString m_column;
    int m_left, m_top, m_width, m_height;
    QFont m_font;
    int m_wrapWidth;
    QString m_formBox;
    int m_room = 0;
    bool m_wrapsCharacters = false;
    QPointF m_fraction;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_fixed = false;
    QString m_fixedText;
    std::optional<Symbology> m_barcode;
    bool m_humanReadable = false;
};
