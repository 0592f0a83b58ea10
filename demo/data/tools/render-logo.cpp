// Renders logo.svg into the logo.png of each report template:
//   g++ -std=c++17 -fPIC render-logo.cpp -o render-logo $(pkg-config --cflags --libs Qt5Svg Qt5Gui)
//   QT_QPA_PLATFORM=offscreen ./render-logo logo.svg ../reports/en/genotyper/Standard/logo.png \
//       ../reports/en/genotyper/Summary/logo.png ../reports/de/genotyper/Befund/logo.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s logo.svg output.png...\n", argv[0]);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "%s: not a valid SVG file\n", argv[1]);
        return 1;
    }
    QImage image(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    svg.render(&painter);
    painter.end();
    for (int index = 2; index < argc; ++index) {
        if (!image.save(QString::fromLocal8Bit(argv[index]), "PNG")) {
            std::fprintf(stderr, "%s: cannot write\n", argv[index]);
            return 1;
        }
    }
    return 0;
}
