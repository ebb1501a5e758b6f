// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The settings file: the bytes of the record, what reading makes of good and damaged files, and
// the writer's promise that a failed write leaves the previous file as it was.
#include "app/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The designed text in Windows-1251, spelled out byte by byte.
const QByteArray kDesignedText1251(
    "\xC4\xEB\xFF \xE2\xFB\xE7\xEE\xE2\xE0 \xEC\xE5\xED\xFE \xED\xE0\xE6\xEC\xE8\xF2\xE5 \xEF\xF0\xE0\xE2\xF3\xFE "
    "\xEA\xED\xEE\xEF\xEA\xF3 \xEC\xFB\xF8\xE8 \xED\xE0 \xEF\xE0\xED\xE5\xEB\xE8 \xD2\xE8\xF0\xEB\xE8\xED\xEA\xE0.");

QByteArray Padded(const QByteArray& s) { return s + QByteArray(SettingsStringWidth - s.size(), ' '); }

TSettingsRecord MakeRecord(int32_t left, int32_t top, int32_t style, TColor text, TColor back, int32_t steps,
                           int32_t size, const QString& line, const QString& face, int32_t charset)
{
    TSettingsRecord r;
    r.Left = left;
    r.Top = top;
    r.Style = style;
    r.TextColor = text;
    r.BackColor = back;
    r.Steps = steps;
    r.FontSize = size;
    r.Text = line;
    r.FontName = face;
    r.Charset = charset;
    return r;
}

TSettingsRecord ExampleRecord()
{
    return MakeRecord(2, 700, 1, clYellow, clNavy, 300, 14,
                      QStringLiteral("Для вызова меню нажмите правую кнопку мыши на панели Тирлинка."),
                      QStringLiteral("Times New Roman"), 1);
}

