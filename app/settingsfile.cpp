// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "app/settingsfile.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------------------------------------
// Windows-1251. The table comes from the C library's converter, so it cannot drift from the
// code page; a byte the converter rejects (0x98) stands for "?".
// ---------------------------------------------------------------------------------------------
struct TCodePage {
    char32_t ToUnicode[256];
    QHash<char32_t, uint8_t> FromUnicode;

    TCodePage()
    {
        iconv_t cd = iconv_open("UTF-32LE", "CP1251");
        for (int b = 0; b < 256; ++b) {
            ToUnicode[b] = b < 0x80 ? char32_t(b) : U'?';
            if (b < 0x80 || cd == iconv_t(-1)) continue;
            char in = char(b);
            unsigned char out[4] = {};
            char* ip = &in;
            char* op = reinterpret_cast<char*>(out);
            size_t il = 1, ol = sizeof out;
            if (iconv(cd, &ip, &il, &op, &ol) != size_t(-1) && ol == 0)
                ToUnicode[b] = char32_t(out[0] | out[1] << 8 | out[2] << 16 | uint32_t(out[3]) << 24);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        if (cd != iconv_t(-1)) iconv_close(cd);
        // Lower bytes win, so "?" encodes as 0x3F and never as the undefined 0x98.
        for (int b = 255; b >= 0; --b) FromUnicode.insert(ToUnicode[b], uint8_t(b));
    }
};

const TCodePage& CodePage()
{
    static const TCodePage page;
    return page;
}

// Removes every character with a code of 32 or less from both ends.
QString TrimControls(const QString& s)
{
    int begin = 0, end = int(s.size());
    while (begin < end && s.at(begin).unicode() <= 32) ++begin;
    while (end > begin && s.at(end - 1).unicode() <= 32) --end;
    return s.mid(begin, end - begin);
}

// A string as it goes into its field: Windows-1251, no NUL (which would end the C string that
// the writer's %s takes), at most 255 bytes.
QByteArray FieldBytes(const QString& s)
{
    QByteArray b = EncodeWindows1251(s);
    b.replace('\0', ' ');
    b.truncate(SettingsStringWidth);
    return b;
}

// A string field's bytes as the reader gives them back.
QString FieldString(QByteArray bytes)
{
    bytes.replace('\0', ' ');
    return TrimControls(DecodeWindows1251(bytes));
}

// ---------------------------------------------------------------------------------------------
// Reading the numbers.
// ---------------------------------------------------------------------------------------------
constexpr int kNumberWidth[] = {4, 4, 1, 9, 9, 5, 3};  // left .. font size
constexpr int kCharsetWidth = 4;

// White space as the C library's formatted input skips it in the "C" locale. Skipping here,
// rather than in sscanf, keeps the rule independent of the process locale.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads one "%<width>d" field at pos: white space, then at most width characters of sign and
// digits. data is NUL-terminated (a QByteArray always is), so sscanf stops at its end; a NUL
// inside the data ends the number as any other non-digit would.
bool ScanNumber(const QByteArray& bytes, int& pos, int width, int32_t& value)
{
    const char* data = bytes.constData();
    const int size = int(bytes.size());
    while (pos < size && IsCSpace(data[pos])) ++pos;
    if (pos >= size) return false;
    char format[16];
    std::snprintf(format, sizeof format, "%%%dd%%n", width);
    int v = 0, used = 0;
    if (std::sscanf(data + pos, format, &v, &used) != 1) return false;
    pos += used;
    value = v;
    return true;
}

// Takes one "%255c" field at pos: the next 255 bytes, or what is left of the data (at least one
// byte), as glibc's %c does at the end of its input.
bool TakeString(const QByteArray& bytes, int& pos, QString& value)
{
    const int n = std::min(SettingsStringWidth, int(bytes.size()) - pos);
    if (n <= 0) return false;
    value = FieldString(bytes.mid(pos, n));
    pos += n;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Faults injected by tests.
// ---------------------------------------------------------------------------------------------
TSettingsFileStep g_faultStep = sfsNone;
int g_faultErrno = 0;

// True (with errno set) when a test asked this step to fail.
bool Faulted(TSettingsFileStep step)
{
    if (g_faultStep == sfsNone || g_faultStep != step) return false;
    errno = g_faultErrno;
    return true;
}

QString ErrorText(const char* what, const QString& path, int error)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return QString::fromUtf8(what) + name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return std::max(lo, std::min(hi, v)); }

// The widest values that a 9-character "%09d" field holds.
TColor FitColor(TColor c) { return c >= -99999999 && c <= 999999999 ? c : ColorToRGB(c); }

// Writes all of data to fd, through short writes and interruptions.
bool WriteAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    size_t left = size_t(data.size());
    while (left > 0) {
        if (Faulted(sfsWrite)) return false;
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

}  // namespace

bool operator==(const TSettingsRecord& a, const TSettingsRecord& b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Style == b.Style && a.TextColor == b.TextColor
        && a.BackColor == b.BackColor && a.Steps == b.Steps && a.FontSize == b.FontSize && a.Text == b.Text
        && a.FontName == b.FontName && a.Charset == b.Charset;
}

QString DecodeWindows1251(const QByteArray& bytes)
{
    const TCodePage& page = CodePage();
    QString s;
    s.reserve(bytes.size());
    for (char c : bytes) s.append(QChar(char16_t(page.ToUnicode[uint8_t(c)])));
    return s;
}

QByteArray EncodeWindows1251(const QString& text)
{
    const TCodePage& page = CodePage();
    QByteArray b;
    b.reserve(text.size());
    // One byte per character: a pair of surrogates is one character the code page lacks.
    for (char32_t u : text.toUcs4()) b.append(char(page.FromUnicode.value(u, uint8_t('?'))));
    return b;
}

TSettingsRead ParseSettingsRecord(const QByteArray& bytes)
{
    TSettingsRead out;
    out.Opened = true;
    TSettingsRecord& r = out.Record;
    int32_t* const numbers[] = {&r.Left, &r.Top, &r.Style, &r.TextColor, &r.BackColor, &r.Steps, &r.FontSize};
    int pos = 0;
    for (int i = 0; i < int(std::size(numbers)); ++i) {
        int32_t v = 0;
        if (!ScanNumber(bytes, pos, kNumberWidth[i], v)) return out;
        // A zero-height font is not a size anyone chose; treat it as a field that did not convert.
        if (i == sfFontSize && v == 0) return out;
        *numbers[i] = v;
        out.FieldsRead = i + 1;
    }
    if (!TakeString(bytes, pos, r.Text)) return out;
    out.FieldsRead = sfText + 1;
    if (!TakeString(bytes, pos, r.FontName)) return out;
    out.FieldsRead = sfFontName + 1;
    int32_t charset = 0;
    if (!ScanNumber(bytes, pos, kCharsetWidth, charset)) return out;
    r.Charset = charset & 0xFF;
    out.FieldsRead = sfCharset + 1;
    return out;
}

TSettingsRead ReadSettingsFile(const QString& path)
{
    constexpr size_t kMaxBytes = 64 * 1024;
    TSettingsRead out;
    const QByteArray name = QFile::encodeName(path);
    // Only a regular file is read. Opening a FIFO for reading would wait for a writer and hang
    // the start-up, so the name is opened without waiting and anything else counts as unreadable.
    int fd = Faulted(sfsOpenRead) ? -1 : ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        const int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        fd = -1;
        errno = e;
    }
    FILE* f = fd >= 0 ? ::fdopen(fd, "r") : nullptr;
    if (!f) {
        const int e = errno;
        if (fd >= 0) ::close(fd);
        out.Error = ErrorText("Не удалось прочитать настройки из ", path, e);
        return out;
    }
    QByteArray data(int(kMaxBytes), '\0');
    const size_t n = std::fread(data.data(), 1, kMaxBytes, f);
    if (Faulted(sfsRead) || std::ferror(f)) {
        out.Error = ErrorText("Не удалось прочитать настройки из ", path, errno);
        std::fclose(f);
        return out;
    }
    std::fclose(f);
    data.truncate(int(n));
    return ParseSettingsRecord(data);
}

