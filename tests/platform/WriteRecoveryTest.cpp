// A file written in place and cut short (the program killed half way) is completed at the next
// start from the record kept before the first old byte was overwritten; a file changed since is
// left alone and the text that was being saved is put where the user is told.
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/SettingsFile.h"
#include "platform/TRegistry.h"
#include "platform/WriteRecovery.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Interrupted = 77;   // exit code of a child that was cut off at the fault

AnsiString Lines(const char *word, size_t length)
{
    AnsiString s;
    for (int i = 0; s.size() < length; ++i) s += AnsiString(word) + " line " + IntToStr(i) + "\r\n";
    s.resize(length);
    return s;
}

// Where a write is cut off, as a kill or a power cut would cut it.
enum class CutAt { BeforeTheRoomIsReserved, HalfWayThroughTheText, BeforeTheSync };

FileWriteFault CutOff(CutAt at)
{
    return [at](FileWriteStep step, long long offset, long long &length) {
        switch (at) {
        case CutAt::BeforeTheRoomIsReserved:
            if (step == FileWriteStep::Reserve) _exit(Interrupted);
            break;
        case CutAt::HalfWayThroughTheText:
            if (step == FileWriteStep::Write && offset > 0) _exit(Interrupted);
            if (step == FileWriteStep::Write) length /= 2;
            break;
        case CutAt::BeforeTheSync:
            if (step == FileWriteStep::Sync) _exit(Interrupted);
            break;
        }
        return 0;
    };
}

// Runs the write in a child process that ends at the fault, with no chance to clean up.
void RunCutShort(const std::function<void()> &write, CutAt at)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0) << std::strerror(errno);
    if (child == 0) {
        SetFileWriteFault(CutOff(at));
        write();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), Interrupted) << "the write was not cut off";
}

class WriteRecovery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(State.isValid() && Docs.isValid());
        if (const char *old = std::getenv("QUILLET_STATE_DIR")) OldState = old;
        setenv("QUILLET_STATE_DIR", State.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        SetFileWriteFault({});
        setenv("QUILLET_STATE_DIR", OldState.c_str(), 1);
    }

    // A document with a second name, so that it is written in place.
    AnsiString LinkedFile(const char *name, const AnsiString &bytes)
    {
        const QString path = Docs.filePath(name);
        WriteAll(path, bytes);
        EXPECT_EQ(::link(path.toLocal8Bit().constData(), (path + ".link").toLocal8Bit().constData()), 0);
        return FromQPath(path);
    }

    QStringList Records() const { return QDir(State.path()).entryList({"write-*"}, QDir::Files); }

    // The start-up step as the program runs it; the boxes it shows.
    std::vector<MessageBoxCall> Start()
    {
        MessageBoxRecorder boxes;
        CompleteInterruptedWritesAndTell();
        return boxes.Calls;
    }

    static AnsiString CompletedText(const AnsiString &path)
    {
        return "The last save of \"" + path +
               "\" was cut short. It has now been completed: the file holds the text that was being saved.";
    }

    QTemporaryDir State, Docs;
    AnsiString OldState;
};

TEST_F(WriteRecovery, ADocumentCutShortIsCompletedAtTheNextStart)
{
    const struct
    {
        const char *Name;
        CutAt At;
        size_t NewLength;
    } cases[] = {
        {"before the room is reserved", CutAt::BeforeTheRoomIsReserved, 300000},
        {"half way through a longer text", CutAt::HalfWayThroughTheText, 300000},
        {"half way through a shorter text", CutAt::HalfWayThroughTheText, 50000},
        {"before the sync", CutAt::BeforeTheSync, 300000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const AnsiString path = LinkedFile((AnsiString(c.Name) + ".kas").c_str(), Lines("old", 100000));
        const AnsiString bytes = Lines("new", c.NewLength);
        RunCutShort([&] { WriteFileSafely(path, bytes); }, c.At);
        ASSERT_EQ(Records().size(), 1u);

        const std::vector<MessageBoxCall> boxes = Start();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Text, CompletedText(path));
        EXPECT_EQ(boxes[0].Caption, "Quillet");
        EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
        EXPECT_TRUE(ReadAll(ToQPath(path)) == bytes);
        EXPECT_TRUE(ReadAll(ToQPath(path + ".link")) == bytes);
        EXPECT_TRUE(Records().isEmpty()) << Records().join(", ").toStdString();
        EXPECT_TRUE(Start().empty()) << "told twice";
    }
}

