// Renders the PNG sizes of the program's icon from lexmora.svg at build time, so that the
// pictures never drift from the drawing. The drawing holds only rounded rectangles, which is all
// this reads: render_icon SVG OUT_FOLDER SIZE...  writes OUT_FOLDER/SIZE/lexmora.png.
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QXmlStreamReader>

#include <cstdio>
#include <vector>

namespace {

struct Shape {
    QRectF rect;
    double radius = 0;
    QColor fill;
};

// The rectangles of the drawing in its own units, and the width of its view box.
bool readDrawing(const QString& path, std::vector<Shape>& shapes, double& width) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            width = a.value("width").toDouble();
        } else if (xml.name() == QLatin1String("rect")) {
            shapes.push_back({QRectF(a.value("x").toDouble(), a.value("y").toDouble(),
                                     a.value("width").toDouble(), a.value("height").toDouble()),
                              a.value("rx").toDouble(), QColor(a.value("fill").toString())});
        }
    }
    return !xml.hasError() && width > 0 && !shapes.empty();
}

QImage paint(const std::vector<Shape>& shapes, double width, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / width, size / width);
    painter.setPen(Qt::NoPen);
    for (const Shape& shape : shapes) {
        painter.setBrush(shape.fill);
        painter.drawRoundedRect(shape.rect, shape.radius, shape.radius);
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: render_icon SVG OUT_FOLDER SIZE...\n");
        return 2;
    }
    std::vector<Shape> shapes;
    double width = 0;
    if (!readDrawing(QString::fromLocal8Bit(argv[1]), shapes, width)) {
        std::fprintf(stderr, "render_icon: cannot read the drawing %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString(argv[i]).toInt();
        const QString folder = QString::fromLocal8Bit(argv[2]) + "/" + QString::number(size);
        if (size <= 0 || !QDir().mkpath(folder) ||
            !paint(shapes, width, size).save(folder + "/lexmora.png")) {
            std::fprintf(stderr, "render_icon: cannot write size %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
