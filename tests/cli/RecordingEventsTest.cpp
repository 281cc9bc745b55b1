// `info --data` and `measure --events` on recordings with events: EDF+ annotations through
// EDFlib, GDF events through BioSig (a GDF converted by BioSig's save2gdf), on several threads.
#include <edflib.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>

#include "CliRunner.h"
#include "support/EdfWriter.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

using test::CliResult;
using test::RunCli;
using test::TempDir;

TEST(CliRecordingEvents, InfoDataAndMeasureEventsForEdfPlusAndGdf) {
    TempDir dir;
    const std::string edf = dir.File("r.edf"), gdf = dir.File("r.gdf");
    test::WriteEdf(edf, test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS));
    ASSERT_EQ(std::system(("save2gdf -f=GDF '" + edf + "' '" + gdf + "' >/dev/null 2>&1").c_str()),
              0);

    CliResult info = RunCli({"info", "--data", gdf, "--skip-columns", "1"});
    ASSERT_EQ(info.status, 0) << info.err;
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(info.out)).object();
    EXPECT_EQ(object["rate"].toInt(), 2000);
    EXPECT_EQ(object["unit"].toString(), "uV");
    EXPECT_EQ(object["rows"].toInt(), 6000);
    const QJsonArray channels = object["channels"].toArray();
    ASSERT_EQ(channels.size(), 2);
    EXPECT_EQ(channels[0].toObject()["label"].toString(), "EMG2");
    const QJsonArray events = object["events"].toArray();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].toObject()["text"].toString(), "burst");

    CliResult refused = RunCli({"info", "--data", dir.Write("bad.gdf", std::string("GDF 2.51") + std::string(248, '\0') + "\1\2\3")});
    EXPECT_EQ(refused.status, 2);
    EXPECT_FALSE(refused.err.empty());

    ASSERT_EQ(RunCli({"new", dir.File("d.kcd")}).status, 0);
    CliResult measured = RunCli({"measure", dir.File("d.kcd"), "--events", "--jobs", "2", "--data",
                                 gdf, "--data", edf, "--data", gdf});
    ASSERT_EQ(measured.status, 0) << measured.err;
    EXPECT_EQ(measured.out, "file,onset_ms,duration_ms,text\n" + gdf + ",500,0,burst\n" + edf +
                                ",500,0,burst\n" + gdf + ",500,0,burst\n");
}

}  // namespace
}  // namespace tavrel
