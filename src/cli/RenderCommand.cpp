// `render`: draws what the graph view shows (all sixteen bands at the zoom given, with the
// absolute-scale measuring pass when asked, and the recording's events unless told not to) or the
// magnifier picture of one channel and sample range, into a PNG, SVG or PDF file.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <array>
#include <functional>

#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/DataOptions.h"
#include "document/BandLayout.h"
#include "document/KaisekiDoc.h"
#include "gui/platform/GraphPicture.h"

namespace tavrel::cli {

namespace {

// The graph view's scrolling area at zoom 1 and its number of bands.
constexpr int kViewWidth = 770;
constexpr int kViewHeight = 2560;
// The magnifier window's first size.
constexpr int kMagnifierWidth = 600;
constexpr int kMagnifierHeight = 250;
// The largest picture: the graph view at the largest zoom (30800 x 5120).
constexpr long long kMaxPixels = 40LL * kViewWidth * 2 * kViewHeight;
constexpr int kMaxSide = 32767;

enum class ImageKind { Png, Svg, Pdf };

struct RenderRequest {
    ImageKind kind = ImageKind::Png;
    int width = 0;
    int height = 0;
    int channel = -1;  // -1: the graph view; else the magnifier of this channel (0-15)
    SampleRange range;
    std::vector<int> bands;  // the graph view: the channels drawn, one band each
    int bandHeight = 0;
    bool events = true;  // the recording's events on the graphs
};

ImageKind KindOf(const CommandLine& line, const QString& path) {
    const QString lower = path.toLower();
    if (lower.endsWith(".png")) return ImageKind::Png;
    if (lower.endsWith(".svg")) return ImageKind::Svg;
    if (lower.endsWith(".pdf")) return ImageKind::Pdf;
    throw line.UsageError("-o: the output must end in .png, .svg or .pdf");
}

// Parses "A<sep>B" into two whole numbers in [low, high].
std::array<int, 2> ParsePair(const CommandLine& line, const char* name, QChar separator, int low,
                             int high) {
    const QString text = line.Value(name);
    const QStringList parts = text.split(separator);
    std::array<int, 2> values{};
    bool good = parts.size() == 2;
    for (int i = 0; good && i < 2; ++i) {
        bool ok = false;
        const qlonglong v = parts[i].trimmed().toLongLong(&ok);
        good = ok && v >= low && v <= high;
        values[static_cast<std::size_t>(i)] = good ? static_cast<int>(v) : 0;
    }
    if (!good)
        throw line.UsageError(
            std::string("--") + name + ": expected A" + static_cast<char>(separator.toLatin1()) +
            "B with whole numbers "
            "from " +
            std::to_string(low) + " to " + std::to_string(high) + ", not \"" + Utf8(text) + "\"");
    return values;
}

void Paint(QPainter& painter, CKaisekiDoc& doc, const RenderRequest& request) {
    if (request.channel >= 0) {
        // The magnifier: the whole picture is one band, no measuring pass.
        qt::PaintMagnifier(painter, doc, request.channel, request.range, request.width,
                           request.height, request.events);
        return;
    }
    qt::PaintBands(painter, doc, request.bands, request.width, request.bandHeight, request.events);
}

// The picture's file bytes.
QByteArray RenderToBytes(CKaisekiDoc& doc, const RenderRequest& request,
                         const std::string& outPath) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QSize size(request.width, request.height);
    switch (request.kind) {
        case ImageKind::Png: {
            QImage image(size, QImage::Format_RGB32);
            if (image.isNull()) throw FileError(outPath, "not enough memory for the picture");
            {
                QPainter painter(&image);
                Paint(painter, doc, request);
            }
            if (!image.save(&buffer, "PNG")) throw FileError(outPath, "cannot encode the picture");
            break;
        }
        case ImageKind::Svg: {
            QSvgGenerator generator;
            generator.setOutputDevice(&buffer);
            generator.setSize(size);
            generator.setViewBox(QRect(QPoint(0, 0), size));
            generator.setTitle("Tavrel");
            QPainter painter(&generator);
            Paint(painter, doc, request);
            break;
        }
        case ImageKind::Pdf: {
            // One page of exactly the picture's size, one point per pixel.
            QPdfWriter writer(&buffer);
            writer.setResolution(72);
            writer.setPageSize(QPageSize(QSizeF(request.width, request.height), QPageSize::Point,
                                         QString(), QPageSize::ExactMatch));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            writer.setCreator("Tavrel");
            QPainter painter(&writer);
            Paint(painter, doc, request);
            break;
        }
    }
    return buffer.data();
}

}  // namespace