TSettingsRecord NormalizeSettingsRecord(const TSettingsRecord& r)
{
    TSettingsRecord n = r;
    n.Left = Clamp(r.Left, -999, 9999);
    n.Top = Clamp(r.Top, -999, 9999);
    n.Style = r.Style == 1 ? 1 : 2;
    n.TextColor = FitColor(r.TextColor);
    n.BackColor = FitColor(r.BackColor);
    n.Steps = Clamp(r.Steps, 1, 99999);
    n.FontSize = r.FontSize == 0 ? TSettingsRecord().FontSize : Clamp(r.FontSize, -99, 999);
    n.Text = FieldString(FieldBytes(r.Text));
    n.FontName = FieldString(FieldBytes(r.FontName));
    n.Charset = r.Charset & 0xFF;
    return n;
}

QByteArray FormatSettingsRecord(const TSettingsRecord& r)
{
    const TSettingsRecord n = NormalizeSettingsRecord(r);
    // The strings go in as given (leading and trailing blanks included); only reading trims.
    const QByteArray text = FieldBytes(r.Text);
    const QByteArray font = FieldBytes(r.FontName);
    char buffer[SettingsRecordSize + 1];
    const int len = std::snprintf(buffer, sizeof buffer, "%04d%04d%01d%09d%09d%05d%03d%-255s%-255s%04d", n.Left,
                                  n.Top, n.Style, n.TextColor, n.BackColor, n.Steps, n.FontSize, text.constData(),
                                  font.constData(), n.Charset);
    Q_ASSERT(len == SettingsRecordSize);
    return QByteArray(buffer, std::min(len, SettingsRecordSize));
}

