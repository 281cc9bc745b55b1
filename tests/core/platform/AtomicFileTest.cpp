// Saving replaces a file whole or not at all: a write that fails half-way (here: a file-size limit
// in a child process) leaves the old document and the old export byte for byte as they were and
// no temporary file, and the failure is reported. A replacement keeps the old file's permissions
// and writes through a symbolic link; a device is written directly, never replaced.
#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

std::set<std::string> Names(const test::TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.insert(entry.path().filename().string());
    return names;
}

// Runs `body` in a child process whose files cannot grow past `limit` bytes (a write beyond
// fails with EFBIG instead of raising SIGXFSZ); returns the child's exit status.
int RunWithFileSizeLimit(rlim_t limit, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        _exit(setrlimit(RLIMIT_FSIZE, &small) == 0 ? body() : 100);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

TEST(AtomicFile, AFailedSaveOrExportLeavesTheOldFilesAsTheyWere) {
    test::TempDir dir;
    const std::string oldDocument(1000, 'D');
    const std::string oldExport(1000, 'E');
    const std::string document = dir.Write("doc.kcd", oldDocument);
    const std::string exported = dir.Write("out.csv", oldExport);
    const std::string data = dir.Write("run1.csv", "1,10\n2,20\n3,30\n4,40\n");

    auto open = [&](CKaisekiDoc& doc) {
        doc.OnNewDocument();
        doc.m_dataFilePath = data;
        ASSERT_TRUE(test::LoadDataFile(doc));
        doc.SetModifiedFlag();
    };
    const int status = RunWithFileSizeLimit(16, [&] {
        test::ScriptedHost host;
        CKaisekiDoc doc;
        open(doc);
        int faults = 0;
        // The save reports the failure and the document stays modified.
        if (doc.SaveDocumentFile(document)) faults |= 1;
        if (!doc.IsModified()) faults |= 2;
        ExportSettings settings;
        settings.m_header = 1;
        if (WriteProcessedData(doc, exported, settings)) faults |= 4;
        host.saveFileAnswer = exported;
        host.exportScript = [](ExportSettings&) { return true; };
        ExportProcessedData(doc);
        if (host.messages != std::vector<std::string>{"ファイルが開けませんでした。"}) faults |= 8;
        return faults;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::ReadFileBytes(document), oldDocument);
    EXPECT_EQ(test::ReadFileBytes(exported), oldExport);
    EXPECT_EQ(Names(dir), (std::set<std::string>{"doc.kcd", "out.csv", "run1.csv"}));

    // Without the limit both are replaced.
    test::ScriptedHost host;
    CKaisekiDoc doc;
    open(doc);
    ASSERT_TRUE(doc.SaveDocumentFile(document));
    EXPECT_EQ(test::ReadFileBytes(document), doc.SaveToBytes());
    ASSERT_TRUE(WriteProcessedData(doc, exported, ExportSettings{}));
    EXPECT_EQ(test::ReadFileBytes(exported),
              "CH1([mV]),CH2([mV])\r\n1,10\r\n2,20\r\n3,30\r\n4,40\r\n");
    EXPECT_EQ(Names(dir).size(), 3u);
}

TEST(AtomicFile, KeepsPermissionsAndWritesThroughSymbolicLinks) {
    test::TempDir dir;
    const std::string target = dir.Write("target.kcd", "old");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    const std::string link = dir.File("link.kcd");
    std::filesystem::create_symlink(target, link);

    test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.SaveDocumentFile(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFileBytes(target), doc.SaveToBytes());
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(dir).size(), 2u);

    // A missing folder fails before anything is written, with the system's reason.
    std::string reason;
    EXPECT_FALSE(WriteFileAtomically(dir.File("no/such.kcd"), "x", &reason));
    EXPECT_FALSE(reason.empty());
    // A device is written directly: it is not replaced by a file (even for the superuser).
    if (std::filesystem::is_character_file("/dev/null")) {
        EXPECT_TRUE(WriteFileAtomically("/dev/null", "x"));
        EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    }
}

// Long files are flushed by a thread of their own while they are written: the bytes arrive
// whole, and a failure past the first flushes, or a file given up, still leaves the old one.
TEST(AtomicFile, LongFilesFlushedWhileWrittenReplaceTheOldOneWholeOrNotAtAll) {
    test::TempDir dir;
    const std::string target = dir.Write("long.csv", "old");
    std::string block(1 << 20, 'x');
    const auto writeLong = [&](AtomicFile& file, int megabytes) {
        for (int m = 0; m < megabytes; ++m) {
            block[0] = static_cast<char>('a' + m % 26);
            if (!file.Write(block)) return false;
        }
        return true;
    };
    // A file-size limit past the point where the flushing began (set in this process, not in a
    // child: the file's flushing thread cannot start in a child of a process with threads under
    // the thread sanitizer).
    {
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = std::min<rlim_t>(saved.rlim_max, rlim_t{24} << 20);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        AtomicFile file(target);
        const bool written = writeLong(file, 40);
        const bool committed = file.Commit();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(written);
        EXPECT_FALSE(committed);
    }
    {
        AtomicFile abandoned(target);
        ASSERT_TRUE(writeLong(abandoned, 36));
    }
    EXPECT_EQ(test::ReadFileBytes(target), "old");
    EXPECT_EQ(Names(dir), std::set<std::string>{"long.csv"});

    AtomicFile file(target);
    ASSERT_TRUE(writeLong(file, 40));
    ASSERT_TRUE(file.Commit());
    const std::string written = test::ReadFileBytes(target);
    ASSERT_EQ(written.size(), std::size_t{40} << 20);
    for (int m = 0; m < 40; ++m)
        ASSERT_EQ(written[static_cast<std::size_t>(m) << 20], 'a' + m % 26) << m;
    EXPECT_EQ(Names(dir), std::set<std::string>{"long.csv"});
}

}  // namespace
}  // namespace tavrel