// A record whose every value differs from the designed one, so that a field that was not read
// shows up as the designed value.
TSettingsRecord OtherRecord()
{
    return MakeRecord(17, -5, 2, clRed, clWhite, 1234, 22, QStringLiteral("Бегущая строка"),
                      QStringLiteral("Liberation Sans"), 204);
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

void PutFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Value of field i of a record, for comparisons field by field.
QString FieldValue(const TSettingsRecord& r, int i)
{
    switch (i) {
    case sfLeft: return QString::number(r.Left);
    case sfTop: return QString::number(r.Top);
    case sfStyle: return QString::number(r.Style);
    case sfTextColor: return QString::number(r.TextColor);
    case sfBackColor: return QString::number(r.BackColor);
    case sfSteps: return QString::number(r.Steps);
    case sfFontSize: return QString::number(r.FontSize);
    case sfText: return r.Text;
    case sfFontName: return r.FontName;
    default: return QString::number(r.Charset);
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    void TearDown() override { SetSettingsFileFault(sfsNone, 0); }
    QString PathIn(const QString& name = QString::fromLatin1(SettingsFileName)) const { return dir.filePath(name); }
    QStringList DirEntries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }
    QTemporaryDir dir;
};

// ---------------------------------------------------------------------------------------------
// The record's bytes.
// ---------------------------------------------------------------------------------------------
TEST(SettingsRecordFormat, ExampleRecordByteForByte)
{
    const QByteArray expected = QByteArray("00020700100006553500838860800300014") + Padded(kDesignedText1251)
        + Padded("Times New Roman") + "0001";
    ASSERT_EQ(expected.size(), SettingsRecordSize);
    EXPECT_EQ(FormatSettingsRecord(ExampleRecord()), expected);
    // The designed record is the example but for its position.
    EXPECT_EQ(FormatSettingsRecord(TSettingsRecord()).mid(8), expected.mid(8));
}

TEST(SettingsRecordFormat, FieldsSitAtTheirOffsets)
{
    const QByteArray b = FormatSettingsRecord(OtherRecord());
    ASSERT_EQ(b.size(), SettingsRecordSize);
    EXPECT_EQ(b.mid(0, 4), "0017");
    EXPECT_EQ(b.mid(4, 4), "-005");
    EXPECT_EQ(b.mid(8, 1), "2");
    EXPECT_EQ(b.mid(9, 9), "000000255");
    EXPECT_EQ(b.mid(18, 9), "016777215");
    EXPECT_EQ(b.mid(27, 5), "01234");
    EXPECT_EQ(b.mid(32, 3), "022");
    EXPECT_EQ(b.mid(35, 14), "\xC1\xE5\xE3\xF3\xF9\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0");
    EXPECT_EQ(b.mid(49, 241), QByteArray(241, ' '));
    EXPECT_EQ(b.mid(290, 255), Padded("Liberation Sans"));
    EXPECT_EQ(b.mid(545, 4), "0204");
    EXPECT_FALSE(b.contains('\n'));
    EXPECT_FALSE(b.contains('\0'));
}

TEST(SettingsRecordFormat, EmptyStringsAreWrittenAsBlanks)
{
    TSettingsRecord r = ExampleRecord();
    r.Text.clear();
    r.FontName.clear();
    const QByteArray b = FormatSettingsRecord(r);
    EXPECT_EQ(b.mid(35, 510), QByteArray(510, ' '));
    const TSettingsRead back = ParseSettingsRecord(b);
    EXPECT_EQ(back.FieldsRead, 10);
    const TSettingsApply a = PlanSettingsApply(back);
    ASSERT_TRUE(a.Line.has_value());
    EXPECT_EQ(*a.Line, QString());
    EXPECT_FALSE(a.FontName.has_value()) << "an empty face name leaves the font's face";
    EXPECT_EQ(a.Charset, std::optional<uint8_t>(1));
}

// Values that would not fit their fields are kept inside them, so every later field still reads.
TEST(SettingsRecordFormat, OutOfRangeValuesAreKeptInsideTheirFields)
{
    struct Case { const char* what; void (*set)(TSettingsRecord&); int field; const char* bytes; QString read; };
    const Case cases[] = {
        {"left far right", [](TSettingsRecord& r) { r.Left = 123456; }, sfLeft, "9999", "9999"},
        {"left far left", [](TSettingsRecord& r) { r.Left = -1000; }, sfLeft, "-999", "-999"},
        {"top dragged far up", [](TSettingsRecord& r) { r.Top = -4000; }, sfTop, "-999", "-999"},
        {"top far down", [](TSettingsRecord& r) { r.Top = 10000; }, sfTop, "9999", "9999"},
        {"style 7", [](TSettingsRecord& r) { r.Style = 7; }, sfStyle, "2", "2"},
        {"style -1", [](TSettingsRecord& r) { r.Style = -1; }, sfStyle, "2", "2"},
        {"steps 0", [](TSettingsRecord& r) { r.Steps = 0; }, sfSteps, "00001", "1"},
        {"steps huge", [](TSettingsRecord& r) { r.Steps = 1000000; }, sfSteps, "99999", "99999"},
        {"font size 1500", [](TSettingsRecord& r) { r.FontSize = 1500; }, sfFontSize, "999", "999"},
        {"font size -200", [](TSettingsRecord& r) { r.FontSize = -200; }, sfFontSize, "-99", "-99"},
        {"font size 0", [](TSettingsRecord& r) { r.FontSize = 0; }, sfFontSize, "014", "14"},
        {"charset 300", [](TSettingsRecord& r) { r.Charset = 300; }, sfCharset, "0044", "44"},
        {"charset -1", [](TSettingsRecord& r) { r.Charset = -1; }, sfCharset, "0255", "255"},
        {"colour too wide", [](TSettingsRecord& r) { r.TextColor = 0x7F123456; }, sfTextColor, "001193046",
         QString::number(0x123456)},
        {"negative colour that fits", [](TSettingsRecord& r) { r.BackColor = -99999999; }, sfBackColor, "-99999999",
         "-99999999"},
    };
    const int offsets[] = {0, 4, 8, 9, 18, 27, 32, 35, 290, 545};
    const int widths[] = {4, 4, 1, 9, 9, 5, 3, 255, 255, 4};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSettingsRecord r = OtherRecord();
        c.set(r);
        const QByteArray b = FormatSettingsRecord(r);
        ASSERT_EQ(b.size(), SettingsRecordSize);
        EXPECT_EQ(b.mid(offsets[c.field], widths[c.field]), QByteArray(c.bytes));
        const TSettingsRead back = ParseSettingsRecord(b);
        ASSERT_EQ(back.FieldsRead, 10);
        for (int i = 0; i < sfCount; ++i)
            EXPECT_EQ(FieldValue(back.Record, i), i == c.field ? c.read : FieldValue(OtherRecord(), i)) << "field " << i;
    }
}

