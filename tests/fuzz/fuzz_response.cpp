// One reply reader per executable, chosen by KIV_FUZZ_login, KIV_FUZZ_config or
// KIV_FUZZ_data. Bytes in, the way a meter's body reaches a reader.
#include <AcquisitionResponse.h>
#include <GetConfigResponse.h>
#include <LoginResponse.h>
#include <ReplyText.h>

#include "data/AgData.h"
#include "data/AgDataVector.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const QString text = replyDocumentText(decodeReplyBody(body));
#if defined(KIV_FUZZ_login)
    LoginResponse r;
    r.parse(text);
    (void)r.getSession().size();
#elif defined(KIV_FUZZ_config)
    GetConfigResponse r;
    r.parse(text);
    const InstrumentConfig ic = r.getInstrumentConfig();
    for (const AgConfig &ag : ic.getAgConfigs())
        (void)ag.getTargetLoudness();
#elif defined(KIV_FUZZ_data)
    AcquisitionResponse r;
    r.parse(text);
    double sum = 0;
    for (AgDataVector *list : r.getAgDataLists()) {
        for (const AgData &s : *list)
            sum += s.getM400ms() + double(s.getTimestamp());
    }
    // Half of the lists change hands, as the device does with them.
    const QStringList names = r.getAgDataLists().keys();
    for (int i = 0; i < names.size(); i += 2)
        std::unique_ptr<AgDataVector> taken(r.takeAgDataList(names.at(i)));
    (void)sum;
#else
#error "choose a reader"
#endif
    (void)r.isValid();
    (void)r.getCode();
    return 0;
}
