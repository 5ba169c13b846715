// Makes the desktop icon files from the window's logo (app::paintLogo):
//   raredozud-icons OUT.svg OUT.png
// or checks that the files given are the logo as it is drawn now:
//   raredozud-icons --check SVG PNG
// The logo is wider than high; an icon is square, so it stands centred on
// a clear square. The PNG is 256 pixels a side, the size the desktop's icon
// themes look for first.
//
// The check holds on any machine: where the logo's name stands depends on
// the fonts installed and their settings, so the SVG is compared without
// its text's position, and the PNG (pixels of text drawn with those fonts)
// must decode to an icon of its size, not match byte for byte.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <cstdio>
#include <cstring>
#include <string>

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

// The SVG without where its text stands.
QByteArray withoutTextPosition(QByteArray svg) {
  static const QRegularExpression position(QStringLiteral("(<text\\b[^>]*?) x=\"[^\"]*\" y=\"[^\"]*\""));
  return QString::fromUtf8(svg).replace(position, QStringLiteral("\\1")).toUtf8();
}

// What is wrong with the icon files, or "" when they are the logo now.
std::string check(const char* svgPath, const char* pngPath) {
  QFile svgFile(QString::fromLocal8Bit(svgPath));
  if (!svgFile.open(QIODevice::ReadOnly)) return std::string(svgPath) + " cannot be read";
  if (withoutTextPosition(svgFile.readAll()) != withoutTextPosition(svg()))
    return std::string(svgPath) + " is not the logo as drawn now";
  const QImage image(QString::fromLocal8Bit(pngPath), "PNG");
  if (image.isNull()) return std::string(pngPath) + " is not a PNG that decodes";
  if (image.size() != QSize(kPngSide, kPngSide) || !image.hasAlphaChannel())
    return std::string(pngPath) + " is not a clear square of " + std::to_string(kPngSide) +
           " pixels";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const bool checking = argc == 4 && std::strcmp(argv[1], "--check") == 0;
  if (argc != 3 && !checking) {
    std::fprintf(stderr, "usage: raredozud-icons OUT.svg OUT.png\n"
                         "       raredozud-icons --check SVG PNG\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication qapp(qtArgc, argv);  // the fonts for the logo's name
  if (checking) {
    const std::string problem = check(argv[2], argv[3]);
    if (problem.empty()) return 0;
    std::fprintf(stderr, "raredozud-icons: %s: cmake --build build --target icons\n",
                 problem.c_str());
    return 1;
  }
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
