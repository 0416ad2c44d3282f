// Reading a getData reply, which every meter thread does for every audiogroup and poll: from
// the body as the network thread hands it over, as Device does.
#include <AcquisitionResponse.h>
#include <ReplyText.h>

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

namespace {

// One list per audiogroup, each of `samples` samples at 100 ms, laid out as the simulator
// writes them (one element a line, values with two decimals).
QByteArray dataReply(int lists, int samples)
{
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartElement(QStringLiteral("response"));
    xml.writeTextElement(QStringLiteral("version"), QStringLiteral("0.1"));
    xml.writeTextElement(QStringLiteral("reqid"), QStringLiteral("7"));
    xml.writeStartElement(QStringLiteral("status"));
    xml.writeTextElement(QStringLiteral("code"), QStringLiteral("0"));
    xml.writeTextElement(QStringLiteral("text"), QStringLiteral("OK"));
    xml.writeEndElement();
    xml.writeTextElement(QStringLiteral("confid"), QStringLiteral("cfg-1"));
    const qint64 t0 = 1765000000000;
    const char *const fields[] = {"TP",   "TPMax", "M100ms", "M400ms", "MMax",
                                  "S",    "SMax",  "I",      "LRA",    "SPL"};
    for (int l = 0; l < lists; ++l) {
        xml.writeStartElement(QStringLiteral("AGDataList"));
        xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("AG %1").arg(l));
        xml.writeTextElement(QStringLiteral("numAvail"), QString::number(samples));
        for (int s = 0; s < samples; ++s) {
            xml.writeStartElement(QStringLiteral("AGData"));
            xml.writeTextElement(QStringLiteral("tmCode"), QString::number(qint64(s) * 4 + 90000000));
            xml.writeTextElement(QStringLiteral("tmStamp"), QString::number(t0 + s * 100));
            xml.writeTextElement(QStringLiteral("pgmid"), QStringLiteral("3"));
            for (int f = 0; f < 10; ++f)
                xml.writeTextElement(QLatin1String(fields[f]),
                                     QString::number(-23.4 + f * 1.37 + s * 0.01, 'f', 2));
            xml.writeTextElement(QStringLiteral("Flags"), QStringLiteral("0"));
            xml.writeTextElement(QStringLiteral("EventList"), QStringLiteral("0"));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    return body;
}

void BM_ReadDataReply(benchmark::State &state)
{
    const QByteArray body =
        dataReply(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        AcquisitionResponse reply;
        benchmark::DoNotOptimize(reply.parseReplyBytes(body));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
    state.SetBytesProcessed(state.iterations() * body.size());
}

// The general reading of the decoded text, which replies of any other form take.
void BM_ReadDecodedDataReply(benchmark::State &state)
{
    const QByteArray body =
        dataReply(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        AcquisitionResponse reply;
        benchmark::DoNotOptimize(reply.parseReply(decodeReplyBody(body)));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
    state.SetBytesProcessed(state.iterations() * body.size());
}

// A 2-s poll of one audiogroup, of five, and a long catch-up after an outage.
BENCHMARK(BM_ReadDataReply)->Args({1, 20})->Args({5, 20})->Args({1, 3000});
BENCHMARK(BM_ReadDecodedDataReply)->Args({1, 20})->Args({5, 20})->Args({1, 3000});

} // namespace

BENCHMARK_MAIN();
