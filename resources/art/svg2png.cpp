// Renders the icon drawings to the PNG files the resource bundle carries,
// keeping the transparency. Build and run by hand when a drawing changes:
//   g++ -std=c++17 -fPIC svg2png.cpp -o /tmp/svg2png $(pkg-config --cflags --libs Qt6Gui Qt6Svg)
//   QT_QPA_PLATFORM=offscreen /tmp/svg2png 48 varnel.svg ../icons/varnel.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: svg2png SIZE IN.svg OUT.png\n");
        return 2;
    }
    const int size = QString::fromLocal8Bit(argv[1]).toInt();
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[2]));
    if (size <= 0 || !renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
