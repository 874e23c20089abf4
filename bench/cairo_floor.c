/* The floor for batch waybills to PDF: the least a program must do to put
 * the batch window's pages on paper, written straight on cairo.
 *
 *   cairo-floor DATA.mdb OUT.pdf          one page per row of inrxx
 *   cairo-floor DATA.mdb OUT.csv --lines  the printed lines as CSV instead
 *                                         (what a label program is fed)
 *
 * Same pages as `sfwaybill-cli print --window TPlsf1Form`: the 16 placements
 * of that window in drawing order, the same GB18030 wrapping, LF deleted,
 * lines split at CR, an auto-sized white box, 16-px lines in AR PL UMing CN,
 * a line printed only if it ends at most 0.1 mm below its box, on pages of
 * 216 x 140 mm. Rows are read as they are printed, one at a time. */
#include <cairo-pdf.h>
#include <cairo.h>
#include <iconv.h>
#include <malloc.h>
#include <math.h>
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum role { SENDER, RECIPIENT };

struct placement {
    enum role role;
    const char* column;
    int left, top, height, wrap;
};

/* TPlsf1Form in drawing order. */
static const struct placement placements[] = {
    {RECIPIENT, "联系电话", 270, 374, 17, 0}, {RECIPIENT, "收件人姓名", 288, 294, 17, 0},
    {SENDER, "单位名称", 104, 140, 37, 22},   {SENDER, "手机号码", 168, 221, 17, 0},
    {SENDER, "联系电话", 264, 221, 17, 0},    {RECIPIENT, "单位名称", 104, 294, 35, 22},
    {RECIPIENT, "手机号码", 168, 374, 17, 0}, {SENDER, "寄件人姓名", 288, 140, 17, 0},
    {SENDER, "签名", 664, 296, 17, 0},        {RECIPIENT, "收件地址", 88, 328, 41, 30},
    {SENDER, "寄件地址", 88, 176, 41, 30},    {RECIPIENT, "备注", 576, 476, 41, 16},
    {RECIPIENT, "内件品名", 88, 448, 17, 0},  {RECIPIENT, "数量", 320, 445, 17, 0},
    {SENDER, "月", 602, 348, 17, 0},          {SENDER, "日", 645, 348, 17, 0},
};
enum { PLACEMENTS = sizeof placements / sizeof placements[0] };

static const double lineHeight = 16;                /* 12 pt at 96 px per inch */
static const double tolerance = 0.1 * 96 / 25.4;    /* 0.1 mm in pixels */
static const double paperWidth = 216.0 * 72 / 25.4; /* points */
static const double paperHeight = 140.0 * 72 / 25.4;

static iconv_t toGb, fromGb;

static void die(const char* what)
{
    fprintf(stderr, "cairo-floor: %s\n", what);
    exit(1);
}

static char* convert(iconv_t cd, const char* in, size_t length, size_t* outLength)
{
    size_t room = length * 2 + 8;
    char* out = malloc(room + 1);
    char* src = (char*)in;
    char* dst = out;
    size_t left = length, free = room;
    iconv(cd, NULL, NULL, NULL, NULL);
    if (iconv(cd, &src, &left, &dst, &free) == (size_t)-1)
        die("text not convertible");
    *outLength = room - free;
    out[*outLength] = 0;
    return out;
}

/* Length of the GB18030 character at s[at]. */
static size_t characterLength(const unsigned char* s, size_t length, size_t at)
{
    if (s[at] < 0x81 || s[at] == 0xFF || at + 1 >= length)
        return 1;
    if (s[at + 1] >= 0x30 && s[at + 1] <= 0x39)
        return at + 3 < length ? 4 : 1;
    return 2;
}

static size_t characterStart(const unsigned char* s, size_t length, size_t index)
{
    size_t at = 0;
    while (at < index) {
        size_t n = characterLength(s, length, at);
        if (at + n > index)
            return at;
        at += n;
    }
    return index;
}

/* The wrap on GB18030 bytes; a break never splits a character. */
static char* wrap(const char* text, size_t length, int width, size_t* outLength)
{
    size_t n = length / width + 1;
    unsigned char* s = malloc(length + 2 * n + 1);
    size_t size = length;
    memcpy(s, text, length);
    for (size_t i = 1; i <= n; ++i) {
        size_t end = width * i < size ? width * i : size, high = 0;
        for (size_t k = 0; k < end; ++k)
            high += s[k] > 0x7E;
        size_t p = width * i - (high % 2 == 0 ? 1 : 0);
        size_t at = size < p ? size : characterStart(s, size, p - 1);
        memmove(s + at + 2, s + at, size - at);
        s[at] = '\r';
        s[at + 1] = '\n';
        size += 2;
    }
    s[size] = 0;
    *outLength = size;
    return (char*)s;
}

/* The printed text of a placement, UTF-8 with its line breaks as CR only. */
static char* printedText(const struct placement* p, const char* value)
{
    size_t length = strlen(value);
    char* text;
    if (p->wrap) {
        size_t gbLength, wrappedLength;
        char* gb = convert(toGb, value, length, &gbLength);
        char* wrapped = wrap(gb, gbLength, p->wrap, &wrappedLength);
        text = convert(fromGb, wrapped, wrappedLength, &length);
        free(gb);
        free(wrapped);
    } else {
        text = strdup(value);
    }
    char* out = text;
    for (char* c = text; *c; ++c)
        if (*c != '\n')
            *out++ = *c;
    *out = 0;
    return text;
}

