// msgdesk-demo-data: writes the demo phone databases and demo .sms backups.
//   msgdesk-demo-data --phone DIR         sms.db and AddressBook.sqlitedb in DIR
//   msgdesk-demo-data --backups DIR N     N backup files "yyyy.MM.dd.hh.mm.ss.sms" in DIR

#include "DemoData.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: msgdesk-demo-data --phone DIR\n"
                         "       msgdesk-demo-data --backups DIR COUNT\n");
    return 2;
}

int fail(const QString& error)
{
    std::fprintf(stderr, "msgdesk-demo-data: %s\n", error.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();

    QString error;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--phone") && i + 1 < args.size()) {
            const QString dir = args.at(++i);
            if (!demodata::writePhone(dir, &error))
                return fail(error);
            std::printf("%s: %lld messages, %lld contacts\n", dir.toLocal8Bit().constData(),
                        static_cast<long long>(demodata::messages().size()),
                        static_cast<long long>(demodata::people().size()));
        } else if (args.at(i) == QLatin1String("--backups") && i + 2 < args.size()) {
            const QString dir = args.at(++i);
            bool ok = false;
            const int count = args.at(++i).toInt(&ok);
            if (!ok || count < 1 || count > 1000)
                return usage();
            const QStringList written = demodata::writeBackups(dir, count, &error);
            if (written.isEmpty())
                return fail(error);
            for (const QString& path : written)
                std::printf("%s\n", path.toLocal8Bit().constData());
        } else {
            return usage();
        }
    }
    return 0;
}
