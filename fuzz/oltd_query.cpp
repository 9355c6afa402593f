// zelcrm-oltd's reading of a request: the address as it arrives, its query
// keys and values, and the page run on them against the simulated network.
#include "core/clock.h"
#include "fuzz_input.h"
#include "oltd/pages.h"
#include "oltd/simulated_driver.h"
#include "oltd/simulated_network.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

namespace {

struct Network {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("network.sqlite"));
    core::SystemClock clock;
    std::unique_ptr<oltd::SimulatedDriver> driver;
    Network() {
        oltd::sim::seedSynthetic(file, 2, 16);
        driver = std::make_unique<oltd::SimulatedDriver>(file, clock, 0);
    }
};

Network* network = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    network = new Network;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto& pages = oltd::pageList();
    const oltd::PageInfo& page =
        pages.at(qsizetype(in.ConsumeIntegralInRange<size_t>(0, size_t(pages.size()) - 1)));
    // Mostly every key the page needs, with raw (still percent-encoded)
    // values, so the page itself runs; then whatever else the address holds.
    QByteArray target = "/olt/" + page.name.toUtf8() + '?';
    for (const QString& key : page.keys)
        if (in.ConsumeIntegralInRange<int>(0, 15) != 0)
            target += key.toUtf8() + '=' +
                      QByteArray::fromStdString(in.ConsumeRandomLengthString(64)) + '&';
    target += QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());
    const QUrl url = QUrl::fromEncoded(target);
    const QUrlQuery query(url);
    for (const QString& key : page.keys)
        oltd::queryValue(query, key);
    if (!oltd::missingKey(page, query).isEmpty())
        return 0;
    oltd::PageContext context{*network->driver, network->clock.now(), 72,
                              [](const QList<oltd::OnuSummary>&) { return true; }};
    const oltd::PageAnswer answer = oltd::servePage(page, query, context);
    fuzz::require(answer.status >= 200 && answer.status < 600, "an HTTP status",
                  QString::fromUtf8(target));
    return 0;
}