TEST(SettingsRecordFormat, SystemColoursAreWrittenAsTheColourTheyShow)
{
    TSettingsRecord r = OtherRecord();
    r.TextColor = clBtnFace;
    r.BackColor = clGrayText;
    const QByteArray b = FormatSettingsRecord(r);
    ASSERT_EQ(b.size(), SettingsRecordSize);
    EXPECT_EQ(b.mid(9, 9), QByteArray::number(ColorToRGB(clBtnFace)).rightJustified(9, '0'));
    const TSettingsRead back = ParseSettingsRecord(b);
    ASSERT_EQ(back.FieldsRead, 10);
    EXPECT_EQ(back.Record.TextColor, ColorToRGB(clBtnFace));
    EXPECT_EQ(back.Record.BackColor, ColorToRGB(clGrayText));
    EXPECT_FALSE(IsSystemColor(back.Record.TextColor));
    EXPECT_EQ(back.Record.Text, OtherRecord().Text);
    EXPECT_EQ(back.Record.Charset, 204);
}

TEST(SettingsRecordFormat, LongStringsAreCutTo255Bytes)
{
    TSettingsRecord r = OtherRecord();
    r.Text = QString(300, QChar(u'ж'));
    r.FontName = QString(254, QLatin1Char('n')) + QStringLiteral("XYZ");
    const QByteArray b = FormatSettingsRecord(r);
    ASSERT_EQ(b.size(), SettingsRecordSize);
    EXPECT_EQ(b.mid(35, 255), QByteArray(255, '\xE6'));
    EXPECT_EQ(b.mid(545), "0204");
    const TSettingsRead back = ParseSettingsRecord(b);
    ASSERT_EQ(back.FieldsRead, 10);
    EXPECT_EQ(back.Record.Text, QString(255, QChar(u'ж')));
    EXPECT_EQ(back.Record.FontName, QString(254, QLatin1Char('n')) + QLatin1Char('X'));
}

// ---------------------------------------------------------------------------------------------
// Windows-1251.
// ---------------------------------------------------------------------------------------------
TEST(SettingsCodePage, EveryByteRoundTripsExceptTheUndefinedOne)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString decoded = DecodeWindows1251(all);
    ASSERT_EQ(decoded.size(), 256);
    EXPECT_EQ(decoded.at(0x98), QLatin1Char('?'));
    QByteArray expected = all;
    expected[0x98] = '?';
    EXPECT_EQ(EncodeWindows1251(decoded), expected);
    // Every defined byte is a character of its own.
    QSet<QChar> distinct;
    for (int b = 0; b < 256; ++b)
        if (b != 0x98) distinct.insert(decoded.at(b));
    EXPECT_EQ(distinct.size(), 255);
}

TEST(SettingsCodePage, KnownLetters)
{
    const QByteArray bytes("\xC0\xDF\xE0\xFF\xA8\xB8\x88\xB9\xA0\x96", 10);
    EXPECT_EQ(DecodeWindows1251(bytes), QStringLiteral("АЯаяЁё€№\u00A0–"));
    EXPECT_EQ(EncodeWindows1251(QStringLiteral("АЯаяЁё€№\u00A0–")), bytes);
    EXPECT_EQ(DecodeWindows1251(kDesignedText1251), ExampleRecord().Text);
}