int RunRender(const QStringList& arguments) {
    CommandLine line(
        "render DOC.kcd -o OUT.png|OUT.svg|OUT.pdf [options]",
        "Draws what the graph view shows (16 bands, 770 x zoomX by 2560 x zoomY pixels) or, "
        "with --channel, the magnifier picture of one channel and sample range; --hide-empty "
        "leaves out the bands of channels without data.");
    line.AddPositional("DOC.kcd", "The document file.");
    line.AddOption({{"o", "output"}, "The picture to write (.png, .svg or .pdf).", "OUT"});
    line.AddOption({"data", "Read this data file instead of the document's.", "PATH"});
    line.AddOption({"absolute", "Absolute display: all bands scaled to the common maximum."});
    line.AddOption({"zoom-x", "Time-axis zoom: 1, 2, 4, 10, 20 or 40.", "N"});
    line.AddOption({"zoom-y", "Value-axis zoom: 1 or 2.", "N"});
    line.AddOption({"channel", "Draw the magnifier picture of this channel (1-16).", "K"});
    line.AddOption(
        {"range", "Sample range of the magnifier (default: the whole output).", "FIRST:LAST"});
    line.AddOption({"size", "Size of the magnifier picture (default 600x250).", "WxH"});
    line.AddOption({"hide-empty", "Leave out the bands of channels without data."});
    line.AddOption({"no-events", "Leave out the recording's events (annotations, markers)."});
    AddJobsOption(line);
    AddDataOptions(line);
    line.Parse(arguments);

    if (!line.IsSet("output")) throw line.UsageError("-o OUT is required");
    const QString out = line.Value("output");
    RenderRequest request;
    request.kind = KindOf(line, out);
    request.events = !line.IsSet("no-events");
    const DataOptions options = ReadDataOptions(line);
    BatchJobs(line);
    if (options.dataFiles.size() > 1) throw line.UsageError("render reads one --data file");
    const int zoomX = line.IntOption("zoom-x", 1, 40).value_or(1);
    if (zoomX != 1 && zoomX != 2 && zoomX != 4 && zoomX != 10 && zoomX != 20 && zoomX != 40)
        throw line.UsageError("--zoom-x: expected 1, 2, 4, 10, 20 or 40");
    const int zoomY = line.IntOption("zoom-y", 1, 2).value_or(1);
    if (auto channel = line.IntOption("channel", 1, CKaisekiDoc::kChannels)) {
        request.channel = *channel - 1;
        request.width = kMagnifierWidth;
        request.height = kMagnifierHeight;
        if (line.IsSet("range")) {
            const auto range = ParsePair(line, "range", ':', 0, std::numeric_limits<int>::max());
            request.range = {range[0], range[1]};
        }
        if (line.IsSet("size")) {
            const auto size = ParsePair(line, "size", 'x', 1, kMaxSide);
            if (static_cast<long long>(size[0]) * size[1] > kMaxPixels)
                throw line.UsageError("--size: at most " + std::to_string(kMaxPixels) + " pixels");
            request.width = size[0];
            request.height = size[1];
        }
    } else {
        if (line.IsSet("range") || line.IsSet("size"))
            throw line.UsageError("--range and --size need --channel");
        request.width = kViewWidth * zoomX;
        request.bandHeight = kViewHeight * zoomY / CKaisekiDoc::kChannels;
    }
    if (request.channel >= 0 && line.IsSet("hide-empty"))
        throw line.UsageError("--hide-empty draws the graph view; it does not go with --channel");

    const std::string outPath = FileName(out);
    // Created first, so an output that cannot be written fails before any drawing.
    AtomicFile file(outPath);
    ScopedCliHost host;
    CKaisekiDoc doc;
    PrepareDocument(doc, ReadDocument(FileName(line.Positional(0))), options,
                    options.dataFiles.isEmpty() ? QString() : options.dataFiles.first(),
                    host.Get());
    doc.m_display.m_zoomX = zoomX;
    doc.m_display.m_zoomY = zoomY;
    doc.m_display.m_absoluteScale = line.IsSet("absolute") ? 1 : 0;
    if (request.channel < 0) {
        request.bands = ShownChannels(doc, line.IsSet("hide-empty"));
        request.height = request.bandHeight * static_cast<int>(request.bands.size());
    }

    const QByteArray bytes = RenderToBytes(doc, request, outPath);
    if (!file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        file.Fail();
    file.Commit();
    host.Get().FlushWarnings();
    return kExitOk;
}

std::unique_ptr<QCoreApplication> RenderApplication(int& argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace tavrel::cli
