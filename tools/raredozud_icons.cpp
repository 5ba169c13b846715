// Makes the desktop icon files from the window's logo (app::paintLogo):
//   raredozud-icons OUT.svg OUT.png
// The logo is wider than high; an icon is square, so it stands centred on
// a clear square. The PNG is 256 pixels a side, the size the desktop's icon
// themes look for first.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "app/window.h"
#include "support/error.h"
#include "support/files.h"

namespace {

constexpr int kSide = app::kLogoWidth;
constexpr int kPngSide = 256;

void paintIcon(QPainter& p) {
  p.translate(0, (kSide - app::kLogoHeight) / 2.0);
  app::paintLogo(p);
}

QByteArray svg() {
  QBuffer out;
  QSvgGenerator generator;
  generator.setOutputDevice(&out);
  generator.setSize(QSize(kSide, kSide));
  generator.setViewBox(QRect(0, 0, kSide, kSide));
  generator.setResolution(96);  // so that its size in mm is kSide CSS pixels
  generator.setTitle(QStringLiteral("Raredozud"));
  QPainter p(&generator);
  paintIcon(p);
  p.end();
  return out.data();
}

QByteArray png() {
  QImage image(kPngSide, kPngSide, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.scale(double(kPngSide) / kSide, double(kPngSide) / kSide);
  paintIcon(p);
  p.end();
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  image.save(&out, "PNG");
  return out.data();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: raredozud-icons OUT.svg OUT.png\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication qapp(qtArgc, argv);  // the fonts for the logo's name
  try {
    const QByteArray files[] = {svg(), png()};
    for (int i = 0; i < 2; ++i)
      support::writeFile(argv[i + 1], std::string_view(files[i].constData(), files[i].size()));
    return 0;
  } catch (const support::Error& e) {
    std::fprintf(stderr, "raredozud-icons: %s\n",
                 (e.detail().empty() ? e.description() : e.detail()).c_str());
    return 1;
  }
}