TEST(SettingsCodePage, MissingCharactersBecomeQuestionMarks)
{
    // CJK, a German umlaut (absent from the Cyrillic page) and a character outside the BMP,
    // which is one character made of two UTF-16 units.
    EXPECT_EQ(EncodeWindows1251(QStringLiteral("日本 ä ok ") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("!")),
              QByteArray("?? ? ok ?!"));
    TSettingsRecord r = ExampleRecord();
    r.Text = QStringLiteral("Курс ¥ 日");
    const TSettingsRead back = ParseSettingsRecord(FormatSettingsRecord(r));
    EXPECT_EQ(back.Record.Text, QStringLiteral("Курс ? ?"));
}

TEST(SettingsCodePage, UndefinedByteInAFileReadsAsQuestionMark)
{
    QByteArray b = FormatSettingsRecord(ExampleRecord());
    b[35] = '\x98';
    b[290 + 5] = '\x98';
    const TSettingsRead back = ParseSettingsRecord(b);
    ASSERT_EQ(back.FieldsRead, 10);
    EXPECT_EQ(back.Record.Text, QStringLiteral("?ля вызова меню нажмите правую кнопку мыши на панели Тирлинка."));
    EXPECT_EQ(back.Record.FontName, QStringLiteral("Times?New Roman"));
}

// ---------------------------------------------------------------------------------------------
// Reading rules.
// ---------------------------------------------------------------------------------------------
TEST(SettingsReading, RoundTripsThroughTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(SettingsFileName));
    TSettingsRecord tall = OtherRecord();
    tall.Text = QString(255, QLatin1Char('x'));
    tall.FontSize = -12;
    TSettingsRecord system = OtherRecord();
    system.TextColor = clBtnHighlight;
    const TSettingsRecord records[] = {ExampleRecord(), OtherRecord(), tall, system, TSettingsRecord()};
    for (const TSettingsRecord& r : records) {
        SCOPED_TRACE(r.Text.toStdString());
        QString error = QStringLiteral("stale");
        ASSERT_TRUE(WriteSettingsFile(path, r, &error));
        EXPECT_TRUE(error.isEmpty());
        EXPECT_EQ(FileBytes(path), FormatSettingsRecord(r));
        const TSettingsRead back = ReadSettingsFile(path);
        EXPECT_TRUE(back.Opened);
        EXPECT_EQ(back.FieldsRead, 10);
        EXPECT_EQ(back.Record, NormalizeSettingsRecord(r));
    }
    // Values inside their fields come back unchanged.
    EXPECT_EQ(NormalizeSettingsRecord(OtherRecord()), OtherRecord());
    EXPECT_EQ(NormalizeSettingsRecord(tall), tall);
}

TEST(SettingsReading, OnlyStyleOneIsNormal)
{
    for (char digit : {'0', '1', '2', '9'}) {
        QByteArray b = FormatSettingsRecord(ExampleRecord());
        b[8] = digit;
        const TSettingsRead r = ParseSettingsRecord(b);
        ASSERT_EQ(r.FieldsRead, 10) << digit;
        const TSettingsApply a = PlanSettingsApply(r);
        ASSERT_TRUE(a.StayOnTop.has_value());
        EXPECT_EQ(*a.StayOnTop, digit != '1') << digit;
    }
}

TEST(SettingsReading, FullTextFieldReadsBackWhole)
{
    TSettingsRecord r = ExampleRecord();
    r.Text = QStringLiteral("Ё") + QString(253, QChar(u'ы')) + QStringLiteral("!");
    const QByteArray b = FormatSettingsRecord(r);
    EXPECT_FALSE(b.mid(35, 255).contains(' '));
    const TSettingsRead back = ParseSettingsRecord(b);
    ASSERT_EQ(back.FieldsRead, 10);
    EXPECT_EQ(back.Record.Text, r.Text);
    EXPECT_EQ(back.Record.FontName, QStringLiteral("Times New Roman"));
}

