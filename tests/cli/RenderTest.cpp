// `render`: the graph view and the magnifier picture, drawn into PNG, SVG and PDF files.
#include <edflib.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QXmlStreamReader>
#include <cmath>
#include <filesystem>

#include "CliFixtures.h"
#include "CliRunner.h"
#include "platform/Archive.h"
#include "support/EdfWriter.h"

namespace tavrel {
namespace {

using test::RunCli;
using test::TempDir;

bool IsBlack(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(0, 0, 0);
}
bool IsWhite(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// The one-pixel black outline of a band (over which the graph area, from x = 70, draws its own
// dark frame) and the white strip between the label and the graph area.
void ExpectBand(const QImage& image, const QRect& band) {
    for (int x = band.left(); x <= band.right(); x += 7) {
        for (int y : {band.top(), band.bottom()}) {
            if (x < band.left() + 70) {
                EXPECT_TRUE(IsBlack(image, x, y)) << x << "," << y;
            } else {
                EXPECT_LT(qGray(image.pixel(x, y)), 64) << x << "," << y;
            }
        }
    }
    for (int y = band.top(); y <= band.bottom(); y += 5) {
        EXPECT_TRUE(IsBlack(image, band.left(), y)) << band.left() << "," << y;
        EXPECT_LT(qGray(image.pixel(band.right(), y)), 64) << band.right() << "," << y;
    }
    // Below the label and left of the graph area (x = 70) nothing is drawn.
    for (int y = band.top() + 30; y < band.bottom(); y += 3) {
        for (int x = band.left() + 1; x < band.left() + 70; x += 4)
            EXPECT_TRUE(IsWhite(image, x, y)) << x << "," << y;
    }
}

class CliRender : public ::testing::Test {
  protected:
    void SetUp() override {
        doc = test::WriteDocument(dir, "doc.kcd");
        // Column 0 a small sine, column 1 a large one.
        csv = test::WriteCsv(dir, "data.csv", 400, 2, [](int r, int c) {
            return (c == 0 ? 1.0 : 100.0) * std::sin(r / 20.0);
        });
    }
    QImage Render(std::vector<std::string> arguments) {
        const std::string out = dir.File("out.png");
        std::filesystem::remove(out);
        arguments.insert(arguments.begin(), {"render", doc, "-o", out, "--data", csv});
        auto result = RunCli(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.err.empty()) << result.err;
        return QImage(QString::fromStdString(out));
    }
    TempDir dir;
    std::string doc;
    std::string csv;
};

TEST_F(CliRender, GraphViewIsSixteenBandsAtTheZoomGiven) {
    const QImage view = Render({});
    ASSERT_EQ(view.size(), QSize(770, 2560));
    for (int k = 0; k < 16; ++k)
        ExpectBand(view, QRect(0, k * 160, 770, 160));

    const QImage zoomed = Render({"--zoom-x", "2", "--zoom-y", "2"});
    ASSERT_EQ(zoomed.size(), QSize(1540, 5120));
    for (int k = 0; k < 16; k += 5)
        ExpectBand(zoomed, QRect(0, k * 320, 1540, 320));
}

TEST_F(CliRender, AbsoluteScaleShrinksTheSmallerChannelOnly) {
    const QImage relative = Render({});
    const QImage absolute = Render({"--absolute"});
    ASSERT_EQ(relative.size(), absolute.size());
    // Channel 2 holds the common maximum and looks the same; channel 1 is scaled down to it.
    EXPECT_EQ(relative.copy(0, 160, 770, 160), absolute.copy(0, 160, 770, 160));
    EXPECT_NE(relative.copy(0, 0, 770, 160), absolute.copy(0, 0, 770, 160));
}

TEST_F(CliRender, MagnifierDrawsOneChannelOverTheWholePicture) {
    const QImage whole = Render({"--channel", "2"});
    ASSERT_EQ(whole.size(), QSize(600, 250));
    ExpectBand(whole, QRect(0, 0, 600, 250));

    const QImage part = Render({"--channel", "2", "--range", "100:200"});
    EXPECT_NE(part, whole);
    const QImage other = Render({"--channel", "1", "--range", "100:200"});
    EXPECT_NE(part, other);

    const QImage sized = Render({"--channel", "2", "--size", "300x120"});
    ASSERT_EQ(sized.size(), QSize(300, 120));
    ExpectBand(sized, QRect(0, 0, 300, 120));
}

TEST_F(CliRender, ProbeDisplayDrawsTheProbesData) {
    doc = test::WriteDocument(dir, "probe.kcd", [](CKaisekiDoc& d) {
        test::AppendModule(d, 1, "CDmyPipe", [](Archive& a) { a.WriteInt(1); });
        test::AppendModule(d, 1, "CDiodeFilter", [](Archive& a) {
            a.WriteInt(1);
            a.WriteInt(1);
        });
    });
    ASSERT_EQ(test::ReadFileBytes(doc).find("CDmyPipe") != std::string::npos, true)
        << "the probe is not built yet";
    const QImage normal = Render({});
    const QImage probe = Render({"--probe"});
    // CH2 shows the unrectified probe data; CH1 has no probe and looks the same.
    EXPECT_EQ(normal.copy(0, 0, 770, 160), probe.copy(0, 0, 770, 160));
    EXPECT_NE(normal.copy(0, 160, 770, 160), probe.copy(0, 160, 770, 160));
}

TEST_F(CliRender, SvgAndPdfHaveThePicturesSize) {
    const std::string svg = dir.File("view.svg");
    auto result = RunCli({"render", doc, "-o", svg, "--data", csv, "--zoom-y", "2"});
    ASSERT_EQ(result.status, 0) << result.err;
    QXmlStreamReader xml(QByteArray::fromStdString(test::ReadFileBytes(svg)));
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("svg"));
    EXPECT_EQ(xml.attributes().value("viewBox"), QStringLiteral("0 0 770 5120"));

    const std::string pdf = dir.File("mag.PDF");
    result = RunCli({"render", doc, "-o", pdf, "--data", csv, "--channel", "1"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string bytes = test::ReadFileBytes(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    // One page of the magnifier's size, one point per pixel.
    const std::size_t box = bytes.find("/MediaBox [0 0 600");
    ASSERT_NE(box, std::string::npos);
    EXPECT_EQ(std::stod(bytes.substr(bytes.find(' ', box + 15) + 1, 10)), 250.0);
}

// The reading and data options act on the picture as on the export: the unit and factor in the
// scale labels, the period in the time axis, the header rows and skipped columns in the data.
TEST_F(CliRender, DataOptionsChangeWhatIsDrawn) {
    const std::string svg = dir.File("labels.svg");
    auto texts = [&](std::vector<std::string> options) {
        std::filesystem::remove(svg);
        options.insert(options.begin(), {"render", doc, "-o", svg, "--data", csv});
        auto result = RunCli(options);
        EXPECT_EQ(result.status, 0) << result.err;
        return test::ReadFileBytes(svg);
    };
    const std::string plain = texts({});
    EXPECT_NE(plain.find("[mV]<"), std::string::npos);
    EXPECT_EQ(plain.find("[V]<"), std::string::npos);
    EXPECT_NE(plain.find(">200[ms]<"), std::string::npos);  // 400 samples at 2000 Hz: 0-200 ms

    const std::string volts = texts({"--unit", "V", "--factor", "10", "--period", "1"});
    EXPECT_EQ(volts.find("[mV]<"), std::string::npos);
    EXPECT_NE(volts.find(">x2.5[V]<"), std::string::npos);  // the factor multiplies the scale
    EXPECT_NE(volts.find(">400[ms]<"), std::string::npos);  // 400 samples at 1000 Hz: 0-400 ms
    EXPECT_EQ(volts.find(">200[ms]<"), std::string::npos);

    // Column 0 skipped: CH1 draws the large sine, whose scale is 100 times that of the small one.
    EXPECT_NE(texts({"--skip-columns", "1"}), plain);
    EXPECT_NE(texts({"--header-rows", "99"}), plain);
    EXPECT_NE(texts({"--max-rows", "50"}), plain);
}

// An EDF+ file's annotation on every band with data, unless left out.
TEST_F(CliRender, EventsAreDrawnAtTheirTime) {
    csv = dir.File("r.edf");
    ASSERT_TRUE(test::WriteEdf(csv, test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS)));
    const QImage view = Render({});
    // "burst" at 500 ms of 3 s: x = 110 + round(1000 * 620 / 6000), above the traces.
    for (int band : {0, 1, 2})
        EXPECT_EQ(view.pixel(213, band * 160 + 25), qRgb(170, 0, 170)) << band;
    EXPECT_TRUE(IsWhite(view, 213, 3 * 160 + 25));
    EXPECT_TRUE(IsWhite(Render({"--no-events"}), 213, 25));
    // The magnifier over 250-750 ms: 500 ms in the middle of its 450 pixels from x = 110.
    EXPECT_EQ(Render({"--channel", "1", "--range", "500:1500"}).pixel(335, 25), qRgb(170, 0, 170));
}

TEST_F(CliRender, FailuresLeaveNoPicture) {
    const std::string out = dir.File("out.png");
    // The data file cannot be opened: status 2, one line naming it.
    auto result = RunCli({"render", doc, "-o", out, "--data", dir.File("absent.csv")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("absent.csv"), std::string::npos) << result.err;
    // The document names a data file that is gone.
    const std::string named = test::WriteDocument(
        dir, "named.kcd", [&](CKaisekiDoc& d) { d.m_dataFilePath = dir.File("gone.csv"); });
    result = RunCli({"render", named, "-o", out});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("gone.csv"), std::string::npos) << result.err;
    // Not a document.
    const std::string broken = dir.Write("broken.kcd", "KCD? no");
    result = RunCli({"render", broken, "-o", out, "--data", csv});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("broken.kcd"), std::string::npos) << result.err;
    // The output cannot be written.
    result = RunCli({"render", doc, "-o", dir.File("no/folder/out.png"), "--data", csv});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_FALSE(std::filesystem::exists(out));

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"render", doc, "-o", dir.File("out.bmp")},
             {"render", doc},
             {"render", doc, "-o", out, "--zoom-x", "3"},
             {"render", doc, "-o", out, "--zoom-y", "4"},
             {"render", doc, "-o", out, "--range", "1:5"},
             {"render", doc, "-o", out, "--channel", "17"},
             {"render", doc, "-o", out, "--channel", "1", "--size", "600"},
             {"render", doc, "-o", out, "--channel", "1", "--range", "5"},
             {"render", doc, "-o", out, "--data", csv, "--data", csv},
         }) {
        result = RunCli(bad);
        EXPECT_EQ(result.status, 1) << bad.back();
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(CliRender, RenderRunsTheDrawingProgramBesideTheToolOrFailsClearly) {
    // An installed tree: the tool in bin, the program that draws in lib/tavrel.
    namespace fs = std::filesystem;
    fs::create_directories(dir.File("tree/bin"));
    fs::create_directories(dir.File("tree/lib/tavrel"));
    fs::copy_file(TAVREL_CLI, dir.File("tree/bin/tavrel-cli"));
    test::CliEnvironment installed;
    installed.program = dir.File("tree/bin/tavrel-cli");
    const std::string out = dir.File("out.png");
    const std::vector<std::string> render{"render", doc, "-o", out, "--data", csv};

    auto result = RunCli(render, installed);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("tavrel-cli-render"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(RunCli({"info", doc}, installed).status, 0);  // the other commands need nothing

    fs::copy_file(fs::path(TAVREL_CLI).parent_path() / "tavrel-cli-render",
                  dir.File("tree/lib/tavrel/tavrel-cli-render"));
    result = RunCli(render, installed);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(QImage(QString::fromStdString(out)).size(), QSize(770, 2560));
    result = RunCli({"help", "render"}, installed);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("Usage: tavrel-cli render", 0), 0u) << result.out;
}

TEST_F(CliRender, HideEmptyLeavesOutTheBandsWithoutData) {
    // Eight columns of data feed CH1-CH8; CH9-CH16 have nothing to show.
    csv = test::WriteCsv(dir, "eight.csv", 400, 8,
                         [](int r, int c) { return (c + 1) * std::sin(r / 9.0); });
    const QImage all = Render({});
    const QImage shown = Render({"--hide-empty"});
    ASSERT_EQ(shown.size(), QSize(770, 8 * 160));
    // The eight bands are those of the full picture, pixel for pixel.
    EXPECT_EQ(shown, all.copy(0, 0, 770, 8 * 160));
    auto refused = RunCli(
        {"render", doc, "-o", dir.File("m.png"), "--data", csv, "--channel", "1", "--hide-empty"});
    EXPECT_NE(refused.status, 0);
}

}  // namespace
}  // namespace tavrel
