// Renders the program's SVG icon into square PNGs, one per size given, and into one Windows icon
// file holding all of them (32-bit images, stored as PNG as Windows Vista and later read them).
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: render_icon ICON.svg OUT_DIR SIZE...\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render_icon: cannot read %s\n", argv[1]);
    return 1;
  }
  QList<QByteArray> images;
  QList<int> sizes;
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    const QString out =
        QString::fromLocal8Bit(argv[2]) + QStringLiteral("/ombrix-%1.png").arg(size);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size()) {
      std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(out));
      return 1;
    }
    images.append(png);
    sizes.append(size);
  }

  // ICONDIR, one ICONDIRENTRY per image, then the images. A size of 256 is written as 0.
  QByteArray ico;
  auto put16 = [&ico](quint16 v) {
    ico.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 2);
  };
  auto put32 = [&ico](quint32 v) {
    ico.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 4);
  };
  put16(0);
  put16(1);
  put16(static_cast<quint16>(images.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
  for (qsizetype i = 0; i < images.size(); ++i) {
    ico.append(static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]));
    ico.append(static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]));
    ico.append('\0');  // no palette
    ico.append('\0');
    put16(1);   // planes
    put16(32);  // bits per pixel
    put32(static_cast<quint32>(images[i].size()));
    put32(offset);
    offset += static_cast<quint32>(images[i].size());
  }
  for (const QByteArray& png : images) ico.append(png);
  QFile icon(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/ombrix.ico"));
  if (!icon.open(QIODevice::WriteOnly) || icon.write(ico) != ico.size()) {
    std::fprintf(stderr, "render_icon: cannot write ombrix.ico\n");
    return 1;
  }
  return 0;
}