TEST(SettingsReading, StringsLoseControlCharactersAtBothEnds)
{
    TSettingsRecord r = ExampleRecord();
    r.Text = QStringLiteral("  \t Привет,  мир \x01 ");
    r.FontName = QStringLiteral("\r\nArial  ");
    const TSettingsRead back = ParseSettingsRecord(FormatSettingsRecord(r));
    ASSERT_EQ(back.FieldsRead, 10);
    EXPECT_EQ(back.Record.Text, QStringLiteral("Привет,  мир"));
    EXPECT_EQ(back.Record.FontName, QStringLiteral("Arial"));
    // Non-breaking space (0xA0) has a code above 32 and stays.
    r.Text = QStringLiteral("\u00A0x\u00A0");
    EXPECT_EQ(ParseSettingsRecord(FormatSettingsRecord(r)).Record.Text, QStringLiteral("\u00A0x\u00A0"));
}

TEST(SettingsReading, NegativeTopAndRussianCharset)
{
    TSettingsRecord r = ExampleRecord();
    r.Top = -5;
    r.Charset = 204;
    const QByteArray b = FormatSettingsRecord(r);
    EXPECT_EQ(b.mid(4, 4), "-005");
    EXPECT_EQ(b.mid(545, 4), "0204");
    const TSettingsApply a = PlanSettingsApply(ParseSettingsRecord(b));
    EXPECT_EQ(a.Top, std::optional<int32_t>(-5));
    EXPECT_EQ(a.Charset, std::optional<uint8_t>(204));
}

TEST(SettingsReading, NumbersFollowTheFormattedInputRules)
{
    const QByteArray rest = FormatSettingsRecord(ExampleRecord()).mid(8);
    // A plus sign counts in the width; leading zeros are decimal, not octal.
    TSettingsRead r = ParseSettingsRecord("+0120010" + rest);
    ASSERT_EQ(r.FieldsRead, 10);
    EXPECT_EQ(r.Record.Left, 12);
    EXPECT_EQ(r.Record.Top, 10);
    // White space before a number is skipped and does not count in the width, so the number
    // runs on into the next field's characters.
    r = ParseSettingsRecord("  12" + QByteArray("0700") + rest);
    ASSERT_GE(r.FieldsRead, 2);
    EXPECT_EQ(r.Record.Left, 1207);
    EXPECT_EQ(r.Record.Top, 10);
    // A number shorter than its field ends at the first non-digit; the next field starts there.
    r = ParseSettingsRecord("7x000700" + rest);
    EXPECT_EQ(r.FieldsRead, 1);
    EXPECT_EQ(r.Record.Left, 7);
    EXPECT_EQ(r.Record.Top, TSettingsRecord().Top);
    // The charset's value is taken to its low 8 bits.
    QByteArray b = FormatSettingsRecord(ExampleRecord());
    b.replace(545, 4, "-001");
    r = ParseSettingsRecord(b);
    ASSERT_EQ(r.FieldsRead, 10);
    EXPECT_EQ(r.Record.Charset, 255);
}

TEST(SettingsReading, ApplyPlanFollowsTheFieldsRead)
{
    TSettingsRecord r = OtherRecord();
    r.FontName = QStringLiteral("   ") + QString(30, QLatin1Char('F')) + QStringLiteral(" Tail and more");
    const TSettingsApply a = PlanSettingsApply(ParseSettingsRecord(FormatSettingsRecord(r)));
    EXPECT_EQ(a.Left, std::optional<int32_t>(17));
    EXPECT_EQ(a.Top, std::optional<int32_t>(-5));
    EXPECT_EQ(a.StayOnTop, std::optional<bool>(true));
    EXPECT_EQ(a.TextColor, std::optional<TColor>(clRed));
    EXPECT_EQ(a.BackColor, std::optional<TColor>(clWhite));
    EXPECT_EQ(a.Steps, std::optional<int32_t>(1234));
    EXPECT_EQ(a.FontSize, std::optional<int32_t>(22));
    // Trimmed, cut to 31 characters (which ends in a blank) and trimmed again.
    EXPECT_EQ(a.FontName, std::optional<QString>(QString(30, QLatin1Char('F'))));
    EXPECT_EQ(a.Charset, std::optional<uint8_t>(204));
    EXPECT_EQ(a.Line, std::optional<QString>(QStringLiteral("Бегущая строка")));

    // Steps of 0 or below are read but not applied (the control takes only values above 0).
    QByteArray b = FormatSettingsRecord(OtherRecord());
    b.replace(27, 5, "-0005");
    TSettingsRead read = ParseSettingsRecord(b);
    EXPECT_EQ(read.FieldsRead, 10);
    EXPECT_FALSE(PlanSettingsApply(read).Steps.has_value());
    EXPECT_TRUE(PlanSettingsApply(read).Line.has_value());

    // Nothing applies from a file that could not be read.
    read.Opened = false;
    const TSettingsApply none = PlanSettingsApply(read);
    EXPECT_FALSE(none.Left || none.Top || none.StayOnTop || none.TextColor || none.BackColor || none.Steps
                 || none.FontSize || none.FontName || none.Charset || none.Line);
}

