// The PDF path alone on N batch pages, without a database: each page's
// recipient is made up from its number as in the batch benchmarks' rows,
// so whatever grows with N is the renderer's and the PDF writer's own.
//   pdf-pages-bench N OUT.pdf [--check [--overflow]]
//       prints seconds (wall clock and CPU), peak MiB before the pages and
//       peak MiB after them.
//       --check runs the page warnings on what drawing measured, as the
//       command line does, and formats each warning's line; --overflow gives
//       every page a remark that does not fit, so that every page warns.
#include "bench/bench_measures.h"
#include "store/store_session.h"
#include "waybill/font_substitutions.h"
#include "waybill/page_renderer.h"
#include "waybill/page_source.h"
#include "waybill/page_warnings.h"
#include "waybill/pdf_export.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_layout.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QTextStream>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

using BenchMeasures::peakMiB;

class MadeUpPages : public PageSource {
public:
    MadeUpPages(int count, bool check, bool overflow)
        : m_count(count), m_check(check), m_overflow(overflow)
    {
    }

    int warned = 0;
    qsizetype warningCharacters = 0; // of the lines the warnings make
    qint64 checkNanoseconds = 0;     // in the check itself, after drawing

    int pageCount() override { return m_count; }
    void drawPage(QPainter& painter, int index) override
    {
        const QString k = QString::number(index + 1);
        const QHash<QString, QString> recipient{
            {QStringLiteral(u"单位名称"), QStringLiteral(u"北京某某贸易有限公司第%1分部").arg(k)},
            {QStringLiteral(u"收件人姓名"), QStringLiteral(u"收件人") + k},
            {QStringLiteral(u"收件地址"),
             QStringLiteral(u"北京市朝阳区建国路八十八号现代城写字楼%1号楼十二层").arg(k)},
            {QStringLiteral(u"联系电话"), QStringLiteral("010-%1").arg(87650001 + index)},
            {QStringLiteral(u"手机号码"), QStringLiteral("139%1").arg(10000001 + index)},
            {QStringLiteral(u"内件品名"), QStringLiteral(u"文件")},
            {QStringLiteral(u"数量"), QStringLiteral("1")},
            {QStringLiteral(u"备注"), m_overflow
                                          ? QStringLiteral(u"易碎物品小心轻放请勿倒置谢谢%1").arg(k)
                                          : QStringLiteral(u"易碎物品小心轻放")}};
        const auto read = [&](RecordRole role, const QString& column) {
            return role == RecordRole::Sender ? m_sender.value(column) : recipient.value(column);
        };
        if (!m_check) {
            PageRenderer::drawRecord(painter, m_layout, read, m_fonts);
            return;
        }
        PageMeasures measured;
        PageRenderer::drawRecord(painter, m_layout, read, m_fonts, &measured);
        QElapsedTimer clock;
        clock.start();
        const QList<FieldWarning> warnings = PageWarnings::check(m_layout, measured);
        warned += !warnings.isEmpty();
        for (const FieldWarning& w : warnings)
            warningCharacters +=
                QStringLiteral("page %1: ").arg(index + 1).size() + w.text().size();
        checkNanoseconds += clock.nsecsElapsed();
    }

private:
    int m_count;
    bool m_check;
    bool m_overflow;
    const WaybillLayout m_layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    const QHash<QString, QString> m_sender{
        {QStringLiteral(u"单位名称"), QStringLiteral(u"深圳市顺达电子科技有限公司")},
        {QStringLiteral(u"寄件人姓名"), QStringLiteral(u"张三")},
        {QStringLiteral(u"寄件地址"),
         QStringLiteral(u"广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼")},
        {QStringLiteral(u"联系电话"), QStringLiteral("0755-12345678")},
        {QStringLiteral(u"手机号码"), QStringLiteral("13800138000")},
        {QStringLiteral(u"签名"), QStringLiteral(u"张三")},
        {QStringLiteral(u"月"), QStringLiteral("12")},
        {QStringLiteral(u"日"), QStringLiteral("8")}};
    ShapedFonts m_fonts;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QStringList options = args.mid(3);
    const bool check = options.contains(QStringLiteral("--check"));
    const bool overflow = options.contains(QStringLiteral("--overflow"));
    if (args.size() < 3 || args.at(1).toInt() < 1 || options.size() != check + overflow) {
        QTextStream(stderr) << "usage: pdf-pages-bench PAGES OUT.pdf [--check] [--overflow]\n";
        return 2;
    }
    installFontSubstitutions();
    MadeUpPages pages(args.at(1).toInt(), check, overflow);
    QTextStream out(stdout);
    out << "peak MiB before " << peakMiB() << '\n';
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuSeconds();
    exportPdf(pages, args.at(2), StoreSession());
    out << "pages " << pages.pageCount() << " seconds " << clock.elapsed() / 1000.0
        << " cpu seconds " << cpuSeconds() - cpuBefore << " peak MiB " << peakMiB() << '\n';
    if (check)
        out << "pages with warnings " << pages.warned << " seconds in the check "
            << pages.checkNanoseconds / 1e9 << '\n';
    return 0;
}
