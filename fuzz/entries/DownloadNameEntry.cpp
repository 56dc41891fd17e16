// The updater's file naming on arbitrary bytes taken as an address: the name
// never leaves the download folder, is never empty, and fits the file
// system together with any ".0", ".1" number.

#include "DownloadManager.h"
#include "../tests/updater/DownloadNameChecks.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_downloadname";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir folder;
    static DownloadManager* manager = [] {
        auto* m = new DownloadManager;
        m->setDownloadFolder(folder.path());
        return m;
    }();

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString problem = downloadNameProblem(*manager, QUrl::fromEncoded(bytes));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