// ---------------------------------------------------------------------------------------------
// Damaged files.
// ---------------------------------------------------------------------------------------------
TEST(SettingsDamage, FileCutAtEveryFieldBoundary)
{
    const QByteArray full = FormatSettingsRecord(OtherRecord());
    const int boundaries[] = {0, 4, 8, 9, 18, 27, 32, 35, 290, 545, 549};
    for (int i = 0; i < int(std::size(boundaries)); ++i) {
        SCOPED_TRACE(boundaries[i]);
        const TSettingsRead r = ParseSettingsRecord(full.left(boundaries[i]));
        EXPECT_TRUE(r.Opened);
        ASSERT_EQ(r.FieldsRead, i);
        for (int f = 0; f < sfCount; ++f)
            EXPECT_EQ(FieldValue(r.Record, f), FieldValue(f < i ? OtherRecord() : TSettingsRecord(), f)) << "field " << f;
    }
}

TEST(SettingsDamage, FileCutInsideAString)
{
    const QByteArray full = FormatSettingsRecord(OtherRecord());
    // Inside the text: the characters that were there are kept, the font name is missing.
    TSettingsRead r = ParseSettingsRecord(full.left(35 + 7));
    EXPECT_EQ(r.FieldsRead, sfText + 1);
    EXPECT_EQ(r.Record.Text, QStringLiteral("Бегущая"));
    EXPECT_EQ(r.Record.FontName, TSettingsRecord().FontName);
    EXPECT_EQ(PlanSettingsApply(r).Line, std::optional<QString>(QStringLiteral("Бегущая")));
    EXPECT_FALSE(PlanSettingsApply(r).FontName.has_value());
    // Inside the font name.
    r = ParseSettingsRecord(full.left(290 + 10));
    EXPECT_EQ(r.FieldsRead, sfFontName + 1);
    EXPECT_EQ(r.Record.FontName, QStringLiteral("Liberation"));
    EXPECT_EQ(r.Record.Charset, TSettingsRecord().Charset);
    // Inside a number: the digits that were there make the number.
    r = ParseSettingsRecord(full.left(27 + 3));
    EXPECT_EQ(r.FieldsRead, sfSteps + 1);
    EXPECT_EQ(r.Record.Steps, 12);
}

TEST(SettingsDamage, FieldThatDoesNotConvertStopsReading)
{
    const int offsets[] = {0, 4, 8, 9, 18, 27, 32};
    const int widths[] = {4, 4, 1, 9, 9, 5, 3};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        QByteArray b = FormatSettingsRecord(OtherRecord());
        b.replace(offsets[i], widths[i], QByteArray(widths[i], 'z'));
        const TSettingsRead r = ParseSettingsRecord(b);
        ASSERT_EQ(r.FieldsRead, i);
        EXPECT_EQ(r.Record.Text, TSettingsRecord().Text);
    }
    QByteArray b = FormatSettingsRecord(OtherRecord());
    b.replace(545, 4, "--12");
    const TSettingsRead r = ParseSettingsRecord(b);
    EXPECT_EQ(r.FieldsRead, sfCharset);
    EXPECT_EQ(r.Record.FontName, QStringLiteral("Liberation Sans"));
    EXPECT_EQ(r.Record.Charset, 1);
}