bool WriteSettingsFile(const QString& path, const TSettingsRecord& r, QString* error)
{
    const QByteArray record = FormatSettingsRecord(r);
    QByteArray target = QFile::encodeName(path);
    int fd = -1;
    QByteArray temp;
    auto fail = [&](int e) {
        if (fd >= 0) ::close(fd);
        if (!temp.isEmpty()) ::unlink(temp.constData());
        if (error) *error = ErrorText("Не удалось сохранить настройки в ", path, e);
        return false;
    };

    // Writing through a symbolic link replaces what it points to, not the link.
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(target.constData(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const bool exists = ::stat(target.constData(), &st) == 0;
    // Refuse what opening the file itself for writing would refuse.
    if (exists && S_ISDIR(st.st_mode)) return fail(EISDIR);
    if (exists && ::access(target.constData(), W_OK) != 0) return fail(errno);

    const int slash = target.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray base = target.mid(slash + 1);
    static unsigned counter = 0;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        if (Faulted(sfsOpenWrite)) return fail(errno);
        const QByteArray candidate =
            dir + "/." + base + ".tmp" + QByteArray::number(::getpid()) + "_" + QByteArray::number(++counter);
        fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) temp = candidate;
        else if (errno != EEXIST) return fail(errno);
    }
    if (fd < 0) return fail(EEXIST);
    if (exists) (void)::fchmod(fd, st.st_mode & 07777);  // keep the old file's permissions

    if (!WriteAll(fd, record)) return fail(errno);
    if (Faulted(sfsSync) || ::fsync(fd) != 0) return fail(errno);
    const int closing = fd;
    fd = -1;
    if (Faulted(sfsClose)) {
        const int e = errno;
        ::close(closing);
        return fail(e);
    }
    if (::close(closing) != 0) return fail(errno);
    if (Faulted(sfsRename) || ::rename(temp.constData(), target.constData()) != 0) return fail(errno);
    temp.clear();

    // Make the rename itself durable; the record is already safe, so a failure here is not one.
    const int dirfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd >= 0) {
        (void)::fsync(dirfd);
        ::close(dirfd);
    }
    if (error) error->clear();
    return true;
}

TSettingsApply PlanSettingsApply(const TSettingsRead& read)
{
    TSettingsApply a;
    const TSettingsRecord& r = read.Record;
    const int n = read.Opened ? read.FieldsRead : 0;
    if (n > sfLeft) a.Left = r.Left;
    if (n > sfTop) a.Top = r.Top;
    if (n > sfStyle) a.StayOnTop = r.Style != 1;
    if (n > sfTextColor) a.TextColor = r.TextColor;
    if (n > sfBackColor) a.BackColor = r.BackColor;
    if (n > sfSteps && r.Steps > 0) a.Steps = r.Steps;
    if (n > sfFontSize && r.FontSize != 0) a.FontSize = r.FontSize;
    if (n > sfFontName) {
        const QString face = TrimControls(TrimControls(r.FontName).left(31));
        if (!face.isEmpty()) a.FontName = face;
    }
    if (n > sfCharset) a.Charset = uint8_t(r.Charset & 0xFF);
    if (n > sfText) a.Line = TrimControls(r.Text);
    return a;
}

void SetSettingsFileFault(TSettingsFileStep step, int error)
{
    g_faultStep = step;
    g_faultErrno = error;
}