// The settings file goes in place where it has other names or its folder takes no new file.
TEST_F(WriteRecovery, ASettingsFileCutShortIsCompletedBeforeTheSettingsAreRead)
{
    const AnsiString settings = LinkedFile("registry.reg", "REGEDIT4\r\n");
    const char *oldRegistry = std::getenv("QUILLET_REGISTRY");
    const AnsiString keepRegistry = oldRegistry ? oldRegistry : "";
    setenv("QUILLET_REGISTRY", settings.c_str(), 1);
    RunCutShort(
        [] {
            TRegistry reg;   // one write of the file: the key and its value
            reg.BeginUpdate();
            if (reg.OpenKey("\\SOFTWARE\\Pellanor\\Quillet", true)) reg.WriteString("Warning1Text", "kept");
            reg.EndUpdate();
        },
        CutAt::HalfWayThroughTheText);
    ASSERT_EQ(Records().size(), 1u);
    const std::vector<MessageBoxCall> boxes = Start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, CompletedText(settings));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Pellanor\\Quillet", false));
    EXPECT_EQ(ReadStringOr(reg, "Warning1Text", "<missing>"), "kept");
    EXPECT_TRUE(Records().isEmpty());
    if (oldRegistry) setenv("QUILLET_REGISTRY", keepRegistry.c_str(), 1);
    else unsetenv("QUILLET_REGISTRY");
}

TEST_F(WriteRecovery, ADocumentChangedSinceIsLeftAloneAndTheTextIsPutAside)
{
    const AnsiString path = LinkedFile("a.kas", Lines("old", 100000));
    const AnsiString bytes = Lines("new", 200000);
    RunCutShort([&] { WriteFileSafely(path, bytes); }, CutAt::HalfWayThroughTheText);
    WriteAll(ToQPath(path), "edited by another program\r\n");

    const std::vector<MessageBoxCall> boxes = Start();
    ASSERT_EQ(boxes.size(), 1u);
    const AnsiString aside = FromQPath(State.filePath("a.kas"));
    EXPECT_EQ(boxes[0].Text, "The last save of \"" + path +
                                 "\" was cut short, and the file has changed since: it was left as it is. The "
                                 "text that was being saved is in \"" + aside + "\".");
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(ReadAll(ToQPath(path)), "edited by another program\r\n");
    EXPECT_TRUE(ReadAll(ToQPath(aside)) == bytes);
    EXPECT_EQ(Records(), QStringList());

    // A second text put aside for the same name does not replace the first.
    RunCutShort([&] { WriteFileSafely(path, "newer\r\n"); }, CutAt::BeforeTheSync);
    ::unlink(path.c_str());
    ASSERT_EQ(Start().size(), 1u);
    EXPECT_TRUE(ReadAll(ToQPath(aside)) == bytes);
    EXPECT_EQ(ReadAll(State.filePath("a.1.kas")), "newer\r\n");
}

// A record that is not whole (a damaged disk) is not acted on; the user learns where it is.
TEST_F(WriteRecovery, ADamagedRecordIsToldAndLeftAsItIs)
{
    const AnsiString path = LinkedFile("a.kas", Lines("old", 1000));
    RunCutShort([&] { WriteFileSafely(path, Lines("new", 2000)); }, CutAt::BeforeTheSync);
    ASSERT_EQ(Records().size(), 1u);
    const QString record = State.filePath(Records()[0]);
    ASSERT_EQ(::truncate(record.toLocal8Bit().constData(), 1500), 0);
    const std::vector<MessageBoxCall> boxes = Start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "The record of a save that was cut short, \"" + FromQPath(record) +
                                 "\", was left as it is.\r\nIt is not a whole record of a save.");
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(QFile::exists(record));
}