TEST(SettingsDamage, FontSizeZeroStopsReading)
{
    QByteArray b = FormatSettingsRecord(OtherRecord());
    b.replace(32, 3, "000");
    const TSettingsRead r = ParseSettingsRecord(b);
    EXPECT_EQ(r.FieldsRead, sfFontSize);
    const TSettingsApply a = PlanSettingsApply(r);
    EXPECT_EQ(a.Steps, std::optional<int32_t>(1234));
    EXPECT_FALSE(a.FontSize.has_value());
    EXPECT_FALSE(a.Line.has_value());
    EXPECT_FALSE(a.FontName.has_value());
}

TEST(SettingsDamage, NulBytesNeitherCutNorShift)
{
    QByteArray b = FormatSettingsRecord(OtherRecord());
    b[35 + 7] = '\0';          // the blank inside the text
    b[35 + 200] = '\0';        // the padding of the text
    b[290 + 10] = '\0';        // the blank inside the font name
    const TSettingsRead r = ParseSettingsRecord(b);
    ASSERT_EQ(r.FieldsRead, 10);
    EXPECT_EQ(r.Record.Text, QStringLiteral("Бегущая строка"));
    EXPECT_EQ(r.Record.FontName, QStringLiteral("Liberation Sans"));
    EXPECT_EQ(r.Record.Charset, 204);

    // Inside a number a NUL is a non-digit.
    b = FormatSettingsRecord(OtherRecord());
    b[27] = '\0';
    EXPECT_EQ(ParseSettingsRecord(b).FieldsRead, sfSteps);
    // A NUL handed to the writer becomes a blank as well.
    TSettingsRecord withNul = OtherRecord();
    withNul.Text = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    EXPECT_EQ(FormatSettingsRecord(withNul).mid(35, 4), "a b ");
    EXPECT_EQ(ParseSettingsRecord(FormatSettingsRecord(withNul)).Record.Text, QStringLiteral("a b"));
}

TEST(SettingsDamage, BytesAfterTheRecordAreIgnored)
{
    const QByteArray record = FormatSettingsRecord(OtherRecord());
    TSettingsRead r = ParseSettingsRecord(record + "\n" + QByteArray(100000, '7'));
    ASSERT_EQ(r.FieldsRead, 10);
    EXPECT_EQ(r.Record, OtherRecord());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tirlink.cfg"));
    PutFile(path, record + QByteArray(3 * 1024 * 1024, 'q'));
    r = ReadSettingsFile(path);
    EXPECT_TRUE(r.Opened);
    ASSERT_EQ(r.FieldsRead, 10);
    EXPECT_EQ(r.Record, OtherRecord());
}

TEST_F(SettingsFileTest, MissingEmptyAndUnreadableFiles)
{
    TSettingsRead r = ReadSettingsFile(PathIn());
    EXPECT_FALSE(r.Opened);
    EXPECT_EQ(r.FieldsRead, 0);
    EXPECT_TRUE(r.Error.contains(QStringLiteral("tirlink.cfg"))) << r.Error.toStdString();
    EXPECT_EQ(r.Record, TSettingsRecord());

    PutFile(PathIn(), QByteArray());
    r = ReadSettingsFile(PathIn());
    EXPECT_TRUE(r.Opened);
    EXPECT_EQ(r.FieldsRead, 0);
    const TSettingsApply a = PlanSettingsApply(r);
    EXPECT_FALSE(a.Left || a.StayOnTop || a.TextColor || a.FontSize || a.Line)
        << "an empty file keeps the designed window";

    PutFile(PathIn(), FormatSettingsRecord(OtherRecord()));
    SetSettingsFileFault(sfsRead, EIO);
    r = ReadSettingsFile(PathIn());
    EXPECT_FALSE(r.Opened);
    EXPECT_TRUE(r.Error.contains(QString::fromLocal8Bit(std::strerror(EIO))));
    SetSettingsFileFault(sfsOpenRead, EACCES);
    EXPECT_FALSE(ReadSettingsFile(PathIn()).Opened);
    SetSettingsFileFault(sfsNone, 0);
    EXPECT_EQ(ReadSettingsFile(PathIn()).FieldsRead, 10);
}

