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
    const auto& specs = oltd::pageSpecs();
    const size_t pick = in.ConsumeIntegralInRange<size_t>(0, size_t(specs.size()) - 1);
    const std::string target = in.ConsumeRemainingBytesAsString();
    const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(target));
    const QUrlQuery query(url);
    const QString path = url.path();
    const oltd::PageSpec* page = oltd::findPage(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    if (!page)
        page = &specs.at(qsizetype(pick));
    for (const QString& key : page->keys)
        oltd::queryValue(query, key);
    if (!oltd::missingKey(*page, query).isEmpty())
        return 0;
    const oltd::PageAnswer answer = oltd::servePage(*page, query, *network->driver);
    fuzz::require(answer.status >= 200 && answer.status < 600);
    return 0;
}
