// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The ticker's settings file, tirlink.cfg: one fixed-width record of 549 single-byte characters
// in Windows-1251, with no header, no byte-order mark and no line terminator.
//
//   offset width field              written as   read as
//        0     4 left               %04d         %04d
//        4     4 top                %04d         %04d
//        8     1 style              %01d         %01d   (1 normal, anything else stay-on-top)
//        9     9 text colour        %09d         %09d
//       18     9 background colour  %09d         %09d
//       27     5 steps              %05d         %05d
//       32     3 font size (points) %03d         %03d
//       35   255 text               %-255s       %255c  (then trimmed)
//      290   255 font name          %-255s       %255c  (then trimmed)
//      545     4 character set      %04d         %04d   (low 8 bits)
//
// This is the pure file layer: it knows nothing of windows. The ticker window collects a
// TSettingsRecord from itself and hands it to WriteSettingsFile at "Выход"; at start-up it calls
// ReadSettingsFile and applies what PlanSettingsApply says applies.
//
// Reading follows the C library's formatted input of the reader's format, field by field:
//  - A number skips leading white space (blank, tab, line feed, vertical tab, form feed,
//    carriage return), then reads at most the field's width of characters: an optional sign and
//    decimal digits (leading zeros are decimal). A field without a digit does not convert.
//  - A string takes the next 255 bytes as they stand, white space and digits included. When the
//    data ends inside a string field, the bytes that were there are kept and the field counts as
//    read (glibc's %255c does the same); the fields after it are then missing. A NUL byte inside
//    a string field reads as a blank, so it neither cuts the string nor shifts a later field.
//    Each string is then trimmed: every character with a code of 32 or less is removed from both
//    ends. Byte 0x98, which Windows-1251 leaves undefined, reads as "?".
//  - Reading stops at the first field that does not convert; a font size of 0 counts as such a
//    field (it would ask for a zero-height font). Fields before it are read; the ones from it on
//    keep the values the record had before reading (the window's designed values).
//
// Writing keeps every value inside its field, so that the record always reads back:
//  left and top are clamped to -999..9999, steps to 1..99999, font size to -99..999 (0, which
//  would stop reading, is written as the designed size 14), the style is 1 (normal) or 2
//  (stay-on-top), the character set is its low 8 bits, and a colour whose decimal form is wider
//  than 9 characters (a system colour, 0x80xxxxxx) is written as the explicit colour it
//  resolves to. Text and font name are converted to Windows-1251 (a character the code page
//  lacks becomes "?"; a NUL becomes a blank) and cut to 255 bytes.
//
// The writer puts the record into a temporary file in the same directory, flushes it to disk
// and renames it over the settings file, so a failed write leaves the previous file untouched.
//
// Everything here runs on the GUI thread; the fault hook is process-wide and not locked.
#pragma once

#include "platform/types.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The settings file's name; both procedures look for it in the current working directory.
inline const char* const SettingsFileName = "tirlink.cfg";

// Size of the record on disk and of each of its two string fields.
constexpr int SettingsRecordSize = 549;
constexpr int SettingsStringWidth = 255;

// The ten values of the record, in file order. A default-constructed record holds the ticker
// window's designed values, which is what a field that cannot be read leaves in place.
struct TSettingsRecord {
    int32_t Left = 51;
    int32_t Top = 606;
    int32_t Style = 1;  // 1 normal, any other value stay-on-top
    TColor TextColor = clYellow;
    TColor BackColor = clNavy;
    int32_t Steps = 300;
    int32_t FontSize = 14;  // points
    QString Text = QStringLiteral("Для вызова меню нажмите правую кнопку мыши на панели Тирлинка.");
    QString FontName = QStringLiteral("Times New Roman");
    int32_t Charset = 1;  // DEFAULT_CHARSET

    friend bool operator==(const TSettingsRecord& a, const TSettingsRecord& b);
    friend bool operator!=(const TSettingsRecord& a, const TSettingsRecord& b) { return !(a == b); }
};

// The fields in file order; FieldsRead counts them from sfLeft.
enum TSettingsField {
    sfLeft, sfTop, sfStyle, sfTextColor, sfBackColor, sfSteps, sfFontSize, sfText, sfFontName, sfCharset,
    sfCount
};

// The result of reading. Record starts as the designed values; the first FieldsRead fields
// (0..10, in file order) were read and converted and replace them. Opened is false when the
// file could not be opened or read, and Error then says why (Russian, for a message); nothing
// applies in that case.
struct TSettingsRead {
    TSettingsRecord Record;
    int FieldsRead = 0;
    bool Opened = false;
    QString Error;
};

// Reads a record from bytes as they would come from the file. Never reads past the data, for any
// input; bytes after the record are ignored. Opened is true.
TSettingsRead ParseSettingsRecord(const QByteArray& bytes);
// Opens path (mode "rt") and parses what it holds. Only a regular file is read: a FIFO, device
// or directory of that name counts as unreadable rather than blocking the caller. Only the first
// 64 KiB are looked at: a record is 549 bytes, and white space before a number is all that could
// move it further.
TSettingsRead ReadSettingsFile(const QString& path);

// The values that the record written for r reads back as: each number kept inside its field
// (see above), the strings through Windows-1251, cut to 255 bytes and trimmed. Parsing
// FormatSettingsRecord(r) gives all ten fields with exactly these values.
TSettingsRecord NormalizeSettingsRecord(const TSettingsRecord& r);
// Exactly SettingsRecordSize bytes in Windows-1251.
QByteArray FormatSettingsRecord(const TSettingsRecord& r);
// Writes the record over path through a temporary file in the same directory. On failure the
// previous file is untouched, the temporary file is removed, and *error (when given) holds a
// reason such as "Не удалось сохранить настройки в tirlink.cfg: Нет места на устройстве".
bool WriteSettingsFile(const QString& path, const TSettingsRecord& r, QString* error);

// What the ticker window does with a read record. Each member that holds a value is applied, in
// the order of the members; an empty one leaves the window's current value.
struct TSettingsApply {
    std::optional<int32_t> Left;          // window Left (the placement rule overrides it)
    std::optional<int32_t> Top;           // window Top
    std::optional<bool> StayOnTop;        // form style: true for stay-on-top, false for normal
    std::optional<TColor> TextColor;      // font colour of the scrolling control
    std::optional<TColor> BackColor;      // Color of the scrolling control
    std::optional<int32_t> Steps;         // Steps of the control; only values above 0
    std::optional<int32_t> FontSize;      // font size in points; never 0
    std::optional<QString> FontName;      // trimmed, cut to 31 characters, trimmed again; never empty
    std::optional<uint8_t> Charset;       // font character set
    std::optional<QString> Line;          // Lines := this one line (may be empty)
};
TSettingsApply PlanSettingsApply(const TSettingsRead& read);

// Windows-1251 conversion of the settings file. Decoding maps every byte to one character (0x98,
// undefined in the code page, to "?"); encoding maps every character (code point) to one byte,
// "?" for a character the code page lacks.
QString DecodeWindows1251(const QByteArray& bytes);
QByteArray EncodeWindows1251(const QString& text);

// Test hook: makes one step of the file procedures fail with the given errno, so that tests can
// make faults that hold even for root (a full disk, a denied write). Stays in force until it is
// set back to sfsNone.
enum TSettingsFileStep { sfsNone, sfsOpenRead, sfsRead, sfsOpenWrite, sfsWrite, sfsSync, sfsClose, sfsRename };
void SetSettingsFileFault(TSettingsFileStep step, int error);
