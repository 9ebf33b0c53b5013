// Build-time tool: renders the program icon from its one SVG source.
//   merivox_iconrender SOURCE.svg png SIZE OUT.png      one square PNG
//   merivox_iconrender SOURCE.svg ico OUT.ico SIZE...   a Windows icon holding each size as a PNG image
#include <QBuffer>
#include <QDataStream>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QByteArray renderPng(QSvgRenderer &renderer, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// ICO layout: a 6-byte header, one 16-byte entry per image, then the images; little-endian.
// A width or height of 256 is written as 0.
QByteArray icoFile(const QList<int> &sizes, const QList<QByteArray> &pngs)
{
    QByteArray ico;
    QDataStream out(&ico, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(sizes.size());
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const auto side = quint8(sizes[i] >= 256 ? 0 : sizes[i]);
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32) << quint32(pngs[i].size()) << offset;
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray &png : pngs) {
        out.writeRawData(png.constData(), int(png.size()));
    }
    return ico;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

int fail(const char *message)
{
    std::fprintf(stderr, "merivox_iconrender: %s\n", message);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 5) {
        return fail("usage: SOURCE.svg png SIZE OUT.png | SOURCE.svg ico OUT.ico SIZE...");
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        return fail("cannot read the SVG source");
    }
    const QByteArray format = argv[2];
    if (format == "png" && argc == 5) {
        const int size = QByteArray(argv[3]).toInt();
        if (size <= 0 || !writeFile(QString::fromLocal8Bit(argv[4]), renderPng(renderer, size))) {
            return fail("cannot write the PNG");
        }
        return 0;
    }
    if (format == "ico") {
        QList<int> sizes;
        QList<QByteArray> pngs;
        for (int i = 4; i < argc; ++i) {
            sizes.append(QByteArray(argv[i]).toInt());
            if (sizes.last() <= 0 || sizes.last() > 256) {
                return fail("icon sizes run from 1 to 256");
            }
            pngs.append(renderPng(renderer, sizes.last()));
        }
        if (!writeFile(QString::fromLocal8Bit(argv[3]), icoFile(sizes, pngs))) {
            return fail("cannot write the icon");
        }
        return 0;
    }
    return fail("the format is png or ico");
}
