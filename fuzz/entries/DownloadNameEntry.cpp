// The updater's file naming on arbitrary bytes taken as an address: the name
// never leaves the download folder, is never empty, and fits the file
// system together with any ".0", ".1" number.

#include "FuzzEntries.h"

#include "DownloadManager.h"
#include "DownloadNameChecks.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzzentries {

int downloadName(const uint8_t* data, size_t size)
{
    // The manager needs an application object; a test program has its own.
    static int argc = 1;
    static char name[] = "fuzz_downloadname";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QCoreApplication> app(QCoreApplication::instance() ? nullptr
                                                                                    : new QCoreApplication(argc, argv));
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

} // namespace fuzzentries
