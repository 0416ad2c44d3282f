// Reading a getData reply, which every meter thread does for every audiogroup and poll.
#include <AcquisitionResponse.h>

#include <benchmark/benchmark.h>

#include <QString>

namespace {

// One list per audiogroup, each of `samples` samples at 100 ms, as a meter writes them.
QString dataReply(int lists, int samples)
{
    QString body = QStringLiteral("<?xml version='1.0' encoding='UTF-8'?><response>"
                                  "<version>0.1</version><reqid>7</reqid>"
                                  "<status><code>0</code><text>OK</text></status>"
                                  "<confid>cfg-1</confid>");
    const qint64 t0 = 1765000000000;
    for (int l = 0; l < lists; ++l) {
        body += QStringLiteral("<AGDataList><Name>AG %1</Name><numAvail>%2</numAvail>")
                    .arg(l)
                    .arg(samples);
        for (int s = 0; s < samples; ++s)
            body += QStringLiteral("<AGData><tmCode>%1</tmCode><tmStamp>%2</tmStamp>"
                                   "<pgmid>3</pgmid><TP>-3.25</TP><TPMax>-1.5</TPMax>"
                                   "<M100ms>-23.4</M100ms><M400ms>-22.8</M400ms>"
                                   "<MMax>-12.1</MMax><S>-23.9</S><SMax>-15.2</SMax>"
                                   "<I>-23.0</I><LRA>6.5</LRA><SPL>78.2</SPL>"
                                   "<Flags>0</Flags><EventList>0</EventList></AGData>")
                        .arg(s * 4)
                        .arg(t0 + s * 100);
        body += QStringLiteral("</AGDataList>");
    }
    return body + QStringLiteral("</response>");
}

void BM_ParseDataReply(benchmark::State &state)
{
    const QString text =
        dataReply(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        AcquisitionResponse reply;
        benchmark::DoNotOptimize(reply.parse(text));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
// A 2-s poll of one audiogroup, of five, and a long catch-up after an outage.
BENCHMARK(BM_ParseDataReply)->Args({1, 20})->Args({5, 20})->Args({1, 3000});

} // namespace

BENCHMARK_MAIN();
