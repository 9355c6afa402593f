#include "oltd/cli.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    oltd::settleTimeZone();
    QCoreApplication app(argc, argv);
    return oltd::runCommandLine(QCoreApplication::arguments());
}
