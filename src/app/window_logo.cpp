// The logo is drawn rather than shipped as a file: it always matches the
// product name and needs nothing from the installation folder.
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/window.h"

namespace app {
namespace {

// A sheet of paper with a folded corner and a few text lines.
void drawSheet(QPainter& p, QRectF r, const QColor& paper, const QColor& ink) {
  const double fold = r.width() * 0.28;
  QPainterPath sheet;
  sheet.moveTo(r.topLeft());
  sheet.lineTo(r.right() - fold, r.top());
  sheet.lineTo(r.right(), r.top() + fold);
  sheet.lineTo(r.bottomRight());
  sheet.lineTo(r.bottomLeft());
  sheet.closeSubpath();
  p.setPen(QPen(ink, 2));
  p.setBrush(paper);
  p.drawPath(sheet);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  p.setBrush(paper.darker(115));
  p.drawPath(corner);
  p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
  const double margin = r.width() * 0.18;
  for (int i = 0; i < 4; ++i) {
    double y = r.top() + fold + 10 + i * (r.height() - fold - 16) / 4.0;
    double right = r.right() - margin - (i == 3 ? r.width() * 0.25 : 0);
    p.drawLine(QPointF(r.left() + margin, y), QPointF(right, y));
  }
}

}  // namespace

QPixmap drawLogo() {
  QPixmap logo(kLogoWidth, kLogoHeight);
  logo.fill(Qt::transparent);
  QPainter p(&logo);
  paintLogo(p);
  return logo;
}

void paintLogo(QPainter& p) {
  constexpr int kWidth = kLogoWidth;
  constexpr int kHeight = kLogoHeight;
  p.setRenderHint(QPainter::Antialiasing);

  const QColor navy(0x1f, 0x3a, 0x68);
  const QColor teal(0x1d, 0x8a, 0x8a);
  const QColor paper(0xfb, 0xfb, 0xf6);

  QLinearGradient sky(0, 0, 0, kHeight);
  sky.setColorAt(0, QColor(0xe8, 0xf0, 0xfa));
  sky.setColorAt(1, QColor(0xc9, 0xdb, 0xf0));
  p.setPen(QPen(navy, 2));
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(1, 1, kWidth - 2, kHeight - 2), 14, 14);

  QFont name(QStringLiteral("DejaVu Sans"));
  name.setPixelSize(40);
  name.setBold(true);
  p.setFont(name);
  p.setPen(navy);
  p.drawText(QRectF(0, 10, kWidth, 52), Qt::AlignCenter, QStringLiteral("Raredozud"));

  // The emblem: a document turned into a stack of course pages.
  drawSheet(p, QRectF(40, 78, 74, 100), paper, navy);
  p.setPen(QPen(teal, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(126, 128), QPointF(158, 128));
  p.setBrush(teal);
  p.drawPolygon(QPolygonF({QPointF(156, 116), QPointF(172, 128), QPointF(156, 140)}));
  for (int i = 2; i >= 0; --i)
    drawSheet(p, QRectF(184 + i * 9, 78 + i * 9, 56, 82),
              i == 0 ? paper : paper.darker(105 + 4 * i), navy);
}

}  // namespace app