// Another copy of the program starting while a write runs does not take that write for one cut short.
TEST_F(WriteRecovery, ARecordOfAWriteThatRunsIsNotTaken)
{
    const AnsiString path = LinkedFile("a.kas", "old\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    AnsiString error;
    {
        WriteRecord running;
        ASSERT_TRUE(running.Create(path, st, "new\r\n", error)) << error;
        EXPECT_TRUE(CompleteInterruptedWrites().empty());
        EXPECT_EQ(Records().size(), 1u);
        EXPECT_EQ(ReadAll(ToQPath(path)), "old\r\n");
    }
    EXPECT_TRUE(Records().isEmpty());
}

// Without a record there is no in-place write: the file is not touched and the user learns why.
TEST_F(WriteRecovery, AnInPlaceWriteWhoseTextCannotBeKeptDoesNotBegin)
{
    const AnsiString path = LinkedFile("a.kas", "old\r\n");
    SetFileWriteFault([](FileWriteStep step, long long, long long &) { return step == FileWriteStep::Recovery ? ENOSPC : 0; });
    const FileWriteResult r = WriteFileSafely(path, "new\r\n");
    SetFileWriteFault({});
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.ErrorText, "The text cannot be kept safe in \"" + FromQPath(State.path()) +
                               "\" while the file is written in place: " + std::strerror(ENOSPC));
    EXPECT_EQ(ReadAll(ToQPath(path)), "old\r\n");
    EXPECT_TRUE(Records().isEmpty());
}

// A write that fails half way (an I/O error) leaves its record for the next start, unless the same
// file is written again meanwhile: the later text must not be replaced by the earlier one.
TEST_F(WriteRecovery, AWriteThatFailedHalfWayIsCompletedLaterUnlessSavedAgain)
{
    const FileWriteFault failingSync = [](FileWriteStep step, long long, long long &) {
        return step == FileWriteStep::Sync ? EIO : 0;
    };
    {
        SCOPED_TRACE("saved again in the same run");
        const AnsiString path = LinkedFile("again.kas", "old\r\n");
        SetFileWriteFault(failingSync);
        const FileWriteResult failed = WriteFileSafely(path, "first\r\n");
        SetFileWriteFault({});
        ASSERT_FALSE(failed.Ok());
        ASSERT_EQ(Records().size(), 1u);
        EXPECT_NE(failed.ErrorText.find("\r\nThe text being saved is kept in \"" + FromQPath(State.path()) + "/write-"),
                  AnsiString::npos)
            << failed.ErrorText;
        EXPECT_TRUE(CompleteInterruptedWrites().empty()) << "taken while this run still holds it";
        ASSERT_TRUE(WriteFileSafely(path, "second\r\n").Ok());
        EXPECT_TRUE(Records().isEmpty());
        EXPECT_TRUE(Start().empty());
        EXPECT_EQ(ReadAll(ToQPath(path)), "second\r\n");
    }
    {
        SCOPED_TRACE("the run ended after the failure");
        const AnsiString path = LinkedFile("once.kas", "old\r\n");
        RunCutShort(
            [&] {
                SetFileWriteFault(failingSync);
                if (!WriteFileSafely(path, "first\r\n").Ok()) _exit(Interrupted);
            },
            CutAt::BeforeTheSync);
        ASSERT_EQ(Records().size(), 1u);
        const std::vector<MessageBoxCall> boxes = Start();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Text, CompletedText(path));
        EXPECT_EQ(ReadAll(ToQPath(path)), "first\r\n");
    }
}

} // namespace
