// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/render/text_picture.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <optional>

#include "image/render/gui.h"

namespace tessary::render {
namespace {

// Lines are laid out at this size and the whole is scaled: outlines scale smoothly, so the proportions do
// not depend on the size.
constexpr double kLayoutPointSize = 36;
constexpr const char* kTooLong = "The text is longer than 20,000 characters: shorten it.";

QString qtext(const std::string& utf8) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.remove(QLatin1Char('\r'));
    return text;
}

QFont fontOf(const TextStyle& style) {
    QFont font = style.family.empty() ? QFont() : QFont(QString::fromStdString(style.family));
    font.setPointSizeF(kLayoutPointSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

// Measures on a picture's resolution, so that they match the painting.
const QImage& probe() {
    static const QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

bool drawn(char32_t c) {
    return !QChar::isSpace(c) && QChar::category(c) != QChar::Other_Format &&
           QChar::category(c) != QChar::Other_Control;
}

// The text's lines at the layout size: where each starts, and the box around all of them (ink included).
struct Layout {
    QFont font;
    QStringList lines;
    std::vector<double> x;
    double left = 0, right = 0, height = 0;
    double ascent = 0, lineSpacing = 0, capHeight = 0;
    double width() const { return right - left; }
};

std::optional<Layout> layOut(const std::string& utf8, const TextStyle& style) {
    if (textTooLong(utf8) || !hasText(utf8) || !ensureGuiApplication()) return std::nullopt;
    Layout l;
    l.font = fontOf(style);
    l.lines = qtext(utf8).split(QLatin1Char('\n'));
    const QFontMetricsF metrics(l.font, &probe());
    std::vector<double> advances;
    double widest = 0;
    for (const QString& line : l.lines) {
        advances.push_back(metrics.horizontalAdvance(line));
        widest = std::max(widest, advances.back());
    }
    bool first = true;
    for (qsizetype i = 0; i < l.lines.size(); ++i) {
        const double advance = advances[static_cast<std::size_t>(i)], slack = widest - advance;
        const double x = style.alignment == TextAlignment::Left     ? 0
                         : style.alignment == TextAlignment::Centre ? slack / 2
                                                                    : slack;
        l.x.push_back(x);
        if (l.lines[i].isEmpty()) continue;
        // Italic and some letters reach past their advance; they must not be cut off.
        const QRectF ink = metrics.boundingRect(l.lines[i]);
        const double from = x + std::min(0.0, ink.left()), to = x + std::max(advance, ink.right());
        l.left = first ? from : std::min(l.left, from);
        l.right = first ? to : std::max(l.right, to);
        first = false;
    }
    l.ascent = metrics.ascent();
    l.lineSpacing = metrics.lineSpacing();
    l.height = metrics.height() + l.lineSpacing * static_cast<double>(l.lines.size() - 1);
    l.capHeight = metrics.capHeight() > 0 ? metrics.capHeight() : metrics.ascent() * 0.7;
    if (l.width() <= 0 || l.height <= 0) return std::nullopt;
    return l;
}

double fillScale(const Layout& l) { return std::min(kTextField / l.width(), kTextField / l.height); }

// Pixels of the field for one point of the layout at the style's size.
double sizeScale(const Layout& l, const TextStyle& style) {
    return style.fillWidth ? fillScale(l) : style.size / kDotsPerPixel / l.capHeight;
}

int pixels(double v) { return std::max(1, static_cast<int>(std::lround(v))); }

}  // namespace

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
        if (drawn(c)) return true;
    return false;
}

bool textTooLong(const std::string& utf8) {
    // Counted by the bytes that start a character.
    const auto starts = std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; });
    return static_cast<std::size_t>(starts) > kMaxTextLength;
}

TextFit measureText(const std::string& utf8, const TextStyle& style) {
    const auto l = layOut(utf8, style);
    if (!l) return {};
    const double scale = sizeScale(*l, style);
    TextFit fit;
    fit.width = static_cast<int>(std::lround(l->width() * scale * kDotsPerPixel));
    fit.height = static_cast<int>(std::lround(l->height * scale * kDotsPerPixel));
    fit.fits = std::lround(l->width() * scale) <= kTextField && std::lround(l->height * scale) <= kTextField;
    // Filled to the width, a long text could keep nothing of its letters: they must be a dot high at least,
    // as at size 1.
    if (style.fillWidth && l->capHeight * scale * kDotsPerPixel < 1) fit.fits = false;
    // The size at which the larger of the text's extents, rounded, is the field's.
    const double perSize = 1 / kDotsPerPixel / l->capHeight;
    const double limit = (kTextField + 0.5) / (std::max(l->width(), l->height) * perSize);
    fit.largestSize = std::clamp(static_cast<int>(std::ceil(limit)) - 1, 0, kMaxTextSize);
    return fit;
}

std::u32string undrawableCharacters(const std::string& utf8, const TextStyle& style, std::size_t limit) {
    std::u32string missing;
    if (textTooLong(utf8) || !ensureGuiApplication()) return missing;
    const QFont font = fontOf(style);
    QSet<char32_t> seen;
    for (const char32_t c : qtext(utf8).toUcs4()) {
        if (missing.size() >= limit) break;
        if (!drawn(c) || seen.contains(c)) continue;
        seen.insert(c);
        // Shaped as the painting shapes it, font fallback included: glyph 0 is the font's "no such glyph".
        QTextLayout layout(QString::fromUcs4(&c, 1), font, const_cast<QImage*>(&probe()));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        bool found = false;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QList<quint32> glyphs = run.glyphIndexes();
            found = found || std::any_of(glyphs.begin(), glyphs.end(), [](quint32 g) { return g != 0; });
        }
        if (!found) missing += c;
    }
    return missing;
}

std::string textRefusal(const std::string& utf8, const TextStyle& style) {
    if (textTooLong(utf8)) return kTooLong;
    if (const std::u32string missing = undrawableCharacters(utf8, style, 1); !missing.empty()) {
        const char32_t c = missing.front();
        return "No installed font can draw \"" + QString::fromUcs4(&c, 1).toStdString() + "\" (" +
               codePointName(c) + "): it would be engraved as an empty box or not at all.";
    }
    const TextFit fit = measureText(utf8, style);
    if (fit.fits || (fit.width == 0 && fit.height == 0)) return {};
    if (style.fillWidth)
        return "The text is too long to fill the width: its capital letters would be less than a dot high. "
               "Shorten it, or break it into more lines.";
    const std::string needs = std::to_string(fit.width) + " x " + std::to_string(fit.height) + " dots of " +
                              std::to_string(kFieldDots) + " x " + std::to_string(kFieldDots);
    return "The text is too large for the engraving field at size " + std::to_string(style.size) +
           " (it needs " + needs + "): " +
           (fit.largestSize > 0 ? "size " + std::to_string(fit.largestSize) + " or less fits"
                                : "shorten its lines") +
           ", or fill the width.";
}

image::Raster renderText(const std::string& utf8, const TextStyle& style) {
    const auto l = layOut(utf8, style);
    if (!l) return {};
    const double scale = std::min(sizeScale(*l, style), fillScale(*l));
    const int width = std::min(pixels(l->width() * scale), kTextField);
    const int height = std::min(pixels(l->height * scale), kTextField);
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        painter.translate(-l->left, 0);
        painter.setFont(l->font);
        painter.setPen(Qt::black);
        for (qsizetype i = 0; i < l->lines.size(); ++i)
            painter.drawText(QPointF(l->x[static_cast<std::size_t>(i)],
                                     l->ascent + l->lineSpacing * static_cast<double>(i)),
                             l->lines[i]);
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
