#include "sandbox/cli.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return sandbox::runCommandLine(QCoreApplication::arguments());
}
