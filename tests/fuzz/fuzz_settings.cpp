// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Feeds arbitrary bytes to the settings-file reader and checks what any reading must hold:
// nothing crashes or reads out of bounds, the count of fields read is 0..10, fields that were
// not read keep the designed values, strings are trimmed and fit their fields, and what was
// read, written again, reads back as the same values.
#include "app/settingsfile.h"
#include "settings_reference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

namespace {

void Check(bool ok, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

bool Trimmed(const QString& s)
{
    return s.isEmpty() || (s.front().unicode() > 32 && s.back().unicode() > 32);
}

void CheckString(const QString& s)
{
    Check(s.size() <= SettingsStringWidth, "string fits its field");
    Check(Trimmed(s), "string is trimmed");
    Check(!s.contains(QChar(u'\0')), "string holds no NUL");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const TSettingsRead read = ParseSettingsRecord(bytes);
    const TSettingsRecord& r = read.Record;
    const TSettingsRecord designed;

    Check(read.Opened, "parsed bytes count as opened");
    const TReferenceRead reference = ReferenceRead(data, size);
    Check(read.FieldsRead == reference.FieldsRead, "as many fields read as the rules say");
    Check(read.Record == reference.Record, "the values the rules give");
    Check(read.FieldsRead >= 0 && read.FieldsRead <= sfCount, "FieldsRead in 0..10");
    Check(read.FieldsRead < sfCount || size >= 1 + 1 + 1 + 1 + 1 + 1 + 1 + 255 + 255 + 1,
          "a full record needs at least its strings and one digit per number");
    CheckString(r.Text);
    CheckString(r.FontName);
    Check(r.Charset >= 0 && r.Charset <= 255, "charset 0..255");
    if (read.FieldsRead > sfFontSize) Check(r.FontSize != 0, "a font size of 0 is never read");

    // Fields from the first one not read keep the designed values.
    const int n = read.FieldsRead;
    Check(n > sfLeft || r.Left == designed.Left, "left kept");
    Check(n > sfTop || r.Top == designed.Top, "top kept");
    Check(n > sfStyle || r.Style == designed.Style, "style kept");
    Check(n > sfTextColor || r.TextColor == designed.TextColor, "text colour kept");
    Check(n > sfBackColor || r.BackColor == designed.BackColor, "background colour kept");
    Check(n > sfSteps || r.Steps == designed.Steps, "steps kept");
    Check(n > sfFontSize || r.FontSize == designed.FontSize, "font size kept");
    Check(n > sfText || r.Text == designed.Text, "text kept");
    Check(n > sfFontName || r.FontName == designed.FontName, "font name kept");
    Check(n > sfCharset || r.Charset == designed.Charset, "charset kept");

    // Every value a field can hold is one the writer keeps, except the style digits other than
    // 1 and 2 (written as 2, which means the same) and steps below 1 (which the control ignores).
    const TSettingsRecord normal = NormalizeSettingsRecord(r);
    TSettingsRecord expected = r;
    expected.Style = r.Style == 1 ? 1 : 2;
    expected.Steps = r.Steps < 1 ? 1 : r.Steps;
    Check(normal == expected, "what was read is what the writer keeps");
    Check(NormalizeSettingsRecord(normal) == normal, "normalising twice changes nothing");

    const QByteArray again = FormatSettingsRecord(r);
    Check(again.size() == SettingsRecordSize, "record is 549 bytes");
    const TSettingsRead back = ParseSettingsRecord(again);
    Check(back.FieldsRead == sfCount, "a written record reads back whole");
    Check(back.Record == normal, "a written record reads back as written");

    const TSettingsApply apply = PlanSettingsApply(read);
    Check(!apply.FontName || (!apply.FontName->isEmpty() && apply.FontName->size() <= 31 && Trimmed(*apply.FontName)),
          "face name is 1..31 characters, trimmed");
    Check(!apply.Steps || *apply.Steps > 0, "only positive steps apply");
    Check(apply.Line.has_value() == (n > sfText), "the line applies once the text was read");
    return 0;
}
