// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// A second reader of the settings record, written straight from its reading rules and sharing no
// code with the program's reader but the code page table: byte by byte, without the C library's
// formatted input. The fuzzer holds the two to the same answer for every input.
//
//  - A number skips blank, tab, line feed, vertical tab, form feed and carriage return, then
//    takes at most its field's width of characters: an optional sign and decimal digits, at
//    least one digit. A font size of 0 counts as a field that does not convert.
//  - A string takes the next 255 bytes, or what is left when that is fewer (at least one byte);
//    a NUL reads as a blank; then every character of code 32 or less goes from both ends.
//  - The first field that does not convert ends the reading; the fields from it on keep the
//    designed values. The character set keeps its low 8 bits.
#pragma once

#include "app/settingsfile.h"

#include <cstddef>
#include <cstdint>

struct TReferenceRead {
    TSettingsRecord Record;
    int FieldsRead = 0;
};

inline TReferenceRead ReferenceRead(const uint8_t* data, size_t size)
{
    TReferenceRead out;
    size_t pos = 0;
    auto number = [&](int width, int32_t& value) {
        while (pos < size && (data[pos] == ' ' || (data[pos] >= '\t' && data[pos] <= '\r'))) ++pos;
        const size_t end = pos + size_t(width) < size ? pos + size_t(width) : size;
        size_t at = pos;
        bool negative = false;
        if (at < end && (data[at] == '+' || data[at] == '-')) negative = data[at++] == '-';
        int64_t v = 0;
        const size_t first = at;
        while (at < end && data[at] >= '0' && data[at] <= '9') v = v * 10 + (data[at++] - '0');
        if (at == first) return false;
        value = int32_t(negative ? -v : v);
        pos = at;
        return true;
    };
    auto text = [&](QString& value) {
        const size_t n = size - pos < size_t(SettingsStringWidth) ? size - pos : size_t(SettingsStringWidth);
        if (n == 0) return false;
        QByteArray raw(reinterpret_cast<const char*>(data + pos), int(n));
        raw.replace('\0', ' ');
        pos += n;
        QString s = DecodeWindows1251(raw);
        int a = 0, b = int(s.size());
        while (a < b && s.at(a).unicode() <= 32) ++a;
        while (b > a && s.at(b - 1).unicode() <= 32) --b;
        value = s.mid(a, b - a);
        return true;
    };

    TSettingsRecord& r = out.Record;
    struct { int32_t* value; int width; } const numbers[] = {
        {&r.Left, 4}, {&r.Top, 4}, {&r.Style, 1}, {&r.TextColor, 9}, {&r.BackColor, 9}, {&r.Steps, 5}, {&r.FontSize, 3},
    };
    for (const auto& field : numbers) {
        int32_t v = 0;
        if (!number(field.width, v)) return out;
        if (field.value == &r.FontSize && v == 0) return out;
        *field.value = v;
        ++out.FieldsRead;
    }
    if (!text(r.Text)) return out;
    ++out.FieldsRead;
    if (!text(r.FontName)) return out;
    ++out.FieldsRead;
    int32_t charset = 0;
    if (!number(4, charset)) return out;
    r.Charset = charset & 0xFF;
    ++out.FieldsRead;
    return out;
}
