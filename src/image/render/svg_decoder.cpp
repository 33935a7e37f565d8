// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/render/svg_decoder.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>
#include <optional>
#include <vector>

#include "image/render/gui.h"
#include "image/render/svg_sniff.h"

namespace tessary::render {
namespace {

using image::kConvertDecodeFailed;
using image::kConvertOk;
using image::kConvertRefused;

// A length in CSS pixels: a number with an absolute unit or none. Percentages and font-relative units
// give no size of their own.
std::optional<double> cssPixels(QStringView text) {
    const QString value = text.trimmed().toString();
    static const struct {
        const char* unit;
        double pixels;
    } kUnits[] = {{"px", 1.0},       {"pt", 96.0 / 72}, {"pc", 16.0},
                  {"mm", 96 / 25.4}, {"cm", 96 / 2.54}, {"in", 96.0}};
    QString number = value;
    double scale = 1.0;
    for (const auto& u : kUnits) {
        if (value.endsWith(QLatin1String(u.unit))) {
            number = value.chopped(2);
            scale = u.pixels;
            break;
        }
    }
    bool ok = false;
    const double d = number.trimmed().toDouble(&ok) * scale;
    if (!ok || !std::isfinite(d) || d <= 0) return std::nullopt;
    return d;
}

struct ViewBox {
    double width = 0, height = 0;
};

std::optional<ViewBox> viewBox(QStringView text) {
    QString s = text.toString();
    s.replace(QLatin1Char(','), QLatin1Char(' '));
    const QStringList parts = s.simplified().split(QLatin1Char(' '));
    if (parts.size() != 4) return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(v[i])) return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0) return std::nullopt;
    return ViewBox{v[2], v[3]};
}

// A reference inside the document itself: a fragment, or data carried in the attribute. Anything else
// (a path, file: or http: URL) would make the renderer open it: a FIFO or device could hang the console.
bool localReference(QStringView value) {
    const QStringView v = value.trimmed();
    return v.startsWith(QLatin1Char('#')) || v.startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
}

struct Document {
    QByteArray cleaned;  // without DTD, processing instructions, comments and outside references
    std::optional<double> width, height;
    std::optional<ViewBox> box;
};

// kConvertRefused when the bytes are not an SVG document, kConvertDecodeFailed when it is one that is
// refused, kConvertOk with the document otherwise.
int readDocument(const QByteArray& bytes, Document& doc) {
    QXmlStreamReader reader(bytes);
    QXmlStreamWriter writer(&doc.cleaned);
    int elements = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
            case QXmlStreamReader::DTD:
                // Entities could expand a few bytes into gigabytes or pull in other files.
                if (!reader.entityDeclarations().isEmpty())
                    return elements ? kConvertDecodeFailed : kConvertRefused;
                break;
            case QXmlStreamReader::EntityReference:
                return kConvertDecodeFailed;
            case QXmlStreamReader::StartElement: {
                if (++elements > kMaxSvgElements) return kConvertDecodeFailed;
                if (elements == 1) {
                    if (reader.name() != QLatin1String("svg")) return kConvertRefused;
                    const QXmlStreamAttributes a = reader.attributes();
                    if (a.hasAttribute(QLatin1String("width")))
                        doc.width = cssPixels(a.value(QLatin1String("width")));
                    if (a.hasAttribute(QLatin1String("height")))
                        doc.height = cssPixels(a.value(QLatin1String("height")));
                    if (a.hasAttribute(QLatin1String("viewBox")))
                        doc.box = viewBox(a.value(QLatin1String("viewBox")));
                }
                writer.writeStartElement(reader.qualifiedName().toString());
                for (const QXmlStreamNamespaceDeclaration& ns : reader.namespaceDeclarations()) {
                    const QString name = ns.prefix().isEmpty()
                                             ? QStringLiteral("xmlns")
                                             : QStringLiteral("xmlns:") + ns.prefix().toString();
                    writer.writeAttribute(name, ns.namespaceUri().toString());
                }
                for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                    if (attribute.name() == QLatin1String("href") && !localReference(attribute.value()))
                        continue;
                    writer.writeAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
                }
                break;
            }
            case QXmlStreamReader::EndElement:
                writer.writeEndElement();
                break;
            case QXmlStreamReader::Characters:
                if (elements) writer.writeCurrentToken(reader);
                break;
            default:  // document start and end, comments, processing instructions (style sheets)
                break;
        }
    }
    if (reader.hasError()) return elements ? kConvertDecodeFailed : kConvertRefused;
    return elements ? kConvertOk : kConvertRefused;
}

}  // namespace

int decodeSvg(const image::decode::Input& in, image::RowSink& sink, const image::DecodeOptions& options,
              image::DecodeInfo* info) {
    if (!looksLikeSvg(in)) return kConvertRefused;
    if (in.size > kMaxSvgBytes) return kConvertDecodeFailed;
    QByteArray bytes(static_cast<qsizetype>(in.size), Qt::Uninitialized);
    if (!image::decode::readAt(in, 0, bytes.data(), static_cast<std::size_t>(bytes.size())))
        return kConvertDecodeFailed;
    Document doc;
    if (const int read = readDocument(bytes, doc); read != kConvertOk) return read;
    bytes.clear();

    double width = 0, height = 0;
    if (doc.width && doc.height) {
        width = *doc.width, height = *doc.height;
    } else if (doc.box) {
        width = doc.width    ? *doc.width
                : doc.height ? *doc.height * doc.box->width / doc.box->height
                             : doc.box->width;
        height = doc.height  ? *doc.height
                 : doc.width ? *doc.width * doc.box->height / doc.box->width
                             : doc.box->height;
    } else {
        return kConvertDecodeFailed;  // no size to fit
    }
    const double ownWidth = std::max(1.0, std::round(width)), ownHeight = std::max(1.0, std::round(height));
    if (ownWidth * ownHeight > static_cast<double>(image::decode::kMaxDeliveredPixels))
        return kConvertDecodeFailed;
    const int w = static_cast<int>(ownWidth), h = static_cast<int>(ownHeight);
    auto [drawnWidth, drawnHeight] = options.drawnSize ? options.drawnSize(w, h) : std::pair{w, h};
    drawnWidth = std::clamp(drawnWidth, 1, w);
    drawnHeight = std::clamp(drawnHeight, 1, h);

    if (!ensureGuiApplication()) return kConvertDecodeFailed;
    QSvgRenderer renderer(doc.cleaned);
    if (!renderer.isValid()) return kConvertDecodeFailed;
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QImage canvas(drawnWidth, drawnHeight, QImage::Format_RGB32);
    if (canvas.isNull()) return kConvertDecodeFailed;
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, drawnWidth, drawnHeight));
    }
    if (!image::decode::startRows(sink, info, image::PictureFormat::Svg, static_cast<std::uint64_t>(w),
                                  static_cast<std::uint64_t>(h), static_cast<std::uint64_t>(drawnWidth),
                                  static_cast<std::uint64_t>(drawnHeight)))
        return kConvertDecodeFailed;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(drawnWidth) * 3);
    for (int y = 0; y < drawnHeight; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < drawnWidth; ++x) {
            rgb[x * 3] = static_cast<std::uint8_t>(qRed(line[x]));
            rgb[x * 3 + 1] = static_cast<std::uint8_t>(qGreen(line[x]));
            rgb[x * 3 + 2] = static_cast<std::uint8_t>(qBlue(line[x]));
        }
        sink.row(y, rgb.data());
    }
    return kConvertOk;
}

}  // namespace tessary::render
