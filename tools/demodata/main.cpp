// msgdesk-demo-data: writes the demo phone databases and demo .sms backups.
//   msgdesk-demo-data [--layout modern|legacy] --phone DIR
//                               sms.db and AddressBook.sqlitedb in DIR
//   msgdesk-demo-data [--layout modern|legacy] --backups DIR N
//                               N backup files "yyyy.MM.dd.hh.mm.ss.sms" in DIR
// The layout is that of a current phone ("modern") or of one of iOS 5 and
// before ("legacy", the default); it applies to what follows it.

#include "DemoData.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: msgdesk-demo-data [--layout modern|legacy] --phone DIR\n"
                         "       msgdesk-demo-data [--layout modern|legacy] --backups DIR COUNT\n");
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
    demodata::Layout layout = demodata::Layout::Legacy;
    bool didSomething = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--layout") && i + 1 < args.size()) {
            const QString name = args.at(++i);
            if (name == QLatin1String("modern"))
                layout = demodata::Layout::Modern;
            else if (name == QLatin1String("legacy"))
                layout = demodata::Layout::Legacy;
            else
                return usage();
        } else if (args.at(i) == QLatin1String("--phone") && i + 1 < args.size()) {
            const QString dir = args.at(++i);
            if (!demodata::writePhone(dir, layout, &error))
                return fail(error);
            std::printf("%s: %s phone\n", dir.toLocal8Bit().constData(),
                        layout == demodata::Layout::Modern ? "current" : "legacy");
            didSomething = true;
        } else if (args.at(i) == QLatin1String("--backups") && i + 2 < args.size()) {
            const QString dir = args.at(++i);
            bool ok = false;
            const int count = args.at(++i).toInt(&ok);
            if (!ok || count < 1 || count > 1000)
                return usage();
            const QStringList written = demodata::writeBackups(dir, count, layout, &error);
            if (written.isEmpty())
                return fail(error);
            for (const QString& path : written)
                std::printf("%s\n", path.toLocal8Bit().constData());
            didSomething = true;
        } else {
            return usage();
        }
    }
    return didSomething ? 0 : usage();
}
