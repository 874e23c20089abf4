// Paste to split on 100,000 texts: the table of real-looking texts under
// tests/data, repeated.
//   address-parse-bench [--benchmark_...]
#include "records/address_parser.h"
#include "records/division_table.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <benchmark/benchmark.h>

namespace {

constexpr int textCount = 100'000;

QStringList texts()
{
    QFile file(QStringLiteral(SF_TEST_DATA_DIR "/address_texts.json"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("address_texts.json missing");
    QStringList table;
    for (const QJsonValue& c : QJsonDocument::fromJson(file.readAll()).array())
        table << c.toObject().value(QStringLiteral("text")).toString();
    QStringList out;
    out.reserve(textCount);
    for (int i = 0; i < textCount; ++i)
        out << table.at(i % table.size());
    return out;
}

void parse100k(benchmark::State& state)
{
    const QStringList all = texts();
    // The first paste of a run also reads the division table.
    QElapsedTimer clock;
    clock.start();
    DivisionTable::national();
    state.counters["table_ms"] = double(clock.nsecsElapsed()) / 1e6;
    for (auto _ : state)
        for (const QString& text : all)
            benchmark::DoNotOptimize(AddressParser::parse(text));
    state.SetItemsProcessed(state.iterations() * all.size());
}

// One paste of 1 MB (UTF-8): a typical text over and over, a mobile and a
// landline in each, as a paste box without a bound would take it.
void parseOneMegabyte(benchmark::State& state)
{
    const QString line =
        QStringLiteral(u"张三 13800138000 0755-86001234 北京市海淀区中关村大街1号\n");
    const QString text = line.repeated(int(1'000'000 / line.toUtf8().size()));
    DivisionTable::national();
    for (auto _ : state)
        benchmark::DoNotOptimize(AddressParser::parse(text));
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
}

} // namespace

BENCHMARK(parse100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(parseOneMegabyte)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