static void drawPlacement(cairo_t* cr, const struct placement* p, const char* value, double ascent)
{
    if (!value || !*value)
        return;
    char* text = printedText(p, value);
    double widest = 0;
    for (char* line = text;;) {
        char* cut = strchr(line, '\r');
        if (cut)
            *cut = 0;
        cairo_text_extents_t e;
        cairo_text_extents(cr, line, &e);
        widest = e.x_advance > widest ? e.x_advance : widest;
        if (!cut)
            break;
        *cut = '\r';
        line = cut + 1;
    }
    double height = p->height > lineHeight ? p->height : lineHeight;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, p->left, p->top, ceil(widest) + 1, height);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    int i = 0;
    for (char* line = text;; ++i) {
        double top = p->top + i * lineHeight;
        if (top + lineHeight > p->top + height + tolerance)
            break;
        char* cut = strchr(line, '\r');
        if (cut)
            *cut = 0;
        if (*line) {
            cairo_move_to(cr, p->left, top + ascent);
            cairo_show_text(cr, line);
        }
        if (!cut)
            break;
        line = cut + 1;
    }
    free(text);
}

/* The printed lines of one page as a CSV record, one field per placement,
 * lines joined with LF. */
static void writeLines(FILE* out, const char* values[PLACEMENTS])
{
    for (int k = 0; k < PLACEMENTS; ++k) {
        const struct placement* p = &placements[k];
        fputs(k ? ",\"" : "\"", out);
        if (values[k] && *values[k]) {
            char* text = printedText(p, values[k]);
            int i = 0;
            for (char* c = text; *c; ++c) {
                if (*c == '\r') {
                    if (p->top + (++i + 1) * lineHeight >
                        p->top + (p->height > lineHeight ? p->height : lineHeight) + tolerance)
                        break;
                    fputc('\n', out);
                } else {
                    if (*c == '"')
                        fputc('"', out);
                    fputc(*c, out);
                }
            }
            free(text);
        }
        fputc('"', out);
    }
    fputc('\n', out);
}

static int columnOf(sqlite3_stmt* q, const char* name)
{
    for (int i = 0; i < sqlite3_column_count(q); ++i)
        if (strcmp(sqlite3_column_name(q, i), name) == 0)
            return i;
    return -1;
}

static const char* text(sqlite3_stmt* q, int column)
{
    return column < 0 ? NULL : (const char*)sqlite3_column_text(q, column);
}

int main(int argc, char** argv)
{
    if (argc < 3)
        die("usage: cairo-floor DATA.mdb OUT.pdf | OUT.csv --lines");
    const int lines = argc > 3 && strcmp(argv[3], "--lines") == 0;
    /* The allocator setting sfwaybill's page loops use, so that neither side
     * pays for glibc handing freed memory back and faulting it in again on
     * every page. */
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    toGb = iconv_open("GB18030", "UTF-8");
    fromGb = iconv_open("UTF-8", "GB18030");
    sqlite3* db;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK)
        die("cannot open the database");
    sqlite3_stmt *senderQuery, *rows;
    if (sqlite3_prepare_v2(db, "select * from outrxx", -1, &senderQuery, NULL) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "select * from inrxx", -1, &rows, NULL) != SQLITE_OK)
        die("cannot read the tables");
    const int hasSender = sqlite3_step(senderQuery) == SQLITE_ROW;
    const char* sender[PLACEMENTS] = {0};
    int recipientColumn[PLACEMENTS];
    for (int k = 0; k < PLACEMENTS; ++k) {
        const struct placement* p = &placements[k];
        if (p->role == SENDER)
            sender[k] = hasSender ? text(senderQuery, columnOf(senderQuery, p->column)) : NULL;
        recipientColumn[k] = p->role == RECIPIENT ? columnOf(rows, p->column) : -1;
    }

    FILE* csv = NULL;
    cairo_surface_t* surface = NULL;
    cairo_t* cr = NULL;
    double ascent = 0;
    if (lines) {
        csv = fopen(argv[2], "w");
        if (!csv)
            die("cannot write the CSV");
        for (int k = 0; k < PLACEMENTS; ++k)
            fprintf(csv, "%sf%d", k ? "," : "", k + 1);
        fputc('\n', csv);
    } else {
        surface = cairo_pdf_surface_create(argv[2], paperWidth, paperHeight);
        cr = cairo_create(surface);
        cairo_scale(cr, 72.0 / 96, 72.0 / 96);
        cairo_select_font_face(cr, "AR PL UMing CN", CAIRO_FONT_SLANT_NORMAL,
                               CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, lineHeight);
        /* The ascent as sfwaybill takes it: the font's whole-pixel ascent at
         * 1,024 px, scaled to the line height. */
        cairo_font_extents_t extents;
        cairo_set_font_size(cr, 1024);
        cairo_font_extents(cr, &extents);
        ascent = extents.ascent * lineHeight / 1024;
        cairo_set_font_size(cr, lineHeight);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
    }

    int pages = 0;
    for (int more = sqlite3_step(rows) == SQLITE_ROW; more || pages == 0;
         more = sqlite3_step(rows) == SQLITE_ROW) {
        const char* values[PLACEMENTS];
        for (int k = 0; k < PLACEMENTS; ++k)
            values[k] = placements[k].role == SENDER ? sender[k]
                        : more                       ? text(rows, recipientColumn[k])
                                                     : NULL;
        if (csv) {
            writeLines(csv, values);
        } else {
            for (int k = 0; k < PLACEMENTS; ++k)
                drawPlacement(cr, &placements[k], values[k], ascent);
            cairo_show_page(cr);
        }
        ++pages;
        if (!more)
            break;
    }

    if (csv && fclose(csv) != 0)
        die("cannot write the CSV");
    if (cr) {
        cairo_destroy(cr);
        cairo_surface_finish(surface);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
            die("cannot write the PDF");
        cairo_surface_destroy(surface);
    }
    sqlite3_finalize(senderQuery);
    sqlite3_finalize(rows);
    sqlite3_close(db);
    return 0;
}
