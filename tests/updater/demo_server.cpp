// Serves a few files slowly on 127.0.0.1 so that the updater's window can be
// watched with a moving bar. Prints the port, then serves until killed.
//   updater_demo_server

#include "TestHttpServer.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TestHttpServer server;
    if (!server.listen())
        return 1;

    TestHttpServer::Route slow;
    slow.body = TestHttpServer::patternBody(400 * 1024, 1);
    slow.pieceSize = 8 * 1024;
    slow.pieceIntervalMs = 100;
    server.setRoute("/a", slow);
    slow.body = TestHttpServer::patternBody(300 * 1024, 2);
    server.setRoute("/b", slow);
    server.setFile("/quick", "quick\n");

    std::printf("%u\n", unsigned(server.port()));
    std::fflush(stdout);
    return app.exec();
}