// ---------------------------------------------------------------------------------------------
// Safe writing.
// ---------------------------------------------------------------------------------------------
TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileIntact)
{
    const QByteArray old = FormatSettingsRecord(ExampleRecord());
    PutFile(PathIn(), old);
    struct Case { TSettingsFileStep step; int error; };
    const Case cases[] = {{sfsOpenWrite, EACCES}, {sfsOpenWrite, EROFS}, {sfsWrite, ENOSPC}, {sfsWrite, EIO},
                          {sfsSync, EIO}, {sfsClose, EDQUOT}, {sfsRename, EXDEV}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        SetSettingsFileFault(c.step, c.error);
        QString error;
        EXPECT_FALSE(WriteSettingsFile(PathIn(), OtherRecord(), &error));
        EXPECT_EQ(error, QStringLiteral("Не удалось сохранить настройки в tirlink.cfg: ")
                             + QString::fromLocal8Bit(std::strerror(c.error)));
        EXPECT_EQ(FileBytes(PathIn()), old);
        EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("tirlink.cfg")}) << "no temporary file is left";
    }
    SetSettingsFileFault(sfsNone, 0);
    EXPECT_TRUE(WriteSettingsFile(PathIn(), OtherRecord(), nullptr));
    EXPECT_EQ(FileBytes(PathIn()), FormatSettingsRecord(OtherRecord()));
    EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("tirlink.cfg")});
}

TEST_F(SettingsFileTest, DirectoryNamedLikeTheFile)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tirlink.cfg")));
    PutFile(PathIn(QStringLiteral("tirlink.cfg/keep")), "x");
    QString error;
    EXPECT_FALSE(WriteSettingsFile(PathIn(), ExampleRecord(), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Не удалось сохранить настройки в tirlink.cfg: "))) << error.toStdString();
    EXPECT_TRUE(QFileInfo(PathIn()).isDir());
    EXPECT_EQ(FileBytes(PathIn(QStringLiteral("tirlink.cfg/keep"))), "x");
    EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("tirlink.cfg")});

    const TSettingsRead r = ReadSettingsFile(PathIn());
    EXPECT_FALSE(r.Opened);
    EXPECT_EQ(r.FieldsRead, 0);
}

TEST_F(SettingsFileTest, MissingDirectoryFailsCleanly)
{
    QString error;
    EXPECT_FALSE(WriteSettingsFile(PathIn(QStringLiteral("no/such/dir/tirlink.cfg")), ExampleRecord(), &error));
    EXPECT_TRUE(error.endsWith(QString::fromLocal8Bit(std::strerror(ENOENT)))) << error.toStdString();
}

TEST_F(SettingsFileTest, NewFileKeepsUmaskAndOldFileKeepsItsMode)
{
    ASSERT_TRUE(WriteSettingsFile(PathIn(), ExampleRecord(), nullptr));
    EXPECT_EQ(FileBytes(PathIn()).size(), SettingsRecordSize);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(PathIn()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    ASSERT_EQ(::chmod(QFile::encodeName(PathIn()).constData(), 0604), 0);
    ASSERT_TRUE(WriteSettingsFile(PathIn(), OtherRecord(), nullptr));
    ASSERT_EQ(::stat(QFile::encodeName(PathIn()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
}

TEST_F(SettingsFileTest, SymbolicLinkIsWrittenThrough)
{
    PutFile(PathIn(QStringLiteral("real.cfg")), "old");
    ASSERT_TRUE(QFile::link(PathIn(QStringLiteral("real.cfg")), PathIn()));
    ASSERT_TRUE(WriteSettingsFile(PathIn(), OtherRecord(), nullptr));
    EXPECT_TRUE(QFileInfo(PathIn()).isSymLink());
    EXPECT_EQ(FileBytes(PathIn(QStringLiteral("real.cfg"))), FormatSettingsRecord(OtherRecord()));
    EXPECT_EQ(ReadSettingsFile(PathIn()).Record, OtherRecord());
}

}  // namespace
