// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/render/text_picture.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "image/render/gui.h"

namespace tessary::render {

std::vector<std::string> installedFontFamilies() {
    std::vector<std::string> families;
    if (!ensureGuiApplication()) return families;
    for (const QString& family : QFontDatabase::families()) families.push_back(family.toStdString());
    return families;
}

std::string defaultFontFamily() {
    return ensureGuiApplication() ? QFont().family().toStdString() : std::string();
}

bool hasText(const std::string& utf8) {
    // Blanks and invisible format characters (zero-width spaces and joiners, byte-order marks) draw nothing.
    for (const char32_t c : QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toUcs4())
        if (!QChar::isSpace(c) && QChar::category(c) != QChar::Other_Format) return true;
    return false;
}

image::Raster renderText(const std::string& utf8, const TextStyle& style) {
    if (!hasText(utf8) || !ensureGuiApplication()) return {};
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.remove(QLatin1Char('\r'));
    const QStringList lines = text.split(QLatin1Char('\n'));

    QFont font = style.family.empty() ? QFont() : QFont(QString::fromStdString(style.family));
    font.setPointSizeF(std::clamp(style.pointSize, 1.0, 1000.0));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    // Outlines scale smoothly; hinted glyphs would change their proportions with the size.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);

    // Laid out on a picture's resolution, so that the measures match the painting.
    QImage probe(1, 1, QImage::Format_RGB32);
    const QFontMetricsF metrics(font, &probe);
    std::vector<double> widths;
    double layoutWidth = 0;
    for (const QString& line : lines) {
        widths.push_back(metrics.horizontalAdvance(line));
        layoutWidth = std::max(layoutWidth, widths.back());
    }
    const double lineHeight = metrics.lineSpacing();
    const double layoutHeight = metrics.height() + lineHeight * static_cast<double>(lines.size() - 1);
    if (layoutWidth <= 0 || layoutHeight <= 0) return {};

    const double scale = std::min(kTextField / layoutWidth, kTextField / layoutHeight);
    const int width = std::clamp(static_cast<int>(std::lround(layoutWidth * scale)), 1, kTextField);
    const int height = std::clamp(static_cast<int>(std::lround(layoutHeight * scale)), 1, kTextField);
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        painter.setFont(font);
        painter.setPen(Qt::black);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const double slack = layoutWidth - widths[static_cast<std::size_t>(i)];
            const double x = style.alignment == TextAlignment::Left     ? 0
                             : style.alignment == TextAlignment::Centre ? slack / 2
                                                                        : slack;
            painter.drawText(QPointF(x, metrics.ascent() + lineHeight * static_cast<double>(i)), lines[i]);
        }
    }
    image::Raster out(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        std::uint8_t* dst = out.at(0, y);
        for (int x = 0; x < width; ++x, dst += 3) {
            dst[0] = static_cast<std::uint8_t>(qRed(line[x]));
            dst[1] = static_cast<std::uint8_t>(qGreen(line[x]));
            dst[2] = static_cast<std::uint8_t>(qBlue(line[x]));
        }
    }
    return out;
}

}  // namespace tessary::render
