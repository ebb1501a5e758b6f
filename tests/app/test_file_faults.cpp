// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The ticker window when its settings file misbehaves: saves that fail at every step of the
// writer (as a full disk, a denied folder or a failing device make them, even for root), a
// directory in the file's place, and files that cannot be read or would block the reader.
#include "app/settingsfile.h"
#include "app/tirlink.h"
#include "scrolltext/fxscrolltext.h"
#include "ticker_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TickerFileFaults : public TickerFixture {
protected:
    void TearDown() override { SetSettingsFileFault(sfsNone, 0); }

    QStringList Entries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

    static QByteArray Bytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static void Put(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The window as the designed ticker shows it: nothing of a file was applied.
    static void ExpectDesigned(TFtirlink* w)
    {
        EXPECT_EQ(w->Top(), 606);
        EXPECT_EQ(w->Height(), 29);
        EXPECT_EQ(w->FormStyle(), TFormStyle::fsNormal);
        EXPECT_EQ(w->FxScrollText1->Color(), clNavy);
        EXPECT_EQ(w->FxScrollText1->Font()->Color(), clYellow);
        EXPECT_EQ(w->FxScrollText1->Steps(), 300);
        EXPECT_EQ(w->FxScrollText1->Lines()->Count(), 1);
        EXPECT_TRUE(w->FxScrollText1->Scroll());
    }

    // A record that differs from the designed one in every field.
    static TSettingsRecord Previous()
    {
        TSettingsRecord r;
        r.Left = 2;
        r.Top = 420;
        r.Style = 2;
        r.TextColor = clWhite;
        r.BackColor = clMaroon;
        r.Steps = 777;
        r.FontSize = 12;
        r.Text = QStringLiteral("Прежние настройки");
        r.FontName = QStringLiteral("DejaVu Serif");
        r.Charset = RUSSIAN_CHARSET;
        return r;
    }
};

TEST_F(TickerFileFaults, EveryFailedSaveKeepsThePreviousFileTellsWhyAndExitsNonZero)
{
    const QByteArray previous = FormatSettingsRecord(Previous());
    struct Case { TSettingsFileStep step; int error; const char* what; };
    const Case cases[] = {
        {sfsOpenWrite, EACCES, "folder that cannot be written"}, {sfsOpenWrite, EROFS, "read-only file system"},
        {sfsWrite, ENOSPC, "full disk"}, {sfsWrite, EDQUOT, "quota used up"}, {sfsWrite, EIO, "failing device"},
        {sfsSync, EIO, "flush to disk fails"}, {sfsClose, ENOSPC, "delayed allocation fails on close"},
        {sfsRename, EXDEV, "rename into place fails"}, {sfsRename, EACCES, "rename denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(Cfg(), previous);
        exitCodes.clear();
        saveErrors.clear();
        auto w = Start();
        ASSERT_EQ(w->Top(), 420);
        // Changes that would show in the file if it were written.
        w->SetTop(100);
        w->FxScrollText1->SetSteps(55);
        SetSettingsFileFault(c.step, c.error);
        w->N2->Click();
        SetSettingsFileFault(sfsNone, 0);
        EXPECT_EQ(exitCodes, std::vector<int>{1});
        ASSERT_EQ(saveErrors.size(), 1u);
        EXPECT_EQ(saveErrors[0], QStringLiteral("Не удалось сохранить настройки в tirlink.cfg: ")
                                   + QString::fromLocal8Bit(std::strerror(c.error)));
        EXPECT_EQ(Bytes(Cfg()), previous);
        EXPECT_EQ(Entries(), QStringList{QStringLiteral("tirlink.cfg")}) << "a temporary file was left behind";
    }
    // Without a fault the same steps save and end with 0.
    exitCodes.clear();
    saveErrors.clear();
    auto w = Start();
    w->SetTop(100);
    w->N2->Click();
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_TRUE(saveErrors.empty());
    EXPECT_EQ(Bytes(Cfg()).mid(4, 4), QByteArray("0100"));
}

TEST_F(TickerFileFaults, DirectoryInTheFilesPlaceGivesTheDesignedTickerAndAFailedSave)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tirlink.cfg")));
    const QByteArray inside = FormatSettingsRecord(Previous());
    Put(dir.filePath(QStringLiteral("tirlink.cfg/inside")), inside);
    auto w = Start();
    ExpectDesigned(w.get());
    w->N2->Click();
    EXPECT_EQ(exitCodes, std::vector<int>{1});
    ASSERT_EQ(saveErrors.size(), 1u);
    EXPECT_TRUE(saveErrors[0].endsWith(QString::fromLocal8Bit(std::strerror(EISDIR)))) << saveErrors[0].toStdString();
    EXPECT_TRUE(QFileInfo(Cfg()).isDir());
    EXPECT_EQ(Bytes(dir.filePath(QStringLiteral("tirlink.cfg/inside"))), inside);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("tirlink.cfg")});
}

TEST_F(TickerFileFaults, FileThatCannotBeOpenedOrReadGivesTheDesignedTicker)
{
    Put(Cfg(), FormatSettingsRecord(Previous()));
    for (const TSettingsFileStep step : {sfsOpenRead, sfsRead}) {
        SCOPED_TRACE(step);
        SetSettingsFileFault(step, step == sfsRead ? EIO : EACCES);
        auto w = Start();
        SetSettingsFileFault(sfsNone, 0);
        ExpectDesigned(w.get());
        EXPECT_EQ(w->FxScrollText1->Lines()->Get(0), TSettingsRecord().Text);
    }
    // The same file, readable, is applied: the faults above were what kept it out.
    auto w = Start();
    EXPECT_EQ(w->Top(), 420);
    EXPECT_EQ(w->FxScrollText1->Color(), clMaroon);
}

// Opening a FIFO for reading waits for a writer, so a FIFO named tirlink.cfg must not reach the
// reader's open: the start-up would hang for good.
TEST_F(TickerFileFaults, FifoOrDeviceInTheFilesPlaceDoesNotBlockTheStart)
{
    const QByteArray fifo = QFile::encodeName(Cfg());
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0) << std::strerror(errno);
    auto reading = std::async(std::launch::async, [&] { return ReadSettingsFile(Cfg()); });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Release the reader so that the test ends, then fail.
        const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        reading.wait();
        FAIL() << "reading a FIFO named tirlink.cfg blocked";
    }
    const TSettingsRead r = reading.get();
    EXPECT_FALSE(r.Opened);
    EXPECT_EQ(r.FieldsRead, 0);
    EXPECT_TRUE(r.Error.contains(QStringLiteral("tirlink.cfg")));
    {
        auto w = Start();
        ExpectDesigned(w.get());
    }

    // A link to an endless device is no settings file either.
    ASSERT_EQ(::unlink(fifo.constData()), 0);
    ASSERT_EQ(::symlink("/dev/zero", fifo.constData()), 0);
    EXPECT_FALSE(ReadSettingsFile(Cfg()).Opened);
    auto w = Start();
    ExpectDesigned(w.get());
}

}  // namespace
